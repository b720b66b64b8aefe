#include "net/ByteRing.h"

#include <algorithm>
#include <cstring>

namespace larkspan {

void ByteRing::Write(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  if (!storage_) storage_ = std::make_unique<std::uint8_t[]>(capacity_);
  std::size_t tail = (head_ + size_) % capacity_;
  std::size_t first = std::min(size, capacity_ - tail);
  std::memcpy(storage_.get() + tail, data, first);
  std::memcpy(storage_.get(), data + first, size - first);
  size_ += size;
}

void ByteRing::ReadAppend(std::vector<std::uint8_t>& out, std::size_t size) {
  size = std::min(size, size_);
  if (size == 0) return;
  std::size_t first = std::min(size, capacity_ - head_);
  const std::uint8_t* base = storage_.get();
  out.insert(out.end(), base + head_, base + head_ + first);
  out.insert(out.end(), base, base + (size - first));
  head_ = (head_ + size) % capacity_;
  size_ -= size;
}

}  // namespace larkspan
