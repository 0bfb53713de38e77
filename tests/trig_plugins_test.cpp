// The five trigonometric plug-ins through the embedded host: the same values
// as their kernels, shapes, refused lengths, and every message in its order.
#include <cfloat>

#include "kernels/trig/trig.h"
#include "support.h"

namespace tfmex::test {
namespace {

namespace tk = tfmex::trig;

struct TrigPlugin {
  const char* name;
  const char* prefix;  // the name its count and length messages use
  std::vector<double> (*reference)(const std::vector<double>&);
};

template <void (*K)(double*, double*, int, const double*)>
std::vector<double> type23(const std::vector<double>& v) {
  const int n = static_cast<int>(v.size());
  std::vector<double> x = v, y(v.size()), tables(tk::cosine_table_size(n) + 1);
  tk::cosine_tables(tables.data(), n);
  int J = 0;
  while ((std::size_t{1} << J) < v.size()) ++J;
  K(x.data(), y.data(), J, tables.data());
  return x;
}

std::vector<double> type4(const std::vector<double>& v) {
  std::vector<double> out(v.size()), work(8 * v.size());
  tk::trigc4(v.data(), out.data(), work.data(), static_cast<int>(v.size()));
  return out;
}

const TrigPlugin kPlugins[] = {
    {"TrigC2", "TrigC2", type23<tk::dct>}, {"TrigC3", "TrigC3", type23<tk::idct>},
    {"TrigS2", "TrigS2", type23<tk::dst>}, {"TrigS3", "TrigS3", type23<tk::idst>},
    {"TrigC4", "TRIGC4", type4},
};

std::string inputs_msg(const TrigPlugin& p) {
  return std::string(p.prefix) + (std::string(p.name) == "TrigC4"
                                      ? " requires one input arguments."
                                      : " requires one input argument.");
}
std::string outputs_msg(const TrigPlugin& p) {
  return std::string(p.prefix) + " requires one output argument.";
}
std::string length_msg(const TrigPlugin& p) {
  return std::string(p.prefix) + " requires dyadic length";
}
std::string type_msg(const TrigPlugin& p) {
  return std::string(p.name) + " requires real double arguments";
}
std::string size_msg(const TrigPlugin& p) {
  return std::string(p.name) + " requires arrays of fewer than 2^31 elements";
}

TEST(TrigPlugins, SameValuesAsKernelsInEveryShape) {
  for (const TrigPlugin& p : kPlugins) {
    SCOPED_TRACE(p.name);
    for (int n : {1, 2, 4, 8, 64, 1024}) {
      const auto x = random_vector(n, 900 + n);
      const auto want = p.reference(x);
      Array col = run(p.name, {Array::column(x)});
      EXPECT_EQ(col.rows(), static_cast<std::size_t>(n));
      EXPECT_EQ(col.cols(), 1u);
      EXPECT_EQ(col.values(), want) << n;
      Array row = run(p.name, {Array::row(x)});
      EXPECT_EQ(row.rows(), 1u);
      EXPECT_EQ(row.cols(), static_cast<std::size_t>(n));
      EXPECT_EQ(row.values(), want) << n;
    }
    // A matrix is taken as its first column; every other value of the result is 0.
    const auto m = random_vector(8 * 3, 950);
    Array out = run(p.name, {Array::matrix(8, 3, m)});
    ASSERT_EQ(out.rows(), 8u);
    ASSERT_EQ(out.cols(), 3u);
    const auto got = out.values();
    EXPECT_EQ(std::vector<double>(got.begin(), got.begin() + 8),
              p.reference(std::vector<double>(m.begin(), m.begin() + 8)));
    EXPECT_EQ(std::vector<double>(got.begin() + 8, got.end()), std::vector<double>(16, 0.0));
    // A 1 x 1 argument comes back as it stands (to rounding).
    EXPECT_NEAR(run(p.name, {Array::scalar(-2.5)})[0], -2.5, 4 * DBL_EPSILON);
  }
}

TEST(TrigPlugins, InversePairsAndLengthTwo) {
  const auto x = random_vector(256, 960);
  const auto back_c = run("TrigC3", {run("TrigC2", {Array::row(x)})}).values();
  const auto back_s = run("TrigS3", {run("TrigS2", {Array::row(x)})}).values();
  const auto back_4 = run("TrigC4", {run("TrigC4", {Array::row(x)})}).values();
  EXPECT_LT(max_abs_diff(back_c, x), 1e-14);
  EXPECT_LT(max_abs_diff(back_s, x), 1e-14);
  EXPECT_LT(max_abs_diff(back_4, x), 1e-14);
  const double a = 0.75, b = -3.5, r = 0.707106781186547;
  const std::vector<double> two{(a + b) * r, (a - b) * r};
  EXPECT_EQ(run("TrigC2", {Array::row({a, b})}).values(), two);
  EXPECT_EQ(run("TrigS2", {Array::row({a, b})}).values(), two);
}

TEST(TrigPlugins, RefuseLengthsThatAreNotPowersOfTwo) {
  for (const TrigPlugin& p : kPlugins) {
    SCOPED_TRACE(p.name);
    for (const Array& a :
         {Array::empty(), Array::matrix(1, 0), Array::matrix(0, 4), Array::row(random_vector(3, 1)),
          Array::column(random_vector(6, 2)), Array::matrix(12, 2), Array::matrix(1, 12),
          Array::matrix(4, 0)})  // no first column to take
      EXPECT_EQ(message(p.name, {a}), length_msg(p)) << a.rows() << "x" << a.cols();
  }
}

TEST(TrigPlugins, MessagesComeInOrder) {
  const Array x = Array::row({1, 2, 3, 4});
  const Array single = Array::of_class(ClassId::Single, 1, 4);
  const Array odd_single = Array::of_class(ClassId::Single, 1, 3);
  for (const TrigPlugin& p : kPlugins) {
    SCOPED_TRACE(p.name);
    // Input count first, even when the output count and the types are wrong too.
    EXPECT_EQ(message(p.name, {}), inputs_msg(p));
    EXPECT_EQ(message(p.name, {x, x}), inputs_msg(p));
    EXPECT_EQ(message(p.name, {single, single}, 2), inputs_msg(p));
    // Then the output count: none requested is refused like two.
    EXPECT_EQ(message(p.name, {x}, 0), outputs_msg(p));
    EXPECT_EQ(message(p.name, {x}, 2), outputs_msg(p));
    EXPECT_EQ(message(p.name, {single}, 0), outputs_msg(p));
    // Then the type, before the length.
    for (const Array& a :
         {single, odd_single, Array::of_class(ClassId::Int8, 4, 1),
          Array::of_class(ClassId::Logical, 1, 4), Array::of_class(ClassId::Char, 1, 4),
          Array::of_class(ClassId::Double, 4, 1, true),
          Array::of_class(ClassId::Double, 4, 1, false, true)})
      EXPECT_EQ(message(p.name, {a}), type_msg(p));
    // Then the size: arrays whose element count, or whose workspace of 4n
    // (8n for the type-IV transform) values, would not fit an int.
    EXPECT_EQ(message(p.name, {Array::phantom(std::size_t{1} << 16, std::size_t{1} << 16)}),
              size_msg(p));
    EXPECT_EQ(message(p.name, {Array::phantom(1, std::size_t{1} << 29)}), size_msg(p));
    EXPECT_EQ(message(p.name, {Array::phantom(std::size_t{3} << 28, 1)}), size_msg(p));
  }
  // The type-IV workspace is twice as large: 2^28 values are refused there alone.
  EXPECT_EQ(message("TrigC4", {Array::phantom(std::size_t{1} << 28, 1)}), size_msg(kPlugins[4]));
}

}  // namespace
}  // namespace tfmex::test
