// The table cache: one immutable table per builder and length, evicted
// least recently used within its bound while held tables stay alive; the
// tables it hands out are the ones the builders make; and every
// trigonometric and bell plug-in gives the same doubles on its first call,
// its later calls and calls from several threads at once, in a freshly
// loaded copy that is then unloaded.
#ifdef __linux__
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

#include "kernels/bells/bells.h"
#include "kernels/trig/table_cache.h"
#include "kernels/trig/trig.h"
#include "support.h"
#include "tfmex/trig.hpp"

namespace tfmex::test {
namespace {

namespace tk = tfmex::trig;

// out[i] = n + i: a table whose every value says which length made it.
void numbered(double* out, int n) {
  for (int i = 0; i < 1 << 20; ++i) out[i] = n + i;
}
constexpr std::size_t kMegaValues = std::size_t{1} << 20;  // 8 MB

TEST(TableCache, KeepsOneTablePerBuilderAndLengthAndEvictsTheLeastRecentlyUsed) {
  const std::size_t before = tk::table_cache_bytes();
  const tk::SharedTable first = tk::shared_table(numbered, 1, kMegaValues);
  ASSERT_TRUE(first);
  EXPECT_EQ((*first)[0], 1.0);
  EXPECT_EQ((*first)[kMegaValues - 1], 1.0 + (kMegaValues - 1));
  EXPECT_EQ(tk::shared_table(numbered, 1, kMegaValues), first);  // the same table again
  EXPECT_EQ(tk::table_cache_bytes(), before + kMegaValues * 8);
  // One 8 MB table more than the bound holds overflows it; length 2 is kept
  // in use by asking for it again, so length 1 (held here) and then 3 are
  // dropped.
  const int overflow = static_cast<int>(tk::kTableCacheBytes / (kMegaValues * 8)) + 1;
  const tk::SharedTable two = tk::shared_table(numbered, 2, kMegaValues);
  for (int n = 3; n <= overflow; ++n) {
    EXPECT_EQ(tk::shared_table(numbered, 2, kMegaValues), two);
    ASSERT_TRUE(tk::shared_table(numbered, n, kMegaValues));
    EXPECT_LE(tk::table_cache_bytes(), tk::kTableCacheBytes);
  }
  EXPECT_EQ(tk::shared_table(numbered, 2, kMegaValues), two);
  EXPECT_EQ((*first)[5], 6.0);  // dropped from the cache, alive while held
  const tk::SharedTable again = tk::shared_table(numbered, 1, kMegaValues);
  EXPECT_NE(again, first);
  EXPECT_EQ(*again, *first);
  // A table beyond the bound is made for its caller and not kept.
  const std::size_t held = tk::table_cache_bytes();
  const int beyond = overflow + 1;
  const tk::SharedTable big =
      tk::shared_table(numbered, beyond, tk::kTableCacheBytes / 8 + kMegaValues);
  ASSERT_TRUE(big);
  EXPECT_EQ((*big)[7], beyond + 7.0);
  EXPECT_EQ(tk::table_cache_bytes(), held);
  EXPECT_NE(tk::shared_table(numbered, beyond, tk::kTableCacheBytes / 8 + kMegaValues), big);
}

TEST(TableCache, SharedTablesAreTheOnesTheBuildersMake) {
  for (int J = 0; J <= 14; ++J) {
    SCOPED_TRACE(J);
    const int n = 1 << J;
    const std::size_t size = tk::cosine_table_size(n);
    std::vector<double> room(size + 1, -7.0), built(size + 1, -7.0);
    tk::SharedTable holder;
    const double* t = tk::shared_cosine_tables(n, room.data(), &holder);
    tk::cosine_tables(built.data(), n);
    if (n == 1) {
      EXPECT_EQ(t, room.data());  // no table for one value
      EXPECT_FALSE(holder);
    } else {
      ASSERT_TRUE(holder);
      EXPECT_EQ(t, holder->data());
      ASSERT_EQ(holder->size(), size);
      EXPECT_EQ(std::memcmp(t, built.data(), size * 8), 0);
      EXPECT_EQ(tk::shared_cosine_tables(n, room.data(), &holder), t);  // fetched, not rebuilt
    }
    EXPECT_EQ(room, std::vector<double>(size + 1, -7.0));  // the room is left alone
    std::vector<double> room4(tk::trigc4_table_size(n));
    const double* t4 = tk::shared_trigc4_tables(n, room4.data(), &holder);
    ASSERT_TRUE(holder);
    tk::trigc4_tables(room4.data(), n);
    EXPECT_EQ(std::memcmp(t4, room4.data(), room4.size() * 8), 0);
  }
  for (int m : {0, 1, 3, 64, 1000}) {
    SCOPED_TRACE(m);
    std::vector<double> room(2 * m + 1, -7.0), bp(m + 1), bm(m + 1);
    tk::SharedTable holder;
    const double* bell = tfmex::bells::shared_bell(m, room.data(), &holder);
    EXPECT_EQ(room, std::vector<double>(2 * m + 1, -7.0));
    if (m == 0) {
      EXPECT_EQ(bell, room.data());
      continue;
    }
    ASSERT_TRUE(holder);
    tfmex::bells::makebell(m, bp.data(), bm.data());
    EXPECT_EQ(std::memcmp(bell, bp.data(), m * 8), 0);
    EXPECT_EQ(std::memcmp(bell + m, bm.data(), m * 8), 0);
  }
}

// A cosine packet call at 2^20 and depth 1 holds the type-IV tables of 2^20
// and 2^19 at once; both must stay in the cache after it, or every such call
// drops one and rebuilds the other.
TEST(TableCache, KeepsEveryTableOfALargeCosinePacketCall) {
  constexpr int n = 1 << 20;
  const std::vector<double> x = random_vector(n, 5);
  std::vector<double> table(2 * std::size_t{n});
  tfmex::bell_split(x.data(), table.data(), n, 1);
  auto held = [](int f) {
    return tk::shared_table(tk::trigc4_tables, f, tk::trigc4_table_size(f));
  };
  const tk::SharedTable whole = held(n), half = held(n / 2);
  ASSERT_TRUE(whole && half);
  tfmex::bell_split(x.data(), table.data(), n, 1);
  EXPECT_EQ(held(n), whole);
  EXPECT_EQ(held(n / 2), half);
}

// Loading a fresh copy of a plug-in and checking that it is unmapped
// afterwards is done with the Linux loader.
#ifdef __linux__

// The plug-ins and the arguments of one call each.
struct Case {
  const char* name;
  std::vector<Array> args;
};

std::vector<Case> cases() {
  std::vector<Case> out;
  for (int J : {3, 6, 10, 13}) {
    const std::size_t n = std::size_t{1} << J;
    const std::vector<double> x = random_vector(n, 7 * J);
    for (const char* name : {"TrigC2", "TrigC3", "TrigS2", "TrigS3", "TrigC4"})
      out.push_back({name, {Array::row(x)}});
    const int D = J / 2;
    out.push_back({"BellSplit", {Array::row(x), Array::scalar(D), Array::scalar(0)}});
    out.push_back({"BellJoin", {Array::matrix(n, D + 1, random_vector(n * (D + 1), 9 * J))}});
  }
  return out;
}

std::vector<double> call_values(const Plugin& p, const Case& c) {
  std::vector<const Array*> in;
  for (const Array& a : c.args) in.push_back(&a);
  const CallReport r = p.call(in);
  if (!r.ok || !r.problems().empty()) return {};
  return r.output.values();
}

TEST(TableCacheConcurrency, FreshPlugInsAgreeOnFirstLaterAndParallelCallsAndUnload) {
  const std::vector<Case> all = cases();
  std::vector<std::vector<double>> expected;
  for (const Case& c : all) expected.push_back(call_values(plugin(c.name), c));
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("tfmex_cache_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  for (const char* name :
       {"TrigC2", "TrigC3", "TrigS2", "TrigS3", "TrigC4", "BellSplit", "BellJoin"}) {
    SCOPED_TRACE(name);
    // A copy under another file name is a new library with an empty cache.
    const std::string copy = (dir / (std::string(name) + "_copy.mex")).string();
    std::filesystem::copy_file(Plugin::default_mex_dir() + "/" + name + ".mex", copy,
                               std::filesystem::copy_options::overwrite_existing);
    for (int round = 0; round < 2; ++round) {  // load, use, unload, and again
      {
        const Plugin p = Plugin::load(copy);
        // First calls from four threads at once, each length in a different
        // order, then the same calls again.
        std::vector<int> wrong(4, 0);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
          threads.emplace_back([&, t] {
            for (int pass = 0; pass < 2; ++pass)
              for (std::size_t k = 0; k < all.size(); ++k) {
                const std::size_t i = (k + static_cast<std::size_t>(t) * 3) % all.size();
                if (std::strcmp(all[i].name, name) != 0) continue;
                const std::vector<double> v = call_values(p, all[i]);
                if (v.empty() || v.size() != expected[i].size() ||
                    std::memcmp(v.data(), expected[i].data(), v.size() * 8) != 0)
                  ++wrong[t];
              }
          });
        for (auto& th : threads) th.join();
        for (int t = 0; t < 4; ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
      }
      // Unloaded: its static cache went with it.
      void* still = dlopen(copy.c_str(), RTLD_NOW | RTLD_NOLOAD);
      EXPECT_EQ(still, nullptr);
      if (still) dlclose(still);
    }
    std::filesystem::remove(copy);
  }
  std::filesystem::remove_all(dir);
}

#endif  // __linux__

}  // namespace
}  // namespace tfmex::test
