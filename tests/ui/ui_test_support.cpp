// Shared helpers of the window tests: a run gate, a recording work manager, the windows fixture.
#include "ui_test_support.h"

#include <QLineEdit>
#include <iostream>
#include <stdexcept>

#include "base/run_cancel.h"
#include "base/singleton.h"
#include "search/searcher.h"
#include "settings/settings.h"
#include "ui/main_window.h"

namespace zz::uitest {

void TRunGate::Hold() {
  std::unique_lock<std::mutex> lock(fMutex);
  fReached = true;
  fChanged.wait_for(lock, std::chrono::seconds(30), [this] { return fReleased; });
}

bool TRunGate::Reached() {
  std::lock_guard<std::mutex> lock(fMutex);
  return fReached;
}

void TRunGate::Release() {
  std::lock_guard<std::mutex> lock(fMutex);
  fReleased = true;
  fChanged.notify_all();
}

TRunResult TRecordingManager::RunWork(const TRunParams& run) {
  ++runs;
  yearSeen = run.FYear;
  periodSeen = run.FPeriod;
  regNumSeen = run.FRegNum;
  yearChoiceSeen = run.FYearChoice;
  periodChoiceSeen = run.FPeriodChoice;
  progressSet = fSearcher && static_cast<bool>(fSearcher->managerProgress);
  if (during) during();
  if (gate) gate->Hold();
  if (!failWith.empty()) throw std::runtime_error(failWith);
  if (realRun) return doWork(run);
  fLastRun = TRunResult{exitCodeToReturn, {}, {}, {}};
  if (!reportToWrite.empty()) {
    test::WriteFile(reportToWrite, "<html></html>");
    fLastRun.ReportFile = reportToWrite;
  }
  return fLastRun;
}

TUiFixture::TUiFixture() {
  TSingleton::DestroyAll();
  ResetRunCancel();
  temp = std::make_unique<test::TempDir>();
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((temp->path() / "config").string()));
  listDir = temp->path() / "list";
  isDir = temp->path() / "is";
  reportDir = temp->path() / "report";
  for (const auto& d : {listDir, isDir, reportDir}) std::filesystem::create_directories(d);

  manager = std::make_unique<TRecordingManager>(false);
  // The shared preparation: configuration defaults, logger, classifiers.
  manager->TWorkManager::Prepare();
  TSettings& s = TSettings::GetInstance();
  s.FDirList = listDir.string();
  s.FDirPD = isDir.string();
  s.FDirReport = reportDir.string();
  manager->CreateWindows();
  TMainWindow* window = manager->MainWindow();
  window->OpenDocument = [this](const QString& path) {
    opened << path;
    return true;
  };
  window->show();
  if (!QTest::qWaitForWindowExposed(window)) qWarning("main window not exposed");
}

TUiFixture::~TUiFixture() {
  manager.reset();
  TSingleton::DestroyAll();
  temp.reset();
}

std::filesystem::path TUiFixture::dataDir() const { return temp->path() / "config" / "Zazoru"; }

bool WithModal(const std::function<void()>& trigger, const std::function<void(QWidget*)>& act) {
  QWidget* const outer = QApplication::activeModalWidget();
  bool seen = false;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (seen || !modal || modal == outer) return;
    seen = true;
    poll.stop();
    act(modal);
    // A window the action left open would hang the test.
    QTimer::singleShot(5000, modal, [modal] {
      if (modal->isVisible()) {
        qWarning("modal window left open: %s", qPrintable(modal->objectName()));
        modal->close();
      }
    });
  });
  poll.start();
  trigger();
  poll.stop();
  return seen;
}

QStringList MessagesOf(const std::function<void()>& trigger, const QList<QMessageBox::StandardButton>& answers) {
  QStringList texts;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box->property("answered").toBool()) return;
    box->setProperty("answered", true);
    texts << box->text();
    const QMessageBox::StandardButton answer =
        texts.size() <= answers.size() ? answers[texts.size() - 1] : QMessageBox::Ok;
    if (QAbstractButton* button = box->button(answer))
      button->click();
    else
      box->close();
  });
  poll.start();
  trigger();
  poll.stop();
  return texts;
}

QString MessageOf(const std::function<void()>& trigger, QMessageBox::StandardButton answer) {
  const QStringList texts = MessagesOf(trigger, {answer});
  return texts.isEmpty() ? QString() : texts.join("\n");
}

void WaitForRunEnd(TMainWindow* window) {
  if (!QTest::qWaitFor([window] { return !window->Running(); }, 120000)) qWarning("the run did not end");
}

void StartAndWait(TMainWindow* window) {
  QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
  WaitForRunEnd(window);
}

QString PrepareMessage(TWorkManagerForm& manager, bool& thrown) {
  thrown = false;
  return MessageOf([&] {
    try {
      manager.Prepare();
    } catch (const std::exception&) {
      thrown = true;
    }
  });
}

int StartWithoutClassifiers() {
  TWorkManagerForm manager(false);
  bool thrown = false;
  const QString message = PrepareMessage(manager, thrown);
  std::cout << message.toStdString() << std::endl;
  return thrown && !manager.MainWindow() ? 0 : 1;
}

void ChooseItem(QComboBox* box, const QString& text) {
  const int target = box->findText(text);
  if (target < 0) {
    qWarning("no item %s", qPrintable(text));
    return;
  }
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Home);
  while (box->currentIndex() < target) {
    const int before = box->currentIndex();
    QTest::keyClick(box, Qt::Key_Down);
    if (box->currentIndex() == before) break;
  }
}

void Toggle(QAbstractButton* box) {
  // On the indicator: a click far right of a wide check box's text does not toggle it.
  QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
}

void Type(QWidget* widget, const QString& text) {
  for (const QChar ch : text) {
    if (ch.unicode() < 128) {
      QTest::keyClick(widget, static_cast<char>(ch.unicode()));
    } else {
      QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
      QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
  }
}

void Retype(QWidget* edit, const QString& text) {
  if (auto* line = qobject_cast<QLineEdit*>(edit)) {
    line->setFocus();
    QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(line, Qt::Key_Delete);
    line->home(false);
  }
  Type(edit, text);
}

}  // namespace zz::uitest
