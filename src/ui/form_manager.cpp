// The windowed work manager: preparation, the main window, and runs on a worker thread.
#include "ui/form_manager.h"

#include <QApplication>
#include <QTimer>
#include <filesystem>
#include <stdexcept>

#include "app/program.h"
#include "base/utils.h"
#include "search/searcher.h"
#include "settings/list_file_error.h"
#include "ui/about_form.h"
#include "ui/error_list_form.h"
#include "ui/login_form.h"
#include "ui/main_window.h"
#include "ui/qt_translations.h"
#include "ui/register.h"
#include "ui/settings_form.h"
#include "ui/ui_common.h"

namespace zz {

namespace fs = std::filesystem;

TWorkManagerForm::TWorkManagerForm(bool PortableMode) : TWorkManager(PortableMode) {}

TWorkManagerForm::~TWorkManagerForm() {
  // The configuration is written back only when it was read: a failed preparation must not
  // replace the user's files with defaults.
  if (fPrepared) {
    try {
      WriteIni();
    } catch (...) {
    }
  }
  fMainWindow.reset();
  fApplication.reset();
}

std::vector<std::string> TWorkManagerForm::CheckSettings() {
  std::vector<std::string> messages = TWorkManager::CheckSettings();
  if (fSettings.FCompareWithList && !fSettings.UseUL()) {
    std::error_code ec;
    if (fSettings.FDirList.empty())
      messages.push_back("Перед началом сверки укажите путь к файлу Перечня!");
    else if (!fs::is_directory(fSettings.FDirList, ec))
      messages.push_back("Проверьте путь к файлу Перечня! Такого каталога не существует!");
  }
  return messages;
}

void TWorkManagerForm::Prepare() {
  try {
    TWorkManager::Prepare();
  } catch (const TListFileError& e) {
    // A damaged reference list stops the program before any window: the user is told which line
    // of which file to mend.
    if (StartApplication()) ShowError(nullptr, QS(e.what()));
    throw;
  } catch (const TMissingShippedFile& e) {
    // Without the classifiers no window can work: the user is told which file and where it was
    // looked for, then the program ends.
    if (StartApplication()) ShowError(nullptr, QS(e.what()));
    throw;
  }
  fPrepared = true;
  if (!StartApplication())
    throw std::runtime_error(
        "Нет графического дисплея для оконного режима (DISPLAY не задан); для пакетного режима укажите bpi");
  CreateWindows();
  fMainWindow->show();
  // Shown once the event loop runs, over the main window; the file is left as it is.
  if (!ConfigError().empty())
    QTimer::singleShot(0, fMainWindow.get(), [this] { ShowError(fMainWindow.get(), QS(ConfigErrorMessage())); });
  QApplication::exec();
}

bool TWorkManagerForm::StartApplication() {
  if (!QApplication::instance()) {
    // Without a display Qt would end the process; say what to do instead.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
      return false;
    static int argc = 1;
    static char name[] = "zazoru";
    static char* argv[] = {name, nullptr};
    fApplication = std::make_unique<QApplication>(argc, argv);
    InstallQtTranslations();
  }
  return true;
}

void TWorkManagerForm::CreateWindows() {
  if (fMainWindow) return;
  fMainWindow = std::make_unique<TMainWindow>(*this);
  // The other windows belong to the main window, so that closing it ends the windowed mode even
  // while the error list is open.
  fAboutBox = new TAboutBox(fMainWindow.get());
  fSettingsForm = new TSettingsForm(fMainWindow.get());
  fErrListForm = new TErrListForm(fMainWindow.get());
  fLoginForm = new TLoginForm(fMainWindow.get());
  fSettingsForm->SetLoginForm(fLoginForm);
  QObject::connect(fSettingsForm, &TSettingsForm::saved, fMainWindow.get(),
                   [window = fMainWindow.get()] { window->CheckBox1Click(); });
  fMainWindow->FormCreate();
}

TRunResult TWorkManagerForm::RunWork(const TRunParams& run) {
  try {
    return doWork(run);
  } catch (...) {
    // The next run starts from a fresh searcher, not from what the failed one left behind.
    fSearcher.reset();
    throw;
  }
}

TAboutBox* TWorkManagerForm::AboutBox() const { return fAboutBox; }
TSettingsForm* TWorkManagerForm::SettingsForm() const { return fSettingsForm; }
TErrListForm* TWorkManagerForm::ErrListForm() const { return fErrListForm; }
TLoginForm* TWorkManagerForm::LoginForm() const { return fLoginForm; }

void RegisterFormManager() {
  SetFormManagerFactory(
      [](bool PortableMode) { return std::unique_ptr<TWorkManager>(new TWorkManagerForm(PortableMode)); });
}

}  // namespace zz
