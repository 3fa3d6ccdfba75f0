// The settings window driven as a user would: the rights editors and their rules, the filter,
// the re-registration list, "Сохранить" and "Отмена".
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include "settings/settings.h"
#include "ui/date_picker_box.h"
#include "ui/elided_label.h"
#include "ui/error_list_form.h"
#include "ui/login_form.h"
#include "ui/main_window.h"
#include "ui/reg_num_edit.h"
#include "ui/settings_form.h"
#include "ui_test_support.h"

using namespace zz;
using namespace zz::uitest;

namespace {

QString Cell(QTableWidget* grid, int row, int column) {
  QTableWidgetItem* item = grid->item(row, column);
  return item ? item->text() : QString();
}

void DoubleClickCell(QTableWidget* grid, int row, int column) {
  grid->scrollToItem(grid->item(row, column));
  const QPoint at = grid->visualItemRect(grid->item(row, column)).center();
  // A double click is a press, a release and a double-click event.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

// Opens a picker's calendar by its drop-down button and clicks today's date in it.
bool PickToday(QDateEdit* picker) {
  QTest::mouseClick(picker, Qt::LeftButton, Qt::NoModifier, QPoint(picker->width() - 6, picker->height() / 2));
  QCalendarWidget* calendar = picker->calendarWidget();
  if (!QTest::qWaitFor([calendar] { return calendar->isVisible(); }, 2000)) return false;
  auto* view = calendar->findChild<QTableView*>("qt_calendar_calendarview");
  if (!view) return false;
  // Row 0 holds the day names, column 0 the week numbers; a day number may show twice (the
  // neighbouring months), today's is the first in the first half of the month, the last after.
  const QDate today = QDate::currentDate();
  const int firstColumn = calendar->verticalHeaderFormat() == QCalendarWidget::NoVerticalHeader ? 0 : 1;
  QModelIndex found;
  for (int r = 1; r < view->model()->rowCount(); ++r)
    for (int c = firstColumn; c < view->model()->columnCount(); ++c) {
      const QModelIndex index = view->model()->index(r, c);
      if (index.data().toString() != QString::number(today.day())) continue;
      if (!found.isValid() || today.day() >= 15) found = index;
    }
  if (!found.isValid()) return false;
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, view->visualRect(found).center());
  return QTest::qWaitFor([calendar] { return !calendar->isVisible(); }, 2000);
}

void ClickCell(QTableWidget* grid, int row, int column) {
  grid->scrollToItem(grid->item(row, column));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                    grid->visualItemRect(grid->item(row, column)).center());
}

}  // namespace

class TestSettingsForm : public QObject {
  Q_OBJECT
  std::unique_ptr<TUiFixture> fx;
  TSettingsForm* f = nullptr;
  TSettings* s = nullptr;

  void Open() {
    f->FormShow();
    f->show();
    QVERIFY(QTest::qWaitForWindowExposed(f));
  }
  void OpenAdvanced() {
    s->fCompareTerrCodes = true;
    s->FCompareTerrCodesExtMode = true;
    Open();
    f->pcMain->setCurrentIndex(1);
  }
  QString Press(QPushButton* button, QMessageBox::StandardButton answer = QMessageBox::Ok) {
    return MessageOf([&] { QTest::mouseClick(button, Qt::LeftButton); }, answer);
  }
  void CheckCode(int code) { Toggle(f->cbCode[code]); }
  void SetPicker(TDatePickerBox* box, const QDate& date) {
    // A date chosen in the picker (its calendar sets the date the same way).
    box->Picker->setDate(date);
  }

 private slots:
  void init() {
    fx = std::make_unique<TUiFixture>();
    f = fx->manager->SettingsForm();
    s = &TSettings::GetInstance();
  }
  void cleanup() {
    if (f && f->isVisible()) f->reject();
    fx.reset();
  }

