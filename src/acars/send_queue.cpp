// SendQueue: appending, copying out and waiting for the ACARS requests of one flight.
// SPDX-License-Identifier: MIT
#include "acars/send_queue.h"

#include <algorithm>
#include <utility>

#include "util/clock.h"

namespace orvane {

void SendQueue::append(std::string text, std::shared_ptr<const FlightRecord> record) {
  {
    std::lock_guard<std::mutex> g(lock_);
    entries_.push_back(QueuedMessage{std::move(text), std::move(record)});
  }
  wake_.notify_all();
}

std::string SendQueue::front() const {
  std::lock_guard<std::mutex> g(lock_);
  return entries_.empty() ? std::string() : entries_.front().text;
}

std::size_t SendQueue::size() const {
  std::lock_guard<std::mutex> g(lock_);
  return entries_.size();
}

std::vector<std::string> SendQueue::texts() const {
  std::lock_guard<std::mutex> g(lock_);
  std::vector<std::string> out;
  out.reserve(entries_.size());
  for (const QueuedMessage& m : entries_) out.push_back(m.text);
  return out;
}

QueuedMessage SendQueue::at(std::size_t i) const {
  std::lock_guard<std::mutex> g(lock_);
  return entries_.at(i);
}

void SendQueue::wake() {
  // Taking the lock orders the waiter's condition check before or after the caller's change,
  // so the notification cannot fall between a check and the wait.
  { std::lock_guard<std::mutex> g(lock_); }
  wake_.notify_all();
}

bool SendQueue::waitForEntry(std::size_t n, const std::atomic<bool>& stop, QueuedMessage& out) {
  std::unique_lock<std::mutex> lk(lock_);
  const auto ready = [&] { return stop.load() || entries_.size() != n; };
  while (!ready()) clock().wait_for(wake_, lk, 5000, ready);
  if (entries_.size() == n) return false;
  out = entries_[n];
  return true;
}

bool SendQueue::waitUntil(std::int64_t dueMs, const std::atomic<bool>& stop) {
  std::unique_lock<std::mutex> lk(lock_);
  // The clock is part of the condition, so that a clock moved before the wait began still
  // ends it at dueMs, not a pause later.
  const auto over = [&] { return stop.load() || clock().mono_ms() >= dueMs; };
  clock().wait_for(wake_, lk, std::max<std::int64_t>(0, dueMs - clock().mono_ms()), over);
  return stop.load();
}

}  // namespace orvane
