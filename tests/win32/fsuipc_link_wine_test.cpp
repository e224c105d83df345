// The FSUIPC client over its Win32 link against the Win32 stand-in in another process.
// SPDX-License-Identifier: MIT
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sim/flightdata_msfs.h"
#include "sim/fsuipc_client.h"
#include "sim/fsuipc_link.h"
#include "fsuipcserver/record_server.h"
#include "simstandin/standin_win32_control.h"
#include "win32/check.h"
#include "win32/import_patch.h"

namespace {

using namespace orvane;
using namespace orvane::standin;
using orvane::wintest::group;
using orvane::wintest::ImportPatch;

// The texts of the result codes, as the pilot reads them in the log.
const char* const kTexts[] = {
    "Okay",
    "Attempt to Open when already Open",
    "Cannot link to FSUIPC or WideClient",
    "Failed to Register common message with Windows",
    "Failed to create Atom for mapping filename",
    "Failed to create a file mapping object",
    "Failed to open a view to the file map",
    "Incorrect version of FSUIPC, or not FSUIPC",
    "Sim is not version requested",
    "Call cannot execute, link not Open",
    "Call cannot execute: no requests accumulated",
    "IPC timed out all retries",
    "IPC sendmessage failed all retries",
    "IPC request contains bad data",
    "Maybe running on WideClient, but FS not running on Server, or wrong FSUIPC",
    "Read or Write request cannot be added, memory for Process is full",
};

UINT control_message = 0;

// The code by its number, and the text fsuipc_error gives for it.
#define CHECK_CODE(code, expected)                                                   \
  do {                                                                               \
    const std::uint32_t seen_code = (code);                                          \
    CHECK_EQ(seen_code, std::uint32_t{expected});                                    \
    CHECK_EQ(std::string(fsuipc_error(seen_code)), std::string(kTexts[expected]));   \
  } while (0)

HWND find_standin(const char* window_class = FSUIPC_CLASS_MAIN) {
  return FindWindowExA(nullptr, nullptr, window_class, nullptr);
}

// Waits for the stand-in's window, polling every 50 ms for at most timeout_ms.
bool wait_for_standin(DWORD timeout_ms, const char* window_class = FSUIPC_CLASS_MAIN) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  while (find_standin(window_class) == nullptr) {
    if (GetTickCount64() > end) return false;
    Sleep(50);
  }
  return true;
}

// Sends a control command to the stand-in; its answer, or ~0 when it did not answer.
std::uintptr_t control(unsigned command, std::uintptr_t argument = 0,
                       const char* window_class = FSUIPC_CLASS_MAIN, UINT timeout_ms = 30000) {
  HWND hwnd = find_standin(window_class);
  DWORD_PTR answer = 0;
  if (hwnd == nullptr || !SendMessageTimeoutA(hwnd, control_message, command,
                                              static_cast<LPARAM>(argument), SMTO_BLOCK,
                                              timeout_ms, &answer)) {
    return ~std::uintptr_t{0};
  }
  return answer;
}

std::string expected_name(std::uint32_t tries) {
  char name[64];
  std::snprintf(name, sizeof name, "FsasmLib:IPC:%lX:%X", GetCurrentProcessId(), tries);
  return name;
}

bool mapping_exists(const std::string& name) {
  HANDLE h = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
  if (h == nullptr) return false;
  CloseHandle(h);
  return true;
}

// Ends the stand-in's hang or withdrawal.
bool resume_standin() {
  HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, kResumeEventName);
  if (event == nullptr) return false;
  const bool ok = SetEvent(event) != 0;
  CloseHandle(event);
  return ok;
}

bool atom_exists(const std::string& name) { return GlobalFindAtomA(name.c_str()) != 0; }

// Whether the stand-in received this mapping name in a batch.
bool standin_saw(const std::string& name) {
  const ATOM atom = GlobalAddAtomA(name.c_str());
  const bool seen = control(CONTROL_SEEN_NAME, atom) == 1;
  GlobalDeleteAtom(atom);
  return seen;
}

std::uint32_t open_link() {
  std::uint32_t code = 99;
  FSUIPC_Open(0, &code);
  return code;
}

