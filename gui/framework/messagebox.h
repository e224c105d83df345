// The message box: one replaceable handler shows every box, so tests answer them.
// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/winconst.h"

namespace orvane {

// One box as asked for: text and caption (UTF-8, "\r\n" or "\n" line breaks) and MB_* style.
struct MessageBoxRequest {
  std::string text;
  std::string caption;
  UINT style = MB_OK;
  // The buttons' texts in place of the standard ones, in the style's order (may be empty).
  std::vector<std::string> labels;
};

// Answers a box with IDOK, IDCANCEL, IDYES or IDNO.
using MessageBoxHandler = std::function<int(const MessageBoxRequest&)>;

// Shows a modal box without owner window and returns the button pressed. The product's
// handler is a QMessageBox with the style's buttons and icon.
int ShowMessageBox(const std::string& text, const std::string& caption, UINT style);
// The same for a box whose request names its buttons' texts.
int ShowMessageBox(const MessageBoxRequest& request);

// Replaces the handler (tests); an empty one restores the real box. Returns the previous.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The real box, whatever handler is installed.
int ShowQtMessageBox(const MessageBoxRequest& request);

}  // namespace orvane
