// FsuipcLink for Windows: the server's window, a global atom, a paging-file mapping.
// SPDX-License-Identifier: MIT
#ifdef _WIN32

#include <windows.h>

#include "sim/fsuipc_link.h"

namespace orvane {

namespace {

class Win32Link final : public FsuipcLink {
 public:
  ~Win32Link() override { release(); }

  Server find_server() override {
    m_hWnd = FindWindowExA(nullptr, nullptr, FSUIPC_CLASS_MAIN, nullptr);
    if (m_hWnd) return Server::MAIN;
    m_hWnd = FindWindowExA(nullptr, nullptr, FSUIPC_CLASS_FALLBACK, nullptr);
    return m_hWnd ? Server::FALLBACK : Server::NONE;
  }

  std::uint32_t register_message(const char* name) override { return RegisterWindowMessageA(name); }

  BlockResult create_block(const std::string& mapping_name, std::size_t size,
                           std::uint8_t** view) override {
    m_atom = GlobalAddAtomA(mapping_name.c_str());
    if (m_atom == 0) return BlockResult::ATOM_FAILED;
    m_hMap = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                static_cast<DWORD>(size), mapping_name.c_str());
    if (m_hMap == nullptr || GetLastError() == ERROR_ALREADY_EXISTS) {
      return BlockResult::MAPPING_FAILED;
    }
    m_pView = static_cast<std::uint8_t*>(MapViewOfFile(m_hMap, FILE_MAP_WRITE, 0, 0, 0));
    if (m_pView == nullptr) return BlockResult::VIEW_FAILED;
    *view = m_pView;
    return BlockResult::OK;
  }

  SendResult send(std::uint32_t msg, std::uint32_t timeout_ms, std::uint32_t* answer) override {
    DWORD_PTR reply = 0;
    SetLastError(0);
    const LRESULT ok = SendMessageTimeoutA(m_hWnd, msg, static_cast<WPARAM>(m_atom), 0, SMTO_BLOCK,
                                           timeout_ms, &reply);
    if (ok) {
      *answer = static_cast<std::uint32_t>(reply);
      return SendResult::ANSWERED;
    }
    // Any last error counts as a failed send, ERROR_TIMEOUT too, which SendMessageTimeout
    // sets itself when the time runs out: a hung simulator gives code 12, as the FSUIPC
    // client library reports it. Only a failure without a last error is a plain time-out.
    return GetLastError() == 0 ? SendResult::TIMED_OUT : SendResult::OS_ERROR;
  }

  void release() override {
    m_hWnd = nullptr;
    if (m_atom) GlobalDeleteAtom(m_atom);
    m_atom = 0;
    if (m_pView) UnmapViewOfFile(m_pView);
    m_pView = nullptr;
    if (m_hMap) CloseHandle(m_hMap);
    m_hMap = nullptr;
  }

 private:
  HWND m_hWnd = nullptr;
  ATOM m_atom = 0;
  HANDLE m_hMap = nullptr;
  std::uint8_t* m_pView = nullptr;
};

}  // namespace

std::unique_ptr<FsuipcLink> make_fsuipc_link() { return std::make_unique<Win32Link>(); }

}  // namespace orvane

#endif  // _WIN32
