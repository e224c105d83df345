// write_file_atomically: replaces a file whole or not at all (temporary file, then rename).
#pragma once

#include <string>

namespace orvane {

// Writes bytes to "<path>.tmp" in the same folder, forces them to the disk, then renames
// the temporary file over path. On any failure the temporary file is removed, path keeps
// its old content untouched, and the result is false. A crash at any moment leaves either
// the old or the new file at path, never a part of one.
bool write_file_atomically(const std::string& path, const std::string& bytes);

}  // namespace orvane
