// ReportSteps lives with the report recorder it runs on.
#pragma once

#include "voktest/reports.h"
