// The file dialogs: one replaceable handler picks every file, so tests choose them.
// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace orvane {

// One filter pair: the text shown and the pattern, e.g. "All Files (*.*)" and "*.*".
struct FileFilter {
  std::string name;
  std::string pattern;
};

struct FileDialogRequest {
  bool save = false;              // save dialog; else open dialog
  QWidget* owner = nullptr;
  std::string proposedName;       // file name filled in at the start
  std::string folder;             // the folder shown at the start; empty: the current one
  std::vector<FileFilter> filters;
  bool mustExist = false;         // open: the file; save: its folder
  bool confirmOverwrite = false;  // save: ask before replacing a file
};

// The chosen path (UTF-8), or nothing when the pilot cancelled.
using FileDialogHandler = std::function<std::optional<std::string>(const FileDialogRequest&)>;

std::optional<std::string> GetFileName(const FileDialogRequest& request);

// Replaces the handler (tests); an empty one restores the real QFileDialog. Returns the
// previous one.
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);

}  // namespace orvane
