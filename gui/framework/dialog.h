// CDialog: a dialog from a layout resource, with the routing of Enter, Escape and commands.
// SPDX-License-Identifier: MIT
#pragma once

#include <QPoint>
#include <QSize>
#include <memory>

#include "framework/wincore.h"

class QDialog;

namespace orvane {

// Lays out one dialog resource's controls in a window (a Qt Designer form's setupUi).
using DialogTemplate = void (*)(QDialog* window);

class DialogWindow;

// A modal dialog. The routing: Enter -> OnOK (command 1), Escape or the close box ->
// OnCancel (command 2), every other control command -> OnCommand(id) and nothing else;
// a control's colour request is offered to the control's own object first.
//
// Controls in the layout carry their numeric id in the dynamic property "id". Line edits
// with the property "digitsOnly" accept digits only; with "upperCase" they turn letters
// into capitals as they are typed.
class CDialog : public CWnd {
  Q_OBJECT

 public:
  // owner: the window this dialog belongs to, or null for a dialog on its own.
  CDialog(UINT resourceId, DialogTemplate layout, QWidget* owner = nullptr);
  ~CDialog() override;

  UINT GetResourceId() const { return resourceId_; }
  QWidget* GetOwner() const { return owner_; }

  // Runs the dialog modally and returns the value given to EndDialog. Refuses (a box with
  // "CDialog::DoModal ... Window already exists", result 0) while the window exists.
  virtual INT_PTR DoModal();
  // Ends the modal dialog with that result and forgets the window.
  virtual void EndDialog(INT_PTR result);
  // Centres the window over its owner, or over the screen's available area without one;
  // clamped so that the whole window stays inside the available area.
  virtual void Center();
  // Makes the window no larger than its screen's free area (down to its minimum size).
  void FitToScreen();
  // The dialog procedure; overrides call this one for everything they leave alone.
  // Returns non-zero when the message was handled.
  virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);

  // The session ends (logout, a quit signal): the window closes without asking anything.
  // Default: OnCancel.
  virtual void OnEndSession();

  LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    return DialogProc(message, wParam, lParam);
  }

 protected:
  // Default: EndDialog(IDOK).
  virtual void OnOK();
  // Default: EndDialog(IDCANCEL).
  virtual void OnCancel();
  // Called before the dialog shows; true accepts the default focus.
  virtual bool OnInitDialog();
  // Enter or Return pressed in a control that does not take it itself (a push button
  // clicks itself). Default: the OK command, as a dialog's default button does.
  virtual void OnReturnKey();
  // F1 pressed. Default: nothing.
  virtual void OnHelp();

 private:
  friend class DialogWindow;
  // Lays out the controls and wires their commands.
  void createControls(DialogWindow& window);

  const UINT resourceId_;
  const DialogTemplate layout_;
  QWidget* const owner_;
  std::unique_ptr<DialogWindow> window_;  // exists while DoModal runs
  INT_PTR result_ = 0;
  bool ended_ = false;  // EndDialog came during this run
  QPoint centredAt_;    // where Center put the window, and the frame size it assumed
  QSize centredSize_;
};

}  // namespace orvane
