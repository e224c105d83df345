// write_file_atomically: replaces a file whole or not at all; append_file_synced; both private to their owner.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace orvane {

// Why a write_file_atomically failed.
struct FileWriteError {
  // False: the temporary file could not even be made (a folder that is missing or cannot be
  // written). True: it was made, and a write, the sync or the final replace failed.
  bool created = false;
  // The file concerned and the system's message, e.g. "[/x/orvane.ini.tmp]: Not a directory".
  std::string reason;
};

// Writes bytes to "<path>.tmp" in the same folder, forces them to the disk, then renames
// the temporary file over path (and, on POSIX, syncs the folder). A new file gets mode 0600
// (its owner may read and write it, nobody else); an existing file keeps its mode. On any
// failure the temporary file is removed, path keeps its old content untouched, the result
// is false and *error (when given) says why. A crash at any moment leaves either the old or
// the new file at path, never a part of one. ownerOnly: the file gets mode 0600 whatever
// mode the old one had (for a secret it holds). Any thread; two writers of one path at once
// are the caller's to prevent.
bool write_file_atomically(const std::string& path, const std::string& bytes,
                           FileWriteError* error = nullptr, bool ownerOnly = false);

// Appends bytes to the file at path (made with mode 0600 when missing; an existing file keeps
// its mode) and forces them to the disk before it returns; a new file's folder entry is
// synced too. A crash may leave a part of bytes at the end: the caller's framing tells it
// (see record_file.h). False with *error (when given) on any failure.
bool append_file_synced(const std::string& path, const std::string& bytes,
                        FileWriteError* error = nullptr);

}  // namespace orvane
