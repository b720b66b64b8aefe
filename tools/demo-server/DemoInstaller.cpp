#include "DemoInstaller.h"

namespace larkspan::demo {

void FillInstallerBytes(std::uint64_t offset, char* out, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    // A multiplicative hash of the position: cheap, repeatable and without long runs.
    std::uint64_t x = (offset + i + 1) * 0x9E3779B97F4A7C15ull;
    out[i] = static_cast<char>(x >> 56);
  }
}

std::string InstallerBytes(std::uint64_t offset, std::size_t count) {
  std::string bytes(count, '\0');
  FillInstallerBytes(offset, bytes.data(), count);
  return bytes;
}

}  // namespace larkspan::demo
