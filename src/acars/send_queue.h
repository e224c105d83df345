// SendQueue: the ACARS requests waiting for the send thread, in order, with their lock and wake-ups.
// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace orvane {

class FlightRecord;

// One queued request.
struct QueuedMessage {
  std::string text;
  // ENDFLIGHT only: the flight record as it stood when the flight ended, the send thread's
  // own copy from which it computes the report.
  std::shared_ptr<const FlightRecord> record;
};

// Appended on the cycle thread, walked by the send thread, read by any thread. Only ever
// appended, so an index names the same entry for the queue's whole life.
class SendQueue {
 public:
  // Appends one entry and wakes the waiters. Any thread.
  void append(std::string text, std::shared_ptr<const FlightRecord> record = nullptr);
  // Copy of the first text (empty when the queue is empty), the length, all texts oldest
  // first, and entry i (i < size()). Any thread.
  std::string front() const;
  std::size_t size() const;
  std::vector<std::string> texts() const;
  QueuedMessage at(std::size_t i) const;

  // Wakes every waiter to look at its condition again: for a stop, which appends nothing.
  void wake();
  // Waits until the queue holds more than n entries or *stop is set. Copies entry n to out
  // and returns true, or returns false when stopped with n entries: everything handled.
  bool waitForEntry(std::size_t n, const std::atomic<bool>& stop, QueuedMessage& out);
  // Waits until the monotonic clock reaches dueMs or *stop is set; returns *stop.
  bool waitUntil(std::int64_t dueMs, const std::atomic<bool>& stop);

 private:
  mutable std::mutex lock_;             // guards entries_
  std::condition_variable wake_;        // signalled on append and by wake()
  std::vector<QueuedMessage> entries_;  // lock_
};

}  // namespace orvane