// Each offset FlightData_MSFS reads, with its width in bytes.
struct Offset {
  std::uint32_t offset;
  std::uint32_t size;
};
std::vector<Offset> flightdata_offsets() {
  using F = FlightData_MSFS;
  std::vector<Offset> all = {
      {F::DATAREF_SIMRATE, 2},   {F::DATAREF_SLEW, 2},       {F::DATAREF_CRASHED, 2},
      {F::DATAREF_ONGROUND, 2},  {F::DATAREF_PAUSED, 2},     {F::DATAREF_AGL, 4},
      {F::DATAREF_TAIL, 12},     {F::DATAREF_GNDSPEED, 4},   {F::DATAREF_LAT, 8},
      {F::DATAREF_LON, 8},       {F::DATAREF_ALTITUDE, 4},   {F::DATAREF_WINDDIR, 2},
      {F::DATAREF_WINDSPEED, 2}, {F::DATAREF_IAS, 4},        {F::DATAREF_TAS, 4},
      {F::DATAREF_VSPEED, 4},    {F::DATAREF_OAT, 2},        {F::DATAREF_TAT, 2},
      {F::DATAREF_HDG, 4},       {F::DATAREF_VAR, 2},        {F::DATAREF_FLIGHTMODE, 1},
      {F::DATAREF_INMENU, 1},    {F::DATAREF_ACTCOUNT, 2},   {F::DATAREF_ZFW, 4},
      {F::DATAREF_WEIGHT_TOTAL, 8}, {F::DATAREF_NUM_ENG, 2},
      {F::DATAREF_ALTITUDE_FRACTION, 4}, {F::DATAREF_PITCH, 4},  {F::DATAREF_BANK, 4},
      {F::DATAREF_TOUCHDOWN_VS, 4}, {F::DATAREF_GFORCE, 2},
  };
  for (int i = 0; i < 4; ++i) {
    all.push_back({F::DATAREF_ENG_N1[i], 2});
    all.push_back({F::DATAREF_ENG_N2[i], 2});
    all.push_back({F::DATAREF_COMBUSTION[i], 2});
  }
  return all;
}

std::uint8_t pattern(std::size_t record, std::size_t byte) {
  return static_cast<std::uint8_t>(record * 37 + byte * 11 + 5);
}

void no_server_gives_code_2() {
  group("no server window: code 2");
  CHECK_EQ(control(CONTROL_WITHDRAW, 60000), std::uintptr_t{1});
  CHECK(find_standin() == nullptr);
  CHECK(find_standin(FSUIPC_CLASS_FALLBACK) == nullptr);
  CHECK_CODE(open_link(), 2);
  CHECK(!fsuipc_is_open());
  CHECK(resume_standin());
  CHECK(wait_for_standin(20000));
}

void handshake_and_every_flightdata_offset() {
  group("handshake, then reads and writes of every offset FlightData_MSFS uses");
  const std::uint32_t tries = fsuipc_try_count();
  CHECK_CODE(open_link(), 0);
  CHECK(fsuipc_is_open());
  CHECK_EQ(FSUIPC_Version, kGoodVersion);
  CHECK_EQ(FSUIPC_FS_Version, kGoodFsVersion & 0xFFFFu);
  CHECK_EQ(control(CONTROL_LIB_VERSION), std::uintptr_t{FSUIPC_Lib_Version});
  CHECK_EQ(fsuipc_mapping_name(), expected_name(tries + 1));
  CHECK(standin_saw(fsuipc_mapping_name()));
  CHECK(mapping_exists(fsuipc_mapping_name()));
  CHECK(atom_exists(fsuipc_mapping_name()));

  std::uint32_t code = 99;
  CHECK(!FSUIPC_Open(0, &code));
  CHECK_CODE(code, 1);
  CHECK(fsuipc_is_open());
  CHECK(!FSUIPC_Process(&code));
  CHECK_CODE(code, 10);

  const std::vector<Offset> offsets = flightdata_offsets();
  std::vector<std::vector<std::uint8_t>> written(offsets.size());
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    for (std::uint32_t b = 0; b < offsets[i].size; ++b) written[i].push_back(pattern(i, b));
    CHECK(FSUIPC_Write(offsets[i].offset, offsets[i].size, written[i].data(), &code));
  }
  CHECK(FSUIPC_Process(&code));
  CHECK_CODE(code, 0);

  std::vector<std::vector<std::uint8_t>> read(offsets.size());
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    read[i].assign(offsets[i].size, 0xEE);
    CHECK(FSUIPC_Read(offsets[i].offset, offsets[i].size, read[i].data(), &code));
  }
  CHECK(FSUIPC_Process(&code));
  CHECK_CODE(code, 0);
  for (std::size_t i = 0; i < offsets.size(); ++i) CHECK(read[i] == written[i]);
  FSUIPC_Close();
}

