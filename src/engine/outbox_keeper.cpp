// OutboxKeeper: the engine's outbox, kept under one leaf lock.
// SPDX-License-Identifier: MIT
#include "engine/outbox_keeper.h"

#include <filesystem>

namespace orvane {

void OutboxKeeper::setFolder(const std::string& in) {
  const std::string folder =
      in == "." ? std::string("outbox") : (std::filesystem::path(in) / "outbox").string();
  std::lock_guard<std::mutex> g(lock_);
  folder_ = folder;
}

std::string OutboxKeeper::folder() const {
  std::lock_guard<std::mutex> g(lock_);
  return folder_;
}

OutboxKeep OutboxKeeper::keep(const PIREPData& report) {
  std::lock_guard<std::mutex> g(lock_);
  const Outbox box(folder_);
  const std::string id = Outbox::idFor(report);
  OutboxKeep k;
  k.tried = true;
  k.path = box.pathOf(id);
  if (folder_.empty()) {
    k.error = "No settings file was loaded, so there is no outbox.";
  } else if (refusals_.count(id) != 0) {
    k.error = refusals_[id];
  } else {
    k.kept = box.keep(report, &k.error);
  }
  last_ = k;
  return k;
}

OutboxKeep OutboxKeeper::lastKeep() const {
  std::lock_guard<std::mutex> g(lock_);
  return last_;
}

std::vector<Outbox::Entry> OutboxKeeper::waiting() const {
  std::lock_guard<std::mutex> g(lock_);
  return Outbox(folder_).waiting();
}

void OutboxKeeper::sending(const PIREPData& report) {
  std::lock_guard<std::mutex> g(lock_);
  sendingId_ = Outbox::idFor(report);
}

void OutboxKeeper::sent() {
  std::lock_guard<std::mutex> g(lock_);
  if (sendingId_.empty()) return;
  Outbox(folder_).remove(sendingId_);
  sendingId_.clear();
}

void OutboxKeeper::refused(const PIREPData& report, const std::string& text) {
  std::lock_guard<std::mutex> g(lock_);
  const std::string id = Outbox::idFor(report);
  refusals_[id] = text;
  Outbox(folder_).markRefused(id);
}

std::string OutboxKeeper::refusalOf(const PIREPData& report) const {
  std::lock_guard<std::mutex> g(lock_);
  const auto it = refusals_.find(Outbox::idFor(report));
  return it == refusals_.end() ? std::string() : it->second;
}

void OutboxKeeper::reset() {
  std::lock_guard<std::mutex> g(lock_);
  folder_.clear();
  last_ = OutboxKeep{};
  sendingId_.clear();
  refusals_.clear();
}

}  // namespace orvane
