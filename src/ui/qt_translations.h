#pragma once
// Qt's own texts (standard buttons, the file, folder and print dialogs, edit menus) in the
// system's language, or in Russian when Qt has no translation for it.
#include <QLocale>
#include <QString>

namespace zz {

// Installs the translation into the application object (replacing one installed before) and
// returns its language ("ru", "de"...), empty when no translation could be loaded.
QString InstallQtTranslations(const QLocale& system = QLocale::system());

// The locale of the calendars and date pickers.
QLocale CalendarLocale();

}  // namespace zz