void flightdata_msfs_reads_through_the_link() {
  group("FlightData_MSFS reads the stand-in through the Win32 link");
  std::uint32_t code = 99;
  CHECK_CODE(open_link(), 0);
  const std::int32_t altitude_m = 1000;
  const std::uint32_t half_metre = 0x80000000u;
  const std::int16_t engines = 2;
  const std::int16_t on_ground = 1;
  const char tail[12] = "D-ORVN";
  CHECK(FSUIPC_Write(FlightData_MSFS::DATAREF_ALTITUDE, 4, &altitude_m, &code));
  CHECK(FSUIPC_Write(FlightData_MSFS::DATAREF_ALTITUDE_FRACTION, 4, &half_metre, &code));
  CHECK(FSUIPC_Write(FlightData_MSFS::DATAREF_NUM_ENG, 2, &engines, &code));
  CHECK(FSUIPC_Write(FlightData_MSFS::DATAREF_ONGROUND, 2, &on_ground, &code));
  CHECK(FSUIPC_Write(FlightData_MSFS::DATAREF_TAIL, 12, tail, &code));
  CHECK(FSUIPC_Process(&code));
  FSUIPC_Close();

  FlightData_MSFS source(nullptr);  // opens the link itself
  CHECK(fsuipc_is_open());
  CHECK_EQ(source.getAircraftRegistration(), std::string("D-ORVN"));
  CHECK_EQ(source.getNumberEngines(), 2);
  CHECK(source.isOnGround());
  CHECK_EQ(source.getAltitude(), 3282);  // 1000.5 m is 3282.48 ft
  CHECK(source.lastReadOk());
}

void block_limit_holds_to_the_byte() {
  group("the 32512-byte limit");
  std::uint32_t code = 99;
  CHECK_CODE(open_link(), 0);
  // A write needs 12 header bytes and the 4-byte end marker: 32496 data bytes fit.
  std::vector<std::uint8_t> data(32497);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = pattern(7, i);
  CHECK(!FSUIPC_Write(0x4000, 32497, data.data(), &code));
  CHECK_CODE(code, 15);
  CHECK_EQ(fsuipc_queued_bytes(), std::size_t{0});
  CHECK(FSUIPC_Write(0x4000, 32496, data.data(), &code));
  CHECK_CODE(code, 0);
  CHECK_EQ(fsuipc_queued_bytes(), std::size_t{32508});
  CHECK(!FSUIPC_Write(0x4000, 0, data.data(), &code));
  CHECK_CODE(code, 15);
  CHECK(FSUIPC_Process(&code));
  CHECK_CODE(code, 0);

  // A read needs 16 header bytes and the end marker: 32492 data bytes fit.
  std::vector<std::uint8_t> back(32493, 0);
  CHECK(!FSUIPC_Read(0x4000, 32493, back.data(), &code));
  CHECK_CODE(code, 15);
  CHECK_EQ(fsuipc_queued_bytes(), std::size_t{0});
  CHECK(FSUIPC_Read(0x4000, 32492, back.data(), &code));
  CHECK_EQ(fsuipc_queued_bytes(), std::size_t{32508});
  CHECK(!FSUIPC_Read(0x4000, 0, nullptr, &code));
  CHECK_CODE(code, 15);
  CHECK(FSUIPC_Process(&code));
  CHECK_CODE(code, 0);
  CHECK(std::memcmp(back.data(), data.data(), 32492) == 0);
  CHECK_EQ(back[32492], std::uint8_t{0});  // nothing copied past what was asked
  FSUIPC_Close();
}

