#pragma once
// What the fuzz targets share: message boxes answered at once without a word, so that a run
// is neither slowed nor cluttered by them, and a scratch path of this process for what a
// target has to put into a file.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/Runtime.h"

namespace larkspan::fuzz {

class QuietRuntime final : public Runtime {
 public:
  MsgBoxResult MsgBox(const std::u16string&, int, const std::u16string&) override {
    return MsgBoxResult::kOk;
  }
  void DoEvents() override {}
  [[noreturn]] void EndProgram() override { std::abort(); }
};

inline void InstallQuietRuntime() {
  static QuietRuntime runtime;
  UseRuntime(&runtime);
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// In memory where the system offers it: the registry store syncs every write, which on a disk
// slows a run several times over. Removed when the run ends normally (a run that stops at a
// finding leaves it behind); never destroyed, so that the exit handler still has it.
inline const std::filesystem::path& ScratchFolder() {
  static const auto* folder = [] {
    const std::filesystem::path base =
        access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::filesystem::temp_directory_path();
    auto* path = new std::filesystem::path(base / ("larkspan-fuzz-" + std::to_string(getpid())));
    std::filesystem::create_directories(*path);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ScratchFolder(), ignored);
    });
    return path;
  }();
  return *folder;
}

}  // namespace larkspan::fuzz
