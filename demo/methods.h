// What the demo does with the library: wavelet shrinkage denoising (plain and
// translation-invariant), the best bases of packet and cosine packet tables
// and the signals rebuilt from them, all by libtfmex (tfmex/analysis.hpp);
// this file only holds the vectors and counts what the tables show.
#ifndef TFMEX_DEMO_METHODS_H
#define TFMEX_DEMO_METHODS_H

#include <vector>

#include "tfmex/tfmex.hpp"

namespace demo {

using tfmex::Node;

// Soft threshold of every detail at sigma * sqrt(2 ln n), sigma from the
// finest details, coarse level L: tfmex::denoise, plain (circ_split /
// circ_join) or translation-invariant (shift_split / shift_join, averaging
// over all shift paths).
std::vector<double> denoised(const std::vector<double>& y, const std::vector<double>& h, int L,
                             bool invariant);

// The n x (D + 1) tables: wavelet packets with the filter h, cosine packets.
std::vector<double> packet_table(const std::vector<double>& x, int D, const std::vector<double>& h);
std::vector<double> cosine_table(const std::vector<double>& x, int D);
// The translation-invariant table to coarse level L: n x (J - L + 1).
std::vector<double> shift_table(const std::vector<double>& x, int L, const std::vector<double>& h);
// The wavelet transform to level L.
std::vector<double> wavelet(const std::vector<double>& x, int L, const std::vector<double>& h);

// The signal rebuilt from a basis alone: of a packet table made with h, or
// of a cosine packet table of depth D (h empty).
std::vector<double> rebuilt(const tfmex::Basis& b, const std::vector<double>& h, int D);

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
