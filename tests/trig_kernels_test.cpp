// The trigonometric kernels against their defining sums, evaluated directly
// in long double; their inverses, energy, small closed forms and the tables
// they read.
#include <cfloat>
#include <cstddef>

#include "kernels/trig/exact_sincos.h"
#include "kernels/trig/trig.h"
#include "support.h"

namespace tfmex::test {
namespace {

namespace tk = tfmex::trig;
using LD = long double;
const LD kPiL = 3.141592653589793238462643383279502884L;

LD cas(LD t) { return cosl(t) + sinl(t); }

// s[k] = sum_m x[m] f(2 pi t / P), t = (a k + b)(c m + d) mod P, with f
// tabulated over one period.
std::vector<LD> direct(const std::vector<LD>& x, std::ptrdiff_t P, LD (*f)(LD), std::ptrdiff_t a,
                       std::ptrdiff_t b, std::ptrdiff_t c, std::ptrdiff_t d) {
  std::vector<LD> table(P), out(x.size());
  for (std::ptrdiff_t t = 0; t < P; ++t) table[t] = f(2 * kPiL * t / P);
  for (std::size_t k = 0; k < x.size(); ++k) {
    const std::ptrdiff_t u = (a * static_cast<std::ptrdiff_t>(k) + b) % P, step = u * c % P;
    LD s = 0.0L;
    std::ptrdiff_t t = u * d % P;
    for (std::size_t m = 0; m < x.size(); ++m) {
      s += x[m] * table[t];
      t += step;
      if (t >= P) t -= P;
    }
    out[k] = s;
  }
  return out;
}

enum class Kind { Hartley, Dct, Idct, Dst, Idst, Dct4 };

// The defining sums of every transform, with their weights 1/sqrt 2.
std::vector<LD> reference(Kind kind, const std::vector<double>& v) {
  const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(v.size());
  std::vector<LD> x(v.begin(), v.end()), y;
  const LD r2 = sqrtl(2.0L);
  if (kind == Kind::Idct) x[0] /= r2;
  if (kind == Kind::Idst) x[n - 1] /= r2;
  switch (kind) {
    case Kind::Hartley: y = direct(x, n, cas, 1, 0, 1, 0); break;
    case Kind::Dct: y = direct(x, 4 * n, cosl, 1, 0, 2, 1); break;
    case Kind::Dst: y = direct(x, 4 * n, sinl, 1, 1, 2, 1); break;
    case Kind::Idct: y = direct(x, 4 * n, cosl, 2, 1, 1, 0); break;
    case Kind::Idst: y = direct(x, 4 * n, sinl, 2, 1, 1, 1); break;
    case Kind::Dct4: y = direct(x, 8 * n, cosl, 2, 1, 2, 1); break;
  }
  if (kind == Kind::Dct) y[0] /= r2;
  if (kind == Kind::Dst) y[n - 1] /= r2;
  for (LD& e : y) e *= kind == Kind::Hartley ? 1 / sqrtl(n) : sqrtl(2.0L / n);
  return y;
}

// F_k = sum_j f_j exp(isign 2 pi i j k / nn) on interleaved data.
std::vector<LD> ref_dft(const std::vector<double>& data, int isign) {
  const std::ptrdiff_t nn = static_cast<std::ptrdiff_t>(data.size() / 2);
  std::vector<LD> c(nn), s(nn), out(2 * nn);
  for (std::ptrdiff_t t = 0; t < nn; ++t)
    c[t] = cosl(2 * kPiL * t / nn), s[t] = isign * sinl(2 * kPiL * t / nn);
  for (std::ptrdiff_t k = 0; k < nn; ++k) {
    LD re = 0, im = 0;
    for (std::ptrdiff_t j = 0, t = 0; j < nn; ++j, t = t + k >= nn ? t + k - nn : t + k) {
      re += data[2 * j] * c[t] - data[2 * j + 1] * s[t];
      im += data[2 * j] * s[t] + data[2 * j + 1] * c[t];
    }
    out[2 * k] = re, out[2 * k + 1] = im;
  }
  return out;
}

LD norm(const std::vector<double>& x) { return sqrtl(static_cast<LD>(energy(x.data(), x.size()))); }

// Largest error in units of eps * max(1, log2 n) * |x|.
double error_units(const std::vector<double>& got, const std::vector<LD>& want, LD scale, int J) {
  LD e = 0;
  for (std::size_t i = 0; i < got.size(); ++i) e = std::max(e, fabsl(got[i] - want[i]));
  return static_cast<double>(e / (DBL_EPSILON * std::max(1, J) * scale));
}

// The kernels of the type-II/III family on freshly built tables.
std::vector<double> run_kernel(void (*k)(double*, double*, int, const double*),
                               std::vector<double> x, int J) {
  const int n = static_cast<int>(x.size());
  std::vector<double> y(x.size()), tables(tk::cosine_table_size(n) + 1);
  tk::cosine_tables(tables.data(), n);
  k(x.data(), y.data(), J, tables.data());
  return x;
}

std::vector<double> run_hartley(std::vector<double> x, int J) {
  std::vector<double> table(tk::hartley_table_size(static_cast<int>(x.size())) + 1);
  tk::hartley_table(table.data(), static_cast<int>(x.size()));
  tk::hartley(x.data(), J, table.data());
  return x;
}

std::vector<double> run_trigc4(const std::vector<double>& x) {
  std::vector<double> out(x.size()), work(8 * x.size());
  tk::trigc4(x.data(), out.data(), work.data(), static_cast<int>(x.size()));
  return out;
}

int log2i(int n) {
  int J = 0;
  while ((1 << J) < n) ++J;
  return J;
}

constexpr double kTolUnits = 6.0;  // allowed error, in eps * log2 n * |x|
constexpr int kMaxJ = 12;

TEST(TrigKernels, MatchDefinitionsUpTo4096) {
  for (int J = 0; J <= kMaxJ; ++J) {
    const std::size_t n = std::size_t{1} << J;
    SCOPED_TRACE("n=" + std::to_string(n));
    const auto x = random_vector(n, 600 + J);
    const LD s = norm(x);
    EXPECT_LE(error_units(run_hartley(x, J), reference(Kind::Hartley, x), s, J), kTolUnits);
    EXPECT_LE(error_units(run_kernel(tk::dct, x, J), reference(Kind::Dct, x), s, J), kTolUnits);
    EXPECT_LE(error_units(run_kernel(tk::dst, x, J), reference(Kind::Dst, x), s, J), kTolUnits);
    EXPECT_LE(error_units(run_kernel(tk::idct, x, J), reference(Kind::Idct, x), s, J), kTolUnits);
    EXPECT_LE(error_units(run_kernel(tk::idst, x, J), reference(Kind::Idst, x), s, J), kTolUnits);
    EXPECT_LE(error_units(run_trigc4(x), reference(Kind::Dct4, x), s, J), kTolUnits);
  }
}

TEST(TrigKernels, Four1AndRealftMatchDefinitions) {
  for (int J = 0; J <= kMaxJ; ++J) {
    const int nn = 1 << J;
    SCOPED_TRACE("nn=" + std::to_string(nn));
    const auto f = random_vector(2 * nn, 700 + J);
    const LD s = norm(f);
    for (int isign : {1, -1}) {
      auto d = f;
      tk::four1(d.data(), nn, isign);
      EXPECT_LE(error_units(d, ref_dft(f, isign), s * sqrtl(nn), J), kTolUnits) << isign;
    }
    if (2 * nn >= 4) {
      // Real input of N = 2nn values: the half spectrum, F_{N/2} packed at 1.
      const int N = 2 * nn;
      std::vector<double> cplx(2 * N, 0.0);
      for (int m = 0; m < N; ++m) cplx[2 * m] = f[m];
      const auto F = ref_dft(cplx, 1);
      std::vector<LD> want(N);
      want[0] = F[0], want[1] = F[N];
      for (int k = 1; k < N / 2; ++k) want[2 * k] = F[2 * k], want[2 * k + 1] = F[2 * k + 1];
      auto d = f;
      tk::realft(d.data(), N, 1);
      EXPECT_LE(error_units(d, want, s * sqrtl(N), J + 1), kTolUnits) << "realft";
    }
  }
}

TEST(TrigKernels, InversesAndEnergy) {
  for (int J = 0; J <= 14; J += 1) {
    const std::size_t n = std::size_t{1} << J;
    SCOPED_TRACE("n=" + std::to_string(n));
    const auto x = random_vector(n, 800 + J);
    const double e = energy(x.data(), n);
    const double tol = 8 * DBL_EPSILON * std::max(1, J) * std::sqrt(e);
    const auto h = run_hartley(x, J);
    const auto c2 = run_kernel(tk::dct, x, J), s2 = run_kernel(tk::dst, x, J);
    const auto c4 = run_trigc4(x);
    EXPECT_LT(max_abs_diff(run_hartley(h, J), x), tol) << "hartley twice";
    EXPECT_LT(max_abs_diff(run_kernel(tk::idct, c2, J), x), tol) << "idct(dct)";
    EXPECT_LT(max_abs_diff(run_kernel(tk::idst, s2, J), x), tol) << "idst(dst)";
    EXPECT_LT(max_abs_diff(run_kernel(tk::dct, run_kernel(tk::idct, x, J), J), x), tol)
        << "dct(idct)";
    EXPECT_LT(max_abs_diff(run_trigc4(c4), x), tol) << "trigc4 twice";
    for (const auto* v : {&h, &c2, &s2, &c4})
      EXPECT_NEAR(energy(v->data(), n), e, 32 * J * DBL_EPSILON * e);
  }
}

TEST(TrigKernels, ClosedFormsOfShortLengths) {
  const double r = 0.707106781186547;
  const double a = 0.3, b = -1.7, c = 2.25, d = 0.125;
  // n = 1: every transform is the identity.
  for (auto k : {tk::dct, tk::idct, tk::dst, tk::idst}) EXPECT_EQ(run_kernel(k, {a}, 0)[0], a);
  EXPECT_EQ(run_hartley({a}, 0)[0], a);
  EXPECT_NEAR(run_trigc4({a})[0], a, 1e-16);
  // n = 2: the weighted sum and difference, for Hartley, DCT-II and DST-II alike.
  const std::vector<double> two{(a + b) * r, (a - b) * r};
  EXPECT_EQ(run_hartley({a, b}, 1), two);
  EXPECT_EQ(run_kernel(tk::dct, {a, b}, 1), two);
  EXPECT_EQ(run_kernel(tk::dst, {a, b}, 1), two);
  const double c8 = std::cos(M_PI / 8), c38 = std::cos(3 * M_PI / 8);
  const auto t4 = run_trigc4({a, b});
  EXPECT_NEAR(t4[0], a * c8 + b * c38, 3e-15);
  EXPECT_NEAR(t4[1], a * c38 - b * c8, 3e-15);
  // n = 4: the quarter-weighted butterflies.
  const double B = (a + c) * 0.5, F = (a - c) * 0.5, W = (b + d) * 0.5, G = (b - d) * 0.5;
  EXPECT_EQ(run_hartley({a, b, c, d}, 2), (std::vector<double>{B + W, F + G, B - W, F - G}));
  // Constant and impulse for Hartley; constant for DCT-II; alternation for DST-II.
  for (int J = 3; J <= 10; ++J) {
    const std::size_t n = std::size_t{1} << J;
    const double rn = std::sqrt(static_cast<double>(n));
    std::vector<double> ones(n, 1.5), impulse(n, 0.0), alt(n);
    impulse[0] = 1.0;
    for (std::size_t i = 0; i < n; ++i) alt[i] = i % 2 ? -1.0 : 1.0;
    std::vector<double> want(n, 0.0), tail(n, 0.0);
    want[0] = 1.5 * rn;
    tail[n - 1] = rn;
    const double tol = 1e-15 * J * rn;
    EXPECT_LT(max_abs_diff(run_hartley(ones, J), want), tol) << n;
    EXPECT_LT(max_abs_diff(run_kernel(tk::dct, ones, J), want), tol) << n;
    EXPECT_LT(max_abs_diff(run_kernel(tk::dst, alt, J), tail), tol) << n;
    EXPECT_LT(max_abs_diff(run_hartley(impulse, J), std::vector<double>(n, 1 / rn)), 1e-15 * J)
        << n;
  }
}

TEST(TrigKernels, HartleyTableHoldsTheFourColumns) {
  // Nothing below n = 8; from there n/2 - 3 values.
  for (int n : {1, 2, 4}) {
    std::vector<double> table(4, -777.0);
    tk::hartley_table(table.data(), n);
    EXPECT_EQ(table, std::vector<double>(4, -777.0)) << n;
    EXPECT_EQ(tk::hartley_table_size(n), 0u) << n;
  }
  EXPECT_EQ(tk::hartley_table_size(8), 1u);
  const int n = 64, w = n / 8 - 1;
  std::vector<double> table(n, -777.0);
  tk::hartley_table(table.data(), n);
  EXPECT_EQ(table[0], 0.0);
  // The correctly rounded values at the accumulated angle.
  const double theta = 3.141592653589793 * 2.0 / n;
  double ang = theta;
  for (int k = 1; k <= w; ++k, ang = ang + theta) {
    EXPECT_EQ(table[k], tk::cos_rn(ang));
    EXPECT_EQ(table[w + k], tk::sin_rn(ang));
    EXPECT_EQ(table[2 * w + k], tk::cos_rn(3.0 * ang));
    EXPECT_EQ(table[3 * w + k], tk::sin_rn(3.0 * ang));
  }
  EXPECT_EQ(tk::hartley_table_size(n), static_cast<std::size_t>(4 * w + 1));
  EXPECT_EQ(table[4 * w + 1], -777.0);  // the table ends at n/2 - 4
  // The transform reads the table: an entry changed shows in the result.
  const auto x = random_vector(n, 2);
  auto y = x, z = x;
  tk::hartley(y.data(), 6, table.data());
  table[3] = 0.5;
  tk::hartley(z.data(), 6, table.data());
  EXPECT_NE(z, y);
}

TEST(TrigKernels, CosineTablesHoldTheHartleyTableThenTheRotation) {
  const double step_of = 3.141592653589793 / 2.0;
  for (int n : {2, 4, 8, 32}) {
    SCOPED_TRACE(n);
    ASSERT_EQ(tk::cosine_table_size(n), static_cast<std::size_t>(3 * n / 2));
    std::vector<double> tables(3 * n / 2 + 1, -777.0), hartley(n, 0.0);
    tk::cosine_tables(tables.data(), n);
    tk::hartley_table(hartley.data(), n);
    for (int i = 0; i < n / 2; ++i) EXPECT_EQ(tables[i], hartley[i]) << i;
    const double step = step_of / n;
    double phi = 0.0;
    for (int j = 0; j < n / 2; ++j, phi = phi + step) {
      EXPECT_EQ(tables[n / 2 + j], (tk::cos_rn(phi) - tk::sin_rn(phi)) * 0.707106781186547);
      EXPECT_EQ(tables[n + j], (tk::cos_rn(phi) + tk::sin_rn(phi)) * 0.707106781186547);
    }
    EXPECT_EQ(tables[3 * n / 2], -777.0);
    // One table serves every call: the kernels only read it.
    const auto kept = tables;
    const auto x = random_vector(n, 3);
    std::vector<double> a = x, b = x, y(n);
    tk::dct(a.data(), y.data(), log2i(n), tables.data());
    tk::idst(b.data(), y.data(), log2i(n), tables.data());
    tk::dct(b.data(), y.data(), log2i(n), tables.data());
    EXPECT_EQ(tables, kept);
    EXPECT_EQ(run_kernel(tk::dct, x, log2i(n)), a);
  }
  EXPECT_EQ(tk::cosine_table_size(1), 0u);
}

TEST(TrigKernels, Four1EdgeCases) {
  // nn = 0 reads and writes nothing.
  tk::four1(nullptr, 0, 1);
  std::vector<double> d{5.0, 6.0};
  tk::four1(d.data(), 0, -1);
  EXPECT_EQ(d, (std::vector<double>{5.0, 6.0}));
  // A unit impulse spreads to (1, 0) everywhere, exactly.
  for (int nn : {1, 2, 8, 64}) {
    std::vector<double> f(2 * nn, 0.0), want(2 * nn, 0.0);
    f[0] = 1.0;
    for (int k = 0; k < nn; ++k) want[2 * k] = 1.0;
    tk::four1(f.data(), nn, 1);
    EXPECT_EQ(f, want) << nn;
  }
  // trigc4 may write its result over its input.
  auto x = random_vector(16, 4);
  const auto want = run_trigc4(x);
  std::vector<double> work(128);
  tk::trigc4(x.data(), x.data(), work.data(), 16);
  EXPECT_EQ(x, want);
}

}  // namespace
}  // namespace tfmex::test
