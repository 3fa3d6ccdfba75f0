// The login, about and error-list windows.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>
#include <filesystem>
#include <tuple>

#include "settings/scramble.h"
#include "settings/settings.h"
#include "support/test_support.h"
#include "ui/about_form.h"
#include "ui/error_list_form.h"
#include "ui/login_form.h"
#include "ui/main_window.h"
#include "ui/qt_translations.h"
#include "ui_test_support.h"

using namespace zz;
using namespace zz::uitest;

class TestSmallWindows : public QObject {
  Q_OBJECT
  std::unique_ptr<TUiFixture> fx;
  TSettings* s = nullptr;

 private slots:
  void init() {
    fx = std::make_unique<TUiFixture>();
    s = &TSettings::GetInstance();
  }
  void cleanup() { fx.reset(); }

  void loginStoresScrambledValues() {
    TLoginForm* login = fx->manager->LoginForm();
    bool accepted = false;
    QVERIFY(WithModal([&] { accepted = login->Execute(ltServer); },
                      [&](QWidget*) {
                        QCOMPARE(login->windowTitle(), QString("Идентификация пользователя"));
                        QVERIFY(login->eLogin->text().isEmpty());
                        QCOMPARE(login->ePassword->echoMode(), QLineEdit::Password);
                        Type(login->eLogin, "Иванов");
                        Type(login->ePassword, "пароль 1");
                        QTest::mouseClick(login->bbOK, Qt::LeftButton);
                      }));
    QVERIFY(accepted);
    QVERIFY(s->FULLogin != "Иванов");
    QCOMPARE(UnscrambleText(s->FULLogin, kLoginKey), std::string("Иванов"));
    QCOMPARE(UnscrambleText(s->FULPass, kPasswordKey), std::string("пароль 1"));
    QCOMPARE(s->FULLogin, ScrambleText("Иванов", kLoginKey));
  }

  void loginWindowIsWideEnoughForItsTitle() {
    TLoginForm* login = fx->manager->LoginForm();
    QFont bold = login->font();
    bold.setBold(true);
    // The title in a title bar's bold face, with room for the icon and three buttons on each side
    // (each button about a line high, as the desktop draws them).
    const QFontMetrics metrics(bold);
    const int needed = metrics.horizontalAdvance(login->windowTitle()) + 2 * 4 * metrics.height();
    QVERIFY2(login->width() >= needed, qPrintable(QString("%1 < %2").arg(login->width()).arg(needed)));
  }

  void loginRefusesAnEmptyNameAndEmptiesItsEditsEachTime() {
    TLoginForm* login = fx->manager->LoginForm();
    QString message;
    bool accepted = true;
    WithModal([&] { accepted = login->Execute(ltServer); },
              [&](QWidget*) {
                Type(login->ePassword, "x");
                message = MessageOf([&] { QTest::mouseClick(login->bbOK, Qt::LeftButton); });
                QVERIFY(login->isVisible());
                QTest::mouseClick(login->bbCancel, Qt::LeftButton);
              });
    QCOMPARE(message, QString("Имя пользователя не может быть пустым"));
    QVERIFY(!accepted);
    QVERIFY(s->FULPass.empty());
    WithModal([&] { accepted = login->Execute(ltCrossDB); },
              [&](QWidget*) {
                QVERIFY(login->ePassword->text().isEmpty());
                Type(login->eLogin, "db");
                QTest::mouseClick(login->bbOK, Qt::LeftButton);  // an empty password is accepted
              });
    QVERIFY(accepted);
    QCOMPARE(UnscrambleText(s->FCrossUserDB, kLoginKey), std::string("db"));
    QVERIFY(s->FULLogin.empty());
  }

