// A desktop notification and the window's urgency hint.
// SPDX-License-Identifier: MIT
#include "frontend/desktopnotice.h"

#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>  // IWYU pragma: keep
#include <QWidget>
#include <utility>

#ifdef ORVANE_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>
#endif

namespace orvane {

namespace {

DesktopNoticeHandler& handler() {
  static DesktopNoticeHandler h;
  return h;
}

#ifdef ORVANE_HAVE_DBUS
// The freedesktop notification service; false when the session has none.
bool notifyByService(const QString& title, const QString& text) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  call << QStringLiteral("ORVANE") << 0u << QStringLiteral("orvane") << title << text
       << QStringList() << QVariantMap() << -1;
  // Sent without waiting: a desktop that is slow to answer never holds the window.
  return bus.send(call);
}
#endif

}  // namespace

DesktopNoticeHandler setDesktopNoticeHandler(DesktopNoticeHandler h) {
  return std::exchange(handler(), std::move(h));
}

void notifyDesktop(QWidget* window, const std::string& title, const std::string& text) {
  if (window != nullptr) QApplication::alert(window);
  if (handler()) {
    handler()(title, text);
    return;
  }
  const QString t = QString::fromStdString(title);
  const QString body = QString::fromStdString(text);
#ifdef ORVANE_HAVE_DBUS
  if (notifyByService(t, body)) return;
#endif
#if QT_CONFIG(systemtrayicon)
  if (!QSystemTrayIcon::isSystemTrayAvailable() || !QSystemTrayIcon::supportsMessages()) return;
  // One tray icon for the life of the program, shown only to carry the message.
  static QSystemTrayIcon* tray = nullptr;
  if (tray == nullptr) {
    tray = new QSystemTrayIcon(QApplication::windowIcon(), qApp);
    tray->show();
  }
  tray->showMessage(t, body, QSystemTrayIcon::Information);
#endif
}

}  // namespace orvane
