// write_file_atomically: temporary file in the target's folder, flushed to disk, renamed over it.
#include "util/atomic_file.h"

#include <cstdio>

#ifdef _WIN32
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace orvane {

namespace {

// Pushes what the C library handed to the system onto the disk, so that the rename never
// makes visible a file whose bytes are still only in the cache.
bool sync_to_disk(std::FILE* f) {
#ifdef _WIN32
  return _commit(_fileno(f)) == 0;
#else
  return fsync(fileno(f)) == 0;
#endif
}

bool replace_file(const std::string& from, const std::string& to) {
#ifdef _WIN32
  // std::rename refuses an existing target on Windows.
  return MoveFileExA(from.c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

bool write_file_atomically(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + ".tmp";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  ok = ok && sync_to_disk(f);
  ok = std::fclose(f) == 0 && ok;
  ok = ok && replace_file(temporary, path);
  if (!ok) std::remove(temporary.c_str());
  return ok;
}

}  // namespace orvane
