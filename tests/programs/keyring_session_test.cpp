// The password in a real desktop keyring (gnome-keyring-daemon on a private session bus, made by
// tests/programs/keyring-session): saved, read back, an old file moved, orvane-cli flying on it.
// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "keyring/desktopkeyring.h"
#include "pirep/outbox.h"
#include "programs/program_runner.h"
#include "samples/sample_pirep.h"
#include "support/engine_fixture.h"
#include "support/fake_keyring.h"

namespace orvane {
namespace {

using test::EngineFixture;
using test::KeyringInstalled;
using test::Program;
using test::read_file;

// What secret-tool, the desktop's own client, finds for the account: the keyring itself, not
// ORVANE's idea of it.
std::string secretToolLookup(const std::string& account) {
  const std::string command =
      "secret-tool lookup server " + std::string(DesktopKeyring::SERVICE) + " user '" + account + "'";
  std::FILE* p = ::popen(command.c_str(), "r");
  if (p == nullptr) return "<popen failed>";
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, p) != nullptr) out += buffer;
  ::pclose(p);
  return out;
}

class KeyringSession : public EngineFixture {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("ORVANE_KEYRING_SESSION"), nullptr)
        << "runs inside tests/programs/keyring-session, which starts the keyring";
  }
  static unsigned modeOf(const std::string& file) {
    struct stat st {};
    EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
    return st.st_mode & 07777u;
  }
  DesktopKeyring keyring_;
  KeyringInstalled installed_{keyring_};
};

TEST_F(KeyringSession, SavedPasswordIsInTheKeyringNotInTheFileAndComesBack) {
  FlightOptions o;
  o.ACARS_URL = "http://127.0.0.1:9/saved.php";
  o.ACARS_User = o.PIREP_User = "pilot";
  o.ACARS_Password = o.PIREP_Password = "k3yring pass";
  ORVANE::setFlightOptions(o);
  const std::string f = dir_.file("orvane.ini");
  ASSERT_TRUE(ORVANE::saveOptions(f));
  EXPECT_EQ(ORVANE::getPasswordPlace(), PasswordPlace::KEYRING);
  const std::string text = read_file(f);
  EXPECT_NE(text.find("User = pilot\nPassword = \n"), std::string::npos) << text;
  EXPECT_EQ(text.find("k3yring"), std::string::npos) << text;
  EXPECT_EQ(modeOf(f), 0600u);
  EXPECT_EQ(secretToolLookup("pilot@http://127.0.0.1:9/saved.php"), "k3yring pass");

  ORVANE::setFlightOptions(FlightOptions{});
  ORVANE::loadOptions(f);
  EXPECT_EQ(ORVANE::getFlightOptions().ACARS_Password, "k3yring pass");
  EXPECT_EQ(ORVANE::getFlightOptions().PIREP_Password, "k3yring pass");
}

TEST_F(KeyringSession, AnOldFilesPasswordMovesToTheKeyringOnTheFirstSave) {
  const std::string f = dir_.write(
      "orvane.ini",
      "[Server]\nAddress = http://127.0.0.1:9/old.php\nUser = pilot\nPassword = old pass\n");
  ASSERT_EQ(::chmod(f.c_str(), 0644), 0);
  ORVANE::loadOptions(f);
  EXPECT_EQ(secretToolLookup("pilot@http://127.0.0.1:9/old.php"), "");  // not yet
  ASSERT_TRUE(ORVANE::saveOptions(f));
  EXPECT_EQ(secretToolLookup("pilot@http://127.0.0.1:9/old.php"), "old pass");
  EXPECT_NE(read_file(f).find("Password = \n"), std::string::npos) << read_file(f);
  EXPECT_EQ(read_file(f).find("old pass"), std::string::npos);
}

