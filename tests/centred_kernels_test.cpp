// The centred periodized kernels against a plain transcription of their
// convolution definitions (every index reduced modulo the block), bit for bit;
// the worked examples; one-stage perfect reconstruction with symmetric
// biorthogonal pairs, one of them derived here from its defining conditions.
#include <cstddef>
#include <cstring>
#include <limits>

#include "kernels/centred/centred.h"
#include "kernels/periodized/periodized.h"
#include "support.h"

namespace tfmex::test {
namespace {

namespace ck = tfmex::centred;
using Vec = std::vector<double>;

int mod(std::ptrdiff_t k, int n) { return static_cast<int>(((k % n) + n) % n); }

Vec ref_downlopbs(const Vec& x, const Vec& h) {
  const int k = static_cast<int>(x.size()), H = static_cast<int>(h.size()) / 2;
  Vec out(k / 2);
  for (int i = 0; i < k / 2; ++i) {
    double s = 0.0;
    for (int j = 0; j < static_cast<int>(h.size()); ++j) s += h[j] * x[mod(2 * i + j - H, k)];
    out[i] = s;
  }
  return out;
}

Vec ref_downhipbs(const Vec& x, const Vec& g) {
  const int k = static_cast<int>(x.size()), B = (static_cast<int>(g.size()) + 1) / 2;
  Vec out(k / 2);
  for (int i = 0; i < k / 2; ++i) {
    double s = 0.0;
    for (int j = 0; j < static_cast<int>(g.size()); ++j) s += g[j] * x[mod(2 * i + B - j, k)];
    out[i] = s;
  }
  return out;
}

// a on the even places of a periodic sequence of 2c values, convolved with f
// centred on tap H. The zero places contribute exact zeros, which change no
// bit of a sum that starts from +0.0, so the taps can all be visited in order.
Vec ref_uplopbs(const Vec& a, const Vec& f) {
  const int c = static_cast<int>(a.size()), H = static_cast<int>(f.size()) / 2;
  Vec u(2 * c, 0.0), out(2 * c);
  for (int p = 0; p < c; ++p) u[2 * p] = a[p];
  for (int t = 0; t < 2 * c; ++t) {
    double s = 0.0;
    for (int q = 0; q < static_cast<int>(f.size()); ++q) s += f[q] * u[mod(t + H - q, 2 * c)];
    out[t] = s;
  }
  return out;
}

// b on the odd places of a periodic sequence of 2c values, correlated with f
// centred on tap H.
Vec ref_uphipbs(const Vec& b, const Vec& f) {
  const int c = static_cast<int>(b.size()), H = static_cast<int>(f.size()) / 2;
  Vec v(2 * c, 0.0), out(2 * c);
  for (int p = 0; p < c; ++p) v[2 * p + 1] = b[p];
  for (int t = 0; t < 2 * c; ++t) {
    double s = 0.0;
    for (int q = 0; q < static_cast<int>(f.size()); ++q) s += f[q] * v[mod(t + q - H, 2 * c)];
    out[t] = s;
  }
  return out;
}

// An array with NaN on both sides: a read outside it poisons the result, a
// write outside it is seen by intact().
struct Fenced {
  explicit Fenced(std::size_t n) : buf(n + 8, std::numeric_limits<double>::quiet_NaN()) {}
  explicit Fenced(const Vec& v) : Fenced(v.size()) { std::copy(v.begin(), v.end(), data()); }
  double* data() { return buf.data() + 4; }
  Vec values() const { return {buf.begin() + 4, buf.end() - 4}; }
  bool intact() const {
    for (int i = 0; i < 4; ++i)
      if (!std::isnan(buf[i]) || !std::isnan(buf[buf.size() - 1 - i])) return false;
    return true;
  }
  Vec buf;
};

bool bit_equal(const Vec& a, const Vec& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * 8) == 0);
}

bool all_finite(const Vec& v) {
  for (double d : v)
    if (!std::isfinite(d)) return false;
  return true;
}

Vec mirror(const Vec& f) {
  Vec g(f.size());
  ck::mirrorsymmfilt(f.data(), g.data(), static_cast<int>(f.size()));
  return g;
}

