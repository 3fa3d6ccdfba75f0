// Saves a picture of every window and settings page into a directory.
// Usage: zazoru_screenshots <directory>   (runs on any Qt platform; offscreen needs no display)
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <thread>

#include "base/singleton.h"
#include "search/searcher.h"
#include "settings/classifiers.h"
#include "settings/settings.h"
#include "ui/about_form.h"
#include "ui/date_picker_box.h"
#include "ui/elided_label.h"
#include "ui/error_list_form.h"
#include "ui/form_manager.h"
#include "ui/login_form.h"
#include "ui/main_window.h"
#include "ui/qt_translations.h"
#include "ui/settings_form.h"

namespace {

// A run that reports one step of the file search and waits, so that the window can be pictured
// while a run is in progress.
class TPausedRunManager : public zz::TWorkManagerForm {
 public:
  using TWorkManagerForm::TWorkManagerForm;
  zz::TRunResult RunWork(const zz::TRunParams&) override {
    Searcher()->managerProgress(0, 40, 27, "Поиск ИС: " + fLongPath);
    reported = true;
    for (int i = 0; i < 600 && !release; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return {};
  }
  std::string fLongPath;
  std::atomic<bool> reported{false};
  std::atomic<bool> release{false};
};

bool WaitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

bool Save(QWidget* window, const QDir& dir, const QString& name) {
  window->show();
  QApplication::processEvents();
  const QString path = dir.filePath(name + ".png");
  const bool ok = window->grab().save(path);
  std::printf("%s %s\n", ok ? "saved" : "FAILED", path.toLocal8Bit().constData());
  return ok;
}

// A few entries so that the lists and grids show what they look like in use.
void SampleSettings(zz::TSettings& s, const QString& isDir) {
  s.FDirList = isDir.toStdString();
  s.FDirPD = isDir.toStdString();
  s.FDirReport = QDir::tempPath().toStdString();
  s.FRegNum = "123-456-789012";
  s.FYear = 2023;
  s.FPeriod = 4;
  s.FCompareWithList = true;
  s.FCompareWithListStaff = true;
  s.FCompareWithListNameList = true;
  s.FULMachine = "liverto.local";
  s.FULPort = "8080";
  s.FULAppName = "list4";
  s.fCompareTerrCodes = true;
  s.FCompareTerrCodesExtMode = true;
  s.FCheckPerFormat = true;
  s.FTerrCodeRightList.emplace_back("123-456-789012", zz::TTerritoryRights{.MKS = true, .RKS = true});
  s.FTerrCodeRightList.emplace_back("123-456",
                                    zz::TTerritoryRights{.CZ1 = true, .CZ3 = true, .CZ4 = true, .Country = true},
                                    "01.01.2020", "31.12.2022");
  s.FTerrCodeRightList.emplace_back("077-001", zz::TTerritoryRights{.MKS = true}, "", "30.06.2024");
  s.FCrossList.emplace_back("123-456-000001", "123-456-789012", 2021, 3);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  zz::InstallQtTranslations();
  if (argc != 2) {
    std::fprintf(stderr, "usage: zazoru_screenshots <directory>\n");
    return 2;
  }
  QDir dir(QString::fromLocal8Bit(argv[1]));
  if (!dir.mkpath(".")) {
    std::fprintf(stderr, "zazoru_screenshots: cannot create %s\n", argv[1]);
    return 1;
  }
  // Sample IS file names, so that the number drop-down has something to show.
  QDir isDir(QDir::temp().filePath("zazoru-screenshots-is"));
  isDir.mkpath(".");
  for (const char* name : {"123-456-789012_СЗВ-СТАЖ_2023.xml", "077-001-000123_СЗВ-СТАЖ_2023.xml"}) {
    QFile f(isDir.filePath(name));
    if (f.open(QIODevice::WriteOnly)) f.write("<x/>");
  }

  bool ok = true;
  {
    zz::TSettings& settings = zz::TSettings::GetInstance();
    SampleSettings(settings, isDir.path());
    // The run's settings check needs the shipped classifier files.
    zz::FillClassifiers();
    TPausedRunManager manager(false);
    manager.CreateWindows();
    zz::TMainWindow* main = manager.MainWindow();
    main->OpenDocument = [](const QString&) { return true; };
    main->ProgressUpdate(0, 4, 3, "Ход сверки");
    ok &= Save(main, dir, "main-window");

    // During a run: the step text elided in the middle, the start locked, the stop offered.
    manager.fLongPath =
        isDir.filePath("2023/квартал-4/отдел кадров/ПОЛНЫЙ ОТЧЁТ/087-104-003215-ИС-00017.xml").toStdString();
    main->BitBtn1->click();
    WaitFor([&] { return manager.reported.load() && main->StepLabel->FullText().startsWith("Поиск ИС"); }, 5000);
    if (!main->Running()) std::fprintf(stderr, "zazoru_screenshots: the run did not start\n");
    ok &= main->Running() && Save(main, dir, "main-window-running");
    manager.release = true;
    WaitFor([&] { return !main->Running(); }, 10000);

    zz::TSettingsForm* form = manager.SettingsForm();
    form->FormShow();
    const char* pages[] = {"settings-1-server", "settings-2-territory-codes", "settings-3-reregistration",
                           "settings-4-additional"};
    for (int i = 0; i < 4; ++i) {
      form->pcMain->setCurrentIndex(i);
      ok &= Save(form, dir, pages[i]);
    }
    // A date cell being edited in place.
    form->pcMain->setCurrentIndex(1);
    form->sgRegNumsDblClick(1, 11);
    ok &= form->dtpCell->isVisible() && Save(form, dir, "settings-2-territory-codes-date-editor");

    // The basic mode of the territorial page.
    form->pcMain->setCurrentIndex(1);
    form->cbAdvancedNordCheck->setChecked(false);
    ok &= Save(form, dir, "settings-2-territory-codes-basic");
    form->hide();

    ok &= Save(manager.LoginForm(), dir, "login");
    manager.LoginForm()->hide();
    ok &= Save(manager.AboutBox(), dir, "about");
    manager.AboutBox()->hide();

    // The error list as a refused run fills it.
    settings.FRegNum = "123-45 -      ";
    settings.FDirPD = "/nonexistent/is";
    settings.FDirReport.clear();
    manager.ErrListForm()->SetMessages(manager.CheckSettings());
    ok &= Save(manager.ErrListForm(), dir, "error-list");
    manager.ErrListForm()->hide();
  }
  isDir.removeRecursively();
  zz::TSingleton::DestroyAll();
  return ok ? 0 : 1;
}
