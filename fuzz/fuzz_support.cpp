// Scratch folder and file writing for the fuzz targets.
// SPDX-License-Identifier: MIT
#include "fuzz_support.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace orvane::fuzz {
namespace {

std::string make_scratch_dir() {
  std::error_code ec;
  std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) base = "/tmp";
  std::string pattern = (base / "orvane-fuzz-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) fail(__FILE__, __LINE__, "mkdtemp failed");
  return std::string(buffer.data());
}

void remove_scratch_dir() {
  std::error_code ec;
  std::filesystem::remove_all(scratch_dir(), ec);
}

}  // namespace

const std::string& scratch_dir() {
  static const std::string dir = make_scratch_dir();
  static const bool registered = [] { return std::atexit(remove_scratch_dir) == 0; }();
  (void)registered;
  return dir;
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) fail(__FILE__, __LINE__, ("cannot write " + path).c_str());
}

}  // namespace orvane::fuzz
