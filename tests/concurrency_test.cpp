// The plug-ins keep no state: calls from several threads at once give the
// same doubles as the same calls one after another.
#include <cstring>
#include <thread>

#include "plugin_catalogue.h"
#include "support.h"

namespace tfmex::test {
namespace {

struct Job {
  const CatalogueEntry* entry;
  std::vector<Array> args;
  std::vector<double> serial;  // the result of the call made alone
};

TEST(Concurrency, ParallelCallsMatchSerialCallsBitForBit) {
  std::mt19937_64 rng(2024);
  std::vector<Job> jobs;
  for (const auto& e : catalogue()) {
    for (int k = 0; k < 3; ++k) {
      Job j{&e, e.valid(rng), {}};
      std::vector<const Array*> in;
      for (const Array& a : j.args) in.push_back(&a);
      const auto r = plugin(e.name).call(in);
      ASSERT_TRUE(r.ok) << e.name << ": " << r.message;
      j.serial = r.output.values();
      jobs.push_back(std::move(j));
    }
  }
  constexpr int kThreads = 4, kRounds = 20;
  std::vector<int> mismatches(kThreads, 0), broken(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < kRounds; ++round) {
        // Each thread walks the jobs from a different start, so that
        // different plug-ins and the same plug-in run side by side.
        for (std::size_t i = 0; i < jobs.size(); ++i) {
          const Job& j = jobs[(i + static_cast<std::size_t>(t) * 7) % jobs.size()];
          std::vector<const Array*> in;
          for (const Array& a : j.args) in.push_back(&a);
          const auto r = plugin(j.entry->name).call(in);
          if (!r.ok || !r.problems().empty()) ++broken[t];
          const auto v = r.output ? r.output.values() : std::vector<double>{};
          if (v.size() != j.serial.size() ||
              (!v.empty() && std::memcmp(v.data(), j.serial.data(), v.size() * 8) != 0))
            ++mismatches[t];
        }
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(mismatches[t], 0) << "thread " << t;
    EXPECT_EQ(broken[t], 0) << "thread " << t;
  }
}

}  // namespace
}  // namespace tfmex::test