  void loginRefusesCharactersOutsideTheCodePage() {
    // The stored form is windows-1251: such characters would not come back from it.
    TLoginForm* login = fx->manager->LoginForm();
    QStringList messages;
    bool accepted = false;
    QVERIFY(WithModal([&] { accepted = login->Execute(ltServer); },
                      [&](QWidget*) {
                        Type(login->eLogin, "Müllerß");
                        Type(login->ePassword, "pässwörd");
                        messages << MessageOf([&] { QTest::mouseClick(login->bbOK, Qt::LeftButton); });
                        Retype(login->eLogin, "Мюллер");
                        messages << MessageOf([&] { QTest::mouseClick(login->bbOK, Qt::LeftButton); });
                        QVERIFY(login->isVisible());
                        QVERIFY(s->FULLogin.empty() && s->FULPass.empty());
                        Retype(login->ePassword, "пароль№1");
                        QTest::mouseClick(login->bbOK, Qt::LeftButton);
                      }));
    QCOMPARE(messages.value(0), QString("Имя пользователя содержит недопустимые символы: üß. Допустимы латинские и "
                                        "русские буквы, цифры и знаки препинания."));
    QCOMPARE(messages.value(1), QString("Пароль содержит недопустимые символы. Допустимы латинские и русские буквы, "
                                        "цифры и знаки препинания."));
    QVERIFY(accepted);
    QCOMPARE(UnscrambleText(s->FULPass, kPasswordKey), std::string("пароль№1"));
    // The same window takes the re-registration database's credentials from the settings window.
    QString crossMessage;
    WithModal([&] { accepted = login->Execute(ltCrossDB); },
              [&](QWidget*) {
                Type(login->eLogin, "dbuser");
                Type(login->ePassword, "€uro✓");
                crossMessage = MessageOf([&] { QTest::mouseClick(login->bbOK, Qt::LeftButton); });
                QTest::mouseClick(login->bbCancel, Qt::LeftButton);
              });
    QVERIFY(crossMessage.startsWith("Пароль содержит недопустимые символы"));
    QVERIFY(!accepted);
    QVERIFY(s->FCrossUserDB.empty());
  }

  void damagedReferenceListIsShownBeforeAnyWindow() {
    test::WriteFile(fx->dataDir() / "RightList.txt", "087-104/11111111\n087-104/00000001 01.01.2023 31.02.2023\n");
    TWorkManagerForm manager(false);
    bool thrown = false;
    const QString message = PrepareMessage(manager, thrown);
    QVERIFY(thrown);
    QCOMPARE(message, QString::fromStdString("Ошибка в файле " + (fx->dataDir() / "RightList.txt").string() +
                                             ", строка 2: значение \"31.02.2023\" не является датой в формате "
                                             "дд.мм.гггг"));
    QVERIFY(!manager.MainWindow());
  }

  void withoutTheClassifiersBothModesSayWhichFileAndWhereItWasLookedFor() {
    // Copies of the programs in a directory of their own, without the shipped files beside them,
    // started from another directory.
    const std::filesystem::path app = fx->temp->path() / "app";
    const std::filesystem::path work = fx->temp->path() / "work";
    std::filesystem::create_directories(app);
    std::filesystem::create_directories(work);
    std::filesystem::copy_file(QCoreApplication::applicationFilePath().toStdString(), app / "test_ui");
    std::filesystem::copy_file(std::filesystem::path(ZAZORU_BINARY_DIR) / "zazoru", app / "zazoru");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString((fx->temp->path() / "config").string()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    auto run = [&](const std::filesystem::path& program, const QStringList& arguments, const QString& start) {
      QProcess process;
      QProcessEnvironment own = env;
      if (!start.isEmpty()) own.insert("ZAZORU_UI_START", start);
      process.setProcessEnvironment(own);
      process.setWorkingDirectory(QString::fromStdString(work.string()));
      process.start(QString::fromStdString(program.string()), arguments);
      if (!process.waitForFinished(60000)) process.kill();
      return std::make_tuple(process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).trimmed(),
                             QString::fromUtf8(process.readAllStandardError()).trimmed());
    };
    const auto [windowCode, shown, windowErrors] = run(app / "test_ui", {}, "without-classifiers");
    QVERIFY2(windowCode == 0, qPrintable(windowErrors));
    for (const std::filesystem::path& place :
         {work / "perech-lmvt.xsd", app / "perech-lmvt.xsd", fx->temp->path() / "share" / "zazoru" / "perech-lmvt.xsd"})
      QVERIFY2(shown.contains(QString::fromStdString(place.lexically_normal().string())), qPrintable(shown));
    QVERIFY2(shown.startsWith("Не найден файл perech-lmvt.xsd"), qPrintable(shown));
    // The batch mode says the same on standard error and ends as critically failed.
    const auto [batchCode, batchOut, batchErrors] =
        run(app / "zazoru", {"bpi", QString::fromStdString(fx->isDir.string())}, "");
    QCOMPARE(batchCode, 29);
    QCOMPARE(batchErrors, "zazoru: критическая ошибка: " + shown);
  }

