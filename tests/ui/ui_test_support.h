#pragma once
// Shared by the window tests: a prepared windowed work manager over temporary directories, and
// helpers that answer modal windows the way a user would.
#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "support/test_support.h"
#include "ui/form_manager.h"

namespace zz {
class TMainWindow;
}

namespace zz::uitest {

// Holds a run in its thread until the test lets it go on, so that the test can look at the window
// while the run is in progress.
class TRunGate {
 public:
  // In the run's thread: tells that the run got here and waits (at most 30 s) for Release.
  void Hold();
  bool Reached();
  void Release();

 private:
  std::mutex fMutex;
  std::condition_variable fChanged;
  bool fReached = false;
  bool fReleased = false;
};

// The windowed work manager with the run's own work observable: what the run saw, and optionally
// something to do during it or a protocol file to report.
class TRecordingManager : public TWorkManagerForm {
 public:
  using TWorkManagerForm::TWorkManagerForm;
  TRunResult RunWork(const TRunParams& run) override;
  // The run itself (doWork) instead of the recording.
  bool realRun = false;
  int exitCodeToReturn = 0;
  int runs = 0;
  int yearSeen = -1;
  int periodSeen = -1;
  std::string regNumSeen;
  std::string yearChoiceSeen, periodChoiceSeen;
  bool progressSet = false;
  std::string reportToWrite;
  std::string failWith;  // the run fails with this message
  // Both run in the run's thread, before the run proper: no window may be touched there.
  std::function<void()> during;
  TRunGate* gate = nullptr;
};

// One prepared environment: configuration in a temporary directory, existing directories for the
// Perechen, the IS files and the protocol, and the windows created (the main window shown).
class TUiFixture {
 public:
  TUiFixture();
  ~TUiFixture();
  std::filesystem::path dataDir() const;
  std::filesystem::path listDir, isDir, reportDir;
  std::unique_ptr<test::TempDir> temp;
  std::unique_ptr<TRecordingManager> manager;
  QStringList opened;  // documents the main window asked the desktop to open
};

// Runs `trigger`, which opens a modal window; once it is up, `act` gets it. Returns false when no
// modal window appeared. A window left open by `act` is closed after a few seconds.
bool WithModal(const std::function<void()>& trigger, const std::function<void(QWidget*)>& act);

// Runs `trigger` and answers every message box it shows, in turn, with the given buttons (then OK);
// returns their texts.
QStringList MessagesOf(const std::function<void()>& trigger, const QList<QMessageBox::StandardButton>& answers = {});
// Runs `trigger`; when it shows a message box, its text is returned and `answer` is pressed.
QString MessageOf(const std::function<void()>& trigger, QMessageBox::StandardButton answer = QMessageBox::Ok);

// Clicks "Запуск сверки" and, when a run started, waits for its end.
void StartAndWait(TMainWindow* window);
// Waits for the end of a run in progress.
void WaitForRunEnd(TMainWindow* window);

// The windowed start of a copy of the test program away from the classifier files (in the process
// started by the test of that start): prints the message it showed and returns 0 when no main
// window came up.
// The message box the windowed start shows before any window; thrown: the start gave up.
QString PrepareMessage(TWorkManagerForm& manager, bool& thrown);
int StartWithoutClassifiers();

// Chooses a combo box item with the keyboard, as a user would.
void ChooseItem(QComboBox* box, const QString& text);
// Clicks a check box as a user would.
void Toggle(QAbstractButton* box);
// Types text key by key (any letters).
void Type(QWidget* widget, const QString& text);
// Types into an edit after emptying it.
void Retype(QWidget* edit, const QString& text);

}  // namespace zz::uitest
