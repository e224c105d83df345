// SingleInstance: the process-wide lock that keeps a second ORVANE from starting.
// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace orvane {

class SingleInstance {
 public:
  // Takes the lock named name ("JUSTTOCHECK" for the product). folder overrides where the
  // lock file lives (tests); empty means the user's runtime folder.
  explicit SingleInstance(const std::string& name, const std::string& folder = {});
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // False when another process holds the lock: this one should end at once.
  bool isFirst() const { return first_; }

  // A second instance asks the first to show its window; nothing happens when the first
  // does not listen. Never waits.
  void askFirstToShow();
  // The first instance listens for that request and runs handler on the window thread for
  // each one. Needs the application object.
  void onShowAsked(std::function<void()> handler);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool first_ = false;
};

}  // namespace orvane
