// SingleInstance: the process-wide lock that keeps a second ORVANE from starting.
// SPDX-License-Identifier: MIT
#pragma once

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

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool first_ = false;
};

}  // namespace orvane
