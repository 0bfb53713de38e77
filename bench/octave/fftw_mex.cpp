// Benchmark peer for the Octave section of bench/run: one FFTW real-to-real
// transform behind the same MEX call interface as the plug-ins.
//
//   y = fftw_mex(x, kind, measure)
//
// kind 0..4: REDFT10, REDFT01, RODFT10, RODFT01, REDFT11 of the n values of
// x (unnormalised: only the time matters). The plan of each (kind, n) is made
// once, on first use (FFTW_MEASURE when measure is non-zero, else
// FFTW_ESTIMATE), and kept; x is copied into the plan's
// aligned input and the result copied out, as the plug-ins copy theirs.
#include <fftw3.h>

#include <cstring>
#include <map>
#include <utility>

#include "mex.h"

namespace {

struct Plan {
  fftw_plan plan;
  double* in;
  double* out;
};

const fftw_r2r_kind kKinds[] = {FFTW_REDFT10, FFTW_REDFT01, FFTW_RODFT10, FFTW_RODFT01,
                                FFTW_REDFT11};

const Plan& plan_for(int kind, int n, bool measure) {
  static std::map<std::pair<int, int>, Plan> plans;
  auto it = plans.find({kind, n});
  if (it != plans.end()) return it->second;
  Plan p;
  p.in = fftw_alloc_real(n);
  p.out = fftw_alloc_real(n);
  p.plan = fftw_plan_r2r_1d(n, p.in, p.out, kKinds[kind], measure ? FFTW_MEASURE : FFTW_ESTIMATE);
  return plans.emplace(std::make_pair(kind, n), p).first->second;
}

}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs != 3 || nlhs > 1) mexErrMsgTxt("fftw_mex: y = fftw_mex(x, kind, measure)");
  const int n = static_cast<int>(mxGetNumberOfElements(prhs[0]));
  const int kind = static_cast<int>(mxGetScalar(prhs[1]));
  if (n < 1 || kind < 0 || kind > 4) mexErrMsgTxt("fftw_mex: bad arguments");
  const Plan& p = plan_for(kind, n, mxGetScalar(prhs[2]) != 0);
  plhs[0] = mxCreateDoubleMatrix(mxGetM(prhs[0]), mxGetN(prhs[0]), mxREAL);
  std::memcpy(p.in, mxGetPr(prhs[0]), sizeof(double) * n);
  fftw_execute(p.plan);
  std::memcpy(mxGetPr(plhs[0]), p.out, sizeof(double) * n);
}
