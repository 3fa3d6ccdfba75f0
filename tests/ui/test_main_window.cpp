// The main window driven as a user would: choices that reach the run, refusals, the progress, the
// protocol, the login before a server run, and the guard against a second start.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <algorithm>
#include <fstream>

#include "app/command_line.h"
#include "base/logger.h"
#include "base/utils.h"
#include "search/searcher.h"
#include "settings/scramble.h"
#include "settings/settings.h"
#include "ui/elided_label.h"
#include "ui/error_list_form.h"
#include "ui/login_form.h"
#include "ui/main_window.h"
#include "ui/settings_form.h"
#include "ui_test_support.h"

using namespace zz;
using namespace zz::uitest;

namespace {

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT
  std::unique_ptr<TUiFixture> fx;
  TMainWindow* w = nullptr;
  TSettings* s = nullptr;

  void TypeValidNumber() { Retype(w->ERegNum, "123456789012"); }

 private slots:
  void init() {
    fx = std::make_unique<TUiFixture>();
    w = fx->manager->MainWindow();
    s = &TSettings::GetInstance();
  }
  void cleanup() { fx.reset(); }

  void captionAndInitialState() {
    QCOMPARE(w->windowTitle(), QString::fromStdString("Тальвир v" + s->Version()));
    QCOMPARE(w->CmbYear->itemText(0), QString("не имеет значения"));
    QCOMPARE(w->CmbYear->itemText(1), QString("2010"));
    QCOMPARE(w->CmbYear->itemText(w->CmbYear->count() - 1), QString::number(QDate::currentDate().year()));
    // The configured period is not preselected.
    QCOMPARE(w->ComboBoxPeriod->currentText(), QString("не имеет значения"));
    QCOMPARE(w->ERegNum->displayText(), QString("___-___-______"));
    QVERIFY(w->rbFactPeriods->isChecked());
    QCOMPARE(w->EDirIS->text(), QString::fromStdString(fx->isDir.string()));
    QCOMPARE(w->BitBtn1->text(), QString("Запуск сверки"));
  }

  void halfYearOf2010RunsWithPeriod4() {
    TypeValidNumber();
    ChooseItem(w->CmbYear, "2010");
    QCOMPARE(w->ComboBoxPeriod->count(), 3);
    ChooseItem(w->ComboBoxPeriod, "второе полугодие");
    StartAndWait(w);
    QCOMPARE(fx->manager->runs, 1);
    QCOMPARE(fx->manager->yearSeen, 2010);
    QCOMPARE(fx->manager->periodSeen, 4);
    QCOMPARE(fx->manager->regNumSeen, std::string("123-456-789012"));
    QCOMPARE(fx->manager->yearChoiceSeen, std::string("2010"));
    QCOMPARE(fx->manager->periodChoiceSeen, std::string("второе полугодие"));
    QVERIFY(fx->manager->progressSet);
    QCOMPARE(w->StepLabel->text(), QString("Готово!"));
  }

  void quarterOf2011RunsWithItsNumber() {
    TypeValidNumber();
    ChooseItem(w->CmbYear, "2011");
    QCOMPARE(w->ComboBoxPeriod->count(), 5);
    ChooseItem(w->ComboBoxPeriod, "второй квартал");
    QTest::keyClick(w->ERegNum, Qt::Key_Return);  // Enter in the number edit starts a run too
    WaitForRunEnd(w);
    QCOMPARE(fx->manager->runs, 1);
    QCOMPARE(fx->manager->yearSeen, 2011);
    QCOMPARE(fx->manager->periodSeen, 2);
  }

  void anyYearRunsWithZeros() {
    TypeValidNumber();
    ChooseItem(w->CmbYear, "2015");
    ChooseItem(w->CmbYear, "не имеет значения");
    QCOMPARE(w->ComboBoxPeriod->count(), 1);
    StartAndWait(w);
    QCOMPARE(fx->manager->yearSeen, 0);
    QCOMPARE(fx->manager->periodSeen, 0);
    QCOMPARE(fx->manager->yearChoiceSeen, std::string());
  }

