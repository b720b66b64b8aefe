#pragma once
// SHA-256 (FIPS 180-4), so that the tool can tell whether the served installer is the maker's
// file on any platform without a crypto library.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace larkspan {

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, std::size_t size);
  // The digest as 64 lower-case hex digits; the object is spent afterwards.
  std::string HexDigest();

 private:
  void Compress(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> block_{};
  std::size_t blockUsed_ = 0;
  std::uint64_t totalBytes_ = 0;
};

}  // namespace larkspan
