// The pilot's password kept in a keyring: saved there with an empty Password in the file, read
// back, an old file's password moved there on the first save, the file 0600 when none answers.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "support/engine_fixture.h"
#include "support/fake_keyring.h"

namespace orvane {
namespace {

using test::EngineFixture;
using test::FakeKeyring;
using test::KeyringInstalled;
using test::read_file;

constexpr char kAccount[] = "pilot@http://127.0.0.1:9/acars.php";

class KeyringTest : public EngineFixture {
 protected:
  static FlightOptions pilotOptions(const std::string& password) {
    FlightOptions o;
    o.ACARS_URL = "http://127.0.0.1:9/acars.php";
    o.ACARS_User = o.PIREP_User = "pilot";
    o.ACARS_Password = o.PIREP_Password = password;
    o.POS_Report_Interval = 300;
    return o;
  }
  static unsigned modeOf(const std::string& file) {
    struct stat st {};
    EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
    return st.st_mode & 07777u;
  }

  FakeKeyring keyring_;
  KeyringInstalled installed_{keyring_};
};

TEST_F(KeyringTest, SavingPutsThePasswordInTheKeyringAndLeavesTheKeyEmpty) {
  ORVANE::setFlightOptions(pilotOptions("s3cret"));
  const std::string f = dir_.file("orvane.ini");
  ASSERT_TRUE(ORVANE::saveOptions(f));
  EXPECT_EQ(keyring_.passwords[kAccount], "s3cret");
  const std::string text = read_file(f);
  EXPECT_NE(text.find("User = pilot\nPassword = \n\n[ACARS]\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("s3cret"), std::string::npos);
  EXPECT_EQ(ORVANE::getPasswordPlace(), PasswordPlace::KEYRING);
  EXPECT_EQ(ORVANE::getPasswordStoreName(), "the test keyring");
  EXPECT_NE(logText().find("Password for [" + std::string(kAccount) +
                           "] kept in the test keyring."),
            std::string::npos);
}

TEST_F(KeyringTest, LoadingAnEmptyPasswordReadsItFromTheKeyring) {
  keyring_.passwords[kAccount] = "from the keyring";
  const std::string f = dir_.write(
      "orvane.ini",
      "[Server]\nAddress = http://127.0.0.1:9/acars.php\nUser = pilot\nPassword = \n");
  ORVANE::loadOptions(f);
  const FlightOptions o = ORVANE::getFlightOptions();
  EXPECT_EQ(o.ACARS_Password, "from the keyring");
  EXPECT_EQ(o.PIREP_Password, "from the keyring");
  EXPECT_EQ(ORVANE::getPasswordPlace(), PasswordPlace::KEYRING);
  EXPECT_EQ(keyring_.reads, 1);
}

TEST_F(KeyringTest, AnOldFilesPasswordIsUsedAndMovedToTheKeyringOnTheFirstSave) {
  const std::string f = dir_.write(
      "orvane.ini",
      "[Server]\nAddress = http://127.0.0.1:9/acars.php\nUser = pilot\nPassword = old\n");
  ASSERT_EQ(::chmod(f.c_str(), 0644), 0);
  ORVANE::loadOptions(f);
  EXPECT_EQ(ORVANE::getFlightOptions().ACARS_Password, "old");
  EXPECT_EQ(keyring_.reads, 0);  // the file's own password wins
  EXPECT_EQ(ORVANE::getPasswordPlace(), PasswordPlace::SETTINGS_FILE);
  ASSERT_TRUE(ORVANE::saveOptions(f));
  EXPECT_EQ(keyring_.passwords[kAccount], "old");
  EXPECT_NE(read_file(f).find("Password = \n"), std::string::npos);
  EXPECT_EQ(read_file(f).find("old"), std::string::npos);
  // And the next start finds it again.
  ORVANE::setFlightOptions(FlightOptions{});
  ORVANE::loadOptions(f);
  EXPECT_EQ(ORVANE::getFlightOptions().ACARS_Password, "old");
}

TEST_F(KeyringTest, WithoutAnAnsweringKeyringThePasswordStaysInAnOwnerOnlyFile) {
  keyring_.answering = false;
  const mode_t oldMask = ::umask(022);
  const std::string f = dir_.write("orvane.ini", "[Server]\nPassword = old\n");
  ASSERT_EQ(::chmod(f.c_str(), 0644), 0);
  ORVANE::setFlightOptions(pilotOptions("s3cret"));
  ASSERT_TRUE(ORVANE::saveOptions(f));
  ::umask(oldMask);
  EXPECT_EQ(keyring_.writes, 1);
  EXPECT_TRUE(keyring_.passwords.empty());
  EXPECT_NE(read_file(f).find("Password = s3cret\n"), std::string::npos);
  EXPECT_EQ(modeOf(f), 0600u);
  EXPECT_EQ(ORVANE::getPasswordPlace(), PasswordPlace::SETTINGS_FILE);
  EXPECT_NE(logText().find("No keyring answered; the password stays in [" + f + "]."),
            std::string::npos);
}

TEST_F(KeyringTest, WithoutAnyKeyringThePasswordStaysInAnOwnerOnlyFile) {
  ORVANE::setPasswordStore(nullptr);
  const std::string f = dir_.write("orvane.ini", "[Server]\nPassword = old\n");
  ASSERT_EQ(::chmod(f.c_str(), 0644), 0);
  ORVANE::setFlightOptions(pilotOptions("s3cret"));
  ASSERT_TRUE(ORVANE::saveOptions(f));
  EXPECT_NE(read_file(f).find("Password = s3cret\n"), std::string::npos);
  EXPECT_EQ(modeOf(f), 0600u);
  EXPECT_EQ(ORVANE::getPasswordPlace(), PasswordPlace::SETTINGS_FILE);
  EXPECT_EQ(ORVANE::getPasswordStoreName(), "");
}

TEST_F(KeyringTest, AnEmptyPasswordSavedLeavesNoneInTheKeyringToComeBack) {
  keyring_.passwords[kAccount] = "forgotten";
  ORVANE::setFlightOptions(pilotOptions(""));
  const std::string f = dir_.file("orvane.ini");
  ASSERT_TRUE(ORVANE::saveOptions(f));
  EXPECT_EQ(keyring_.passwords.count(kAccount), 0u);
  ORVANE::loadOptions(f);
  EXPECT_EQ(ORVANE::getFlightOptions().ACARS_Password, "");
}

TEST_F(KeyringTest, AKeyringThatDoesNotAnswerAtLoadLeavesThePasswordEmpty) {
  keyring_.passwords[kAccount] = "unreachable";
  keyring_.answering = false;
  const std::string f = dir_.write(
      "orvane.ini",
      "[Server]\nAddress = http://127.0.0.1:9/acars.php\nUser = pilot\nPassword = \n");
  ORVANE::loadOptions(f);
  EXPECT_EQ(ORVANE::getFlightOptions().ACARS_Password, "");
  EXPECT_EQ(ORVANE::getPasswordPlace(), PasswordPlace::SETTINGS_FILE);
  EXPECT_NE(logText().find("No keyring answered; no password in [" + f + "]."),
            std::string::npos);
}

TEST_F(KeyringTest, EachUserAndServerHasItsOwnPassword) {
  keyring_.passwords["other@http://127.0.0.1:9/acars.php"] = "not mine";
  const std::string f = dir_.write(
      "orvane.ini",
      "[Server]\nAddress = http://127.0.0.1:9/acars.php\nUser = pilot\nPassword = \n");
  ORVANE::loadOptions(f);
  EXPECT_EQ(ORVANE::getFlightOptions().ACARS_Password, "");
  EXPECT_NE(logText().find("No password for [" + std::string(kAccount) +
                           "] in the test keyring."),
            std::string::npos);
}

}  // namespace
}  // namespace orvane
