// GetFileName: the handler seam and the real QFileDialog behind it.
// SPDX-License-Identifier: MIT
#include "framework/filedialog.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QSize>
#include <QStringList>
#include <QTreeView>
#include <utility>

namespace orvane {

namespace {

FileDialogHandler& handler() {
  static FileDialogHandler h;
  return h;
}

std::optional<std::string> showQtFileDialog(const FileDialogRequest& request) {
  QFileDialog dialog(request.owner);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save || !request.mustExist ? QFileDialog::AnyFile
                                                          : QFileDialog::ExistingFile);
  QStringList filters;
  for (const FileFilter& f : request.filters) {
    // "*.*" means every file where the pair comes from; here it would skip names
    // without a dot. The shown text stays the pair's own (details hidden).
    const QString pattern = f.pattern == "*.*" ? QStringLiteral("*")
                                               : QString::fromStdString(f.pattern);
    filters << QString::fromStdString(f.name) + QStringLiteral(" (") + pattern +
                   QStringLiteral(")");
  }
  dialog.setNameFilters(filters);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
  // Qt's own dialog (where the desktop gives none) cut its size and date columns short:
  // they take the width of their contents, the name the rest.
  dialog.resize(dialog.sizeHint().expandedTo(QSize(700, 420)));
  if (auto* files = dialog.findChild<QTreeView*>()) {
    QHeaderView* header = files->header();
    for (int column = 1; column < header->count(); ++column)
      header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
  }
  if (!request.folder.empty()) dialog.setDirectory(QString::fromStdString(request.folder));
  if (!request.proposedName.empty()) dialog.selectFile(QString::fromStdString(request.proposedName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

}  // namespace

std::optional<std::string> GetFileName(const FileDialogRequest& request) {
  return handler() ? handler()(request) : showQtFileDialog(request);
}

FileDialogHandler SetFileDialogHandler(FileDialogHandler h) {
  return std::exchange(handler(), std::move(h));
}

}  // namespace orvane
