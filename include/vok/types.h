/** @file
 * @brief Element records, status codes and modes: see @ref types. */
/** @defgroup types Element records, status codes and modes
 * vokx1: element records, status codes, error modes, scale modes and the
 * calling-convention macros shared by every part of the interface.
 *
 * Every header includes this one. Complex elements are records of two adjacent
 * parts, so an array of them is interleaved re, im, re, im. Functions report
 * failures with the negative status codes below (see @ref frame); 16-bit
 * operations take one of the scale modes with a scale factor passed by pointer.
 * @par Example
 * @code
 * FloatComplex z = {1.0f, -2.0f};
 * short out[4];
 * int sf = 1;                                   // keep the exact result / 2^1
 * vokwbAdd3(a16, b16, out, 4, VOK_FIXED_SCALE, &sf);
 * if (vokGetErrStatus() < 0) { ... }            // VOK_StatusBadArg etc.
 * @endcode
 * @{ */
#ifndef VOK_TYPES_H
#define VOK_TYPES_H


/* VOK_CALL: the callee removes its arguments on 32-bit Windows (stdcall);
 * elsewhere the platform's only C convention is used.
 * VOK_API: marks a function as part of the exported interface. */
#if defined(_WIN32) && !defined(_WIN64)
#  define VOK_CALL __stdcall
#else
#  define VOK_CALL
#endif

#if defined(_WIN32)
#  if defined(VOK_BUILDING_LIBRARY)
#    define VOK_API __declspec(dllexport)
#  else
#    define VOK_API __declspec(dllimport)
#  endif
#else
#  define VOK_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#  define VOK_EXTERN_C_BEGIN extern "C" {
#  define VOK_EXTERN_C_END }
#else
#  define VOK_EXTERN_C_BEGIN
#  define VOK_EXTERN_C_END
#endif

/* Complex elements: re then im, adjacent; arrays of them are interleaved. */

/** Complex number, single precision parts. */
typedef struct { float re; /**< real part */ float im; /**< imaginary part */ } FloatComplex;
/** Complex number, double precision parts. */
typedef struct { double re; /**< real part */ double im; /**< imaginary part */ } DoubleComplex;
/** Complex number, 16-bit parts. */
typedef struct { short re; /**< real part */ short im; /**< imaginary part */ } ShortComplex;
/** Complex number, 32-bit parts. */
typedef struct { int re; /**< real part */ int im; /**< imaginary part */ } IntComplex;

/** Status codes: 0 is success, negative values are failures. */
enum {
    VOK_StatusOk = 0,             /**< success */
    VOK_StatusBacktrace = -1,     /**< re-report of a failed inner call; never stored */
    VOK_StatusInternal = -3,      /**< internal error */
    VOK_StatusNoMemory = -4,      /**< an allocation or a table cache failed */
    VOK_StatusBadArg = -5,        /**< an argument failed its check */
    VOK_StatusBadFunction = -6,   /**< unsupported function */
    VOK_StatusNoConvergence = -7, /**< an iteration did not converge */
    VOK_StatusAutotrace = -8,     /**< a caller's call trace; never stored */
    VOK_StatusNullTaps = -9,      /**< FIR design: null taps array */
    VOK_StatusTapsLen = -10,      /**< FIR design: tapsLen too small */
    VOK_StatusBadFreq = -11,      /**< FIR design: frequency outside (0, 0.5) */
    VOK_StatusFreqOrder = -12     /**< FIR design: rHighFreq <= rLowFreq */
};

/** Per-thread error modes. */
enum {
    VOK_ErrorModeLeaf = 0,    /**< a report ends the application (the message box asks first) */
    VOK_ErrorModeParent = 1,  /**< a report is made and the failing function returns */
    VOK_ErrorModeSilent = 2   /**< the library's report functions do nothing */
};

/** Scale modes of the 16-bit operations; the scale factor sf is passed by
 * pointer and the stored result is the exact one divided by 2^sf. */
enum {
    VOK_NO_SCALE = 0,       /**< out-of-range results wrap around */
    VOK_SATURATE = 1,       /**< out-of-range results are clamped */
    VOK_FIXED_SCALE = 2,    /**< divide by 2^sf, sf read from the caller */
    VOK_AUTO_SCALE = 4      /**< the operation picks sf >= 0 and writes it back */
};

/** Report hook: (status, funcName, context, file, line) -> what vokError returns. */
typedef int (VOK_CALL *VokReportFunc)(int status, const char* funcName, const char* context,
                                      const char* file, int line);

/** Constant version record of the library. */
typedef struct {
    int numbers[3];               /**< major, minor, patch */
    const char* name;             /**< library name */
    const char* version;          /**< version text */
    const char* internalVersion;  /**< build identification */
    const char* buildDate;        /**< date of the build */
    const char* linkage;          /**< how the library is linked */
} VokLibVersion;

/** Per-thread context of the library; its contents are private. */
typedef struct VokThreadContext VokThreadContext;

/** @} */
#endif /* VOK_TYPES_H */
