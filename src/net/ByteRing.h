#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace larkspan {

// A fixed-size byte queue between the transfer thread and the reader of the body. The storage
// is allocated on the first write, so an idle transfer costs nothing, and a reader that keeps
// up touches only its first pages. Not thread-safe: its owner locks around it.
class ByteRing {
 public:
  explicit ByteRing(std::size_t capacity) : capacity_(capacity) {}

  std::size_t Size() const { return size_; }
  std::size_t Free() const { return capacity_ - size_; }
  std::size_t Capacity() const { return capacity_; }

  // Appends all of `data`; the caller makes sure that it fits (Free() >= size).
  void Write(const std::uint8_t* data, std::size_t size);
  // Moves the oldest bytes, `size` at most, to `out`; returns how many.
  std::size_t Read(std::uint8_t* out, std::size_t size);

 private:
  std::size_t capacity_;
  std::unique_ptr<std::uint8_t[]> storage_;
  std::size_t head_ = 0;  // position of the oldest byte
  std::size_t size_ = 0;
};

}  // namespace larkspan
