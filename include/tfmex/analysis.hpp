// What the transforms are for: wavelet shrinkage of noisy signals and
// images, and best bases of wavelet packet and cosine packet tables, with
// the geometry of a basis' time-frequency tiling for pictures. The toolbox's
// tfmex_denoise, tfmex_bestbasis, tfmex_basisjoin and tfmex_plot_tiling do the
// same and give the same doubles.
//
// Signals have n = 2^J values, images are n x n, column after column
// (element (r, c) at r + c n), tables n x (D + 1), column after column, as the
// transforms write them by default. The functions allocate their scratch
// memory from the pool and use the threads the transforms do.
#ifndef TFMEX_ANALYSIS_HPP
#define TFMEX_ANALYSIS_HPP

#include <cstddef>
#include <optional>
#include <vector>

#include "tfmex/common.hpp"

namespace tfmex {

// ---- Noise level, thresholds, shrinkage -----------------------------------

// The noise level from the median absolute value of (most often) the finest
// details: median |d| / 0.6745 over count >= 1 values (the mean of the two
// middle ones for an even count). A NaN counts as the largest value.
TFMEX_API double noise_level(const double* d, std::ptrdiff_t count);

// The universal threshold sigma sqrt(2 ln n) of a transform of n values
// (n >= 1; pixels for an image).
TFMEX_API double universal_threshold(double sigma, std::ptrdiff_t n);

// The SureShrink threshold of count >= 1 coefficients of one level with
// noise level sigma >= 0: the soft threshold minimising Stein's unbiased
// estimate of the risk, at most the universal threshold of the level,
// sigma sqrt(2 ln count); that universal threshold where the level is too
// sparse for the estimate (sum (d/sigma)^2 / count - 1 <= log2(count)^1.5 /
// sqrt(count)); 0 for sigma = 0.
TFMEX_API double sure_threshold(const double* d, std::ptrdiff_t count, double sigma);

enum class Shrinkage {
  soft,  // sign(c) max(|c| - lambda, 0)
  hard,  // c where |c| > lambda, else 0
};

// Shrinks count values in place toward zero at lambda >= 0. A NaN stays NaN.
TFMEX_API void shrink(double* v, std::ptrdiff_t count, double lambda,
                      Shrinkage how = Shrinkage::soft);

// ---- Denoising --------------------------------------------------------------

enum class ThresholdRule {
  universal,  // sigma sqrt(2 ln n) for every detail (n values or pixels)
  sure,       // sure_threshold of each level (of each column for invariant)
};

enum class DenoiseMethod {
  plain,      // circ_split, shrink every detail, circ_join (circ_split2 for images)
  invariant,  // signals only: shift_split, shrink every detail column, shift_join
};

struct DenoiseOptions {
  Shrinkage threshold = Shrinkage::soft;
  ThresholdRule rule = ThresholdRule::universal;
  DenoiseMethod method = DenoiseMethod::plain;
  // The coarse level L, 0 <= L < J: 2^L coarse coefficients (2^L x 2^L of
  // an image) are kept as they are. -1: min(4, J - 1).
  int level = -1;
  // The noise level when known (finite, >= 0); else estimated by
  // noise_level from the finest details (the three finest quarters of an
  // image; the unshifted path of the first detail column for invariant).
  std::optional<double> sigma;
};

struct DenoiseReport {
  double sigma = 0.0;          // the noise level used
  std::vector<double> lambda;  // the thresholds: plain, one per detail level,
                               // level L first, the finest last; invariant,
                               // one per detail column, the finest first
};

// Wavelet shrinkage of a signal of n = 2^J >= 2 values x into y (y may be
// x). h is the orthonormal low-pass filter.
TFMEX_API DenoiseReport denoise(const double* x, double* y, std::ptrdiff_t n, Taps h,
                                const DenoiseOptions& options = {});
// The same for an n x n image (plain only).
TFMEX_API DenoiseReport denoise2(const double* x, double* y, std::ptrdiff_t n, Taps h,
                                 const DenoiseOptions& options = {});

// ---- Additive costs and best bases -----------------------------------------

// -sum v ln v over v = c^2 / total > 0 (total > 0: most often the energy of
// the signal, the first column of its table).
TFMEX_API double entropy_cost(const double* c, std::ptrdiff_t count, double total);
// sum |c|^p (p > 0).
TFMEX_API double lp_cost(const double* c, std::ptrdiff_t count, double p);
// The number of coefficients with |c| > s (s >= 0).
TFMEX_API double threshold_cost(const double* c, std::ptrdiff_t count, double s);

// The cost a best basis minimises.
struct Cost {
  enum class Kind { entropy, lp, threshold };
  Kind kind = Kind::entropy;
  double param = 0.0;  // p of lp, s of threshold

  // entropy_cost with total = the energy of the table's first column (1 if 0).
  static Cost entropy() { return {Kind::entropy, 0.0}; }
  static Cost lp(double p = 1.0) { return {Kind::lp, p}; }
  static Cost threshold(double s = 0.0) { return {Kind::threshold, s}; }
};

// Block k of column d of a level table: rows k n/2^d .. (k+1) n/2^d - 1.
// The two blocks 2k and 2k+1 of column d+1 fill the rows of block k of
// column d: in a wavelet packet table (packet_split) its two packets, in a
// cosine packet table (bell_split) its two halves in time.
struct Node {
  int d = 0;
  std::ptrdiff_t k = 0;
};

struct Basis {
  std::vector<Node> nodes;   // in the order of the table's rows
  std::vector<double> coef;  // the n coefficients, block after block
  double cost = 0.0;
};

// The basis of least cost among the bases of an n x (D + 1) table (n = 2^J,
// 0 <= D <= J): a block is kept when it costs no more than the best bases
// of its two children, searched from column D back to column 0.
TFMEX_API Basis best_basis(const double* table, std::ptrdiff_t n, int D,
                           const Cost& cost = Cost::entropy());

// The signal x of n values rebuilt from the n coefficients of a basis (its
// nodes must cover rows 0 .. n-1 once, in order): the coefficients placed
// in an otherwise zero table of the deepest node's depth and packet_join
// with the filter h, or bell_join of a table of depth D (the depth of the
// cosine packet table the basis is of: its bells depend on it).
TFMEX_API void packet_basis_join(const std::vector<Node>& basis, const double* coef, double* x,
                                 std::ptrdiff_t n, Taps h);
TFMEX_API void bell_basis_join(const std::vector<Node>& basis, const double* coef, double* x,
                               std::ptrdiff_t n, int D);

// ---- Time-frequency tilings -------------------------------------------------

// A rectangle of the time-frequency plane: time in samples (0 .. n),
// frequency as a fraction of the Nyquist frequency (0 .. 1).
struct Rect {
  double t0 = 0.0, t1 = 0.0, f0 = 0.0, f1 = 0.0;
};

enum class TableKind {
  wavelet_packet,  // block k of column d: the k-th of 2^d frequency bands, its
                   // coefficient i samples i 2^d .. (i+1) 2^d
  cosine_packet,   // block k of column d: the k-th of 2^d time segments, its
                   // coefficient j the j-th of n / 2^d frequency bands
};

struct Tiling {
  std::vector<Rect> tiles;   // one per coefficient, in the order of Basis::coef
  std::vector<Rect> blocks;  // one per node
};

// The tiles of a basis of a table of n rows (its nodes covering the rows
// once, in order).
TFMEX_API Tiling tiling(const std::vector<Node>& basis, std::ptrdiff_t n, TableKind kind);

}  // namespace tfmex

#endif
