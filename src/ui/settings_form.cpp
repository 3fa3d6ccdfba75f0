// The settings window: its pages in tabs, showing the stored settings and storing the edited ones.
#include "ui/settings_form.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/dates.h"
#include "base/strings.h"
#include "ui/date_picker_box.h"
#include "ui/login_form.h"
#include "ui/reg_num_rules.h"
#include "ui/settings_grid_cells.h"
#include "ui/ui_common.h"

namespace zz {

using namespace settings_grid;

TSettingsForm::TSettingsForm(QWidget* parent) : QDialog(parent), FSettings(TSettings::GetInstance()) {
  setObjectName("SettingsForm");
  setWindowTitle("Настройки");
  setFont(WindowFont());
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  pcMain = new QTabWidget(this);
  pcMain->setObjectName("pcMain");
  tsDBConnection = BuildServerPage();
  tsNordCheck = BuildNordPage();
  tsReregistration = BuildReregistrationPage();
  tsAdditional = BuildAdditionalPage();
  pcMain->addTab(tsDBConnection, "БД ПК \"Ливерто\"");
  pcMain->addTab(tsNordCheck, "Проверка терр. кодов");
  pcMain->addTab(tsReregistration, "Перерегистрация");
  pcMain->addTab(tsAdditional, "Дополнительно");

  bbSave = new QPushButton("Сохранить", this);
  bbSave->setObjectName("bbSave");
  bbSave->setAutoDefault(false);
  bbCancel = new QPushButton("Отмена", this);
  bbCancel->setObjectName("bbCancel");
  bbCancel->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(bbSave);
  buttons->addWidget(bbCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pcMain, 1);
  layout->addLayout(buttons);

  // In-place editors of the rights grid and the basic list.
  eCellRegNum = NewRegNumEdit(sgRegNums->viewport(), "eCellRegNum");
  eCellRegNum->hide();
  eCellRegNum->installEventFilter(this);
  dtpCell = new TDatePickerBox(sgRegNums->viewport(), "dtpCell", "eCellNoPeriod", "bCellClearPeriod");
  dtpCell->hide();

  connect(bbSave, &QPushButton::clicked, this, [this] { bbSaveClick(); });
  connect(bbCancel, &QPushButton::clicked, this, [this] { bbCancelClick(); });
  connect(pcMain, &QTabWidget::currentChanged, this, [this](int index) {
    HideEditors();
    FSettings.FNumSettingsWin = index;
  });
  connect(eCellRegNum, &QLineEdit::returnPressed, this, [this] { CommitNumberEditor(); });
  connect(dtpCell, &TDatePickerBox::userChanged, this, [this] { DateEditorChanged(); });

  setFixedSize(sizeHint().expandedTo(QSize(689, 419)));
}

int TSettingsForm::ShowModalForm() {
  FormShow();
  return exec();
}

void TSettingsForm::FormShow() {
  HideEditors();
  dtpBegin->SetUnlimited();
  dtpEnd->SetUnlimited();
  for (QCheckBox* box : cbCode) box->setChecked(false);
  meRegnum->clear();
  eRegNum->clear();
  {
    QSignalBlocker block(MaskEdit1);
    MaskEdit1->clear();
  }
  cbNordCheck->setChecked(FSettings.fCompareTerrCodes);
  pNordCheck->setVisible(FSettings.fCompareTerrCodes);
  cbAdvancedNordCheck->setVisible(FSettings.fCompareTerrCodes);

  eServerNameOrIP->setText(QS(FSettings.FULMachine));
  ePort->setText(QS(FSettings.FULPort));
  eAppName->setText(QS(FSettings.FULAppName));
  cbSavePassword->setChecked(FSettings.FSaveULPass);
  cbUseLastWhenNoListOnDate->setChecked(FSettings.FGetLastListFromUL);
  cbDebug->setChecked(FSettings.FDebug);
  cbListFormatCheck->setChecked(FSettings.FCheckPerFormat);

  tempOriginalList = FSettings.FTerrCodeRightList;
  filtered = false;
  ApplyFilter();
  cbAdvancedNordCheck->setChecked(FSettings.FCompareTerrCodesExtMode);
  pcNordCheck->setCurrentWidget(FSettings.FCompareTerrCodesExtMode ? static_cast<QWidget*>(tsAdvancedNordCheck)
                                                                   : tsBasicNordCheck);

  fCrossRows = FSettings.FCrossList;
  ShowCrossRows();
  meRegNumBefore->clear();
  meRegNumAfter->clear();

  eCrossServer->setText(QS(FSettings.FCrossServerName));
  eCrossPort->setText(QS(FSettings.FCrossServerPort));
  eCrossBase->setText(QS(FSettings.FCrossServerBase));
  cbCrossAutoUpdate->setChecked(FSettings.FCrossAutoUpdate);
  cbCrossSavePassword->setChecked(FSettings.FCrossSavePass);
  if (FSettings.FCrossDateLastUpdate) {
    lCrossLastUpdate->setText(QS("Дата последнего обновления: " + FormatDate(*FSettings.FCrossDateLastUpdate)));
    const bool today = *FSettings.FCrossDateLastUpdate == Today();
    lCrossLastUpdate->setStyleSheet(today ? "color: green;" : "color: red;");
  } else {
    lCrossLastUpdate->setText("Дата последнего обновления: нет");
    lCrossLastUpdate->setStyleSheet("color: red;");
  }

  pcMain->setCurrentIndex(0);
  FSettings.FNumSettingsWin = 0;
}

// ---- storing ----

void TSettingsForm::bbSaveClick() {
  // A number being edited in place is kept when it is valid.
  if (fEditedEntry >= 0 && eCellRegNum->isVisible() && IsValidRegNumPrefix(MaskedText(eCellRegNum)))
    CommitNumberEditor();
  HideEditors();

  FSettings.fCompareTerrCodes = cbNordCheck->isChecked();
  FSettings.FCompareTerrCodesExtMode = cbAdvancedNordCheck->isChecked();
  FSettings.FSaveULPass = cbSavePassword->isChecked();
  FSettings.FGetLastListFromUL = cbUseLastWhenNoListOnDate->isChecked();
  FSettings.FDebug = cbDebug->isChecked();
  FSettings.FCheckPerFormat = cbListFormatCheck->isChecked();
  FSettings.FULMachine = SS(eServerNameOrIP->text());
  FSettings.FULPort = SS(ePort->text());
  FSettings.FULAppName = SS(eAppName->text());

  // Every entry, also those the filter hides.
  FSettings.FTerrCodeRightList = tempOriginalList;

  FSettings.FCrossList.clear();
  for (const TCrossRec& rec : fCrossRows)
    FSettings.CrossListAddElement(rec.FSRegNum, rec.FERegNum, rec.FCrossYear, rec.FCrossPeriod);

  FSettings.FCrossServerName = SS(eCrossServer->text());
  FSettings.FCrossServerBase = SS(eCrossBase->text());
  FSettings.FCrossServerPort = SS(eCrossPort->text());
  FSettings.FCrossAutoUpdate = cbCrossAutoUpdate->isChecked();
  FSettings.FCrossSavePass = cbCrossSavePassword->isChecked();

  emit saved();
  accept();
}

void TSettingsForm::bbCancelClick() { reject(); }

void TSettingsForm::setVisible(bool visible) {
  if (visible && !isVisible()) CentreOnDesktop(this);
  QDialog::setVisible(visible);
}

void TSettingsForm::keyPressEvent(QKeyEvent* event) {
  // Escape in an in-place editor ends that editing only; the window keeps its unsaved changes.
  if (event->key() == Qt::Key_Escape && (dtpCell->isVisible() || eCellRegNum->isVisible())) {
    HideEditors();
    event->accept();
    return;
  }
  // Enter in the date editor ends it too, the date already taken; the window stays open.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && dtpCell->isVisible()) {
    HideEditors();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TSettingsForm::reject() {
  HideEditors();
  dtpBegin->SetUnlimited();
  dtpEnd->SetUnlimited();
  QDialog::reject();
}

}  // namespace zz