  void withoutListAndTerritorialCheckTheStartIsDisabled() {
    QVERIFY(w->BitBtn1->isEnabled());
    Toggle(w->CheckBox1);
    QVERIFY(!w->CheckBox1->isChecked());
    QVERIFY(!s->FCompareWithList);
    QVERIFY(!w->BitBtn1->isEnabled());
    QVERIFY(!w->EDirPerech->isEnabled());
    QVERIFY(!w->cbPerechDB->isEnabled());
    QVERIFY(!w->cbShtat->isEnabled());
    QVERIFY(!w->cbNameList->isEnabled());
    Toggle(w->CheckBox1);
    QVERIFY(w->BitBtn1->isEnabled());
    QVERIFY(w->EDirPerech->isEnabled());
    // With the territorial check on, a run without the Perechen may start.
    s->fCompareTerrCodes = true;
    Toggle(w->CheckBox1);
    QVERIFY(w->BitBtn1->isEnabled());
  }

  void savingTheTerritorialCheckInSettingsEnablesTheStart() {
    Toggle(w->CheckBox1);
    QVERIFY(!w->BitBtn1->isEnabled());
    TSettingsForm* form = fx->manager->SettingsForm();
    QVERIFY(WithModal([&] { w->N1->trigger(); },
                      [&](QWidget*) {
                        form->pcMain->setCurrentIndex(1);
                        Toggle(form->cbNordCheck);
                        QTest::mouseClick(form->bbSave, Qt::LeftButton);
                      }));
    QVERIFY(s->fCompareTerrCodes);
    QVERIFY(w->BitBtn1->isEnabled());
  }

  void typingAnIsDirectoryFillsTheNumberDropDown() {
    auto dir = fx->temp->path() / "other-is";
    test::WriteFile(dir / "077-001-000123_1.xml", "<x/>");
    test::WriteFile(dir / "077-001-000123_2.xml", "<x/>");
    test::WriteFile(dir / "x123-456-789012y.xml", "<x/>");
    test::WriteFile(dir / "notes-111-222-333333.txt", "");
    test::WriteFile(dir /
                        "\xDE"
                        "555-666-777888.xml",
                    "<x/>");  // a windows-1251 name
    Retype(w->EDirIS, QString::fromStdString(dir.string()));
    QCOMPARE(s->FDirPD, dir.string());
    QCOMPARE(w->ComboBox1->count(), 3);
    QCOMPARE(w->ComboBox1->itemText(0), QString("077-001-000123"));
    QCOMPARE(w->ComboBox1->itemText(1), QString("123-456-789012"));
    QCOMPARE(w->ComboBox1->itemText(2), QString("555-666-777888"));
    // Picking one fills the masked edit.
    w->ComboBox1->setFocus();
    QTest::keyClick(w->ComboBox1, Qt::Key_Down);
    QCOMPARE(w->ERegNum->text(), QString("077-001-000123"));
    QCOMPARE(s->FRegNum, std::string("077-001-000123"));
    // A directory that does not exist empties it.
    Type(w->EDirIS, "zzz");
    QCOMPARE(w->ComboBox1->count(), 0);
  }

  void copyButtonsAndDirectoryEdits() {
    Retype(w->EDirPerech, "/data/perech");
    QCOMPARE(s->FDirList, std::string("/data/perech"));
    QTest::mouseClick(w->BitBtn5, Qt::LeftButton);
    QCOMPARE(w->EDirIS->text(), QString("/data/perech"));
    QCOMPARE(s->FDirPD, std::string("/data/perech"));
    QTest::mouseClick(w->BitBtn6, Qt::LeftButton);
    QCOMPARE(w->EDirProtokol->text(), QString("/data/perech"));
    QCOMPARE(s->FDirReport, std::string("/data/perech"));
  }

  void serverModeShowsTheAddressAndKeepsTheDirectory() {
    s->FULMachine = "srv";
    s->FULPort = "8080";
    s->FULAppName = "list4";
    const std::string dir = s->FDirList;
    Toggle(w->cbPerechDB);
    QVERIFY(s->UseUL());
    QCOMPARE(w->EDirPerech->text(), QString("srv:8080/list4/GetList"));
    QVERIFY(!w->EDirPerech->isEnabled());
    QCOMPARE(w->labDirPerech->text(), QString("Путь к БД ПК \"Ливерто\":"));
    QVERIFY(w->BitBtn2->isHidden());
    QVERIFY(w->BitBtn5->isHidden());
    QCOMPARE(s->FDirList, dir);  // the address is never stored as the directory
    Toggle(w->cbPerechDB);
    QCOMPARE(w->EDirPerech->text(), QString::fromStdString(dir));
    QCOMPARE(w->labDirPerech->text(), QString("Путь к файлу Перечня:"));
    QVERIFY(!w->BitBtn2->isHidden());
  }

