#pragma once
// The work manager of the windowed mode: prepares like the batch one, then opens the main window
// and lives until it is closed; runs are started from the window. Writes the configuration file
// when it is destroyed.
#include <QPointer>
#include <memory>

#include "app/work_manager.h"

class QApplication;

namespace zz {

class TAboutBox;
class TErrListForm;
class TLoginForm;
class TMainWindow;
class TSettingsForm;

class TWorkManagerForm : public TWorkManager {
 public:
  explicit TWorkManagerForm(bool PortableMode);
  ~TWorkManagerForm() override;

  std::vector<std::string> CheckSettings() override;
  // Preparation, the application object, the windows, and the message loop until the main window
  // is closed.
  void Prepare() override;
  // The windows without the message loop (the main window is not shown).
  void CreateWindows();
  // The work of one run started from the main window; it executes off the window's thread, on
  // the value the window made of the settings when the run was started.
  virtual TRunResult RunWork(const TRunParams& run);
  // Before a run: the protocol of an earlier run is not this run's.
  void ForgetReportFile() { fLastRun = TRunResult{}; }

  TMainWindow* MainWindow() const { return fMainWindow.get(); }
  TAboutBox* AboutBox() const;
  TSettingsForm* SettingsForm() const;
  TErrListForm* ErrListForm() const;
  TLoginForm* LoginForm() const;

 private:
  // The application object, made when there is none; false when there is no display to make it on.
  bool StartApplication();

  // Declared first so that it outlives the windows.
  std::unique_ptr<QApplication> fApplication;
  std::unique_ptr<TMainWindow> fMainWindow;
  // Owned by the main window.
  QPointer<TAboutBox> fAboutBox;
  QPointer<TSettingsForm> fSettingsForm;
  QPointer<TErrListForm> fErrListForm;
  QPointer<TLoginForm> fLoginForm;
  bool fPrepared = false;
};

}  // namespace zz
