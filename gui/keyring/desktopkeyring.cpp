// DesktopKeyring: QtKeychain's read, write and delete jobs, each waited for in a local event loop.
// SPDX-License-Identifier: MIT
#include "keyring/desktopkeyring.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <qt6keychain/keychain.h>

namespace orvane {

namespace {

// Long enough for the pilot to answer the keyring's own unlock prompt.
constexpr int kWaitMs = 60 * 1000;

struct Answer {
  bool finished = false;
  QKeychain::Error error = QKeychain::OtherError;
  QString text;
};

// A session bus to ask: without one the keyring libraries would start a bus of their own
// (dbus-launch) that outlives the program.
bool sessionBusNamed() {
#if defined(_WIN32) || defined(__APPLE__)
  return true;
#else
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address != nullptr && *address != '\0') return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return runtime != nullptr && *runtime != '\0' &&
         QFileInfo::exists(QString::fromLocal8Bit(runtime) + "/bus");
#endif
}

// orvane-cli has no application object; the jobs' events need one.
void ensureApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "orvane";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* application = new QCoreApplication(argc, argv);  // to the end
  (void)application;
}

// Starts job (which deletes itself when done) and waits for its answer or the time-out.
std::shared_ptr<Answer> run(QKeychain::Job* job) {
  auto answer = std::make_shared<Answer>();
  QEventLoop loop;
  QTimer timeout;
  timeout.setSingleShot(true);
  QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
  // A job answering after the time-out finds the loop gone and the connection with it.
  QObject::connect(job, &QKeychain::Job::finished, &loop, [answer, &loop](QKeychain::Job* j) {
    answer->finished = true;
    answer->error = j->error();
    if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(j)) answer->text = read->textData();
    loop.quit();
  });
  job->setAutoDelete(true);
  job->start();
  if (!answer->finished) {
    timeout.start(kWaitMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  return answer;
}

PasswordStore::Outcome outcomeOf(const Answer& answer) {
  if (!answer.finished) return PasswordStore::Outcome::NO_KEYRING;
  switch (answer.error) {
    case QKeychain::NoError:
      return PasswordStore::Outcome::DONE;
    case QKeychain::EntryNotFound:
      return PasswordStore::Outcome::NOT_FOUND;
    default:
      return PasswordStore::Outcome::NO_KEYRING;
  }
}

}  // namespace

PasswordStore::Outcome DesktopKeyring::read(const std::string& account, std::string& password) {
  if (!sessionBusNamed()) return Outcome::NO_KEYRING;
  ensureApplication();
  auto* job = new QKeychain::ReadPasswordJob(QString::fromLatin1(SERVICE));
  job->setKey(QString::fromStdString(account));
  const std::shared_ptr<Answer> answer = run(job);
  const Outcome outcome = outcomeOf(*answer);
  if (outcome == Outcome::DONE) password = answer->text.toStdString();
  return outcome;
}

PasswordStore::Outcome DesktopKeyring::write(const std::string& account,
                                             const std::string& password) {
  if (!sessionBusNamed()) return Outcome::NO_KEYRING;
  ensureApplication();
  auto* job = new QKeychain::WritePasswordJob(QString::fromLatin1(SERVICE));
  job->setKey(QString::fromStdString(account));
  job->setTextData(QString::fromStdString(password));
  return outcomeOf(*run(job));
}

PasswordStore::Outcome DesktopKeyring::remove(const std::string& account) {
  if (!sessionBusNamed()) return Outcome::NO_KEYRING;
  ensureApplication();
  auto* job = new QKeychain::DeletePasswordJob(QString::fromLatin1(SERVICE));
  job->setKey(QString::fromStdString(account));
  return outcomeOf(*run(job));
}

std::string DesktopKeyring::name() const {
#ifdef _WIN32
  return "the Windows Credential Manager";
#elif defined(__APPLE__)
  return "the macOS Keychain";
#else
  return "the desktop keyring";
#endif
}

}  // namespace orvane