  void aboutShowsTheVersionLine() {
    TMainWindow* w = fx->manager->MainWindow();
    TAboutBox* about = fx->manager->AboutBox();
    QVERIFY(WithModal([&] { w->nAbout->trigger(); },
                      [&](QWidget* m) {
                        QCOMPARE(m, static_cast<QWidget*>(about));
                        m->close();
                      }));
    QCOMPARE(about->windowTitle(), QString("О программе"));
    QCOMPARE(about->ProductName->text(), QString("Тальвир"));
    QCOMPARE(about->Version->text(), QString::fromStdString("Версия " + s->FullVersion() + " от " + s->AppDate()));
    QVERIFY(QRegularExpression("^Версия \\d+\\.\\d+\\.\\d+\\.\\d+ от \\d\\d\\.\\d\\d\\.\\d{4}$")
                .match(about->Version->text())
                .hasMatch());
    QVERIFY(about->Comments->text().startsWith("  Осуществляет автоматическую сверку"));
  }

  void qtStandardTextsFollowTheSystemLanguageOrRussian() {
    auto texts = [] {
      // The confirmation box every window uses, and an edit's context menu.
      QMessageBox box(QMessageBox::Question, "Подтверждение", "?", QMessageBox::Ok | QMessageBox::Cancel);
      QLineEdit edit;
      std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
      QStringList menuTexts;
      for (QAction* a : menu->actions()) menuTexts << a->text();
      return box.button(QMessageBox::Cancel)->text() + "|" + menuTexts.join("|");
    };
    // A system language Qt has no translation for: Russian.
    QVERIFY(InstallQtTranslations(QLocale(QLocale::Zulu, QLocale::SouthAfrica)).startsWith("ru"));
    QVERIFY2(texts().startsWith("Отмена|") && texts().contains("Отменить"), qPrintable(texts()));
    QVERIFY(InstallQtTranslations(QLocale::c()).startsWith("ru"));
    // One it has: that language.
    QVERIFY(InstallQtTranslations(QLocale(QLocale::German, QLocale::Germany)).startsWith("de"));
    QVERIFY2(texts().startsWith("Abbrechen|"), qPrintable(texts()));
    InstallQtTranslations(QLocale(QLocale::Russian, QLocale::Russia));
    QVERIFY(texts().startsWith("Отмена|"));
  }

  void aLongErrorLineIsShownWhole() {
    TErrListForm* errors = fx->manager->ErrListForm();
    const std::string reason = "не найден каталог, проверьте путь в настройках";
    const std::string line = "Файл /home/specialist/Документы/ИС/" + std::string(60, 'x') + "/весна.xml: " + reason;
    errors->SetMessages({line, "вторая ошибка"});
    errors->show();
    QVERIFY(QTest::qWaitForWindowExposed(errors));
    QListWidget* list = errors->lbErrors;
    const QRect first = list->visualItemRect(list->item(0));
    const QRect second = list->visualItemRect(list->item(1));
    // Within the list's width, over several lines, and the next line below it.
    QVERIFY(first.right() <= list->viewport()->width());
    const QRect text = list->fontMetrics().boundingRect(QRect(0, 0, first.width(), 10000), Qt::TextWordWrap,
                                                        QString::fromStdString(line));
    QVERIFY(text.height() >= 2 * list->fontMetrics().lineSpacing());
    QVERIFY2(first.height() >= text.height(), qPrintable(QString("%1 < %2").arg(first.height()).arg(text.height())));
    QVERIFY(second.top() >= first.bottom());
    QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
    QCOMPARE(list->item(0)->toolTip(), QString::fromStdString(line));
    QCOMPARE(errors->Lines().value(0), QString::fromStdString(line));
  }

  void errorListCopiesAndPrints() {
    TErrListForm* errors = fx->manager->ErrListForm();
    errors->SetMessages({"первая ошибка", "вторая ошибка"});
    errors->show();
    QTest::mouseClick(errors->bbCopy, Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(), QString("первая ошибка\nвторая ошибка\n"));
    // Many lines spread over several pages.
    std::vector<std::string> many;
    for (int i = 0; i < 150; ++i) many.push_back("строка " + std::to_string(i));
    errors->SetMessages(many);
    QCOMPARE(errors->lbErrors->count(), 150);
    const QString pdf = QString::fromStdString((fx->temp->path() / "errors.pdf").string());
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    errors->PrintLines(printer);
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QVERIFY(bytes.count("/Type /Page\n") + bytes.count("/Type /Page ") + bytes.count("/Type/Page") >= 1);
  }
};

int RunSmallWindowTests(int argc, char** argv) {
  TestSmallWindows test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_small_windows.moc"
