// The thread pool under the library's batches: chunks handed out to whoever
// asks, and parts that outlast the waiting threads' spin.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <thread>
#include <vector>

#include "src/parallel.hpp"
#include "tfmex/common.hpp"

namespace {

using tfmex::par::Chunks;

// Every item once, in chunks that are whole granules but the last, whichever
// parts take them and however unevenly.
TEST(Pool, ChunksHandOutEveryItemOnceInWholeGranules) {
  for (int parts : {1, 2, 3})
    for (std::ptrdiff_t items : {0, 1, 7, 23, 256, 1000})
      for (std::ptrdiff_t granule : {1, 8}) {
        SCOPED_TRACE(std::to_string(parts) + " parts, " + std::to_string(items) +
                     " items, granule " + std::to_string(granule));
        Chunks chunks(items, parts, granule);
        std::vector<std::atomic<int>> seen(static_cast<std::size_t>(items));
        std::atomic<int> ragged{0}, taken{0};
        tfmex::ThreadCount threads(parts);
        tfmex::par::run(parts, [&](int p) {
          std::ptrdiff_t b, e;
          while (chunks.next(b, e)) {
            if ((e - b) % granule != 0 && e != items) ragged.fetch_add(1);
            for (std::ptrdiff_t i = b; i < e; ++i) seen[static_cast<std::size_t>(i)].fetch_add(1);
            taken.fetch_add(1);
            // Part 0 dawdles, so that the others take more of the chunks.
            if (p == 0 && parts > 1) std::this_thread::sleep_for(std::chrono::microseconds(200));
          }
        });
        for (const auto& s : seen) ASSERT_EQ(s.load(), 1);
        EXPECT_EQ(ragged.load(), 0);
        if (parts == 1 && items > 0) {
          EXPECT_EQ(taken.load(), 1);
        }
      }
}

// A caller whose workers take far longer than the spin still waits for them,
// and jobs far apart (the workers asleep by then) and back to back (still
// spinning) both run every part.
TEST(Pool, PartsLongerThanTheSpinAndJobsAfterSleepAllRun) {
  tfmex::ThreadCount threads(3);
  for (int round = 0; round < 6; ++round) {
    std::atomic<int> ran{0};
    const auto slow = std::chrono::milliseconds(round % 2 == 0 ? 5 : 0);
    tfmex::par::run(3, [&](int p) {
      if (p != 0) std::this_thread::sleep_for(slow);
      ran.fetch_add(1 << (4 * p));
    });
    EXPECT_EQ(ran.load(), 0x111) << "round " << round;
    if (round == 3) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace
