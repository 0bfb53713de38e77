// The floor of a MEX call in the Octave section of bench/run: a new output of
// rows x cols doubles (the size of x by default) holding the values of x, and
// nothing else.
//
//   y = copy_mex(x)  or  y = copy_mex(x, rows, cols)
#include <cstring>

#include "mex.h"

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if ((nrhs != 1 && nrhs != 3) || nlhs > 1) mexErrMsgTxt("copy_mex: y = copy_mex(x[, rows, cols])");
  const size_t rows = nrhs == 3 ? static_cast<size_t>(mxGetScalar(prhs[1])) : mxGetM(prhs[0]);
  const size_t cols = nrhs == 3 ? static_cast<size_t>(mxGetScalar(prhs[2])) : mxGetN(prhs[0]);
  plhs[0] = mxCreateDoubleMatrix(rows, cols, mxREAL);
  const size_t n = mxGetNumberOfElements(prhs[0]);
  const size_t m = rows * cols;
  std::memcpy(mxGetPr(plhs[0]), mxGetPr(prhs[0]), sizeof(double) * (n < m ? n : m));
}
