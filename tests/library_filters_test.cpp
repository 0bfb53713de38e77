// tfmex::filter: every filter of the table by name and by family, the same
// doubles as data/filters.txt read afresh, the properties of each family,
// how the short symmlet names stand to the family's symmlets, and refusals
// that say what exists.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tfmex/tfmex.hpp"

namespace {

struct Row {
  std::string name, family;
  std::vector<double> taps;
};

// The table as strtod reads it, the way every other reader of it parses it.
std::vector<Row> read_table() {
  std::ifstream in(std::string(TFMEX_TEST_SOURCE_DIR) + "/data/filters.txt");
  std::vector<Row> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    Row r;
    std::string m, v;
    words >> r.name >> r.family >> m;
    if (r.name == "-") r.name.clear();
    if (r.family == "-") r.family.clear();
    EXPECT_FALSE(r.name.empty() && r.family.empty()) << line.substr(0, 20);
    while (words >> v) r.taps.push_back(std::strtod(v.c_str(), nullptr));
    EXPECT_EQ(r.taps.size(), std::stoul(m)) << r.name;
    rows.push_back(r);
  }
  return rows;
}

std::string refusal(const std::string& name, std::ptrdiff_t taps = -1) {
  try {
    if (taps < 0) tfmex::filter(name);
    else tfmex::filter(name, taps);
  } catch (const tfmex::invalid_argument& e) {
    return e.what();
  }
  return "accepted";
}

TEST(LibraryFilters, EveryRowOfTheTableByNameAndFamilyBitForBit) {
  const std::vector<Row> rows = read_table();
  const std::vector<tfmex::FilterInfo> info = tfmex::filters();
  // 45 names (haar, db1 .. db20, sym2 .. sym20, coif1 .. coif5) and 43
  // family filters, 14 of the names not their family's, 12 of the
  // symmlets of no name.
  ASSERT_EQ(rows.size(), 57u);
  ASSERT_EQ(info.size(), rows.size());
  std::size_t names = 0, families = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    EXPECT_EQ(info[i].name, r.name);
    EXPECT_EQ(info[i].family, r.family);
    EXPECT_EQ(info[i].taps, static_cast<std::ptrdiff_t>(r.taps.size()));
    if (!r.name.empty()) {
      ++names;
      EXPECT_EQ(tfmex::filter(r.name), r.taps) << r.name;
      std::string upper = r.name;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      EXPECT_EQ(tfmex::filter(upper), r.taps) << upper;
    }
    if (!r.family.empty()) {
      ++families;
      EXPECT_EQ(tfmex::filter(r.family, info[i].taps), r.taps) << r.family << info[i].taps;
    }
  }
  EXPECT_EQ(names, 45u);
  EXPECT_EQ(families, 43u);
}

TEST(LibraryFilters, NamesCountAsPyWaveletsAndEachFamilyHasItsMoments) {
  for (tfmex::FilterInfo f : tfmex::filters()) {
    const std::vector<double> h =
        f.name.empty() ? tfmex::filter(f.family, f.taps) : tfmex::filter(f.name);
    const int m = static_cast<int>(h.size());
    if (f.family.empty()) {  // a name only: PyWavelets' symN of 2N taps
      EXPECT_EQ(f.name.substr(0, 3), "sym");
      f.family = "symmlet";
    }
    const int per = f.family == "coiflet" ? 6 : 2;
    if (f.family != "haar" && !f.name.empty()) {
      const std::string prefix = f.family == "daubechies" ? "db"
                                 : f.family == "symmlet"  ? "sym"
                                                          : "coif";
      EXPECT_EQ(f.name, prefix + std::to_string(m / per));
    }
    double sum = 0.0;
    for (double v : h) sum += v;
    EXPECT_NEAR(sum, std::sqrt(2.0), 1e-14) << f.name;
    for (int j = 0; j < m / 2; ++j) {
      double dot = 0.0;
      for (int k = 0; k + 2 * j < m; ++k) dot += h[k] * h[k + 2 * j];
      EXPECT_NEAR(dot, j == 0 ? 1.0 : 0.0, 1e-14) << f.name << " translate " << 2 * j;
    }
    // Vanishing moments of the high-pass filter about the centre, relative
    // to the size of their terms: m/2 (m/3 for coiflets).
    const int N = f.family == "coiflet" ? m / 3 : m / 2;
    for (int p = 0; p < N; ++p) {
      double moment = 0.0, scale = 0.0;
      for (int k = 0; k < m; ++k) {
        const double t = (k % 2 ? -1.0 : 1.0) * std::pow(k - (m - 1) / 2.0, p) * h[k];
        moment += t;
        scale += std::fabs(t);
      }
      EXPECT_LT(std::fabs(moment), 1e-12 * scale) << f.name << " moment " << p;
    }
  }
  const double s3 = std::sqrt(3.0), d = 4.0 * std::sqrt(2.0);
  const std::vector<double> d4 = tfmex::filter("db2");
  const double closed[] = {(1 + s3) / d, (3 + s3) / d, (3 - s3) / d, (1 - s3) / d};
  for (int k = 0; k < 4; ++k) EXPECT_NEAR(d4[k], closed[k], 4e-16) << k;
  EXPECT_EQ(tfmex::filter("haar"), (std::vector<double>{M_SQRT1_2, M_SQRT1_2}));
  EXPECT_EQ(tfmex::filter("Daubechies", 2), tfmex::filter("haar"));
  EXPECT_EQ(tfmex::filter("haar", 2), tfmex::filter("db1"));
}