  void pagesAndHeadings() {
    Open();
    QCOMPARE(f->windowTitle(), QString("Настройки"));
    QCOMPARE(f->pcMain->count(), 4);
    QCOMPARE(f->pcMain->tabText(0), QString("БД ПК \"Ливерто\""));
    QCOMPARE(f->pcMain->tabText(1), QString("Проверка терр. кодов"));
    QCOMPARE(f->pcMain->tabText(2), QString("Перерегистрация"));
    QCOMPARE(f->pcMain->tabText(3), QString("Дополнительно"));
    QStringList headings;
    for (int c = 0; c < f->sgRegNums->columnCount(); ++c) headings << f->sgRegNums->horizontalHeaderItem(c)->text();
    QCOMPARE(headings, (QStringList{"п/п", "рег. номер", "МКС", "РКС", "ЧЗ1", "ЧЗ3", "ЧЗ4", "ЧЗ5", "ЧЗ6", "СЕЛО",
                                    "Дата начала", "Дата окончания"}));
    QCOMPARE(f->cbCode[2]->text(), QString("Ч31"));  // the code with the digit 3
    QVERIFY(!f->cbUseLastWhenNoListOnDate->isVisible());
    QVERIFY(!f->gbCrossDB->isEnabled());
    QCOMPARE(f->lCrossLastUpdate->text(), QString("Дата последнего обновления: нет"));
    QCOMPARE(f->eAppName->text(), QString("list4"));
    QCOMPARE(f->sgRegNums->columnWidth(10), 130);
    // The territorial controls show only while the check is on.
    f->pcMain->setCurrentIndex(1);
    QVERIFY(!f->pNordCheck->isVisible());
    Toggle(f->cbNordCheck);
    QVERIFY(f->pNordCheck->isVisible());
    QVERIFY(f->cbAdvancedNordCheck->isVisible());
    QCOMPARE(f->pcNordCheck->currentWidget(), static_cast<QWidget*>(f->tsBasicNordCheck));
    Toggle(f->cbAdvancedNordCheck);
    QCOMPARE(f->pcNordCheck->currentWidget(), static_cast<QWidget*>(f->tsAdvancedNordCheck));
  }

  void pageShownIsRecorded() {
    Open();
    QCOMPARE(s->FNumSettingsWin, 0);
    f->pcMain->setCurrentIndex(3);
    QCOMPARE(s->FNumSettingsWin, 3);
    f->reject();
    Open();
    QCOMPARE(s->FNumSettingsWin, 0);
    QCOMPARE(f->pcMain->currentIndex(), 0);
  }

  void basicAddStoresAPrefixWithAllCodes() {
    s->fCompareTerrCodes = true;
    Open();
    f->pcMain->setCurrentIndex(1);
    Retype(f->eRegNum, "123456");
    QCOMPARE(Press(f->bbAddRegNum_Bas), QString());
    QCOMPARE(f->lbBasRegNum->count(), 1);
    QCOMPARE(f->lbBasRegNum->item(0)->text(), QString("123-456"));
    QCOMPARE(f->eRegNum->displayText(), QString("___-___-______"));
    // A blank start of the number is refused.
    Retype(f->eRegNum, "12");
    QCOMPARE(Press(f->bbAddRegNum_Bas), QString("Некорректный регистрационный номер!"));
    Retype(f->eRegNum, "");
    QCOMPARE(Press(f->bbAddRegNum_Bas), QString("Некорректный регистрационный номер!"));
    Retype(f->eRegNum, "123");
    Press(f->bbAddRegNum_Bas);
    QCOMPARE(f->lbBasRegNum->item(1)->text(), QString("123"));
    QTest::mouseClick(f->bbSave, Qt::LeftButton);
    QCOMPARE(s->FTerrCodeRightList.size(), size_t(2));
    const TTerritoryCode& e = s->FTerrCodeRightList[0];
    QCOMPARE(e.FNum, std::string("123-456"));
    QVERIFY(e.FMKS && e.FRKS && e.FCZ1 && e.FCZ3 && e.FCZ4 && e.FCZ5 && e.FCZ6 && e.FCountry);
    QVERIFY(e.FDateBegin.empty() && e.FDateEnd.empty());
  }