  void aRefusedRunListsItsMessagesAndTheNextStartClosesThem() {
    Retype(w->ERegNum, "12345");  // incompletely typed
    Retype(w->EDirProtokol, "");
    StartAndWait(w);
    QCOMPARE(fx->manager->runs, 0);
    TErrListForm* errors = fx->manager->ErrListForm();
    QVERIFY(errors->isVisible());
    QCOMPARE(errors->windowTitle(), QString("Список ошибок"));
    const QStringList lines = errors->Lines();
    QVERIFY(lines.contains("Перед началом сверки укажите корректный регистрационный номер предприятия!"));
    QVERIFY(lines.contains("Перед началом сверки укажите каталог, где будет сохраняться протокол сверки!"));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(w->StepLabel->text(), QString());  // a refused run reports nothing

    // Mended, the next start closes the list before checking again.
    TypeValidNumber();
    Retype(w->EDirProtokol, QString::fromStdString(fx->reportDir.string()));
    StartAndWait(w);
    QVERIFY(!errors->isVisible());
    QCOMPARE(fx->manager->runs, 1);
  }

  void aMissingPerechenDirectoryIsRefused() {
    TypeValidNumber();
    Retype(w->EDirPerech, "/no/such/dir");
    StartAndWait(w);
    QCOMPARE(fx->manager->ErrListForm()->Lines(),
             QStringList{"Проверьте путь к файлу Перечня! Такого каталога не существует!"});
    Retype(w->EDirPerech, "");
    StartAndWait(w);
    QCOMPARE(fx->manager->ErrListForm()->Lines(), QStringList{"Перед началом сверки укажите путь к файлу Перечня!"});
    QCOMPARE(fx->manager->runs, 0);
  }

  void aRunOpensItsProtocolAndWritesTheConfiguration() {
    TypeValidNumber();
    ChooseItem(w->CmbYear, "2012");
    ChooseItem(w->ComboBoxPeriod, "третий квартал");
    fx->manager->reportToWrite = (fx->reportDir / "ZAZORU-2012-3-REGNO-123-456-789012.html").string();
    StartAndWait(w);
    QCOMPARE(fx->opened, QStringList{QString::fromStdString(fx->manager->reportToWrite)});
    const std::string ini = FileText(fx->dataDir() / "ZazoruConfig.ini");
    QVERIFY2(ini.find("Year=2012") != std::string::npos, ini.c_str());
    QVERIFY(ini.find("Period=3") != std::string::npos);
    QCOMPARE(fx->manager->ExitCode(), 0);
  }

  void aFailedRunSaysSoAndOpensNoEarlierProtocol() {
    TypeValidNumber();
    // An earlier run wrote a protocol.
    fx->manager->reportToWrite = (fx->reportDir / "earlier.html").string();
    fx->manager->exitCodeToReturn = 30;
    StartAndWait(w);
    QCOMPARE(fx->opened.size(), 1);
    QCOMPARE(fx->manager->ExitCode(), 30);
    fx->opened.clear();
    std::filesystem::remove(fx->dataDir() / "ZazoruConfig.ini");
    fx->manager->failWith = "сбой чтения пачки";
    StartAndWait(w);
    QCOMPARE(fx->manager->runs, 2);
    QCOMPARE(fx->manager->ExitCode(), 0);  // the earlier run's code is not this one's
    QCOMPARE(w->StepLabel->FullText(), QString("Сверка завершена с ошибками"));
    // The error list says why; the earlier run's protocol is not opened as if it were this one's.
    TErrListForm* errors = fx->manager->ErrListForm();
    QVERIFY(errors->isVisible());
    QVERIFY2(errors->Lines().value(0).contains("сбой чтения пачки"), qPrintable(errors->Lines().join("|")));
    QVERIFY(fx->opened.isEmpty());
    // Logged with its trace; the configuration is not written after a failed run.
    QVERIFY(TLogger::GetInstance().HasErrors());
    QVERIFY(FileText(TLogger::GetInstance().FileName()).find("сбой чтения пачки") != std::string::npos);
    QVERIFY(!std::filesystem::exists(fx->dataDir() / "ZazoruConfig.ini"));
    // The window is ready for the next run, which closes the list and ends normally.
    QVERIFY(w->BitBtn1->isEnabled());
    QVERIFY(!w->Running());
    fx->manager->failWith.clear();
    StartAndWait(w);
    QCOMPARE(fx->manager->runs, 3);
    QVERIFY(!errors->isVisible());
    QCOMPARE(w->StepLabel->FullText(), QString("Готово!"));
    QCOMPARE(fx->opened, QStringList{QString::fromStdString(fx->manager->reportToWrite)});
  }

