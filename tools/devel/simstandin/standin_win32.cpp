// orvane-simstandin-win32: the simulator stand-in's server side as a hidden Win32 window.
// SPDX-License-Identifier: MIT
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "flightmodel/scenario.h"

#include "sim/fsuipc_client.h"
#include "sim/fsuipc_link.h"
#include "fsuipcserver/offset_memory.h"
#include "fsuipcserver/record_server.h"
#include "simstandin/player.h"
#include "simstandin/standin_win32_control.h"

namespace {

using namespace orvane;
using namespace orvane::standin;

// Everything the window procedure keeps; touched only by the window thread.
struct Standin {
  OffsetMemory memory;
  ServeSettings settings;
  std::uint32_t answer = 1;
  UINT ipc_message = 0;
  UINT control_message = 0;
  std::string window_class = FSUIPC_CLASS_MAIN;
  HANDLE resume = nullptr;  // the resume event
  DWORD away_ms = 0;  // how long at most the window stays away after it was destroyed
  bool quit = false;
  std::uint32_t messages = 0;
  std::vector<std::string> names;  // mapping names received, each once
  std::uint16_t lib_version = 0;
};

Standin server;

void say(const std::string& line) {
  std::printf("orvane-simstandin-win32: %s\n", line.c_str());
  std::fflush(stdout);
}

std::string atom_name(ATOM atom) {
  char name[256];
  const UINT n = GlobalGetAtomNameA(atom, name, sizeof name);
  return std::string(name, n);
}

// One batch: the atom names the client's mapping; serve its records, answer 1 (or the
// answer set by the test), 0 when the block cannot be reached or is malformed.
LRESULT serve_batch(WPARAM atom) {
  ++server.messages;
  const std::string name = atom_name(static_cast<ATOM>(atom));
  if (name.empty()) return 0;  // the client closed the link before we got here
  if (std::find(server.names.begin(), server.names.end(), name) == server.names.end()) {
    server.names.push_back(name);
    say("client linked through " + name);
  }
  HANDLE map = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name.c_str());
  if (map == nullptr) return 0;
  LRESULT answer = 0;
  void* view = MapViewOfFile(map, FILE_MAP_WRITE, 0, 0, FSUIPC_BLOCK_SIZE);
  if (view != nullptr) {
    const ServeOutcome outcome = serve_records(static_cast<std::uint8_t*>(view),
                                               FSUIPC_BLOCK_SIZE, server.memory, server.settings);
    if (outcome.lib_version_written) server.lib_version = outcome.lib_version;
    if (outcome.well_formed) answer = static_cast<LRESULT>(server.answer);
    UnmapViewOfFile(view);
  }
  CloseHandle(map);
  return answer;
}

LRESULT control(HWND hwnd, WPARAM command, LPARAM argument) {
  switch (command) {
    case CONTROL_PING:
      return 1;
    case CONTROL_SET_ANSWER:
      server.answer = static_cast<std::uint32_t>(argument);
      return 1;
    case CONTROL_SET_VERSIONS:
      server.settings.version = argument ? kBadVersion : kGoodVersion;
      server.settings.fs_version = argument ? kBadFsVersion : kGoodFsVersion;
      return 1;
    case CONTROL_HANG:
      // The caller goes on; every message after this one waits, as behind a stalled
      // simulator.
      ReplyMessage(1);
      WaitForSingleObject(server.resume, static_cast<DWORD>(argument));
      return 1;
    case CONTROL_WITHDRAW:
      server.away_ms = static_cast<DWORD>(argument);
      DestroyWindow(hwnd);  // gone before the caller gets the answer
      return 1;
    case CONTROL_SERVE_AS:
      server.window_class = argument ? FSUIPC_CLASS_FALLBACK : FSUIPC_CLASS_MAIN;
      server.away_ms = 0;
      DestroyWindow(hwnd);
      return 1;
    case CONTROL_MESSAGES:
      return static_cast<LRESULT>(server.messages);
    case CONTROL_NAMES:
      return static_cast<LRESULT>(server.names.size());
    case CONTROL_SEEN_NAME: {
      const std::string name = atom_name(static_cast<ATOM>(argument));
      return !name.empty() &&
             std::find(server.names.begin(), server.names.end(), name) != server.names.end();
    }
    case CONTROL_LIB_VERSION:
      return server.lib_version;
    case CONTROL_QUIT:
      server.quit = true;
      DestroyWindow(hwnd);
      return 1;
    default:
      return 0;
  }
}