  void advancedEditorRefusesBadEntries() {
    OpenAdvanced();
    Retype(f->meRegnum, "123456789012");
    QCOMPARE(Press(f->bbAddRegNum_Adv), QString("Не выбран ни один из терр. кодов!"));
    CheckCode(0);
    SetPicker(f->dtpBegin, QDate(2023, 7, 1));
    SetPicker(f->dtpEnd, QDate(2023, 1, 1));
    QVERIFY(!f->dtpBegin->Cover->isVisible());
    QCOMPARE(Press(f->bbAddRegNum_Adv),
             QString("Дата начала периода активности больше даты окончания периода активности!"));
    QCOMPARE(f->sgRegNums->rowCount(), 1);  // only the empty row
    Retype(f->meRegnum, "1");
    QCOMPARE(Press(f->bbAddRegNum_Adv), QString("Некорректный регистрационный номер!"));
    QVERIFY(f->RightsEntries().empty());
  }

  void advancedEditorAddsAnEntryWithCodesAndDates() {
    OpenAdvanced();
    Retype(f->meRegnum, "123456789012");
    CheckCode(0);
    CheckCode(7);
    SetPicker(f->dtpBegin, QDate(2023, 1, 1));
    QCOMPARE(Press(f->bbAddRegNum_Adv), QString());
    QCOMPARE(f->sgRegNums->rowCount(), 2);
    QCOMPARE(Cell(f->sgRegNums, 0, 0), QString("1"));
    QCOMPARE(Cell(f->sgRegNums, 0, 1), QString("123-456-789012"));
    QCOMPARE(Cell(f->sgRegNums, 0, 2), QString("X"));
    QCOMPARE(Cell(f->sgRegNums, 0, 3), QString(""));
    QCOMPARE(Cell(f->sgRegNums, 0, 9), QString("X"));
    QCOMPARE(Cell(f->sgRegNums, 0, 10), QString("01.01.2023"));
    QCOMPARE(Cell(f->sgRegNums, 0, 11), QString("Бессрочно"));
    // The input row is reset.
    QCOMPARE(f->meRegnum->displayText(), QString("___-___-______"));
    QVERIFY(!f->cbCode[0]->isChecked());
    QVERIFY(f->dtpBegin->Unlimited());
    QVERIFY(f->dtpBegin->Cover->isVisible());
    // Both dates unlimited is accepted.
    Retype(f->meRegnum, "077");
    CheckCode(1);
    Press(f->bbAddRegNum_Adv);
    QTest::mouseClick(f->bbSave, Qt::LeftButton);
    QCOMPARE(s->FTerrCodeRightList.size(), size_t(2));
    QCOMPARE(s->FTerrCodeRightList[0].ToLine(), std::string("123-456-789012/10000001 01.01.2023           "));
    QCOMPARE(s->FTerrCodeRightList[1].FNum, std::string("077"));
    QVERIFY(s->FTerrCodeRightList[1].FRKS && !s->FTerrCodeRightList[1].FMKS);
  }

  void deletingTheHeadingRowGivesTheMessage() {
    s->FTerrCodeRightList.emplace_back("123-456", TTerritoryRights{.MKS = true});
    OpenAdvanced();
    QTest::mouseClick(f->sgRegNums->horizontalHeader()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(f->sgRegNums->columnWidth(0) / 2, 5));
    auto remove = [&] { QTest::mouseClick(f->bbRemoveRegNum_Adv, Qt::LeftButton); };
    // The confirmation first, then the refusal.
    QCOMPARE(MessagesOf(remove),
             (QStringList{"Вы действительно хотите удалить запись?", "Невозможно удалить 0 строку!"}));
    QCOMPARE(f->sgRegNums->rowCount(), 2);
    // The empty last row cannot be deleted either; a data row can.
    ClickCell(f->sgRegNums, 1, 1);
    QCOMPARE(MessagesOf(remove).value(1), QString("Невозможно удалить 2 строку!"));
    ClickCell(f->sgRegNums, 0, 1);
    QCOMPARE(Press(f->bbRemoveRegNum_Adv, QMessageBox::Cancel),
             QString("Вы действительно хотите удалить запись 123-456?"));
    QCOMPARE(f->sgRegNums->rowCount(), 2);
    QCOMPARE(Press(f->bbRemoveRegNum_Adv, QMessageBox::Ok), QString("Вы действительно хотите удалить запись 123-456?"));
    QCOMPARE(f->sgRegNums->rowCount(), 1);
    // The basic list with nothing selected.
    f->cbAdvancedNordCheck->setChecked(false);
    QCOMPARE(Press(f->bbRemoveRegNum_Bas), QString("Невозможно удалить 0 строку!"));
  }