  void aSettingsFileThatCannotBeSavedIsShown() {
    TypeValidNumber();
    const std::filesystem::path ini = fx->dataDir() / "ZazoruConfig.ini";
    std::filesystem::remove(ini);
    std::filesystem::create_directories(ini / "in the way");  // where the file should be written
    StartAndWait(w);
    TErrListForm* errors = fx->manager->ErrListForm();
    QVERIFY(errors->isVisible());
    QVERIFY2(errors->Lines().value(0).contains("файл настроек не записан: " + QString::fromStdString(ini.string())),
             qPrintable(errors->Lines().join("|")));
    std::filesystem::remove_all(ini);
  }

  void aRealRunOverAnEmptyDirectoryOpensItsShortProtocol() {
    // The run proper over an IS directory without files: a short protocol and code 10.
    fx->manager->realRun = true;
    TypeValidNumber();
    StartAndWait(w);
    QCOMPARE(fx->manager->runs, 1);
    QCOMPARE(w->StepLabel->text(), QString("Готово!"));
    QVERIFY(!fx->manager->ReportFile().empty());
    QCOMPARE(fx->opened, QStringList{QString::fromStdString(fx->manager->ReportFile())});
    QVERIFY(std::filesystem::exists(fx->manager->ReportFile()));
    QCOMPARE(fx->manager->ExitCode(), 10);
    QVERIFY(std::filesystem::exists(fx->dataDir() / "ZazoruConfig.ini"));
    // The searcher of that run is gone; the next run makes a new one.
    QVERIFY(!fx->manager->Searcher());
  }

  void progressIsShown() {
    w->ProgressUpdate(0, 5, 2, "Ход сверки");
    QCOMPARE(w->StepLabel->text(), QString("Ход сверки"));
    QCOMPARE(w->StepProgress->maximum(), 5);
    QCOMPARE(w->StepProgress->value(), 2);
    // A long step text keeps its start and its end (the file name), the middle is left out.
    const QString longText = "Поиск ИС: /home/specialist/Документы/ИС/" + QString(120, 'x') + "/последний-файл.xml";
    w->ProgressUpdate(0, 5, 3, longText.toStdString());
    const QString shown = w->StepLabel->text();
    QVERIFY(shown.size() < longText.size());
    QVERIFY2(
        shown.startsWith("Поиск ИС: /home") && shown.endsWith("последний-файл.xml") && shown.contains(QChar(0x2026)),
        qPrintable(shown));
    QCOMPARE(w->StepLabel->toolTip(), longText);
    QVERIFY(w->StepLabel->fontMetrics().horizontalAdvance(shown) <= w->StepLabel->contentsRect().width());
  }

