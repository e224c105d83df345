// Window test support: box and file answers, modal runs.
// SPDX-License-Identifier: MIT
#include "gui_support.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

namespace orvane::test {

MessageBoxScript::MessageBoxScript() {
  previous_ = SetMessageBoxHandler([this](const MessageBoxRequest& r) {
    shown.push_back(r);
    if (onShow) onShow(r);
    if (!answers_.empty()) {
      const int a = answers_.front();
      answers_.pop_front();
      return a;
    }
    switch (r.style & MB_TYPEMASK) {
      case MB_OKCANCEL: return IDCANCEL;
      case MB_YESNO: return IDNO;
      default: return IDOK;
    }
  });
}

MessageBoxScript::~MessageBoxScript() { SetMessageBoxHandler(previous_); }

FileDialogScript::FileDialogScript() {
  previous_ = SetFileDialogHandler([this](const FileDialogRequest& r) -> std::optional<std::string> {
    shown.push_back(r);
    if (onShow) onShow(r);
    if (picks_.empty()) return std::nullopt;
    auto p = picks_.front();
    picks_.pop_front();
    return p;
  });
}

FileDialogScript::~FileDialogScript() { SetFileDialogHandler(previous_); }

INT_PTR runModal(CDialog& dialog, const std::function<void()>& script) {
  // The watchdog counts from the script's end: a script takes what its own bounded waits
  // take on a busy machine, and the dialog must end soon after it.
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, [&dialog] {
    ADD_FAILURE() << "dialog still open";
    dialog.EndDialog(-99);
  });
  QTimer::singleShot(0, &watchdog, [&dialog, &watchdog, script] {
    if (dialog.GetHwnd() != nullptr) {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.GetHwnd()));
    }
    script();
    watchdog.start(30000);
  });
  return dialog.DoModal();
}

bool waitFor(const std::function<bool()>& pred, int timeout_ms) {
  QElapsedTimer t;
  t.start();
  while (!pred()) {
    if (t.elapsed() > timeout_ms) return false;
    QTest::qWait(5);
  }
  return true;
}

}  // namespace orvane::test
