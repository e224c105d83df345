// The framework's core over Qt 6: the application object and the window wrapper with its routing.
// SPDX-License-Identifier: MIT
#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "framework/winconst.h"

class QApplication;

namespace orvane {

class CaretBlink;

// One per process. Makes the window system usable: it creates the QApplication unless
// one exists already (the tests make their own), and runs the event loop. Text carets blink
// only for a while after the user's last key press or click.
class CWinApp {
 public:
  CWinApp(int& argc, char** argv);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The one application object; null before it is constructed.
  static CWinApp* GetApp();

  // Runs the event loop until the quit message: its exit code's low 16 bits, or -1 when
  // there is no event loop to run. Ends at once when the quit message was posted before.
  int MessageLoop();
  // Asks the event loop to end with this code (also before it runs).
  static void PostQuitMessage(int exitCode);

 private:
  std::unique_ptr<QApplication> ownApp_;  // null when the QApplication came from elsewhere
  std::unique_ptr<CaretBlink> caretBlink_;  // goes before the application does
  static CWinApp* app_;
  static bool quitPosted_;
  static int quitCode_;
};

// What a control is drawn with. A control's colour request hands it to the object that
// answers it, which sets text colour, background and font (the device context of old).
struct ControlDC {
  QColor textColor;
  QFont font;
  QBrush background;          // used unless transparent
  bool transparent = false;   // let the parent's background show

  void SetTextColor(COLORREF colour);
  void SetBkTransparent() { transparent = true; }
  void SelectFont(const QFont& f) { font = f; }
};

// Wraps one widget. A CWnd that takes over a dialog's control (AttachDlgItem) receives the
// control's mouse, cursor and colour requests in WndProc and OnMessageReflect; the widget
// stays owned by its parent.
class CWnd : public QObject {
  Q_OBJECT

 public:
  CWnd();
  ~CWnd() override;

  QWidget* GetHwnd() const { return hwnd_; }

  // Takes over the control with that id inside parent (a dialog window). False when there
  // is no such control or it has an object already.
  bool AttachDlgItem(UINT id, QWidget* parent);
  bool AttachDlgItem(UINT id, const CWnd& parent) { return AttachDlgItem(id, parent.GetHwnd()); }
  // Gives the control back to Qt alone.
  void Detach();

  // The control with that id in this window, or null.
  QWidget* GetDlgItem(UINT id) const;
  // The object that took over a widget, or null.
  static CWnd* FromHandle(const QWidget* widget);

  // Redraws the window; a taken-over control asks for its colours again.
  void Invalidate();

  // The window's title (a dialog) or text (a control).
  std::string GetWindowText() const;
  void SetWindowText(const std::string& text);

  // Sets the window's icon from icon resource id (":/icons/<id>.png"), large or small size.
  virtual void SetIconLarge(UINT id);
  virtual void SetIconSmall(UINT id);

  // A message a parent reflects to its child's object: the colour requests (wParam is the
  // ControlDC*, lParam the control). Non-zero means handled. Default: 0.
  virtual LRESULT OnMessageReflect(UINT message, WPARAM wParam, LPARAM lParam);
  // A command from a control or a key; true when handled. Default: not handled.
  virtual bool OnCommand(UINT id);

  // Hands a message to this window's procedure (a dialog's DialogProc) and returns its result.
  virtual LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // The window procedure of a taken-over control. The default routes colour requests to
  // the child's object and hands everything else back to Qt (DefWindowProc).
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Lets Qt handle the message being processed as it would without this object.
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Offers a colour request about control to the control's own object first.
  static LRESULT ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam);

  void setHwnd(QWidget* widget) { hwnd_ = widget; }

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Asks the control's parent for the control's colours and applies the answer.
  void requestColors();
  void setIcon(UINT id, int size);

  QPointer<QWidget> hwnd_;
  bool attached_ = false;   // hwnd_ is a taken-over control, not a window of our own
  bool passToQt_ = false;   // set by DefWindowProc while a message is routed
};

// The colour request a control of this kind sends (static, edit or button).
UINT ColorMessageFor(const QWidget* control);

}  // namespace orvane