TEST(LibraryFilters, ShortSymmletNamesArePyWaveletsChoiceTheFamilyTheToolboxs) {
  // sym2 and sym3 are db2 and db3; the family's symmlets begin at 8 taps.
  EXPECT_EQ(tfmex::filter("sym2"), tfmex::filter("db2"));
  EXPECT_EQ(tfmex::filter("sym3"), tfmex::filter("daubechies", 6));
  const std::vector<int> same = {4, 8, 9, 13, 17}, reversed = {5, 6, 7, 10, 12, 16};
  auto in = [](const std::vector<int>& v, int N) {
    return std::find(v.begin(), v.end(), N) != v.end();
  };
  for (int N = 4; N <= 20; ++N) {
    const std::vector<double> name = tfmex::filter("sym" + std::to_string(N));
    const std::vector<double> family = tfmex::filter("symmlet", 2 * N);
    const std::vector<double> back(family.rbegin(), family.rend());
    EXPECT_EQ(name == family, in(same, N)) << N;
    EXPECT_EQ(name == back, in(reversed, N)) << N;
    if (in(same, N) || in(reversed, N)) continue;
    // Another choice among the same roots: a different filter of the same
    // autocorrelation (magnitude response).
    double apart = 0.0;
    for (std::size_t k = 0; k < name.size(); ++k)
      apart = std::max({apart, std::fabs(name[k] - family[k]), std::fabs(name[k] - back[k])});
    EXPECT_GT(apart, 1e-3) << N;
    for (int j = 1; j < 2 * N; ++j) {
      double a = 0.0, b = 0.0;
      for (int k = 0; k + j < 2 * N; ++k) {
        a += name[k] * name[k + j];
        b += family[k] * family[k + j];
      }
      EXPECT_NEAR(a, b, 1e-14) << N << " lag " << j;
    }
  }
}

TEST(LibraryFilters, UnknownNamesFamiliesAndLengthsSayWhatExists) {
  auto unknown = [](const std::string& name) {
    return "tfmex::filter: unknown filter '" + name +
           "'; names: haar, db1 .. db20, sym2 .. sym20, coif1 .. coif5 (dbN and symN have 2N "
           "taps, coifN 6N)";
  };
  for (const char* name :
       {"sym1", "sym21", "db21", "coif6", "", "-", "daubechies", "db 2", "Meyer"})
    EXPECT_EQ(refusal(name), unknown(name));
  // A name-only row is no family's, a family-only row no name's.
  EXPECT_EQ(refusal("", 10),
            "tfmex::filter: unknown family ''; known: haar, daubechies, symmlet, coiflet");
  EXPECT_EQ(refusal("-", 10),
            "tfmex::filter: unknown family '-'; known: haar, daubechies, symmlet, coiflet");
  EXPECT_EQ(refusal("meyer", 8),
            "tfmex::filter: unknown family 'meyer'; known: haar, daubechies, symmlet, coiflet");
  EXPECT_EQ(refusal("Coiflet", 8),
            "tfmex::filter: no coiflet filter of 8 taps; lengths: 6 12 18 24 30");
  EXPECT_EQ(refusal("haar", 4), "tfmex::filter: no haar filter of 4 taps; lengths: 2");
  EXPECT_EQ(refusal("symmlet", 6).substr(0, 52),
            "tfmex::filter: no symmlet filter of 6 taps; lengths:");
  EXPECT_EQ(refusal("daubechies", 0).substr(0, 59),
            "tfmex::filter: no daubechies filter of 0 taps; lengths: 2 4");
}

}  // namespace
