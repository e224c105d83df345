// OffsetMemory: the 64 KiB offset space a link server answers from, little-endian, thread-safe.
// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <vector>

namespace orvane::standin {

class OffsetMemory {
 public:
  static constexpr std::size_t kSize = 0x10000;

  OffsetMemory() : bytes_(kSize, 0) {}

  // Bytes outside the space are dropped on write and read as zero.
  void write(std::uint32_t offset, const void* data, std::size_t size) {
    std::lock_guard<std::mutex> g(mutex_);
    const auto* src = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < size; ++i) {
      const std::uint64_t at = std::uint64_t{offset} + i;
      if (at < kSize) bytes_[at] = src[i];
    }
  }
  void read(std::uint32_t offset, void* out, std::size_t size) const {
    std::lock_guard<std::mutex> g(mutex_);
    auto* dst = static_cast<std::uint8_t*>(out);
    for (std::size_t i = 0; i < size; ++i) {
      const std::uint64_t at = std::uint64_t{offset} + i;
      dst[i] = at < kSize ? bytes_[at] : 0;
    }
  }
  // Little-endian stores and loads of plain values (this machine is little-endian).
  template <class T>
  void put(std::uint32_t offset, T value) {
    write(offset, &value, sizeof(T));
  }
  template <class T>
  T get(std::uint32_t offset) const {
    T value{};
    read(offset, &value, sizeof(T));
    return value;
  }
  void clear() {
    std::lock_guard<std::mutex> g(mutex_);
    std::fill(bytes_.begin(), bytes_.end(), 0);
  }

 private:
  mutable std::mutex mutex_;  // guards bytes_
  std::vector<std::uint8_t> bytes_;
};

}  // namespace orvane::standin
