// The POSIX side of the small operating-system steps (platform.h); empty steps elsewhere.
// SPDX-License-Identifier: MIT
#include "util/platform.h"

#ifndef _WIN32
#include <csignal>
#endif

namespace orvane {

void ignoreBrokenPipeSignal() {
#ifndef _WIN32
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

}  // namespace orvane