  void cancelLeavesTheSettingsUntouched() {
    s->FTerrCodeRightList.emplace_back("123-456", TTerritoryRights{.MKS = true});
    s->FCrossList.emplace_back("111-111-111111", "222-222-222222", 2020, 2);
    s->FULMachine = "before";
    OpenAdvanced();
    Retype(f->eServerNameOrIP, "after");
    Toggle(f->cbNordCheck);
    Toggle(f->cbDebug);
    DoubleClickCell(f->sgRegNums, 0, 3);
    QCOMPARE(Cell(f->sgRegNums, 0, 3), QString("X"));
    Retype(f->meRegnum, "999");
    CheckCode(4);
    Press(f->bbAddRegNum_Adv);
    ClickCell(f->sgReRegRegnums, 0, 1);
    Press(f->bbReRegRemove);
    QTest::mouseClick(f->bbCancel, Qt::LeftButton);
    QVERIFY(!f->isVisible());
    QCOMPARE(s->FULMachine, std::string("before"));
    QVERIFY(s->fCompareTerrCodes);
    QVERIFY(!s->FDebug);
    QCOMPARE(s->FTerrCodeRightList.size(), size_t(1));
    QVERIFY(!s->FTerrCodeRightList[0].FRKS);
    QCOMPARE(s->FCrossList.size(), size_t(1));
    // The next opening shows the settings again.
    Open();
    QCOMPARE(f->eServerNameOrIP->text(), QString("before"));
    QCOMPARE(f->sgRegNums->rowCount(), 2);
  }

  void saveStoresTheOtherPages() {
    Open();
    Retype(f->eServerNameOrIP, "10.0.0.1");
    Retype(f->ePort, "8081");
    Retype(f->eAppName, "list5");
    Toggle(f->cbSavePassword);
    f->pcMain->setCurrentIndex(3);
    Toggle(f->cbDebug);
    QTest::mouseClick(f->bbSave, Qt::LeftButton);
    QCOMPARE(s->FULMachine, std::string("10.0.0.1"));
    QCOMPARE(s->FULPort, std::string("8081"));
    QCOMPARE(s->FULAppName, std::string("list5"));
    QVERIFY(s->FSaveULPass);
    QVERIFY(s->FDebug);
  }

  void filterShowsMatchingEntriesAndKeepsToggledCodes() {
    s->FTerrCodeRightList.emplace_back("123-456-000001", TTerritoryRights{.MKS = true});
    s->FTerrCodeRightList.emplace_back("077-001-000001", TTerritoryRights{.MKS = true});
    s->FTerrCodeRightList.emplace_back("123-999", TTerritoryRights{.RKS = true});
    OpenAdvanced();
    Retype(f->MaskEdit1, "123");
    QVERIFY(f->Filtered());
    QCOMPARE(f->sgRegNums->rowCount(), 3);
    QCOMPARE(Cell(f->sgRegNums, 0, 1), QString("123-456-000001"));
    QCOMPARE(Cell(f->sgRegNums, 1, 1), QString("123-999"));
    QCOMPARE(f->lbBasRegNum->count(), 2);
    // Toggle RKS of the second shown entry and change a date of the first.
    DoubleClickCell(f->sgRegNums, 1, 3);
    QCOMPARE(Cell(f->sgRegNums, 1, 3), QString(""));
    DoubleClickCell(f->sgRegNums, 1, 2);
    QCOMPARE(Cell(f->sgRegNums, 1, 2), QString("X"));
    DoubleClickCell(f->sgRegNums, 0, 11);
    QVERIFY(f->dtpCell->isVisible());
    QVERIFY(f->dtpCell->Unlimited());
    f->dtpCell->Picker->setDate(QDate(2024, 12, 31));
    QCOMPARE(Cell(f->sgRegNums, 0, 11), QString("31.12.2024"));
    // A new entry while filtered.
    Retype(f->meRegnum, "123777");
    CheckCode(7);
    Press(f->bbAddRegNum_Adv);
    QCOMPARE(f->sgRegNums->rowCount(), 4);
    QTest::mouseClick(f->bbSave, Qt::LeftButton);
    const auto& list = s->FTerrCodeRightList;
    QCOMPARE(list.size(), size_t(4));
    QCOMPARE(list[0].FDateEnd, std::string("31.12.2024"));
    QCOMPARE(list[1].FNum, std::string("077-001-000001"));
    QVERIFY(list[1].FMKS);
    QVERIFY(list[2].FMKS && !list[2].FRKS);
    QCOMPARE(list[3].FNum, std::string("123-777"));
    QVERIFY(list[3].FCountry);
  }

