// The dialog helpers: reading controls by id, the string table, and the message box by ids.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "framework/winconst.h"

class QWidget;

namespace orvane {

// The control with that id (its dynamic property "id") inside window, or null.
QWidget* FindDlgItem(const QWidget* window, UINT id);

// A control's text as the window system gives it: line edits, labels and buttons their
// text, group boxes their title, multi-line edits their lines joined by "\r\n". UTF-8.
// Buttons, group boxes and labels with a buddy give their text as read, without the
// mnemonic's marker.
std::string GetWindowText(const QWidget* control);
// Sets a control's text; "\r\n" and "\n" each make one line break. A button with a
// "mnemonic" property (one letter) gets that letter marked in the new text.
void SetWindowText(QWidget* control, const std::string& text);

void SetDlgItemText(const QWidget* window, UINT id, const std::string& text);
void CheckDlgButton(const QWidget* window, UINT id, bool checked);
bool IsDlgButtonChecked(const QWidget* window, UINT id);
void EnableDlgItem(const QWidget* window, UINT id, bool enabled);

// The text of a dialog's control: at most 1023 bytes (whole UTF-8 characters); empty when
// there is no such control.
std::string getItemString(const QWidget* window, UINT id);
// The control's text (at most 127 bytes) read as an int the way To_t reads it; 0 if empty.
int getItemInteger(const QWidget* window, UINT id);
// The user-interface string of that id in the pilot's language (the installed translation);
// empty if there is none. Only for what the pilot reads: the log and the wire keep English.
std::string loadString(UINT id);
// A modal message box without owner: text and caption from the string table, the style
// flags MB_*; returns the button pressed (IDOK, IDCANCEL, IDYES or IDNO).
int MessBox(UINT textId, UINT captionId, UINT style);

}  // namespace orvane
