// The window's catalogs, embedded as resources under :/i18n.
// SPDX-License-Identifier: MIT
#include "frontend/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace orvane {

QString installTranslations() {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return {};
  const QLocale system;
  auto* own = new QTranslator(app);
  if (!own->load(system, QStringLiteral("orvane"), QStringLiteral("_"), QStringLiteral(":/i18n"))) {
    delete own;
    return {};
  }
  QCoreApplication::installTranslator(own);
  // Yes, No, Cancel and the file dialog from Qt's catalog, where the system has it.
  auto* qt = new QTranslator(app);
  if (qt->load(system, QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt);
  } else {
    delete qt;
  }
  return own->language().section(QLatin1Char('_'), 0, 0);
}

}  // namespace orvane