  void clearingTheFilterShowsAllAgain() {
    s->FTerrCodeRightList.emplace_back("123-456", TTerritoryRights{.MKS = true});
    s->FTerrCodeRightList.emplace_back("077-001", TTerritoryRights{.MKS = true});
    OpenAdvanced();
    Retype(f->MaskEdit1, "077");
    QCOMPARE(f->sgRegNums->rowCount(), 2);
    // Deleting while filtered removes the entry shown, not another one with a similar number.
    ClickCell(f->sgRegNums, 0, 1);
    Press(f->bbRemoveRegNum_Adv);
    QCOMPARE(f->sgRegNums->rowCount(), 1);
    Retype(f->MaskEdit1, "");
    QVERIFY(!f->Filtered());
    QCOMPARE(f->sgRegNums->rowCount(), 2);
    QCOMPARE(Cell(f->sgRegNums, 0, 1), QString("123-456"));
  }

  void inPlaceNumberEditing() {
    s->FTerrCodeRightList.emplace_back("123-456", TTerritoryRights{.MKS = true});
    OpenAdvanced();
    DoubleClickCell(f->sgRegNums, 0, 1);
    QVERIFY(f->eCellRegNum->isVisible());
    Retype(f->eCellRegNum, "12");
    QCOMPARE(MessageOf([&] { QTest::keyClick(f->eCellRegNum, Qt::Key_Return); }),
             QString("Некорректный регистрационный номер!"));
    QVERIFY(f->eCellRegNum->isVisible());
    Retype(f->eCellRegNum, "555666");
    QTest::keyClick(f->eCellRegNum, Qt::Key_Return);
    QVERIFY(!f->eCellRegNum->isVisible());
    QCOMPARE(Cell(f->sgRegNums, 0, 1), QString("555-666"));
    // The basic list edits the same entries.
    f->cbAdvancedNordCheck->setChecked(false);
    QCOMPARE(f->lbBasRegNum->item(0)->text(), QString("555-666"));
    const QPoint item = f->lbBasRegNum->visualItemRect(f->lbBasRegNum->item(0)).center();
    QTest::mouseClick(f->lbBasRegNum->viewport(), Qt::LeftButton, Qt::NoModifier, item);
    QTest::mouseDClick(f->lbBasRegNum->viewport(), Qt::LeftButton, Qt::NoModifier, item);
    QVERIFY(f->eCellRegNum->isVisible());
    Retype(f->eCellRegNum, "777");
    QTest::keyClick(f->eCellRegNum, Qt::Key_Return);
    QCOMPARE(f->lbBasRegNum->item(0)->text(), QString("777"));
    QTest::mouseClick(f->bbSave, Qt::LeftButton);
    QCOMPARE(s->FTerrCodeRightList[0].FNum, std::string("777"));
    QVERIFY(s->FTerrCodeRightList[0].FMKS);  // the codes stay
  }

