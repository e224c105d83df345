// The window's texts in the pilot's language: German and Spanish catalogs, English otherwise.
// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace orvane {

// Installs the catalog of the system's language (LANGUAGE, LC_ALL, LC_MESSAGES, LANG: as
// QLocale reads them) into the running application, with Qt's own texts for its standard buttons
// where the system has them. Returns the language installed ("de", "es"), or an empty
// string for English. Only the window's texts change: the log, the files and what is sent
// to the airline stay in English.
QString installTranslations();

}  // namespace orvane
