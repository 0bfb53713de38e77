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

typedef struct mxArray_tag mxArray;
typedef size_t mwSize;
typedef enum { mxREAL = 0, mxCOMPLEX = 1 } mxComplexity;

/* Number of rows and columns of an array. */
size_t mxGetM(const mxArray *a);
size_t mxGetN(const mxArray *a);
/* First of rows x columns doubles, column-major: element (r, c) at r + c*rows. */
double *mxGetPr(const mxArray *a);
/* A new zero-filled real matrix owned by the caller. */
mxArray *mxCreateDoubleMatrix(mwSize rows, mwSize cols, mxComplexity flag);
/* Releases an array created earlier in the same call. */
void mxDestroyArray(mxArray *a);
/* Shows the text and abandons the call; does not return. */
void mexErrMsgTxt(const char *text);
/* Class queries (bool, as the hosts return them) used to refuse arguments that are not real full double matrices. */
bool mxIsDouble(const mxArray *a);
bool mxIsComplex(const mxArray *a);
bool mxIsSparse(const mxArray *a);

#ifdef __cplusplus
}
#endif

#endif