  void dateCellEditingAndUnlimited() {
    s->FTerrCodeRightList.emplace_back("123", TTerritoryRights{.MKS = true}, "01.02.2020");
    OpenAdvanced();
    DoubleClickCell(f->sgRegNums, 0, 10);
    QVERIFY(f->dtpCell->isVisible());
    QVERIFY(!f->dtpCell->Unlimited());
    QCOMPARE(f->dtpCell->Date(), QDate(2020, 2, 1));
    QTest::mouseClick(f->dtpCell->Clear, Qt::LeftButton);
    QCOMPARE(Cell(f->sgRegNums, 0, 10), QString("Бессрочно"));
    QVERIFY(f->dtpCell->Cover->isVisible());
    QTest::mouseClick(f->bbSave, Qt::LeftButton);
    QVERIFY(s->FTerrCodeRightList[0].FDateBegin.empty());
  }

  void reregistrationList() {
    Open();
    f->pcMain->setCurrentIndex(2);
    QCOMPARE(f->cbYear->itemText(0), QString::number(QDate::currentDate().year() + 10));
    QCOMPARE(f->cbYear->currentText(), QString::number(QDate::currentDate().year()));
    QCOMPARE(f->cbYear->itemText(f->cbYear->count() - 1), QString("1992"));
    QCOMPARE(f->cbPeriod->currentIndex(), -1);
    Retype(f->meRegNumBefore, "111111111111");
    Retype(f->meRegNumAfter, "111111111111");
    QCOMPARE(Press(f->bbReRegAdd), QString("Некорректный регистрационный номер!"));
    QCOMPARE(f->focusWidget(), f->meRegNumAfter);
    Retype(f->meRegNumAfter, "22222222222");  // one digit short
    QCOMPARE(Press(f->bbReRegAdd), QString("Некорректный регистрационный номер!"));
    Retype(f->meRegNumAfter, "222222222222");
    QCOMPARE(Press(f->bbReRegAdd), QString("Необходимо выбрать период!"));
    ChooseItem(f->cbYear, "2021");
    ChooseItem(f->cbPeriod, "третий квартал");
    QCOMPARE(Press(f->bbReRegAdd), QString());
    QCOMPARE(f->sgReRegRegnums->rowCount(), 2);
    QCOMPARE(Cell(f->sgReRegRegnums, 0, 1), QString("111-111-111111"));
    QCOMPARE(Cell(f->sgReRegRegnums, 0, 3), QString("2021"));
    QCOMPARE(Cell(f->sgReRegRegnums, 0, 4), QString("3"));
    QCOMPARE(f->meRegNumBefore->displayText(), QString("___-___-______"));
    // Ready for the next entry: the current year and the first quarter.
    QCOMPARE(f->cbYear->currentText(), QString::number(QDate::currentDate().year()));
    QCOMPARE(f->cbPeriod->count(), 4);
    QCOMPARE(f->cbPeriod->currentIndex(), 0);
    // Every column of the grid is aligned alike.
    for (int c = 1; c < f->sgReRegRegnums->columnCount(); ++c)
      QCOMPARE(f->sgReRegRegnums->item(0, c)->textAlignment(), f->sgReRegRegnums->item(0, 0)->textAlignment());
    // The first year of the list counts in half-years.
    ChooseItem(f->cbYear, f->cbYear->itemText(0));
    QCOMPARE(f->cbPeriod->count(), 2);
    QCOMPARE(f->cbPeriod->itemText(1), QString("второе полугодие"));
    QTest::mouseClick(f->bbSave, Qt::LeftButton);
    QCOMPARE(s->FCrossList.size(), size_t(1));
    QCOMPARE(s->FCrossList[0].FERegNum, std::string("222-222-222222"));
    QCOMPARE(s->FCrossList[0].FCrossYear, 2021);
    QCOMPARE(s->FCrossList[0].FCrossPeriod, 3);
  }

