// Start-up messages of the window program: a folder taken by another ORVANE, or unwritable.
// SPDX-License-Identifier: MIT
#include "frontend/startup.h"

#include <cstdio>

#include "framework/dialoghelpers.h"
#include "framework/messagebox.h"
#include "util/working_folder.h"

namespace orvane {

void showFolderTaken(const std::string& message) {
  std::fprintf(stderr, "orvane: %s\n", message.c_str());
  ShowMessageBox(message, loadString(800), MB_ICONERROR);
}

bool reportUnwritableFolder(const std::string& folder) {
  std::string message;
  if (check_folder_writable(folder, &message)) return true;
  std::fprintf(stderr, "orvane: %s\n", message.c_str());
  ShowMessageBox(message, loadString(800), MB_ICONWARNING);
  return false;
}

}  // namespace orvane