TEST(CentredKernels, DownKernelsMatchDefinitionsForEveryFilterLength) {
  unsigned seed = 1;
  for (int k : {2, 4, 6, 8, 10, 16, 32}) {
    for (int m = 0; m <= 3 * k + 7; ++m) {
      SCOPED_TRACE("k=" + std::to_string(k) + " m=" + std::to_string(m));
      const Vec xv = random_vector(k, ++seed), fv = random_vector(m, ++seed);
      Fenced x(xv), f(fv), lo(k / 2), hi(k / 2);
      ck::downlopbs(x.data(), k, f.data(), m, lo.data());
      ck::downhipbs(x.data(), k, f.data(), m, hi.data());
      EXPECT_TRUE(bit_equal(lo.values(), ref_downlopbs(xv, fv)));
      EXPECT_TRUE(bit_equal(hi.values(), ref_downhipbs(xv, fv)));
      EXPECT_TRUE(lo.intact() && hi.intact());
    }
  }
  // Blocks of one value or none give no output.
  Fenced x(Vec{1}), f(Vec{1, 2, 3}), none(0);
  for (int k : {0, 1}) {
    ck::downlopbs(x.data(), k, f.data(), 3, none.data());
    ck::downhipbs(x.data(), k, f.data(), 3, none.data());
  }
  EXPECT_TRUE(none.intact());
}

TEST(CentredKernels, UpKernelsMatchDefinitionsForOddFilters) {
  unsigned seed = 500;
  for (int c : {1, 2, 3, 4, 5, 7, 8, 16}) {
    for (int m = 1; m <= 4 * c + 11; m += 2) {
      SCOPED_TRACE("c=" + std::to_string(c) + " m=" + std::to_string(m));
      const Vec av = random_vector(c, ++seed), fv = random_vector(m, ++seed);
      Fenced a(av), f(fv), lo(2 * c), hi(2 * c);
      ck::uplopbs(a.data(), c, f.data(), m, lo.data());
      ck::uphipbs(a.data(), c, f.data(), m, hi.data());
      EXPECT_TRUE(bit_equal(lo.values(), ref_uplopbs(av, fv)));
      EXPECT_TRUE(bit_equal(hi.values(), ref_uphipbs(av, fv)));
      EXPECT_TRUE(lo.intact() && hi.intact());
    }
  }
}

TEST(CentredKernels, UpKernelsStayInsideEvenLengthFilters) {
  // Even lengths have no centre tap; the kernels must still read f[0 .. m-1]
  // only (a NaN from the fence would show) and write 2c values only.
  for (int c : {1, 2, 3, 8}) {
    for (int m = 0; m <= 4 * c + 6; m += 2) {
      SCOPED_TRACE("c=" + std::to_string(c) + " m=" + std::to_string(m));
      Fenced a(random_vector(c, c + m)), f(random_vector(m, 7 * c + m)), lo(2 * c), hi(2 * c);
      ck::uplopbs(a.data(), c, f.data(), m, lo.data());
      ck::uphipbs(a.data(), c, f.data(), m, hi.data());
      EXPECT_TRUE(all_finite(lo.values()) && all_finite(hi.values()));
      EXPECT_TRUE(lo.intact() && hi.intact());
      if (m == 0) {
        EXPECT_EQ(lo.values(), Vec(2 * c, 0.0));
      }
    }
  }
}