void refusing_server_answers() {
  group("answer other than 1: code 13; refused versions: codes 7 and 14");
  std::uint32_t code = 99;
  CHECK_CODE(open_link(), 0);
  std::uint32_t value = 0;
  CHECK_EQ(control(CONTROL_SET_ANSWER, 0), std::uintptr_t{1});
  CHECK(FSUIPC_Read(FlightData_MSFS::DATAREF_ALTITUDE, 4, &value, &code));
  CHECK(!FSUIPC_Process(&code));
  CHECK_CODE(code, 13);
  CHECK(fsuipc_is_open());
  CHECK_EQ(control(CONTROL_SET_ANSWER, 1), std::uintptr_t{1});
  FSUIPC_Close();

  CHECK_EQ(control(CONTROL_SET_VERSIONS, 1), std::uintptr_t{1});
  std::string name = expected_name(fsuipc_try_count() + 1);
  CHECK_CODE(open_link(), 7);
  CHECK(!fsuipc_is_open());
  CHECK(!atom_exists(name));
  CHECK(!mapping_exists(name));

  CHECK_EQ(control(CONTROL_SERVE_AS, 1), std::uintptr_t{1});
  CHECK(wait_for_standin(20000, FSUIPC_CLASS_FALLBACK));
  CHECK(find_standin() == nullptr);
  CHECK_CODE(open_link(), 14);
  CHECK_EQ(control(CONTROL_SET_VERSIONS, 0, FSUIPC_CLASS_FALLBACK), std::uintptr_t{1});
  CHECK_CODE(open_link(), 0);  // the fallback window serves when it is the only one
  FSUIPC_Close();
  CHECK_EQ(control(CONTROL_SERVE_AS, 0, FSUIPC_CLASS_FALLBACK), std::uintptr_t{1});
  CHECK(wait_for_standin(20000));
}

void server_that_never_answers_times_out() {
  group("a server that never answers: code 12, SendMessageTimeout's ERROR_TIMEOUT");
  constexpr std::uint32_t kTimeoutMs = 250;
  std::uint32_t code = 99;
  CHECK_CODE(open_link(), 0);
  fsuipc_set_send_timeout_ms(kTimeoutMs);
  std::uint32_t value = 0xA5A5A5A5u;
  CHECK(FSUIPC_Read(FlightData_MSFS::DATAREF_ALTITUDE, 4, &value, &code));
  // The window stays unanswering until resumed (a minute at most).
  CHECK_EQ(control(CONTROL_HANG, 60000), std::uintptr_t{1});
  const auto start = std::chrono::steady_clock::now();
  CHECK(!FSUIPC_Process(&code));
  const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
  CHECK(resume_standin());
  CHECK_CODE(code, 12);
  CHECK(waited >= 9 * kTimeoutMs);  // every one of the nine attempts waited its time-out
  CHECK_EQ(value, 0xA5A5A5A5u);     // nothing copied back
  CHECK(fsuipc_is_open());
  CHECK_EQ(fsuipc_queued_bytes(), std::size_t{0});
  FSUIPC_Close();
  fsuipc_set_send_timeout_ms(2000);
  // Answers once the hang is over and the batches left waiting have been handled.
  CHECK_EQ(control(CONTROL_PING), std::uintptr_t{1});
}

void every_open_uses_a_new_mapping_name() {
  group("a new mapping name on every open");
  const std::uintptr_t names_before = control(CONTROL_NAMES);
  std::vector<std::string> names;
  for (int i = 0; i < 3; ++i) {
    const std::uint32_t tries = fsuipc_try_count();
    CHECK_CODE(open_link(), 0);
    CHECK_EQ(fsuipc_mapping_name(), expected_name(tries + 1));
    names.push_back(fsuipc_mapping_name());
    CHECK(standin_saw(names.back()));
    FSUIPC_Close();
  }
  CHECK(names[0] != names[1] && names[1] != names[2] && names[0] != names[2]);
  CHECK_EQ(control(CONTROL_NAMES), names_before + 3);
}

void atom_is_released() {
  group("no batch keeps the atom; close releases it");
  std::uint32_t code = 99;
  CHECK_CODE(open_link(), 0);
  const std::string name = fsuipc_mapping_name();
  const std::uintptr_t messages_before = control(CONTROL_MESSAGES);
  std::uint32_t value = 0;
  for (int i = 0; i < 20; ++i) {
    CHECK(FSUIPC_Read(FlightData_MSFS::DATAREF_ALTITUDE, 4, &value, &code));
    CHECK(FSUIPC_Process(&code));
    CHECK(atom_exists(name));
  }
  CHECK_EQ(control(CONTROL_MESSAGES), messages_before + 20);
  FSUIPC_Close();
  // Had the stand-in or the link taken a reference per batch, the atom would outlive this.
  CHECK(!atom_exists(name));
  CHECK(!mapping_exists(name));
  FSUIPC_Close();  // closing again is harmless
  CHECK(!FSUIPC_Read(0, 4, &value, &code));
  CHECK_CODE(code, 9);
}

