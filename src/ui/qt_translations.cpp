// Russian texts for Qt's own dialogs and buttons.
#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace zz {

namespace {
QPointer<QTranslator> gInstalled;
}  // namespace

QString InstallQtTranslations(const QLocale& system) {
  if (!QCoreApplication::instance()) return {};
  if (gInstalled) {
    QCoreApplication::removeTranslator(gInstalled);
    delete gInstalled;
  }
  const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  auto* translator = new QTranslator(QCoreApplication::instance());
  // The system's languages in order of preference, then Russian, the language of the program.
  if (!translator->load(system, "qtbase", "_", dir) &&
      !translator->load(QLocale(QLocale::Russian, QLocale::Russia), "qtbase", "_", dir)) {
    delete translator;
    return {};
  }
  QCoreApplication::installTranslator(translator);
  gInstalled = translator;
  return translator->language();
}

QLocale CalendarLocale() { return QLocale(QLocale::Russian, QLocale::Russia); }

}  // namespace zz
