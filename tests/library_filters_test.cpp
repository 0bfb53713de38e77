// tfmex::filter: every filter of the table by name and by family, the same
// doubles as data/filters.txt read afresh, the properties of each family,
// and refusals that say what exists.
#include <gtest/gtest.h>

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
  ASSERT_EQ(rows.size(), 43u);
  ASSERT_EQ(info.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& r = rows[i];
    EXPECT_EQ(info[i].name, r.name);
    EXPECT_EQ(info[i].family, r.family);
    EXPECT_EQ(info[i].taps, static_cast<std::ptrdiff_t>(r.taps.size()));
    EXPECT_EQ(tfmex::filter(r.name), r.taps) << r.name;
    EXPECT_EQ(tfmex::filter(r.family, info[i].taps), r.taps) << r.name;
    std::string upper = r.name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(tfmex::filter(upper), r.taps) << upper;
  }
}

TEST(LibraryFilters, NamesCountAsPyWaveletsAndEachFamilyHasItsMoments) {
  for (const tfmex::FilterInfo& f : tfmex::filters()) {
    const std::vector<double> h = tfmex::filter(f.name);
    const int m = static_cast<int>(h.size());
    const int per = f.family == "coiflet" ? 6 : 2;
    if (f.family != "haar") {
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

TEST(LibraryFilters, UnknownNamesFamiliesAndLengthsSayWhatExists) {
  auto unknown = [](const std::string& name) {
    return "tfmex::filter: unknown filter '" + name +
           "'; names: haar, db1 .. db20, sym4 .. sym20, coif1 .. coif5 (dbN and symN have 2N "
           "taps, coifN 6N)";
  };
  for (const char* name : {"sym2", "sym3", "db21", "coif6", "", "daubechies", "db 2", "Meyer"})
    EXPECT_EQ(refusal(name), unknown(name));
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
