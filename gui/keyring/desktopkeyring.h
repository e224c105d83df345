// DesktopKeyring: the pilot's password in the desktop's keyring through QtKeychain.
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "engine/password_store.h"

namespace orvane {

// The Secret Service (GNOME Keyring, KWallet) on Linux, the Credential Manager on Windows.
// Each call waits for the keyring's answer in an event loop of its own (user input is held
// meanwhile), at most a minute, so that a locked keyring can ask the pilot to unlock it.
// Makes the QCoreApplication it needs when the program has none (orvane-cli). Used on one
// thread: the one that loads and saves the options.
class DesktopKeyring : public PasswordStore {
 public:
  // The service the entries are filed under; an account per user and server.
  static constexpr const char* SERVICE = "ORVANE";

  Outcome read(const std::string& account, std::string& password) override;
  Outcome write(const std::string& account, const std::string& password) override;
  Outcome remove(const std::string& account) override;
  std::string name() const override;
};

}  // namespace orvane
