/** @file
 * @brief Errors, memory and version: see @ref frame. */
/** @defgroup frame Errors, memory and version
 * vokx1 frame: error status and modes, report hook and report functions,
 * memory allocation, library version.
 *
 * Errors are per thread: each thread has its own status, error mode and report
 * function, which start as VOK_ErrorModeLeaf and vokGuiBoxReport. In that default
 * a bad argument ends the program (after asking on the terminal, or at once with
 * exit code 1 when there is none). A program that wants to see statuses instead
 * sets, in every thread that calls the library (worker threads included, since
 * the settings do not travel between threads), the parent mode and a report
 * function that does not ask. The status is sticky: successful calls leave it as
 * it is, so clear it with vokSetErrStatus(VOK_StatusOk) after handling a failure.
 * Memory from the vok?Malloc functions is aligned for the vector kernels and is
 * released with vokFree.
 * @par Example
 * @code
 * vokSetErrMode(VOK_ErrorModeParent);           // report, then return to the caller
 * vokRedirectError(vokStdErrReport);            // one line on stderr, no question
 * float* buf = voksMalloc(1024);
 * voksbZero(buf, 0);                            // reported: "n<=0", nothing written
 * if (vokGetErrStatus() < 0) vokSetErrStatus(VOK_StatusOk);
 * vokFree(buf);
 * @endcode
 * @{ */
#ifndef VOK_FRAME_H
#define VOK_FRAME_H

#include "types.h"

VOK_EXTERN_C_BEGIN

/* ---- Error status, modes and reporting (all per calling thread) ---- */

/** The thread's last stored status (sticky: successful calls do not clear it). */
VOK_API int VOK_CALL vokGetErrStatus(void);
/** Sets the thread's status to any value, -1 and -8 included;
 * vokSetErrStatus(VOK_StatusOk) clears it after a failure was handled. */
VOK_API void VOK_CALL vokSetErrStatus(int status);
/** The thread's error mode; VOK_ErrorModeLeaf until the thread sets another. */
VOK_API int VOK_CALL vokGetErrMode(void);
/** Stores any value unchecked; see VOK_ErrorMode* for the meanings. */
VOK_API void VOK_CALL vokSetErrMode(int mode);
/** Installs hook for this thread and returns the previous one; null reinstalls vokGuiBoxReport. */
VOK_API VokReportFunc VOK_CALL vokRedirectError(VokReportFunc hook);
/** The central error call: stores status (except -1 and -8); status 0 returns 0 at once;
 * otherwise returns what the thread's hook returns. */
VOK_API int VOK_CALL vokError(int status, const char* funcName, const char* context,
                              const char* file, int line);
/** Constant text of a status code; "Unknown error or status code" for unassigned values. */
VOK_API const char* VOK_CALL vokErrorStr(int status);

/** Report functions, each installable with vokRedirectError; each returns status.
 * vokGuiBoxReport (the default) shows a two-button question; on Linux it is asked on
 * the controlling terminal. Without a terminal, or on Windows when MessageBoxA fails
 * (no desktop, a service), the text goes to standard error and the answer is the
 * mode's own meaning: terminate in VOK_ErrorModeLeaf, continue in VOK_ErrorModeParent. */
VOK_API int VOK_CALL vokGuiBoxReport(int status, const char* funcName, const char* context,
                                     const char* file, int line);
/** Writes the report to standard error; in VOK_ErrorModeLeaf then ends the process (exit code 1). */
VOK_API int VOK_CALL vokStdErrReport(int status, const char* funcName, const char* context,
                                     const char* file, int line);
/** Writes nothing; in VOK_ErrorModeLeaf ends the process (exit code 1). */
VOK_API int VOK_CALL vokNulDevReport(int status, const char* funcName, const char* context,
                                     const char* file, int line);

/* ---- Memory ---- */

/** @name Blocks aligned to 8 bytes at least */
///@{
/** Blocks aligned to 8 bytes at least (64 on 64-bit builds), contents uninitialised;
 * null when the heap cannot supply the block. Counts are in elements of the type. */
VOK_API void* VOK_CALL vokMalloc(int length);
VOK_API short* VOK_CALL vokwMalloc(int length);
VOK_API float* VOK_CALL voksMalloc(int length);
VOK_API int* VOK_CALL vokiMalloc(int length);
VOK_API ShortComplex* VOK_CALL vokvMalloc(int length);
VOK_API FloatComplex* VOK_CALL vokcMalloc(int length);
VOK_API double* VOK_CALL vokdMalloc(int length);
VOK_API IntComplex* VOK_CALL vokjMalloc(int length);
VOK_API DoubleComplex* VOK_CALL vokzMalloc(int length);
///@}
/** Releases a block of any of the allocators; null is ignored. */
VOK_API void VOK_CALL vokFree(void* block);

/** The library's constant version record; the same pointer on every call. */
VOK_API const VokLibVersion* VOK_CALL vokGetLibVersion(void);

VOK_EXTERN_C_END

/** @} */
#endif /* VOK_FRAME_H */
