// PIREP files: the atomic, unbuffered, private save and the load through the decoder.
// SPDX-License-Identifier: MIT
#include "frontend/pirepfile.h"

#include <exception>
#include <fstream>
#include <iterator>

#include "util/atomic_file.h"

namespace orvane {

PIREPFileResult savePIREPFile(const PIREPData& report, const std::string& path) {
  const std::string bytes = report.pack_crypt();
  // A temporary file beside the chosen one replaces it only when it is whole and synced;
  // a new file is the pilot's alone (the password is inside), an earlier one keeps its mode.
  FileWriteError error;
  if (write_file_atomically(path, bytes, &error)) return PIREPFileResult::Done;
  return error.created ? PIREPFileResult::CannotWrite : PIREPFileResult::CannotOpen;
}

std::string folderOfFile(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

LoadedPIREPFile loadPIREPFile(const std::string& path) {
  LoadedPIREPFile loaded;
  std::ifstream in(path, std::ios::binary);
  if (!in) return loaded;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  try {
    loaded.report.unpack_crypt(bytes);
  } catch (const std::exception& e) {
    loaded.result = PIREPFileResult::CannotDecode;
    loaded.message = e.what();
    loaded.report = PIREPData{};
    return loaded;
  }
  loaded.result = PIREPFileResult::Done;
  return loaded;
}

}  // namespace orvane