TEST(CentredKernels, WorkedExamples) {
  // Taps and values are small integers, so every sum below is exact.
  const Vec x{1, 2, 3, 4, 5, 6, 7, 8}, f3{1, 10, 100};
  Vec lo(4), hi(4);
  ck::downlopbs(x.data(), 8, f3.data(), 3, lo.data());
  ck::downhipbs(x.data(), 8, f3.data(), 3, hi.data());
  EXPECT_EQ(lo[0], 1 * 8 + 10 * 1 + 100 * 2);  // h0 x7 + h1 x0 + h2 x1
  EXPECT_EQ(hi[0], 1 * 3 + 10 * 2 + 100 * 1);  // g0 x2 + g1 x1 + g2 x0
  EXPECT_EQ(hi[3], 1 * 1 + 10 * 8 + 100 * 7);  // g0 x0 + g1 x7 + g2 x6

  const Vec a{1, 2, 3, 4};
  Vec up(8);
  ck::uplopbs(a.data(), 4, f3.data(), 3, up.data());
  EXPECT_EQ(up[0], 10 * 1);           // f1 a0
  EXPECT_EQ(up[1], 1 * 2 + 100 * 1);  // f0 a1 + f2 a0
  EXPECT_EQ(up[7], 1 * 1 + 100 * 4);  // f0 a0 + f2 a3

  const Vec f5{1, 10, 100, 1000, 10000};
  ck::uphipbs(a.data(), 4, f5.data(), 5, up.data());
  EXPECT_EQ(up[0], 10 * 4 + 1000 * 1);            // f1 b3 + f3 b0
  EXPECT_EQ(up[1], 1 * 4 + 100 * 1 + 10000 * 2);  // f0 b3 + f2 b0 + f4 b1

  // A filter far longer than the block (2c - H < 0): every tap read once,
  // at the one value there is.
  const Vec f7{1, 2, 4, 8, 16, 32, 64}, b{3};
  Fenced f(f7), out(2);
  ck::uphipbs(b.data(), 1, f.data(), 7, out.data());
  EXPECT_EQ(out.values(), (Vec{(1 + 4 + 16 + 64) * 3.0, (2 + 8 + 32) * 3.0}));
  EXPECT_TRUE(out.intact());
  ck::uplopbs(b.data(), 1, f.data(), 7, out.data());
  EXPECT_EQ(out.values(), (Vec{(2 + 8 + 32) * 3.0, (1 + 4 + 16 + 64) * 3.0}));
}

TEST(CentredKernels, MirrorKeepsTheCentreTapSign) {
  EXPECT_EQ(mirror({1, 2, 3}), (Vec{-1, 2, -3}));
  EXPECT_EQ(mirror({1, 2, 3, 4, 5}), (Vec{1, -2, 3, -4, 5}));
  EXPECT_EQ(mirror({1, 2, 3, 4, 5, 6, 7}), (Vec{-1, 2, -3, 4, -5, 6, -7}));
  EXPECT_EQ(mirror({4}), (Vec{4}));
  // Even lengths: the sign pattern follows (m - 1)/2 rounded down.
  EXPECT_EQ(mirror({1, 2}), (Vec{1, -2}));
  EXPECT_EQ(mirror({1, 2, 3, 4}), (Vec{-1, 2, -3, 4}));
  const Vec sym{1, -2, 7, -2, 1, 9, 1, -2, 7, -2, 1};  // symmetric, 11 taps
  const Vec g = mirror(sym);
  EXPECT_EQ(g, Vec(g.rbegin(), g.rend()));
  EXPECT_EQ(g[5], 9);
  Fenced out(0);
  ck::mirrorsymmfilt(nullptr, out.data(), 0);
  EXPECT_TRUE(out.intact());
}

// ---- symmetric biorthogonal pairs ----

Vec scaled(std::initializer_list<double> taps, double divisor) {
  Vec v;
  for (double t : taps) v.push_back(M_SQRT2 * t / divisor);
  return v;
}

// Centred correlation sum_n hc(n) dc(n + 2k), hc(n) = h[n + H].
double centred_correlation(const Vec& h, const Vec& d, int k) {
  const int hh = static_cast<int>(h.size()) / 2, hd = static_cast<int>(d.size()) / 2;
  double s = 0.0;
  for (int n = -hh; n <= hh; ++n) {
    const int q = n + 2 * k;
    if (q >= -hd && q <= hd) s += h[n + hh] * d[q + hd];
  }
  return s;
}