LRESULT CALLBACK window_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != 0 && message == server.ipc_message) return serve_batch(wparam);
  if (message != 0 && message == server.control_message) return control(hwnd, wparam, lparam);
  switch (message) {
    case WM_CLOSE:
      server.quit = true;
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);  // ends this window's message loop; main decides what follows
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wparam, lparam);
  }
}

bool register_class(const char* name) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = window_procedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = name;
  return RegisterClassA(&wc) != 0;
}


// Options of a stand-in that flies a scenario (without them it only serves its memory).
struct PlayOptions {
  bool play = false;
  std::string scenario_file;  // empty: the built-in short flight
  std::string hold_file;      // stand at 0 s until this file exists
  double speed = 1.0;
};

int usage() {
  std::fprintf(stderr,
               "usage: orvane-simstandin-win32 [--class UIPCMAIN|FS98MAIN] [--play]\n"
               "         [--scenario FILE] [--speed X] [--hold-until FILE]\n"
               "  --play            fly the built-in short flight (also implied by the options\n"
               "                    below); without it the memory stands still\n");
  return 2;
}

// The scenario to fly, as the POSIX stand-in reads it; throws on a bad file.
model::FlightModel load_model(const PlayOptions& o) {
  model::FlightModel m = model::default_scenario();
  if (!o.scenario_file.empty()) {
    std::ifstream in(o.scenario_file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + o.scenario_file);
    std::ostringstream all;
    all << in.rdbuf();
    m = model::parse_scenario(all.str());
  }
  if (!o.hold_file.empty()) m.add_event(0.0, model::EventKind::HoldUntil, 0.0, o.hold_file);
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  PlayOptions play;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--class" && has_value) {
      server.window_class = argv[++i];
      if (server.window_class != FSUIPC_CLASS_MAIN &&
          server.window_class != FSUIPC_CLASS_FALLBACK) {
        std::fprintf(stderr, "orvane-simstandin-win32: --class must be UIPCMAIN or FS98MAIN\n");
        return 2;
      }
    } else if (arg == "--play") {
      play.play = true;
    } else if (arg == "--scenario" && has_value) {
      play.play = true;
      play.scenario_file = argv[++i];
    } else if (arg == "--hold-until" && has_value) {
      play.play = true;
      play.hold_file = argv[++i];
    } else if (arg == "--speed" && has_value) {
      play.play = true;
      char* end = nullptr;
      play.speed = std::strtod(argv[++i], &end);
      if (*end != '\0' || !(play.speed > 0.0) || play.speed > 1e6) return usage();
    } else {
      return usage();
    }
  }
  std::unique_ptr<Player> player;
  if (play.play) {
    try {
      // No connection events: the window stays; the flight plays into the memory it serves.
      player = std::make_unique<Player>(load_model(play), server.memory, nullptr, play.speed);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "orvane-simstandin-win32: %s\n", e.what());
      return 2;
    }
    player->set_report(say);
    player->apply(0.0);
  }
  server.ipc_message = RegisterWindowMessageA(FSUIPC_MESSAGE_NAME);
  server.control_message = RegisterWindowMessageA(kControlMessageName);
  server.resume = CreateEventA(nullptr, FALSE, FALSE, kResumeEventName);
  if (server.ipc_message == 0 || server.control_message == 0 || server.resume == nullptr ||
      !register_class(FSUIPC_CLASS_MAIN) || !register_class(FSUIPC_CLASS_FALLBACK)) {
    std::fprintf(stderr, "orvane-simstandin-win32: cannot register the window (error %lu)\n",
                 GetLastError());
    return 1;
  }
  if (player) player->start();
  for (;;) {
    // Hidden, top-level: the client finds it by class among the top-level windows.
    HWND hwnd = CreateWindowExA(0, server.window_class.c_str(), "ORVANE simulator stand-in",
                                WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (hwnd == nullptr) {
      std::fprintf(stderr, "orvane-simstandin-win32: cannot create the window (error %lu)\n",
                   GetLastError());
      return 1;
    }
    say("serving " + server.window_class);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (server.quit) break;
    if (server.away_ms > 0) say("window away for " + std::to_string(server.away_ms) + " ms");
    if (server.away_ms > 0) WaitForSingleObject(server.resume, server.away_ms);
  }
  if (player) player->stop();
  say("stopped");
  return 0;
}
