// A desktop notification and the window's urgency hint: how the pilot learns, away from the
// window, that something waits for them.
// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace orvane {

// Shows a notification on the desktop (the freedesktop notification service on Linux, the
// tray's balloon on Windows; nothing where neither answers), never waiting for an answer,
// and asks the window system to mark window as wanting attention.
void notifyDesktop(QWidget* window, const std::string& title, const std::string& text);

// Tests take the notification here instead of the desktop; an empty handler gives the
// desktop back. Returns the handler that was set before.
using DesktopNoticeHandler = std::function<void(const std::string& title, const std::string& text)>;
DesktopNoticeHandler setDesktopNoticeHandler(DesktopNoticeHandler handler);

}  // namespace orvane
