/* Host interface of the plug-ins.
 *
 * A plug-in is a shared library that the host (MATLAB, GNU Octave, or the
 * embedded host of this repository) loads by file name. It exports exactly
 * mexFunction and mexVersion and calls back into the host through the
 * operations declared here; the plug-in leaves them undefined and the loading
 * process resolves them. Sizes are size_t, as in the hosts' large-array
 * convention; every array the plug-ins create is a real double matrix.
 *
 * The CMake build and the embedded host use this header; a host's own build
 * command (tfmex_build.m, the Octave package) compiles the gateways against
 * that host's mex.h instead (see gateway.h).
 */
#ifndef TFMEX_HOST_MEX_H
#define TFMEX_HOST_MEX_H

#include <stddef.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* TFMEX_HOST_API marks what the embedded host's library (tfmexhost) exports.
 * On Windows that DLL exports exactly what carries the mark (its build defines
 * TFMEX_HOST_BUILD) and the plug-ins and programs import it from there; on
 * ELF systems it exports every name it defines. */
#if defined(_WIN32) && defined(TFMEX_HOST_BUILD)
#define TFMEX_HOST_API __declspec(dllexport)
#elif defined(_WIN32)
#define TFMEX_HOST_API __declspec(dllimport)
#else
#define TFMEX_HOST_API
#endif

typedef struct mxArray_tag mxArray;
typedef size_t mwSize;
typedef enum { mxREAL = 0, mxCOMPLEX = 1 } mxComplexity;

/* Number of rows and columns of an array. */
TFMEX_HOST_API size_t mxGetM(const mxArray *a);
TFMEX_HOST_API size_t mxGetN(const mxArray *a);
/* First of rows x columns doubles, column-major: element (r, c) at r + c*rows. */
TFMEX_HOST_API double *mxGetPr(const mxArray *a);
/* A new zero-filled real matrix owned by the caller. */
TFMEX_HOST_API mxArray *mxCreateDoubleMatrix(mwSize rows, mwSize cols, mxComplexity flag);
/* Releases an array created earlier in the same call. */
TFMEX_HOST_API void mxDestroyArray(mxArray *a);
/* Shows the text and abandons the call; does not return. */
TFMEX_HOST_API void mexErrMsgTxt(const char *text);
/* Class queries (bool, as the hosts return them) used to refuse arguments that
 * are not real full double matrices. */
TFMEX_HOST_API bool mxIsDouble(const mxArray *a);
TFMEX_HOST_API bool mxIsComplex(const mxArray *a);
TFMEX_HOST_API bool mxIsSparse(const mxArray *a);

#ifdef __cplusplus
}
#endif

#endif
