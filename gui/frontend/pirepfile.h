// PIREP files for both dialogs: an atomic unbuffered save, and a load with the decoder's message.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "pirep/PIREPData.h"

namespace orvane {

enum class PIREPFileResult {
  Done,
  CannotOpen,    // the file (or its temporary twin) could not be opened or read
  CannotWrite,   // a write or the final replace failed; an earlier file is left as it was
  CannotDecode,  // read, but not a PIREP file; the message says why
};

// Encrypts the report and replaces the file at path with it through a temporary file beside
// it, unbuffered and synced (write_file_atomically): a short write (a full disk) shows in the
// write's count. A new file gets mode 0600, an earlier one keeps its mode. On a failure no
// partial file is left. The encoder's exceptions pass through.
PIREPFileResult savePIREPFile(const PIREPData& report, const std::string& path);

struct LoadedPIREPFile {
  PIREPFileResult result = PIREPFileResult::CannotOpen;
  PIREPData report;     // when result is Done
  std::string message;  // the decoder's message, when result is CannotDecode
};

LoadedPIREPFile loadPIREPFile(const std::string& path);

// The folder of a chosen file (up to its last '/' or '\\'), for the file dialog's next start;
// empty for a bare name.
std::string folderOfFile(const std::string& path);

}  // namespace orvane
