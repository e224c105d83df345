// Start-up of the window program in its working folder: what the pilot is told when another
// ORVANE holds the folder, or when the folder cannot be written.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace orvane {

// Tells the pilot, in a box and on stderr, that this ORVANE ends at once because another
// one works in the same folder (message: WorkingFolderLock::message()). Needs the
// application object.
void showFolderTaken(const std::string& message);

// Checks that folder can be written (check_folder_writable); when it cannot, says why in a
// box and on stderr, once. True when it can be written.
bool reportUnwritableFolder(const std::string& folder);

}  // namespace orvane
