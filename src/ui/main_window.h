#pragma once
// The main window of the windowed mode: directories, registration number, reporting period and
// options, the start of a run and its progress.
#include <QMainWindow>
#include <functional>
#include <string>

#include "app/logger.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace zz {

class TSettings;
class TWorkManagerForm;

class TMainWindow : public QMainWindow, public TLoggingObject {
  Q_OBJECT
 public:
  explicit TMainWindow(TWorkManagerForm& manager);
  ~TMainWindow() override;

  void FormCreate();
  // One run: "Запуск сверки", or Enter in the registration-number edit.
  void butStartClick();
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
  QLabel* StepLabel;
  QProgressBar* StepProgress;
  QPushButton* BitBtn1;
  QAction* N1;
  QAction* nExit;
  QAction* N2;
  QAction* nAbout;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void BrowseFolder(QLineEdit* edit, const QString& title, bool allowNewFolder);

  TWorkManagerForm& fManager;
  TSettings& FSettings;
  bool fRunning = false;
};

// The manual's file name; it ships next to the executable.
inline constexpr const char* kManualFileName = "Тальвир - Руководство пользователя.pdf";

}  // namespace zz
