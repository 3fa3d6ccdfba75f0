#pragma once
// The main window of the windowed mode: directories, registration number, reporting period and
// options, the start of a run and its progress.
#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "app/work_manager.h"
#include "base/logger.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QThread;

namespace zz {

class TElidedLabel;
class TSettings;
class TWorkManagerForm;

class TMainWindow : public QMainWindow, public TLoggingObject {
  Q_OBJECT
 public:
  explicit TMainWindow(TWorkManagerForm& manager);
  ~TMainWindow() override;

  void FormCreate();
  // One run: "Запуск сверки", or Enter in the registration-number edit. The run executes off the
  // window's thread; its end is handled in RunEnded.
  void butStartClick();
  // "Остановить": the run ends at its next file or set boundary, without a protocol.
  void bbStopClick();
  void ProgressUpdate(int Min, int Max, int Curr, const std::string& Messag);
  bool Running() const { return fRunning; }

  void CheckBox1Click();
  void cbPerechDBClick();
  void CmbYearChange();
  void N2Click();

  // Opens a document with the desktop's default application.
  std::function<bool(const QString& path)> OpenDocument;

  QCheckBox* CheckBox1;
  QGroupBox* DirBox;
  QCheckBox* cbPerechDB;
  QLabel* labDirPerech;
  QLineEdit* EDirPerech;
  QPushButton* BitBtn2;
  QPushButton* BitBtn5;
  QLineEdit* EDirIS;
  QPushButton* BitBtn3;
  QPushButton* BitBtn6;
  QLineEdit* EDirProtokol;
  QPushButton* BitBtn4;
  QGroupBox* VarsBox;
  QLabel* labRegNum;
  QLineEdit* ERegNum;
  QComboBox* ComboBox1;
  QLabel* labYear;
  QComboBox* CmbYear;
  QLabel* Label1;
  QComboBox* ComboBoxPeriod;
  QGroupBox* OptionsBox;
  QRadioButton* rbFactPeriods;
  QCheckBox* cbShtat;
  QCheckBox* cbNameList;
  QGroupBox* StepBox;
  TElidedLabel* StepLabel;
  QProgressBar* StepProgress;
  QPushButton* bbStop;
  QPushButton* BitBtn1;
  QAction* N1;
  QAction* nExit;
  QAction* N2;
  QAction* nAbout;

  // Labels of a run that did not end normally.
  static constexpr const char* kFailedText = "Сверка завершена с ошибками";
  static constexpr const char* kStoppedText = "Сверка остановлена";
  // Shown from the press of "Остановить" until the run has ended.
  static constexpr const char* kStoppingText = "Останавливается…";

 signals:
  // A run ended (normally, with an error, or stopped) and the window is ready for the next one.
  void runFinished();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void BrowseFolder(QLineEdit* edit, const QString& title, bool allowNewFolder);
  // The run proper, after the checks; RunEnded follows in the window's thread.
  void StartRun();
  void RunEnded();
  // Disables the run's parameters while it executes: it works on the copy it started with, and
  // the controls keep showing what that was.
  void SetRunning(bool running);
  // Opens a document (`what`: how the user knows it) in the desktop's viewer; when it is missing or
  // nothing opens it, the error list says so and where the file is.
  void ShowDocument(const std::string& path, const std::string& what);

  TWorkManagerForm& fManager;
  TSettings& FSettings;
  bool fRunning = false;
  bool fStartEnabled = true;
  bool fCloseWhenStopped = false;
  // A stop was asked for: the run's later steps no longer reach the label.
  bool fStopping = false;
  std::unique_ptr<QThread> fRunThread;
  // Written by the run's thread before it ends, read after it ended.
  struct TRunOutcome {
    bool Failed = false;
    bool Stopped = false;
    std::string Error;
    TRunResult Result;
  } fOutcome;
};

// The manual's file name; it ships next to the executable.
inline constexpr const char* kManualFileName = "Тальвир - Руководство пользователя.pdf";

}  // namespace zz
