// The Far North page's grid of registration numbers and their territorial-code rights, with its editors.
#include "ui/settings_form.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>

#include "base/dates.h"
#include "base/strings.h"
#include "ui/date_picker_box.h"
#include "ui/login_form.h"
#include "ui/reg_num_rules.h"
#include "ui/settings_grid_cells.h"
#include "ui/ui_common.h"

namespace zz {

using namespace settings_grid;

// ---- rights list ----

int TSettingsForm::EntryOfRow(int gridRow) const {
  if (gridRow < 0 || gridRow >= static_cast<int>(filteredList.size())) return -1;
  return static_cast<int>(filteredList[static_cast<size_t>(gridRow)]);
}

void TSettingsForm::ApplyFilter() {
  const std::string prefix = FilterPrefix(MaskedText(MaskEdit1));
  filtered = !prefix.empty();
  filteredList.clear();
  for (size_t i = 0; i < tempOriginalList.size(); ++i)
    if (!filtered || StartsWith(tempOriginalList[i].FNum, prefix)) filteredList.push_back(i);
  ShowRights();
}

void TSettingsForm::ShowRights() {
  const int currentRow = sgRegNums->currentRow();
  const int currentColumn = sgRegNums->currentColumn();
  const int rows = static_cast<int>(filteredList.size());
  sgRegNums->setRowCount(rows + 1);
  for (int r = 0; r < rows; ++r) {
    const TTerritoryCode& e = tempOriginalList[filteredList[static_cast<size_t>(r)]];
    SetCell(sgRegNums, r, 0, QString::number(r + 1));
    SetCell(sgRegNums, r, 1, QS(e.FNum));
    TTerritoryCode copy = e;
    for (int c = 0; c < TTerritoryCode::kCodeCount; ++c)
      SetCell(sgRegNums, r, 2 + c, copy.Flag(c) ? "X" : "", Qt::AlignCenter);
    SetCell(sgRegNums, r, kDateBeginColumn, e.FDateBegin.empty() ? kUnlimited : QS(e.FDateBegin));
    SetCell(sgRegNums, r, kDateEndColumn, e.FDateEnd.empty() ? kUnlimited : QS(e.FDateEnd));
  }
  for (int c = 0; c < sgRegNums->columnCount(); ++c) SetCell(sgRegNums, rows, c, "");
  if (currentRow >= 0 && currentRow <= rows) sgRegNums->setCurrentCell(currentRow, currentColumn);
  RefreshBasicList();
}

void TSettingsForm::RefreshBasicList() {
  const int current = lbBasRegNum->currentRow();
  lbBasRegNum->clear();
  for (size_t i : filteredList) lbBasRegNum->addItem(QS(tempOriginalList[i].FNum));
  if (current >= 0 && current < lbBasRegNum->count()) lbBasRegNum->setCurrentRow(current);
}

void TSettingsForm::AddRightsEntry(const TTerritoryCode& entry) {
  tempOriginalList.push_back(entry);
  ApplyFilter();
}

void TSettingsForm::RemoveRightsRow(int rowIndex) {
  // Row indexes count the heading row as 0; the grid's last row is the empty input row.
  const int entry = EntryOfRow(rowIndex - 1);
  if (rowIndex < 1 || entry < 0) {
    ShowError(this, QString("Невозможно удалить %1 строку!").arg(rowIndex));
    return;
  }
  tempOriginalList.erase(tempOriginalList.begin() + entry);
  ApplyFilter();
}

void TSettingsForm::MaskEdit1Change() {
  HideEditors();
  ApplyFilter();
}

void TSettingsForm::bbAddRegNum_BasClick() {
  HideEditors();
  const std::string text = MaskedText(eRegNum);
  if (!IsValidRegNumPrefix(text)) {
    ShowError(this, kBadRegNumMessage);
    eRegNum->setFocus();
    return;
  }
  AddRightsEntry(TTerritoryCode(NormalizeRegNumPrefix(text), TTerritoryRights::All()));
  eRegNum->clear();
}

void TSettingsForm::bbRemoveRegNum_BasClick() {
  HideEditors();
  RemoveRightsRow(lbBasRegNum->currentRow() + 1);
}

void TSettingsForm::bbAddRegNum_AdvClick() {
  HideEditors();
  const std::string text = MaskedText(meRegnum);
  if (!IsValidRegNumPrefix(text)) {
    ShowError(this, kBadRegNumMessage);
    meRegnum->setFocus();
    return;
  }
  bool any = false;
  for (QCheckBox* box : cbCode) any = any || box->isChecked();
  if (!any) {
    ShowError(this, "Не выбран ни один из терр. кодов!");
    return;
  }
  if (!dtpBegin->Unlimited() && !dtpEnd->Unlimited() && dtpBegin->Date() > dtpEnd->Date()) {
    ShowError(this, "Дата начала периода активности больше даты окончания периода активности!");
    return;
  }
  TTerritoryCode entry(NormalizeRegNumPrefix(text), TTerritoryRights{},
                       dtpBegin->Unlimited() ? "" : SS(FormatPickerDate(dtpBegin->Date())),
                       dtpEnd->Unlimited() ? "" : SS(FormatPickerDate(dtpEnd->Date())));
  for (int c = 0; c < TTerritoryCode::kCodeCount; ++c) entry.Flag(c) = cbCode[c]->isChecked();
  AddRightsEntry(entry);
  meRegnum->clear();
  for (QCheckBox* box : cbCode) box->setChecked(false);
  dtpBegin->SetUnlimited();
  dtpEnd->SetUnlimited();
}

void TSettingsForm::bbRemoveRegNum_AdvClick() {
  HideEditors();
  const int rowIndex = RowIndexOf(sgRegNums);
  const int entry = EntryOfRow(rowIndex - 1);
  // Named, so that the entry removed is the one the user means.
  const QString question = entry < 0 ? QString("Вы действительно хотите удалить запись?")
                                     : QString("Вы действительно хотите удалить запись %1?")
                                           .arg(QS(tempOriginalList[static_cast<size_t>(entry)].FNum));
  if (!Confirm(this, question)) return;
  RemoveRightsRow(rowIndex);
}

void TSettingsForm::sgRegNumsDblClick(int row, int column) {
  HideEditors();
  const int entry = EntryOfRow(row);
  if (entry < 0) return;  // the empty last row: new entries come from the input row
  if (column >= 2 && column <= 9) {
    bool& flag = tempOriginalList[static_cast<size_t>(entry)].Flag(column - 2);
    flag = !flag;
    ShowRights();
  } else if (column == kDateBeginColumn || column == kDateEndColumn) {
    OpenDateEditor(entry, column);
  } else {
    OpenNumberEditor(entry, sgRegNums->visualRect(sgRegNums->model()->index(row, 1)), sgRegNums->viewport());
  }
}

void TSettingsForm::lbBasRegNumDblClick(int index) {
  HideEditors();
  const int entry = EntryOfRow(index);
  if (entry < 0) return;
  OpenNumberEditor(entry, lbBasRegNum->visualItemRect(lbBasRegNum->item(index)), lbBasRegNum->viewport());
}

void TSettingsForm::OpenNumberEditor(int entry, const QRect& cell, QWidget* over) {
  fEditedEntry = entry;
  originalValue = QS(tempOriginalList[static_cast<size_t>(entry)].FNum);
  if (eCellRegNum->parentWidget() != over) eCellRegNum->setParent(over);
  QRect rect = cell;
  rect.setWidth(std::max(cell.width(), eCellRegNum->fontMetrics().horizontalAdvance("000-000-0000000") + 12));
  rect.setHeight(std::max(cell.height(), eCellRegNum->sizeHint().height()));
  eCellRegNum->setGeometry(rect);
  eCellRegNum->setText(originalValue);
  eCellRegNum->show();
  eCellRegNum->raise();
  eCellRegNum->setFocus();
  eCellRegNum->setCursorPosition(0);
}

void TSettingsForm::CommitNumberEditor() {
  if (fCommitting || fEditedEntry < 0) return;
  const std::string text = MaskedText(eCellRegNum);
  if (!IsValidRegNumPrefix(text)) {
    fCommitting = true;
    ShowError(this, kBadRegNumMessage);
    fCommitting = false;
    if (fEditedEntry >= 0) eCellRegNum->setFocus();
    return;
  }
  const size_t entry = static_cast<size_t>(fEditedEntry);
  fEditedEntry = -1;
  HideInPlaceEditor(eCellRegNum);
  if (entry < tempOriginalList.size()) tempOriginalList[entry].FNum = NormalizeRegNumPrefix(text);
  ApplyFilter();
}

void TSettingsForm::OpenDateEditor(int entry, int column) {
  fEditedEntry = entry;
  fEditedDateColumn = column;
  const TTerritoryCode& e = tempOriginalList[static_cast<size_t>(entry)];
  const std::string& value = column == kDateBeginColumn ? e.FDateBegin : e.FDateEnd;
  originalValue = value.empty() ? kUnlimited : QS(value);
  if (value.empty()) {
    dtpCell->SetUnlimited();
  } else if (auto date = TryParseDate(value)) {
    dtpCell->SetDate(ToQDate(*date));
  } else {
    dtpCell->SetDate(QDate::currentDate());
  }
  const int row = static_cast<int>(std::find(filteredList.begin(), filteredList.end(), static_cast<size_t>(entry)) -
                                   filteredList.begin());
  QRect rect = sgRegNums->visualRect(sgRegNums->model()->index(row, column));
  rect.setWidth(std::max(rect.width(), dtpCell->sizeHint().width()));
  rect.setHeight(std::max(rect.height(), dtpCell->sizeHint().height()));
  dtpCell->setGeometry(rect);
  dtpCell->show();
  dtpCell->raise();
  dtpCell->Picker->setFocus();
}

void TSettingsForm::DateEditorChanged() {
  if (fEditedEntry < 0 || fEditedDateColumn < 0) return;
  TTerritoryCode& e = tempOriginalList[static_cast<size_t>(fEditedEntry)];
  const std::string value = dtpCell->Unlimited() ? "" : SS(FormatPickerDate(dtpCell->Date()));
  (fEditedDateColumn == kDateBeginColumn ? e.FDateBegin : e.FDateEnd) = value;
  ShowRights();
}

void TSettingsForm::HideEditors() {
  fEditedEntry = -1;
  fEditedDateColumn = -1;
  HideInPlaceEditor(eCellRegNum);
  HideInPlaceEditor(dtpCell);
}

bool TSettingsForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == eCellRegNum) {
    if (event->type() == QEvent::FocusOut && eCellRegNum->isVisible()) {
      CommitNumberEditor();
    } else if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      // Escape leaves the cell as it was.
      HideEditors();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace zz
