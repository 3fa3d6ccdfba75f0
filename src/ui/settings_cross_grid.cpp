// The re-registration page's grid: old and new registration numbers by year.
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

// ---- re-registration list ----

void TSettingsForm::ShowCrossRows() {
  const int currentRow = sgReRegRegnums->currentRow();
  const int currentColumn = sgReRegRegnums->currentColumn();
  const int rows = static_cast<int>(fCrossRows.size());
  sgReRegRegnums->setRowCount(rows + 1);
  for (int r = 0; r < rows; ++r) {
    const TCrossRec& rec = fCrossRows[static_cast<size_t>(r)];
    const QString cells[] = {QString::number(r + 1), QS(rec.FSRegNum), QS(rec.FERegNum),
                             QString::number(rec.FCrossYear), QString::number(rec.FCrossPeriod)};
    for (int c = 0; c < 5; ++c) SetCell(sgReRegRegnums, r, c, cells[c], Qt::AlignCenter);
  }
  for (int c = 0; c < sgReRegRegnums->columnCount(); ++c) SetCell(sgReRegRegnums, rows, c, "", Qt::AlignCenter);
  if (currentRow >= 0 && currentRow <= rows) sgReRegRegnums->setCurrentCell(currentRow, currentColumn);
}

void TSettingsForm::RemoveCrossRow(int rowIndex) {
  if (rowIndex < 1 || rowIndex > static_cast<int>(fCrossRows.size())) {
    ShowError(this, QString("Невозможно удалить %1 строку!").arg(rowIndex));
    return;
  }
  fCrossRows.erase(fCrossRows.begin() + (rowIndex - 1));
  ShowCrossRows();
}

void TSettingsForm::cbYearChange() {
  QSignalBlocker block(cbPeriod);
  cbPeriod->clear();
  if (cbYear->currentIndex() == 0)
    cbPeriod->addItems({"первое полугодие", "второе полугодие"});
  else
    cbPeriod->addItems({"первый квартал", "второй квартал", "третий квартал", "четвертый квартал"});
  cbPeriod->setCurrentIndex(-1);
}

void TSettingsForm::bbReRegAddClick() {
  const std::string before = MaskedText(meRegNumBefore);
  const std::string after = MaskedText(meRegNumAfter);
  if (!IsValidFullRegNum(before)) {
    ShowError(this, kBadRegNumMessage);
    meRegNumBefore->setFocus();
    return;
  }
  if (!IsValidFullRegNum(after) || after == before) {
    ShowError(this, kBadRegNumMessage);
    meRegNumAfter->setFocus();
    return;
  }
  if (cbYear->currentIndex() < 0) {
    ShowError(this, "Необходимо выбрать год!");
    return;
  }
  if (cbPeriod->currentIndex() < 0) {
    ShowError(this, "Необходимо выбрать период!");
    return;
  }
  fCrossRows.emplace_back(before, after, cbYear->currentText().toInt(), cbPeriod->currentIndex() + 1);
  ShowCrossRows();
  meRegNumBefore->clear();
  meRegNumAfter->clear();
  // Ready for the next entry: the current year and the first period (the second items would be
  // ten years ahead and the second quarter).
  cbYear->setCurrentIndex(std::max(cbYear->findText(QString::number(CurrentYear())), 0));
  cbPeriod->setCurrentIndex(0);
}

void TSettingsForm::bbReRegRemoveClick() {
  const int rowIndex = RowIndexOf(sgReRegRegnums);
  if (!Confirm(this, "Вы действительно хотите удалить запись?")) return;
  RemoveCrossRow(rowIndex);
}

}  // namespace zz
