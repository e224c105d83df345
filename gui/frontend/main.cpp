// The ORVANE window program: one instance per user, the main window, then the end.
#include <cstdio>
#include <cstring>

#include "engine/orvane_base.h"
#include "frontend/dialogapp.h"
#include "frontend/singleinstance.h"

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
  orvane::SingleInstance instance("JUSTTOCHECK");
  if (!instance.isFirst()) return 0;
  orvane::CDialogApp app(argc, argv);
  return app.MessageLoop();
}
