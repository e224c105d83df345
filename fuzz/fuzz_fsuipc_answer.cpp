// Fuzz target: the FSUIPC client's copy-back walk over an answer block of arbitrary bytes,
// and over well-formed answers built from the same input.
// SPDX-License-Identifier: MIT
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "sim/fsuipc_client.h"

namespace {

using orvane::detail::Destination;

constexpr std::size_t kGuard = 16;
constexpr std::uint8_t kGuardByte = 0xA5;
constexpr std::uint8_t kUntouched = 0x5A;

// One caller's buffer with guard bytes on both sides; the walk may write only the queued
// size between them.
struct Buffer {
  std::vector<std::uint8_t> bytes;
  std::uint32_t size = 0;
  bool null_pointer = false;

  Buffer(std::uint32_t n, bool null_ptr)
      : bytes(n + 2 * kGuard, kGuardByte), size(n), null_pointer(null_ptr) {
    std::fill(bytes.begin() + kGuard, bytes.begin() + kGuard + n, kUntouched);
  }
  std::uint8_t* data() { return bytes.data() + kGuard; }
  Destination destination() { return Destination{null_pointer ? nullptr : data(), size}; }

  void check_guards() const {
    for (std::size_t i = 0; i < kGuard; ++i) {
      FUZZ_CHECK(bytes[i] == kGuardByte);
      FUZZ_CHECK(bytes[kGuard + size + i] == kGuardByte);
    }
  }
  bool untouched() const {
    return std::all_of(bytes.begin() + kGuard, bytes.begin() + kGuard + size,
                       [](std::uint8_t b) { return b == kUntouched; });
  }
};

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// The block lives in an allocation of exactly queued_bytes, so that AddressSanitizer
// reports any look at or past the end marker's position.
std::size_t walk(const std::vector<std::uint8_t>& answer, std::vector<std::uint8_t>& after,
                 const std::vector<Destination>& destinations) {
  const std::size_t n = answer.size();
  std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[n == 0 ? 1 : n]);
  if (n != 0) std::memcpy(block.get(), answer.data(), n);
  const std::size_t walked = orvane::detail::fsuipc_copy_back(block.get(), n, destinations);
  after.assign(block.get(), block.get() + n);
  return walked;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::size_t count = in.ConsumeIntegralInRange<std::size_t>(0, 8);
  std::vector<Buffer> buffers;
  buffers.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const auto n = in.ConsumeIntegralInRange<std::uint32_t>(0, 300);
    buffers.emplace_back(n, in.ConsumeIntegralInRange<int>(0, 15) == 0);
  }
  std::vector<Destination> destinations;
  for (Buffer& b : buffers) destinations.push_back(b.destination());

  // 1. Arbitrary bytes as the answer.
  std::vector<std::uint8_t> answer = in.ConsumeBytes<std::uint8_t>(orvane::FSUIPC_BLOCK_USABLE);
  std::vector<std::uint8_t> after;
  const std::size_t walked = walk(answer, after, destinations);
  FUZZ_CHECK(walked <= answer.size() / orvane::FSUIPC_WRITE_HEADER);
  for (const Buffer& b : buffers) {
    b.check_guards();
    if (b.null_pointer || b.size == 0) FUZZ_CHECK(b.untouched());
  }
  // The only change to the block is one unknown record id overwritten with zero.
  std::size_t first = 0;
  while (first < answer.size() && answer[first] == after[first]) ++first;
  if (first < answer.size()) {
    std::size_t last = answer.size() - 1;
    while (answer[last] == after[last]) --last;
    FUZZ_CHECK(last - first < 4);
    for (std::size_t i = first; i <= last; ++i) FUZZ_CHECK(after[i] == 0);
  }

  // 2. A well-formed answer to a batch: one read per destination (its data taken from the
  //    rest of the input, sized as queued or differently) between writes. Every
  //    destination then holds the start of its record's data, at most its queued size.
  std::vector<Buffer> fresh;
  fresh.reserve(buffers.size());
  for (const Buffer& b : buffers) fresh.emplace_back(b.size, b.null_pointer);
  std::vector<Destination> fresh_destinations;
  for (Buffer& b : fresh) fresh_destinations.push_back(b.destination());

  const std::string payload = in.ConsumeRemainingBytesAsString();
  std::size_t used = 0;
  auto take = [&payload, &used](std::size_t n) {
    std::string piece;
    for (std::size_t i = 0; i < n; ++i) {
      piece.push_back(payload.empty() ? '\0' : payload[(used + i) % payload.size()]);
    }
    used += n;
    return piece;
  };
  std::vector<std::uint8_t> batch;
  std::vector<std::string> expected(fresh.size());
  std::size_t records = 0;
  for (std::size_t i = 0; i < fresh.size(); ++i) {
    const std::uint32_t record_size =
        payload.empty()
            ? fresh[i].size
            : static_cast<std::uint32_t>(static_cast<unsigned char>(payload[i % payload.size()]));
    if (i % 2 == 1) {
      const std::string w = take(i);
      put_u32(batch, orvane::FSUIPC_RECORD_WRITE);
      put_u32(batch, 0x3000 + static_cast<std::uint32_t>(i));
      put_u32(batch, static_cast<std::uint32_t>(w.size()));
      batch.insert(batch.end(), w.begin(), w.end());
      ++records;
    }
    expected[i] = take(record_size);
    put_u32(batch, orvane::FSUIPC_RECORD_READ);
    put_u32(batch, 0x0560 + static_cast<std::uint32_t>(i));
    put_u32(batch, record_size);
    put_u32(batch, static_cast<std::uint32_t>(i + 1));
    batch.insert(batch.end(), expected[i].begin(), expected[i].end());
    ++records;
  }
  std::vector<std::uint8_t> batch_after;
  FUZZ_CHECK(walk(batch, batch_after, fresh_destinations) == records);
  FUZZ_CHECK(batch_after == batch);
  for (std::size_t i = 0; i < fresh.size(); ++i) {
    Buffer& b = fresh[i];
    b.check_guards();
    if (b.null_pointer || expected[i].empty()) {
      FUZZ_CHECK(b.untouched());
      continue;
    }
    const std::size_t n = std::min<std::size_t>(b.size, expected[i].size());
    FUZZ_CHECK(std::memcmp(b.data(), expected[i].data(), n) == 0);
    for (std::size_t k = n; k < b.size; ++k) FUZZ_CHECK(b.data()[k] == kUntouched);
  }
  return 0;
}
