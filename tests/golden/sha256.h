// SHA-256 (FIPS 180-4) of a byte stream, for the golden results: one digest
// over every output of a plug-in on the golden corpus.
#ifndef TFMEX_TESTS_GOLDEN_SHA256_H
#define TFMEX_TESTS_GOLDEN_SHA256_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tfmex::golden {

class Sha256 {
 public:
  Sha256();
  void update(const void* data, std::size_t bytes);
  // Pads the message and returns the digest; the object is spent afterwards.
  std::array<std::uint8_t, 32> finish();
  // The digest as 64 lower-case hexadecimal digits.
  std::string hex();

 private:
  void block(const std::uint8_t* p);
  std::array<std::uint32_t, 8> h_;
  std::uint8_t buf_[64];
  std::size_t used_ = 0;      // bytes waiting in buf_
  std::uint64_t length_ = 0;  // message length in bytes
};

}  // namespace tfmex::golden

#endif
