// Small operating-system steps that the portable code needs, one function each.
// SPDX-License-Identifier: MIT
#pragma once

namespace orvane {

// Makes writes to a closed socket or pipe fail with an error instead of ending the process
// (POSIX SIGPIPE); nothing to do on Windows. Safe to call more than once.
void ignoreBrokenPipeSignal();

}  // namespace orvane
