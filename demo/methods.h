// What the demo does with the plug-ins: wavelet shrinkage denoising (plain and
// translation-invariant) and the best-basis search over packet and cosine
// packet tables. Every transform is a call of a plug-in through the embedded
// host; this file only thresholds, searches and counts.
#ifndef TFMEX_DEMO_METHODS_H
#define TFMEX_DEMO_METHODS_H

#include <map>
#include <string>
#include <vector>

#include "host/embedded/host.h"

namespace demo {

using tfmex::host::Array;

// Loads plug-ins by name on first use and calls them; a refused call or a
// broken host invariant is thrown as std::runtime_error.
class Plugins {
 public:
  explicit Plugins(std::string mex_dir) : dir_(std::move(mex_dir)) {}
  bool available(const std::string& name);  // can the plug-in be loaded?
  Array call(const std::string& name, const std::vector<Array>& args);
  const std::string& dir() const { return dir_; }

 private:
  const tfmex::host::Plugin& get(const std::string& name);
  std::string dir_;
  std::map<std::string, tfmex::host::Plugin> loaded_;
};

std::vector<double> values(const Array& a);

// Noise level from the median absolute deviation: median(|d|) / 0.6745.
double mad_sigma(const double* d, int count);

// v <- sign(v) * max(|v| - lambda, 0), in place.
void soft_threshold(double* v, int count, double lambda);

// CircSplit to level L, soft threshold of every detail at
// sigma * sqrt(2 ln n) with sigma from the finest details, CircJoin.
std::vector<double> denoise_orthogonal(Plugins& p, const std::vector<double>& y,
                                       const std::vector<double>& h, int L);

// The same on the translation-invariant table: ShiftSplit, threshold every
// detail column, ShiftJoin (which averages over all shift paths).
std::vector<double> denoise_invariant(Plugins& p, const std::vector<double>& y,
                                      const std::vector<double>& h, int L);

// A block of a level table: column d, block k (rows k*n/2^d ... (k+1)*n/2^d - 1).
struct Node {
  int d = 0;
  int k = 0;
};

// Additive entropy-type cost of a block: -sum v log v over v = c^2 / total, v > 0.
double entropy_cost(const double* c, int count, double total);

// The basis of least entropy cost among the bases of an n x (D+1) level table,
// found bottom-up: a block is kept when it costs no more than the best bases
// of its two children. The children of block k of column d are blocks 2k and
// 2k+1 of column d+1, which occupy the parent's rows whatever their order.
// Returns the kept blocks in increasing row order.
std::vector<Node> best_basis(const std::vector<double>& table, int n, int D);

// The same table with every coefficient outside the basis set to zero.
std::vector<double> keep_only(const std::vector<double>& table, int n, const std::vector<Node>& basis);

// The coefficients of the basis, in the basis' order.
std::vector<double> basis_coefficients(const std::vector<double>& table, int n,
                                       const std::vector<Node>& basis);

// How many of the largest coefficients hold the given fraction of the energy.
int count_for_energy(std::vector<double> c, double fraction);

// A column of a translation-invariant table holds the coefficients of every
// shift path after d stages (column d >= 1: the details of stage d; column 0:
// the coarse values after the last stage D). Together they are one
// coefficient per sample; this returns them in time order. Coefficient i of
// path b is placed at i*2^d - sum of s_j 2^(j-1), s_j the path's bit for
// stage j (1 = that stage filtered after a one-sample right shift), plus the
// centre of the filters of m taps it went through: the low-pass taps run
// forward from their sample, the high-pass taps backward from the next one.
// Modulo n.
std::vector<double> time_ordered(const std::vector<double>& table, int n, int column, int d, int m);

}  // namespace demo

#endif
