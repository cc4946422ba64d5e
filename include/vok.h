/** @file
 * @brief The umbrella header: includes every family header.
 *
 * vokx1: signal-processing library with a flat C interface.
 *
 * Names: vok + element letters + optional b (block) / br (complex as two real
 * arrays) + operation. Letters: s float, d double, c FloatComplex,
 * z DoubleComplex, w 16-bit, v ShortComplex, i 32-bit, j IntComplex.
 * Every failure is reported through vokError (see vok/frame.h) and leaves the
 * caller's buffers unchanged. The families are listed under Modules. */
#ifndef VOK_H
#define VOK_H

#include "vok/types.h"
#include "vok/frame.h"
#include "vok/vector.h"
#include "vok/int16.h"
#include "vok/elementwise.h"
#include "vok/convert.h"
#include "vok/companding.h"
#include "vok/transform.h"
#include "vok/dft.h"
#include "vok/fir.h"
#include "vok/firdesign.h"
#include "vok/iir.h"
#include "vok/lms.h"
#include "vok/convolution.h"
#include "vok/conv2d.h"
#include "vok/signal.h"
#include "vok/wavelet.h"

#endif /* VOK_H */