// The symmetric filter of `length` taps (odd) dual to d: biorthogonal to it
// (centred correlation 1 at shift 0, 0 at every other even shift), with the
// remaining freedom spent on zeros at the frequency pi
// (sum_n (-1)^n n^(2p) hc(n) = 0 for p = 0, 1, ...). Solved by elimination.
Vec derive_dual(const Vec& d, int length) {
  const int hh = length / 2, hd = static_cast<int>(d.size()) / 2, unknowns = hh + 1;
  std::vector<Vec> rows;
  // Unknown u (0 .. hh) is hc(u) = hc(-u); its column holds the coefficients.
  for (int k = 0; 2 * k <= hh + hd; ++k) {
    Vec r(unknowns + 1, 0.0);
    for (int n = -hh; n <= hh; ++n) {
      const int q = n + 2 * k;
      if (q >= -hd && q <= hd) r[std::abs(n)] += d[q + hd];
    }
    r[unknowns] = k == 0 ? 1.0 : 0.0;
    rows.push_back(r);
  }
  for (int p = 0; static_cast<int>(rows.size()) < unknowns; ++p) {
    Vec r(unknowns + 1, 0.0);
    for (int n = -hh; n <= hh; ++n) r[std::abs(n)] += ((n % 2) ? -1.0 : 1.0) * std::pow(n, 2 * p);
    rows.push_back(r);
  }
  EXPECT_EQ(static_cast<int>(rows.size()), unknowns);
  for (int col = 0; col < unknowns; ++col) {
    int piv = col;
    for (int r = col + 1; r < unknowns; ++r)
      if (std::fabs(rows[r][col]) > std::fabs(rows[piv][col])) piv = r;
    std::swap(rows[col], rows[piv]);
    for (int r = 0; r < unknowns; ++r) {
      if (r == col) continue;
      const double factor = rows[r][col] / rows[col][col];
      for (int c = col; c <= unknowns; ++c) rows[r][c] -= factor * rows[col][c];
    }
  }
  Vec h(length);
  for (int u = 0; u <= hh; ++u) h[hh + u] = h[hh - u] = rows[u][unknowns] / rows[u][u];
  return h;
}

// One stage down and up with analysis pair (h, mirror of d) and synthesis pair
// (d, mirror of h), on a block of k values.
Vec one_stage(const Vec& x, const Vec& h, const Vec& d) {
  const int k = static_cast<int>(x.size()), mh = static_cast<int>(h.size()),
            md = static_cast<int>(d.size());
  const Vec g = mirror(d), gt = mirror(h);
  Vec lo(k / 2), hi(k / 2), ylo(k), yhi(k), y(k);
  ck::downlopbs(x.data(), k, h.data(), mh, lo.data());
  ck::downhipbs(x.data(), k, g.data(), md, hi.data());
  ck::uplopbs(lo.data(), k / 2, d.data(), md, ylo.data());
  ck::uphipbs(hi.data(), k / 2, gt.data(), mh, yhi.data());
  tfmex::periodized::adddouble(ylo.data(), yhi.data(), k, y.data());
  return y;
}

struct Pair {
  const char* name;
  Vec h, d;
};

std::vector<Pair> biorthogonal_pairs() {
  const Vec d3 = scaled({1, 2, 1}, 4), d5 = scaled({1, 4, 6, 4, 1}, 16);
  return {{"5/3", scaled({-1, 2, 6, 2, -1}, 8), d3},
          {"7/5", derive_dual(d5, 7), d5},
          {"9/3", derive_dual(d3, 9), d3}};
}

TEST(CentredKernels, DerivedPairsAreBiorthogonal) {
  const auto pairs = biorthogonal_pairs();
  // The derivation reproduces the given 5/3 pair and the closed forms of the
  // longer ones.
  const Vec d3 = scaled({1, 2, 1}, 4);
  EXPECT_LT(max_abs_diff(derive_dual(d3, 5), pairs[0].h), 1e-15);
  EXPECT_LT(max_abs_diff(pairs[1].h, scaled({3, -12, 5, 40, 5, -12, 3}, 32)), 1e-15);
  EXPECT_LT(max_abs_diff(pairs[2].h, scaled({3, -6, -16, 38, 90, 38, -16, -6, 3}, 128)), 1e-15);
  for (const Pair& p : pairs) {
    SCOPED_TRACE(p.name);
    for (int k = -6; k <= 6; ++k)
      EXPECT_NEAR(centred_correlation(p.h, p.d, k), k == 0 ? 1.0 : 0.0, 1e-15) << "k=" << k;
  }
}

TEST(CentredKernels, OneStageReconstructsEveryEvenBlockInBothRoles) {
  for (const Pair& p : biorthogonal_pairs()) {
    for (int k = 2; k <= 40; k += 2) {
      const Vec x = random_vector(k, 31 * k);
      EXPECT_LT(max_abs_diff(one_stage(x, p.h, p.d), x), 1e-14) << p.name << " k=" << k;
      EXPECT_LT(max_abs_diff(one_stage(x, p.d, p.h), x), 1e-14) << p.name << " exchanged, k=" << k;
    }
  }
}

}  // namespace
}  // namespace tfmex::test