  void everyNumberEditFillsFromItsFirstBlankWhereverClicked() {
    s->fCompareTerrCodes = true;
    Open();
    TMainWindow* w = fx->manager->MainWindow();
    const QList<QLineEdit*> edits{w->ERegNum,  f->MaskEdit1,      f->eRegNum,
                                  f->meRegnum, f->meRegNumBefore, f->meRegNumAfter};
    for (QLineEdit* edit : edits) {
      QWidget* window = edit->window();
      if (window == f) {
        QWidget* page = edit->parentWidget();
        while (page && f->pcMain->indexOf(page) < 0) page = page->parentWidget();
        f->pcMain->setCurrentWidget(page);
        f->cbAdvancedNordCheck->setChecked(edit == f->meRegnum);
      }
      QVERIFY2(edit->isVisible(), qPrintable(edit->objectName()));
      QVERIFY(qobject_cast<TRegNumEdit*>(edit));
      // Focus by a click in the middle of the empty mask, then the whole number.
      window->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(window));
      (window == f ? static_cast<QWidget*>(f->bbSave) : w->EDirIS)->setFocus();
      QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(edit->width() / 2, edit->height() / 2));
      QTRY_VERIFY(edit->hasFocus());
      Type(edit, "087104003215");
      QCOMPARE(edit->displayText(), QString("087-104-003215"));
      // A part typed, a click at the far end: typing goes on where the number stops.
      Retype(edit, "123");
      QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(edit->width() - 4, edit->height() / 2));
      Type(edit, "456");
      QVERIFY2(edit->displayText() == "123-456-______", qPrintable(edit->objectName() + " " + edit->displayText()));
      Retype(edit, "");
    }
    QCOMPARE(s->FRegNum, std::string("   -   -      "));
  }

  void escapeInADateEditorClosesOnlyTheEditor() {
    s->FTerrCodeRightList.emplace_back("123", TTerritoryRights{.MKS = true}, "01.02.2020");
    OpenAdvanced();
    Toggle(f->cbDebug);  // an unsaved change elsewhere in the window
    DoubleClickCell(f->sgRegNums, 0, 10);
    QVERIFY(f->dtpCell->isVisible());
    QTest::keyClick(f->dtpCell->Picker, Qt::Key_Up);  // the day up by one
    QCOMPARE(Cell(f->sgRegNums, 0, 10), QString("02.02.2020"));
    QTest::keyClick(f->dtpCell->Picker, Qt::Key_Escape);
    QVERIFY(!f->dtpCell->isVisible());
    QVERIFY(f->isVisible());
    QCOMPARE(Cell(f->sgRegNums, 0, 10), QString("02.02.2020"));
    QVERIFY(f->cbDebug->isChecked());
    // The number editor too.
    DoubleClickCell(f->sgRegNums, 0, 1);
    QVERIFY(f->eCellRegNum->isVisible());
    QTest::keyClick(f->eCellRegNum, Qt::Key_Escape);
    QVERIFY(!f->eCellRegNum->isVisible());
    QVERIFY(f->isVisible());
    QTest::mouseClick(f->bbSave, Qt::LeftButton);
    QCOMPARE(s->FTerrCodeRightList[0].FDateBegin, std::string("02.02.2020"));
    QVERIFY(s->FDebug);
    // With no editor open, Escape closes the window without storing.
    Open();
    Toggle(f->cbDebug);
    QTest::keyClick(f->cbDebug, Qt::Key_Escape);
    QVERIFY(!f->isVisible());
    QVERIFY(s->FDebug);
  }

  void closingADateEditorKeepsTheCurrentCellAndTheDeletionNamesItsEntry() {
    s->FTerrCodeRightList.emplace_back("111", TTerritoryRights{.MKS = true}, "01.02.2020");
    s->FTerrCodeRightList.emplace_back("222", TTerritoryRights{.MKS = true});
    OpenAdvanced();
    // Both ways of closing, in the last column, where a step on lands on the next row.
    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
      DoubleClickCell(f->sgRegNums, 0, 11);
      QVERIFY(f->dtpCell->isVisible());
      QVERIFY(f->dtpCell->Picker->hasFocus());
      QVERIFY(PickToday(f->dtpCell->Picker));
      QTest::keyClick(f->dtpCell->Picker, static_cast<Qt::Key>(key));
      QVERIFY(!f->dtpCell->isVisible());
      QVERIFY(f->isVisible());
      QCOMPARE(f->sgRegNums->currentRow(), 0);
      QCOMPARE(f->sgRegNums->currentColumn(), 11);
      QVERIFY(f->sgRegNums->hasFocus());
    }
    // The number editor closed with Enter, too.
    DoubleClickCell(f->sgRegNums, 0, 1);
    QVERIFY(f->eCellRegNum->hasFocus());
    QTest::keyClick(f->eCellRegNum, Qt::Key_Return);
    QVERIFY(!f->eCellRegNum->isVisible());
    QCOMPARE(f->sgRegNums->currentRow(), 0);
    QCOMPARE(f->sgRegNums->currentColumn(), 1);
    QCOMPARE(Press(f->bbRemoveRegNum_Adv, QMessageBox::Ok), QString("Вы действительно хотите удалить запись 111?"));
    QTest::mouseClick(f->bbSave, Qt::LeftButton);
    QCOMPARE(s->FTerrCodeRightList.size(), size_t(1));
    QCOMPARE(s->FTerrCodeRightList[0].FNum, std::string("222"));
  }

  void pickingTodayUncoversThePicker() {
    s->FTerrCodeRightList.emplace_back("123", TTerritoryRights{.MKS = true});
    OpenAdvanced();
    const QString today = QDate::currentDate().toString("dd.MM.yyyy");
    QVERIFY(f->dtpBegin->Unlimited());
    QVERIFY(f->dtpBegin->Cover->isVisible());
    QVERIFY(PickToday(f->dtpBegin->Picker));
    QVERIFY(!f->dtpBegin->Unlimited());
    QVERIFY(!f->dtpBegin->Cover->isVisible());
    // The same in a grid cell that reads "Бессрочно".
    DoubleClickCell(f->sgRegNums, 0, 11);
    QVERIFY(f->dtpCell->Unlimited());
    QVERIFY(PickToday(f->dtpCell->Picker));
    QCOMPARE(Cell(f->sgRegNums, 0, 11), today);
    QVERIFY(!f->dtpCell->Cover->isVisible());
    // The calendar speaks Russian.
    QCOMPARE(f->dtpCell->Picker->calendarWidget()->locale().language(), QLocale::Russian);
    // A click on another cell ends the editing.
    ClickCell(f->sgRegNums, 0, 1);
    QVERIFY(!f->dtpCell->isVisible());
    QTest::mouseClick(f->bbSave, Qt::LeftButton);
    QCOMPARE(s->FTerrCodeRightList[0].FDateEnd, today.toStdString());
  }

  void settingsLoginAndErrorListShowInTheMiddleOfTheDesktop() {
    TMainWindow* w = fx->manager->MainWindow();
    w->move(0, 0);
    const QRect desktop = w->screen()->availableGeometry();
    auto centred = [&](QWidget* window) {
      const QPoint offset = window->frameGeometry().center() - desktop.center();
      return offset.manhattanLength() <= 24;
    };
    Open();
    QVERIFY2(centred(f), qPrintable(QString("%1,%2").arg(f->x()).arg(f->y())));
    f->reject();
    TLoginForm* login = fx->manager->LoginForm();
    bool loginCentred = false;
    WithModal([&] { login->Execute(ltServer); },
              [&](QWidget*) {
                loginCentred = centred(login);
                login->reject();
              });
    QVERIFY(loginCentred);
    TErrListForm* errors = fx->manager->ErrListForm();
    Retype(w->ERegNum, "1");
    QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
    QVERIFY(errors->isVisible());
    QVERIFY(centred(errors));
  }

  void enterPasswordStoresTheServerCredentials() {
    Open();
    WithModal([&] { QTest::mouseClick(f->bbEnterPassword, Qt::LeftButton); },
              [&](QWidget* login) {
                Type(login->findChild<QLineEdit*>("eLogin"), "adm");
                QTest::mouseClick(login->findChild<QPushButton*>("bbOK"), Qt::LeftButton);
              });
    QVERIFY(!s->FULLogin.empty());
    QVERIFY(s->FCrossUserDB.empty());
  }
};

int RunSettingsFormTests(int argc, char** argv) {
  TestSettingsForm test;
  return QTest::qExec(&test, argc, argv);
}

#include "test_settings_form.moc"