// Stand-ins for the Windows calls, failing as the system would.
UINT WINAPI failing_register_message(LPCSTR) { return 0; }
ATOM WINAPI failing_add_atom(LPCSTR) { return 0; }
LPVOID WINAPI failing_map_view(HANDLE, DWORD, DWORD, DWORD, SIZE_T) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

LRESULT WINAPI failing_send(HWND, UINT, WPARAM, LPARAM, UINT, UINT, PDWORD_PTR) {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return 0;
}

void failing_send_and_other_simulator() {
  group("the send fails outright: code 12; another simulator asked for: code 8");
  std::uint32_t code = 99;
  CHECK_CODE(open_link(), 0);
  std::uint32_t value = 0;
  CHECK(FSUIPC_Read(FlightData_MSFS::DATAREF_ALTITUDE, 4, &value, &code));
  {
    ImportPatch patch("SendMessageTimeoutA", reinterpret_cast<void*>(failing_send));
    CHECK(patch.active());
    CHECK(!FSUIPC_Process(&code));
    CHECK_CODE(code, 12);
  }
  FSUIPC_Close();
  const std::uint32_t other = (kGoodFsVersion & 0xFFFFu) - 1;
  CHECK(!FSUIPC_Open(other, &code));
  CHECK_CODE(code, 8);
  CHECK(!fsuipc_is_open());
  CHECK(FSUIPC_Open(kGoodFsVersion & 0xFFFFu, &code));
  CHECK_CODE(code, 0);
  FSUIPC_Close();
}

void failing_windows_calls() {
  group("Windows refuses the message, the atom, the mapping, the view: codes 3, 4, 5, 6");
  {
    ImportPatch patch("RegisterWindowMessageA", reinterpret_cast<void*>(failing_register_message));
    CHECK(patch.active());
    const std::uint32_t tries = fsuipc_try_count();
    CHECK_CODE(open_link(), 3);
    CHECK_EQ(fsuipc_try_count(), tries);  // refused before a name was made
  }
  {
    ImportPatch patch("GlobalAddAtomA", reinterpret_cast<void*>(failing_add_atom));
    CHECK(patch.active());
    const std::string name = expected_name(fsuipc_try_count() + 1);
    CHECK_CODE(open_link(), 4);
    CHECK(!fsuipc_is_open());
    CHECK(!mapping_exists(name));
  }
  {
    // Someone else holds a mapping of the next name.
    const std::string name = expected_name(fsuipc_try_count() + 1);
    HANDLE squatter = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         FSUIPC_BLOCK_SIZE, name.c_str());
    CHECK(squatter != nullptr);
    CHECK_CODE(open_link(), 5);
    CHECK(!fsuipc_is_open());
    CHECK(!atom_exists(name));
    if (squatter) CloseHandle(squatter);
  }
  {
    ImportPatch patch("MapViewOfFile", reinterpret_cast<void*>(failing_map_view));
    CHECK(patch.active());
    const std::string name = expected_name(fsuipc_try_count() + 1);
    CHECK_CODE(open_link(), 6);
    CHECK(!fsuipc_is_open());
    CHECK(!atom_exists(name));
    CHECK(!mapping_exists(name));
  }
  CHECK_CODE(open_link(), 0);  // everything released: the next open works
  FSUIPC_Close();
}

}  // namespace

int main() {
  control_message = RegisterWindowMessageA(kControlMessageName);
  group("the stand-in is there");
  const bool there = control_message != 0 && wait_for_standin(30000);
  CHECK(there);
  if (!there) return orvane::wintest::finish();
  CHECK_EQ(control(CONTROL_PING), std::uintptr_t{1});

  no_server_gives_code_2();
  handshake_and_every_flightdata_offset();
  flightdata_msfs_reads_through_the_link();
  block_limit_holds_to_the_byte();
  refusing_server_answers();
  server_that_never_answers_times_out();
  every_open_uses_a_new_mapping_name();
  atom_is_released();
  failing_send_and_other_simulator();
  failing_windows_calls();

  CHECK_EQ(control(CONTROL_QUIT), std::uintptr_t{1});
  return orvane::wintest::finish();
}
