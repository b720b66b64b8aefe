#pragma once
// What every fuzz target shares: a reader that takes numbers and texts from the front of the
// input, silent user-interface services that count the messages, and a check that stops the
// run with a message when a property does not hold.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/CodePage.h"
#include "platform/Ui.h"

namespace larkspan::fuzz {

// Numbers are read little-endian in their own width; missing bytes read as zero. A text runs
// up to the next zero byte (or the end) and is UTF-8, unless its first byte is 1: then it is
// UTF-16LE code units up to a zero unit, so that lone surrogates and any other unit can occur.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return pos_ >= size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  bool Flag() { return (Byte() & 1) != 0; }

  template <class T>
  T Number() {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) bits |= std::uint64_t{Byte()} << (8 * i);
    T value;
    std::memcpy(&value, &bits, sizeof(T));
    return value;
  }

  std::string Bytes() {
    std::string out;
    while (pos_ < size_ && data_[pos_] != 0) out.push_back(static_cast<char>(data_[pos_++]));
    if (pos_ < size_) ++pos_;
    return out;
  }

  std::u16string Text() {
    if (pos_ >= size_ || data_[pos_] != 1) return FromUtf8(Bytes());
    ++pos_;
    std::u16string out;
    while (pos_ + 1 < size_) {
      const auto unit = static_cast<char16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
      pos_ += 2;
      if (unit == 0) break;
      out.push_back(unit);
    }
    if (pos_ + 1 == size_) ++pos_;  // a lone last byte ends the text
    return out;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Answers every message box with OK and counts them; pumping events does nothing.
class SilentUi final : public UiServices {
 public:
  MsgBoxResult MsgBox(const std::u16string& prompt, int /*style*/,
                      const std::u16string& title) override {
    ++count;
    lastPrompt = prompt;
    lastTitle = title;
    return MsgBoxResult::kOk;
  }
  void DoEvents() override {}
  [[noreturn]] void EndProgram() override { std::abort(); }

  int count = 0;
  std::u16string lastPrompt;
  std::u16string lastTitle;
};

// The services of this process, installed on first use and reset for each input.
inline SilentUi& Ui() {
  static SilentUi ui;
  static bool installed = (InstallUiServices(&ui), true);
  (void)installed;
  ui.count = 0;
  ui.lastPrompt.clear();
  ui.lastTitle.clear();
  return ui;
}

// A scratch path of this process for files that a target writes: in /dev/shm when there is
// one, named after `what` and the process id. What such paths of ended processes left behind
// (a finding ends a run without its exit handlers) is removed first.
inline std::string ScratchPath(const std::string& what) {
  namespace fs = std::filesystem;
  const fs::path base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : fs::temp_directory_path();
  const std::string prefix = "larkspan-" + what + "-";
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(base, error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
      fs::remove_all(entry.path(), error);
    }
  }
  return (base / (prefix + std::to_string(getpid()))).string();
}

// A property that failed is a finding: name it and abort, so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                               \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (false)

}  // namespace larkspan::fuzz
