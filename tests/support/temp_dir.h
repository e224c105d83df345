// A temporary folder for one test, removed with everything in it at the end.
// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace orvane::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Full path of a file in the folder.
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  // Writes bytes to a file in the folder and returns its full path.
  std::string write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
};

// Whole content of a file as bytes; empty when it cannot be read.
std::string read_file(const std::string& path);

}  // namespace orvane::test
