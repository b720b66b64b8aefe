#include "net/ByteRing.h"

#include <algorithm>
#include <cstring>

namespace larkspan {

void ByteRing::Write(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  // Not zero-filled: the system gives the pages only as the ring first reaches them.
  if (!storage_) storage_ = std::make_unique_for_overwrite<std::uint8_t[]>(capacity_);
  std::size_t tail = (head_ + size_) % capacity_;
  std::size_t first = std::min(size, capacity_ - tail);
  std::memcpy(storage_.get() + tail, data, first);
  std::memcpy(storage_.get(), data + first, size - first);
  size_ += size;
}

std::size_t ByteRing::Read(std::uint8_t* out, std::size_t size) {
  size = std::min(size, size_);
  if (size == 0) return 0;
  const std::size_t first = std::min(size, capacity_ - head_);
  std::memcpy(out, storage_.get() + head_, first);
  std::memcpy(out + first, storage_.get(), size - first);
  size_ -= size;
  // An emptied ring starts again at its beginning: a reader that keeps up then uses the same
  // few pages over and over, and the rest of the capacity is never touched.
  head_ = size_ == 0 ? 0 : (head_ + size) % capacity_;
  return size;
}

}  // namespace larkspan
