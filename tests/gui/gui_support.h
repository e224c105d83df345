// Window test support: scripted answers for message boxes and file dialogs, and a modal run
// driven from inside its own event loop.
// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/filedialog.h"
#include "framework/messagebox.h"

namespace orvane::test {

// Answers every message box while it lives, and keeps what each box asked.
class MessageBoxScript {
 public:
  MessageBoxScript();
  ~MessageBoxScript();
  MessageBoxScript(const MessageBoxScript&) = delete;
  MessageBoxScript& operator=(const MessageBoxScript&) = delete;

  // The answer to the next box; without one, OK boxes get IDOK, OK/Cancel IDCANCEL and
  // Yes/No IDNO.
  void answer(int button) { answers_.push_back(button); }
  // The answer to the very next box, before those queued already.
  void answerFirst(int button) { answers_.push_front(button); }

  std::vector<MessageBoxRequest> shown;
  // Called as each box shows (after it has been recorded).
  std::function<void(const MessageBoxRequest&)> onShow;

 private:
  std::deque<int> answers_;
  MessageBoxHandler previous_;
};

// Picks the files of the file dialogs while it lives, and keeps what each dialog asked.
class FileDialogScript {
 public:
  FileDialogScript();
  ~FileDialogScript();
  FileDialogScript(const FileDialogScript&) = delete;
  FileDialogScript& operator=(const FileDialogScript&) = delete;

  // The next dialog's choice: a path, or nothing for Cancel (also when none is queued).
  void pick(std::optional<std::string> path) { picks_.push_back(std::move(path)); }

  std::vector<FileDialogRequest> shown;
  std::function<void(const FileDialogRequest&)> onShow;

 private:
  std::deque<std::optional<std::string>> picks_;
  FileDialogHandler previous_;
};

// Runs dialog.DoModal(); script runs inside the modal loop once the window is up. A dialog
// still open 30 seconds after the script has returned is ended with -99 and the test fails.
INT_PTR runModal(CDialog& dialog, const std::function<void()>& script);

// Processes events (real time) until pred holds or timeout_ms pass; the window keeps working.
bool waitFor(const std::function<bool()>& pred, int timeout_ms = 10000);

}  // namespace orvane::test
