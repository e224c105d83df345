// Control messages of the Win32 stand-in: how a test in another process steers it.
// SPDX-License-Identifier: MIT
#pragma once

namespace orvane::standin {

// Registered window message a test sends to the stand-in's window: the command in the first
// parameter, its argument in the second; the stand-in's answer is the message result.
inline constexpr const char* kControlMessageName = "OrvaneStandin:Control";
// Named auto-reset event that ends a hang or a withdrawal before its time is up, so that a
// test need not guess how long its checks take.
inline constexpr const char* kResumeEventName = "OrvaneStandin:Resume";

enum StandinCommand : unsigned {
  CONTROL_PING = 1,          // answers 1 once every message sent before it has been handled
  CONTROL_SET_ANSWER = 2,    // argument: value answered for a served batch (1 normally)
  CONTROL_SET_VERSIONS = 3,  // argument 0: versions the client accepts, 1: versions it refuses
  CONTROL_HANG = 4,          // answers 1 at once, then leaves the window unanswering until
                             // the resume event, at most argument milliseconds
  CONTROL_WITHDRAW = 5,      // destroys the window; it comes back on the resume event, at
                             // the latest after argument milliseconds
  CONTROL_SERVE_AS = 6,      // argument 0: window class "UIPCMAIN", 1: "FS98MAIN"; the
                             // window is recreated under that class at once
  CONTROL_MESSAGES = 7,      // answers the number of batch messages received so far
  CONTROL_NAMES = 8,         // answers the number of different mapping names received
  CONTROL_SEEN_NAME = 9,     // argument: a global atom; answers 1 if its name was received
  CONTROL_LIB_VERSION = 10,  // answers the last value written to offset 0x330A
  CONTROL_QUIT = 11,         // ends the stand-in
};

}  // namespace orvane::standin
