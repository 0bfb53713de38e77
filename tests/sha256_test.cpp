// The golden results' SHA-256 against the test vectors of FIPS 180-4 and its
// examples: the empty message, one block, 56 bytes (the padding needs a
// second block), 112 bytes, and a million bytes fed in uneven pieces.
#include <gtest/gtest.h>

#include <string>

#include "tests/golden/sha256.h"

namespace tfmex::golden {
namespace {

std::string sha256(const std::string& s) {
  Sha256 h;
  h.update(s.data(), s.size());
  return h.hex();
}

TEST(Sha256, MatchesTheStandardsTestVectors) {
  EXPECT_EQ(sha256(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(sha256("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(sha256("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmno"
                   "ijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu"),
            "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
}

TEST(Sha256, PiecesGiveTheDigestOfTheWhole) {
  Sha256 h;
  const std::string chunk(997, 'a');
  std::size_t fed = 0;
  for (std::size_t k = 1; fed < 1000000; ++k) {
    const std::size_t take = std::min<std::size_t>(k % 130, 1000000 - fed);
    h.update(chunk.data(), take);
    fed += take;
  }
  EXPECT_EQ(h.hex(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
}  // namespace tfmex::golden
