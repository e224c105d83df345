// FakeKeyring: a password store in memory behind the keyring's seam, that can stop answering.
// SPDX-License-Identifier: MIT
#pragma once

#include <map>
#include <string>

#include "engine/orvane_base.h"
#include "engine/password_store.h"

namespace orvane::test {

class FakeKeyring : public PasswordStore {
 public:
  Outcome read(const std::string& account, std::string& password) override {
    ++reads;
    if (!answering) return Outcome::NO_KEYRING;
    const auto it = passwords.find(account);
    if (it == passwords.end()) return Outcome::NOT_FOUND;
    password = it->second;
    return Outcome::DONE;
  }
  Outcome write(const std::string& account, const std::string& password) override {
    ++writes;
    if (!answering) return Outcome::NO_KEYRING;
    passwords[account] = password;
    return Outcome::DONE;
  }
  Outcome remove(const std::string& account) override {
    if (!answering) return Outcome::NO_KEYRING;
    return passwords.erase(account) == 1 ? Outcome::DONE : Outcome::NOT_FOUND;
  }
  std::string name() const override { return "the test keyring"; }

  bool answering = true;
  std::map<std::string, std::string> passwords;  // account -> password
  int reads = 0;
  int writes = 0;
};

// Installs a keyring for the scope of a test; none again at its end.
class KeyringInstalled {
 public:
  explicit KeyringInstalled(PasswordStore& store) { ORVANE::setPasswordStore(&store); }
  ~KeyringInstalled() { ORVANE::setPasswordStore(nullptr); }
  KeyringInstalled(const KeyringInstalled&) = delete;
  KeyringInstalled& operator=(const KeyringInstalled&) = delete;
};

}  // namespace orvane::test
