// PasswordStore: a place outside the settings file for the pilot's password (the desktop keyring).
// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace orvane {

// The seam between the settings file and a keyring. The program installs one
// (ORVANE::setPasswordStore); without one, the password stays in the settings file. Called
// on the thread that loads and saves the options (the window's, or orvane-cli's main
// thread); an implementation may block until the keyring answers.
class PasswordStore {
 public:
  enum class Outcome {
    DONE,        // read, written or removed
    NOT_FOUND,   // the keyring answered and holds no password for the account
    NO_KEYRING,  // no keyring answered (none running, locked, refused, or failed)
  };

  virtual ~PasswordStore() = default;
  // account names the airline's server and the pilot's user name there.
  virtual Outcome read(const std::string& account, std::string& password) = 0;
  virtual Outcome write(const std::string& account, const std::string& password) = 0;
  virtual Outcome remove(const std::string& account) = 0;
  // The keyring's name for the pilot, e.g. "the desktop keyring".
  virtual std::string name() const = 0;
};

// Where the pilot's password was kept at the last load or save of the settings file.
enum class PasswordPlace {
  UNKNOWN,         // neither has asked a keyring yet
  KEYRING,         // in the keyring; the settings file's Password is empty
  SETTINGS_FILE,   // in the settings file (mode 0600): no keyring installed or answering
};

}  // namespace orvane
