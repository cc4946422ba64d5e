// ReportSteps lives with the report recorder it runs on.
#pragma once

#include "support/reports.h"