  void theWindowWorksDuringARunAndTheStartStaysLocked() {
    TypeValidNumber();
    TRunGate gate;
    fx->manager->gate = &gate;
    // The run reports from its thread and waits there.
    fx->manager->during = [&] { fx->manager->Searcher()->managerProgress(0, 3, 1, "Сохранение протокола"); };
    QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return gate.Reached(); }, 10000));
    QVERIFY(w->Running());
    // The window's own events go on: a timer fires and the run's progress reaches the window.
    bool timerFired = false;
    QTimer::singleShot(10, w, [&] { timerFired = true; });
    QTRY_VERIFY(timerFired);
    QTRY_COMPARE(w->StepLabel->FullText(), QString("Сохранение протокола"));
    QCOMPARE(w->StepProgress->value(), 1);
    // No second start: the button is disabled, Enter and a click do nothing; the parameters and
    // the settings are locked while the run reads them; the stop button is offered.
    QVERIFY(!w->BitBtn1->isEnabled());
    QVERIFY(w->bbStop->isEnabled());
    QVERIFY(!w->ERegNum->isEnabled());
    QVERIFY(!w->EDirIS->isEnabled());
    QVERIFY(!w->N1->isEnabled());
    QTest::keyClick(w->ERegNum, Qt::Key_Return);
    QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
    w->butStartClick();
    // Closing the window waits for the run.
    w->close();
    QVERIFY(w->isVisible());
    gate.Release();
    WaitForRunEnd(w);
    QCOMPARE(fx->manager->runs, 1);
    QVERIFY(!w->isVisible());
  }

  void aStoppedRunLeavesNoProtocolNoPartsAndTheConfigurationAsItWas() {
    // A whole run over the example employer (one set), stopped once the set is in the part files.
    const std::filesystem::path employer = std::filesystem::path(ZAZORU_SOURCE_DIR) / "examples" / "employer";
    Retype(w->EDirIS, QString::fromStdString((employer / "is").string()));
    Retype(w->EDirPerech, QString::fromStdString((employer / "lists").string()));
    Retype(w->ERegNum, "087104003215");
    ChooseItem(w->CmbYear, "не имеет значения");
    std::filesystem::remove(fx->dataDir() / "ZazoruConfig.ini");
    TRunGate gate;
    std::vector<std::pair<int, int>> course;  // "Ход сверки" positions and maxima, in the run's thread
    fx->manager->realRun = true;
    fx->manager->during = [&] {
      TSearcher* searcher = fx->manager->Searcher();
      searcher->managerProgress = [&gate, &course, shown = searcher->managerProgress](int min, int max, int curr,
                                                                                      const std::string& text) {
        shown(min, max, curr, text);
        if (text != "Ход сверки") return;
        course.emplace_back(curr, max);
        if (curr == max && max > 1 && !gate.Reached()) gate.Hold();
      };
    };
    QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return gate.Reached(); }, 60000));
    QVERIFY(std::filesystem::exists(fx->reportDir / "body.part"));
    // The bar moved within the single set, not only at its end.
    QVERIFY(std::any_of(course.begin(), course.end(), [](auto p) { return p.first > 0 && p.first < p.second; }));
    QTRY_COMPARE(w->StepLabel->FullText(), QString("Ход сверки"));
    QTRY_COMPARE(w->StepProgress->value(), w->StepProgress->maximum());
    QTest::mouseClick(w->bbStop, Qt::LeftButton);
    QVERIFY(!w->bbStop->isEnabled());
    gate.Release();
    WaitForRunEnd(w);
    QCOMPARE(w->StepLabel->FullText(), QString("Сверка остановлена"));
    QVERIFY(fx->manager->ReportFile().empty());
    QVERIFY(fx->opened.isEmpty());
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(fx->reportDir))
      if (entry.path().filename() != ".zazoru.lock") left.push_back(entry.path().filename().string());
    QVERIFY2(left.empty(), left.empty() ? "" : left.front().c_str());
    QVERIFY(!std::filesystem::exists(fx->dataDir() / "ZazoruConfig.ini"));
    QCOMPARE(s->FYear, 0);  // the set's year the run had put there is taken back
    QCOMPARE(s->FPeriod, 0);
    QVERIFY(w->BitBtn1->isEnabled());
    QVERIFY(w->ERegNum->isEnabled());
    // The next run goes through.
    fx->manager->during = nullptr;
    StartAndWait(w);
    QCOMPARE(w->StepLabel->FullText(), QString("Готово!"));
    QCOMPARE(fx->opened, QStringList{QString::fromStdString(fx->manager->ReportFile())});
  }

  void afterARunTheFocusIsOnTheStartButton() {
    TypeValidNumber();
    QVERIFY(w->CheckBox1->isChecked());
    QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
    WaitForRunEnd(w);
    QCOMPARE(fx->manager->runs, 1);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->BitBtn1));
    // A Space starts the next run and leaves the comparison on.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    WaitForRunEnd(w);
    QCOMPARE(fx->manager->runs, 2);
    QVERIFY(w->CheckBox1->isChecked());
  }

  void readingThePerechenShowsABusyBarAndAStopSaysSoAtOnce() {
    const std::filesystem::path employer = std::filesystem::path(ZAZORU_SOURCE_DIR) / "examples" / "employer";
    Retype(w->EDirIS, QString::fromStdString((employer / "is").string()));
    Retype(w->EDirPerech, QString::fromStdString((employer / "lists").string()));
    Retype(w->ERegNum, "087104003215");
    ChooseItem(w->CmbYear, "не имеет значения");
    TRunGate gate;
    fx->manager->realRun = true;
    fx->manager->during = [&] {
      TSearcher* searcher = fx->manager->Searcher();
      searcher->managerProgress = [&gate, shown = searcher->managerProgress](int min, int max, int curr,
                                                                             const std::string& text) {
        shown(min, max, curr, text);
        if (text.starts_with("Поиск Перечня") && !gate.Reached()) gate.Hold();
      };
    };
    QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return gate.Reached(); }, 60000));
    QTRY_VERIFY(w->StepLabel->FullText().startsWith("Поиск Перечня"));
    QCOMPARE(w->StepProgress->minimum(), 0);
    QCOMPARE(w->StepProgress->maximum(), 0);
    QTest::mouseClick(w->bbStop, Qt::LeftButton);
    QCOMPARE(w->StepLabel->FullText(), QString("Останавливается…"));
    // The run's steps up to where it notices the stop do not take the label back.
    gate.Release();
    WaitForRunEnd(w);
    QCOMPARE(w->StepLabel->FullText(), QString("Сверка остановлена"));
    QCOMPARE(w->StepProgress->maximum(), 1);
  }

  void menusHaveDistinctKeyboardAccelerators() {
    QList<QMenu*> menus;
    QList<QKeySequence> bar;
    for (QAction* action : w->menuBar()->actions()) {
      QVERIFY2(action->menu(), qPrintable(action->text()));
      menus << action->menu();
      bar << QKeySequence::mnemonic(action->text());
    }
    QCOMPARE(menus.size(), 2);
    auto distinct = [](const QList<QKeySequence>& keys) {
      for (int i = 0; i < keys.size(); ++i)
        if (keys[i].isEmpty() || keys.indexOf(keys[i]) != i) return false;
      return true;
    };
    QVERIFY(distinct(bar));
    for (QMenu* menu : menus) {
      QList<QKeySequence> keys;
      for (QAction* action : menu->actions())
        if (!action->isSeparator()) keys << QKeySequence::mnemonic(action->text());
      QVERIFY2(distinct(keys), qPrintable(menu->title()));
    }
  }

  void mainWindowOffersMinimiseAndCloseOnly() {
    const Qt::WindowFlags flags = w->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QCOMPARE(w->minimumSize(), w->maximumSize());
  }

  void serverRunAsksForTheLoginAndCancelStartsNothing() {
    s->FULMachine = "srv";
    s->FULPort = "1";
    s->FULAppName = "list4";
    s->FSaveULPass = false;
    Toggle(w->cbPerechDB);
    TypeValidNumber();
    TLoginForm* login = fx->manager->LoginForm();
    QVERIFY(WithModal([&] { StartAndWait(w); },
                      [&](QWidget* m) {
                        QCOMPARE(m, static_cast<QWidget*>(login));
                        QTest::mouseClick(login->bbCancel, Qt::LeftButton);
                      }));
    QCOMPARE(fx->manager->runs, 0);
    QVERIFY(!w->Running());
    QVERIFY(WithModal([&] { StartAndWait(w); },
                      [&](QWidget*) {
                        Type(login->eLogin, "оператор");
                        Type(login->ePassword, "p@ss");
                        QTest::mouseClick(login->bbOK, Qt::LeftButton);
                      }));
    QCOMPARE(fx->manager->runs, 1);
    QCOMPARE(UnscrambleText(s->FULLogin, kLoginKey), std::string("оператор"));
    QCOMPARE(UnscrambleText(s->FULPass, kPasswordKey), std::string("p@ss"));
    // With the credentials stored, no login is asked.
    s->FSaveULPass = true;
    QVERIFY(!WithModal([&] { StartAndWait(w); }, [](QWidget* m) { m->close(); }));
    QCOMPARE(fx->manager->runs, 2);
  }

  void loginFromTheMainWindowAlwaysStoresTheServerCredentials() {
    // The settings window was last left on the re-registration page.
    TSettingsForm* form = fx->manager->SettingsForm();
    WithModal([&] { w->N1->trigger(); },
              [&](QWidget*) {
                form->pcMain->setCurrentIndex(2);
                QTest::mouseClick(form->bbCancel, Qt::LeftButton);
              });
    QCOMPARE(s->FNumSettingsWin, 2);
    s->FULMachine = "srv";
    s->FULPort = "1";
    Toggle(w->cbPerechDB);
    TypeValidNumber();
    TLoginForm* login = fx->manager->LoginForm();
    WithModal([&] { StartAndWait(w); },
              [&](QWidget*) {
                Type(login->eLogin, "user1");
                Type(login->ePassword, "secret");
                QTest::mouseClick(login->bbOK, Qt::LeftButton);
              });
    QCOMPARE(UnscrambleText(s->FULLogin, kLoginKey), std::string("user1"));
    QCOMPARE(UnscrambleText(s->FULPass, kPasswordKey), std::string("secret"));
    QVERIFY(s->FCrossUserDB.empty());
    QVERIFY(s->FCrossPasswordDB.empty());
    QCOMPARE(fx->manager->runs, 1);
  }

  void aProtocolNoViewerOpensIsNamedInTheErrorList() {
    TypeValidNumber();
    fx->manager->reportToWrite = (fx->reportDir / "ZAZORU-2023-4-REGNO-123-456-789012.html").string();
    w->OpenDocument = [](const QString&) { return false; };  // a desktop without an HTML viewer
    StartAndWait(w);
    QCOMPARE(w->StepLabel->FullText(), QString("Готово!"));
    TErrListForm* errors = fx->manager->ErrListForm();
    QVERIFY(errors->isVisible());
    const QString line = errors->Lines().value(0);
    QVERIFY2(line.contains(QString::fromStdString(fx->manager->reportToWrite)) && line.contains("Открыть не удалось"),
             qPrintable(line));
  }

  void helpOpensTheManualBesideTheProgram() {
    w->N2->trigger();
    QCOMPARE(fx->opened.size(), 1);
    QVERIFY(fx->opened[0].endsWith("/Тальвир - Руководство пользователя.pdf"));
    QVERIFY2(QFileInfo::exists(fx->opened[0]), qPrintable(fx->opened[0]));
    QVERIFY(QFileInfo(fx->opened[0]).size() > 10000);
  }

  void optionsReachTheSettings() {
    Toggle(w->cbShtat);
    QVERIFY(!s->FCompareWithListStaff);
    Toggle(w->cbNameList);
    QVERIFY(!s->FCompareWithListNameList);
    TypeValidNumber();
    StartAndWait(w);
    QVERIFY(fx->manager->ErrListForm()->Lines().first().startsWith("Выберите хотя бы одну из опций сверки"));
  }

  void exampleEmployerRunOpensItsProtocol() {
    // A whole run over the example employer shipped in examples/.
    const std::filesystem::path employer = std::filesystem::path(ZAZORU_SOURCE_DIR) / "examples" / "employer";
    const std::filesystem::path isDir = employer / "is";
    const std::filesystem::path found = employer / "lists";
    const std::vector<std::string> numbers = RegNumsFromFileNames(isDir);
    if (numbers.empty()) QSKIP("examples/employer holds no IS files");
    const std::string number = numbers.front();
    fx->manager->realRun = true;
    Retype(w->EDirIS, QString::fromStdString(isDir.string()));
    Retype(w->EDirPerech, QString::fromStdString(found.string()));
    Retype(w->ERegNum, QString::fromStdString(number).remove('-'));
    StartAndWait(w);
    QVERIFY2(!fx->manager->ReportFile().empty(), "the run produced no protocol");
    QCOMPARE(fx->opened, QStringList{QString::fromStdString(fx->manager->ReportFile())});
    const std::string ini = FileText(fx->dataDir() / "ZazoruConfig.ini");
    QVERIFY(ini.find("Year=" + std::to_string(s->FYear)) != std::string::npos);
    QVERIFY(ini.find("Period=" + std::to_string(s->FPeriod)) != std::string::npos);
  }

  void closingTheMainWindowClosesTheErrorList() {
    Retype(w->ERegNum, "1");
    StartAndWait(w);
    QVERIFY(fx->manager->ErrListForm()->isVisible());
    w->nExit->trigger();
    QVERIFY(!w->isVisible());
    QVERIFY(!fx->manager->ErrListForm()->isVisible());
  }
};

int RunMainWindowTests(int argc, char** argv) {
  TestMainWindow test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_main_window.moc"
