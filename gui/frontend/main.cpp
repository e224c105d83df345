// The ORVANE window program: one instance per user and per folder, the main window, the end.
// SPDX-License-Identifier: MIT
#include <QApplication>
#include <cstdio>
#include <cstring>

#include "engine/orvane_base.h"
#include "frontend/dialogapp.h"
#include "frontend/singleinstance.h"
#include "frontend/startup.h"
#include "util/working_folder.h"

namespace {

const char kHelp[] =
    "Usage: orvane [--version | --help]\n"
    "ORVANE tracks your flight in the simulator and reports it to your virtual airline.\n"
    "It has no options: it reads orvane.ini in the folder it starts in, writes orvane.log\n"
    "there, and keeps an unsaved PIREP in lastpirep.ovp. Settings are made in its window\n"
    "(ORVANE Preferences).\n";

}  // namespace

int main(int argc, char** argv) {
  // These two answer without a window and change nothing.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("%s\n", orvane::ORVANE::getVersion().c_str());
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  // A second window of this user ends silently, as ever. One ORVANE per working folder: a
  // window that finds its folder held (by an orvane-cli, or another user's window) says so
  // and ends before it touches anything there.
  orvane::WorkingFolderLock folder(".");
  orvane::SingleInstance instance("JUSTTOCHECK");
  if (!instance.isFirst()) return 0;
  if (folder.taken()) {
    QApplication box(argc, argv);
    orvane::showFolderTaken(folder.message());
    return 1;
  }
  if (folder.held()) orvane::keep_previous_log(orvane::ORVANE::getLogFilePath());
  orvane::CDialogApp app(argc, argv);
  return app.MessageLoop();
}