TEST_F(KeyringSession, AnEmptyPasswordSavedTakesTheOldOneOutOfTheKeyring) {
  FlightOptions o;
  o.ACARS_URL = "http://127.0.0.1:9/cleared.php";
  o.ACARS_User = o.PIREP_User = "pilot";
  o.ACARS_Password = o.PIREP_Password = "to go";
  ORVANE::setFlightOptions(o);
  const std::string f = dir_.file("orvane.ini");
  ASSERT_TRUE(ORVANE::saveOptions(f));
  ASSERT_EQ(secretToolLookup("pilot@http://127.0.0.1:9/cleared.php"), "to go");
  o.ACARS_Password = o.PIREP_Password = "";
  ORVANE::setFlightOptions(o);
  ASSERT_TRUE(ORVANE::saveOptions(f));
  EXPECT_EQ(secretToolLookup("pilot@http://127.0.0.1:9/cleared.php"), "");
}

// The window saved the password in the keyring; orvane-cli, on the same orvane.ini, sends a
// waiting PIREP to the airline with it.
TEST_F(KeyringSession, OrvaneCliSendsWithThePasswordFromTheKeyring) {
  const int port = test::freePort();
  const std::string base = "http://127.0.0.1:" + std::to_string(port);
  FlightOptions o;
  o.ACARS_URL = base + "/liveacars.php";
  o.PIREP_URL = base + "/pirep.php";
  o.INFO_URL = base + "/flightinfo.php";
  o.ACARS_User = o.PIREP_User = "pilot";
  o.ACARS_Password = o.PIREP_Password = "cliKeyPass";
  o.POS_Report_Interval = 300;
  o.enableLiveACARS = o.enablePIREP = true;
  ORVANE::setFlightOptions(o);
  ASSERT_TRUE(ORVANE::saveOptions(dir_.file("orvane.ini")));
  ASSERT_EQ(read_file(dir_.file("orvane.ini")).find("cliKeyPass"), std::string::npos);
  ASSERT_TRUE(Outbox(dir_.file("outbox")).keep(samples::sample_pirep()));

  Program airline(ORVANE_AIRLINE_PATH,
                  {"--port", std::to_string(port), "--log", dir_.file("airline.log")},
                  dir_.path().string(), dir_.file("airline.out"));
  ASSERT_TRUE(test::waitForText(dir_.file("airline.out"), "PIREP server:", 10));
  Program cli(ORVANE_CLI_PATH, {"--send-outbox"}, dir_.path().string(), dir_.file("cli.out"));
  EXPECT_EQ(cli.wait(60), 0) << read_file(dir_.file("cli.out"));
  const std::string posted = read_file(dir_.file("airline.log"));
  EXPECT_NE(posted.find("POST /pirep.php"), std::string::npos) << posted;
  EXPECT_NE(posted.find("&DATA2=pilot~cliKeyPass~ORV123~"), std::string::npos) << posted;
}

// A settings file without a password that no keyring fills: orvane-cli says why.
TEST_F(KeyringSession, OrvaneCliSaysWhyItHasNoPassword) {
  dir_.write("orvane.ini",
             "[Server]\nAddress = http://127.0.0.1:9/none.php\nUser = nobody\nPassword = \n");
  Program found(ORVANE_CLI_PATH, {"--send-outbox"}, dir_.path().string(), dir_.file("none.out"));
  EXPECT_EQ(found.wait(60), 0) << read_file(dir_.file("none.out"));
  EXPECT_NE(read_file(dir_.file("none.out"))
                .find("orvane-cli: no password: [orvane.ini] has none and the desktop keyring "
                      "has none for [nobody@http://127.0.0.1:9/none.php]. See 'man orvane-cli'.\n"),
            std::string::npos)
      << read_file(dir_.file("none.out"));

  // No session bus named: no keyring to ask.
  std::filesystem::create_directories(dir_.file("runtime"));
  Program alone(ORVANE_CLI_PATH, {"--send-outbox"}, dir_.path().string(), dir_.file("alone.out"),
                {"DBUS_SESSION_BUS_ADDRESS=", "XDG_RUNTIME_DIR=" + dir_.file("runtime")});
  EXPECT_EQ(alone.wait(60), 0) << read_file(dir_.file("alone.out"));
  EXPECT_NE(read_file(dir_.file("alone.out"))
                .find("orvane-cli: no password: [orvane.ini] has none and no keyring answered "
                      "(no desktop session bus?). See 'man orvane-cli'.\n"),
            std::string::npos)
      << read_file(dir_.file("alone.out"));
}

}  // namespace
}  // namespace orvane
