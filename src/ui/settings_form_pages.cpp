// The settings window's pages: list server, Far North codes, re-registrations, additional options.
#include "ui/settings_form.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
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

QWidget* TSettingsForm::BuildServerPage() {
  auto* page = new QWidget;
  page->setObjectName("tsDBConnection");
  eServerNameOrIP = new QLineEdit(page);
  eServerNameOrIP->setObjectName("eServerNameOrIP");
  ePort = new QLineEdit(page);
  ePort->setObjectName("ePort");
  eAppName = new QLineEdit("list4", page);
  eAppName->setObjectName("eAppName");
  auto* form = new QFormLayout;
  form->addRow("IP-адрес/Имя сервера:", eServerNameOrIP);
  form->addRow("Порт:", ePort);
  form->addRow("Имя приложения:", eAppName);

  auto* password = new QGroupBox("Пароль", page);
  password->setObjectName("gbPassword");
  cbSavePassword = new QCheckBox("хранить", password);
  cbSavePassword->setObjectName("cbSavePassword");
  bbEnterPassword = new QPushButton("Ввести", password);
  bbEnterPassword->setObjectName("bbEnterPassword");
  bbEnterPassword->setAutoDefault(false);
  auto* pl = new QHBoxLayout(password);
  pl->addWidget(cbSavePassword);
  pl->addStretch(1);
  pl->addWidget(bbEnterPassword);

  cbUseLastWhenNoListOnDate = new QCheckBox("При отсутствии требуемого Перечня, брать последний актуальный", page);
  cbUseLastWhenNoListOnDate->setObjectName("cbUseLastWhenNoListOnDate");
  cbUseLastWhenNoListOnDate->setVisible(false);

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(form);
  layout->addWidget(password);
  layout->addWidget(cbUseLastWhenNoListOnDate);
  layout->addStretch(1);

  connect(bbEnterPassword, &QPushButton::clicked, this, [this] {
    if (fLoginForm) fLoginForm->Execute(ltServer);
  });
  return page;
}

QWidget* TSettingsForm::BuildNordPage() {
  auto* page = new QWidget;
  page->setObjectName("tsNordCheck");
  cbNordCheck = new QCheckBox("Проверять правомерность проставления терр. кодов", page);
  cbNordCheck->setObjectName("cbNordCheck");
  cbAdvancedNordCheck = new QCheckBox("Использовать расширенный режим", page);
  cbAdvancedNordCheck->setObjectName("cbAdvancedNordCheck");

  pNordCheck = new QWidget(page);
  pNordCheck->setObjectName("pNordCheck");
  MaskEdit1 = NewRegNumEdit(pNordCheck, "MaskEdit1");
  auto* filterRow = new QHBoxLayout;
  filterRow->addWidget(new QLabel("Отфильтровать по рег. №:", pNordCheck));
  filterRow->addWidget(MaskEdit1);
  filterRow->addStretch(1);

  pcNordCheck = new QStackedWidget(pNordCheck);
  pcNordCheck->setObjectName("pcNordCheck");

  // Basic mode: numbers only, every entry grants all codes without dates.
  tsBasicNordCheck = new QGroupBox("Обычный режим");
  tsBasicNordCheck->setObjectName("tsBasicNordCheck");
  eRegNum = NewRegNumEdit(tsBasicNordCheck, "eRegNum");
  lbBasRegNum = new QListWidget(tsBasicNordCheck);
  lbBasRegNum->setObjectName("lbBasRegNum");
  bbAddRegNum_Bas = new QPushButton("Добавить", tsBasicNordCheck);
  bbAddRegNum_Bas->setObjectName("bbAddRegNum_Bas");
  bbRemoveRegNum_Bas = new QPushButton("Удалить", tsBasicNordCheck);
  bbRemoveRegNum_Bas->setObjectName("bbRemoveRegNum_Bas");
  for (QPushButton* b : {bbAddRegNum_Bas, bbRemoveRegNum_Bas}) b->setAutoDefault(false);
  auto* basicLeft = new QVBoxLayout;
  basicLeft->addWidget(new QLabel("Рег.№ содержит:", tsBasicNordCheck));
  basicLeft->addWidget(eRegNum);
  basicLeft->addWidget(bbAddRegNum_Bas);
  basicLeft->addWidget(bbRemoveRegNum_Bas);
  basicLeft->addStretch(1);
  auto* basicLayout = new QHBoxLayout(tsBasicNordCheck);
  basicLayout->addLayout(basicLeft);
  basicLayout->addWidget(lbBasRegNum, 1);

  // Advanced mode: per-code rights with validity dates.
  tsAdvancedNordCheck = new QGroupBox("Расширенный режим");
  tsAdvancedNordCheck->setObjectName("tsAdvancedNordCheck");
  sgRegNums = NewGrid(
      tsAdvancedNordCheck, "sgRegNums",
      {"п/п", "рег. номер", "МКС", "РКС", "ЧЗ1", "ЧЗ3", "ЧЗ4", "ЧЗ5", "ЧЗ6", "СЕЛО", "Дата начала", "Дата окончания"});
  sgRegNums->setColumnWidth(0, 32);
  sgRegNums->setColumnWidth(1, 100);
  for (int c = 2; c <= 9; ++c) sgRegNums->setColumnWidth(c, 40);
  sgRegNums->setColumnWidth(kDateBeginColumn, 130);
  sgRegNums->setColumnWidth(kDateEndColumn, 130);
  FitGridWidth(sgRegNums);
  meRegnum = NewRegNumEdit(tsAdvancedNordCheck, "meRegnum");
  auto* codesRow = new QHBoxLayout;
  codesRow->addWidget(new QLabel("Рег.№:", tsAdvancedNordCheck));
  codesRow->addWidget(meRegnum);
  for (int i = 0; i < 8; ++i) {
    cbCode[i] = new QCheckBox(TTerritoryCode::kCodes[i], tsAdvancedNordCheck);
    cbCode[i]->setObjectName(QString("cbCode%1").arg(i));
    codesRow->addWidget(cbCode[i]);
  }
  codesRow->addStretch(1);
  dtpBegin = new TDatePickerBox(tsAdvancedNordCheck, "dtpBegin", "eBeginNoPeriod", "bClearPeriod");
  dtpEnd = new TDatePickerBox(tsAdvancedNordCheck, "dtpEnd", "eEndNoPeriod", "Button2");
  bbAddRegNum_Adv = new QPushButton("Добавить", tsAdvancedNordCheck);
  bbAddRegNum_Adv->setObjectName("bbAddRegNum_Adv");
  bbRemoveRegNum_Adv = new QPushButton("Удалить", tsAdvancedNordCheck);
  bbRemoveRegNum_Adv->setObjectName("bbRemoveRegNum_Adv");
  for (QPushButton* b : {bbAddRegNum_Adv, bbRemoveRegNum_Adv}) b->setAutoDefault(false);
  auto* datesRow = new QHBoxLayout;
  datesRow->addWidget(new QLabel("Дата начала:", tsAdvancedNordCheck));
  datesRow->addWidget(dtpBegin);
  datesRow->addSpacing(8);
  datesRow->addWidget(new QLabel("Дата окончания:", tsAdvancedNordCheck));
  datesRow->addWidget(dtpEnd);
  datesRow->addStretch(1);
  datesRow->addWidget(bbAddRegNum_Adv);
  datesRow->addWidget(bbRemoveRegNum_Adv);
  auto* advancedLayout = new QVBoxLayout(tsAdvancedNordCheck);
  advancedLayout->addWidget(sgRegNums, 1);
  advancedLayout->addLayout(codesRow);
  advancedLayout->addLayout(datesRow);

  pcNordCheck->addWidget(tsBasicNordCheck);
  pcNordCheck->addWidget(tsAdvancedNordCheck);

  auto* panelLayout = new QVBoxLayout(pNordCheck);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  panelLayout->addLayout(filterRow);
  panelLayout->addWidget(pcNordCheck, 1);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(cbNordCheck);
  layout->addWidget(cbAdvancedNordCheck);
  layout->addWidget(pNordCheck, 1);
  // Keeps the check boxes at the top while the panel is hidden.
  layout->addStretch(0);

  connect(cbNordCheck, &QCheckBox::toggled, this, [this](bool checked) {
    HideEditors();
    pNordCheck->setVisible(checked);
    cbAdvancedNordCheck->setVisible(checked);
  });
  connect(cbAdvancedNordCheck, &QCheckBox::toggled, this, [this](bool checked) {
    HideEditors();
    RefreshBasicList();
    pcNordCheck->setCurrentWidget(checked ? static_cast<QWidget*>(tsAdvancedNordCheck) : tsBasicNordCheck);
  });
  connect(MaskEdit1, &QLineEdit::textChanged, this, [this] { MaskEdit1Change(); });
  connect(bbAddRegNum_Bas, &QPushButton::clicked, this, [this] { bbAddRegNum_BasClick(); });
  connect(bbRemoveRegNum_Bas, &QPushButton::clicked, this, [this] { bbRemoveRegNum_BasClick(); });
  connect(bbAddRegNum_Adv, &QPushButton::clicked, this, [this] { bbAddRegNum_AdvClick(); });
  connect(bbRemoveRegNum_Adv, &QPushButton::clicked, this, [this] { bbRemoveRegNum_AdvClick(); });
  connect(sgRegNums, &QTableWidget::cellDoubleClicked, this, [this](int r, int c) { sgRegNumsDblClick(r, c); });
  // A click on another cell ends the date editing (the number editor ends when it loses the focus).
  connect(sgRegNums, &QTableWidget::cellPressed, this, [this] {
    if (dtpCell->isVisible()) HideEditors();
  });
  connect(lbBasRegNum, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { lbBasRegNumDblClick(lbBasRegNum->row(item)); });
  return page;
}

QWidget* TSettingsForm::BuildReregistrationPage() {
  auto* page = new QWidget;
  page->setObjectName("tsReregistration");
  sgReRegRegnums = NewGrid(page, "sgReRegRegnums", {"п/п", "рег. номер до", "рег. номер после", "год", "период"});
  sgReRegRegnums->setColumnWidth(0, 32);
  sgReRegRegnums->setColumnWidth(1, 112);
  sgReRegRegnums->setColumnWidth(2, 120);
  sgReRegRegnums->setColumnWidth(3, 44);
  sgReRegRegnums->setColumnWidth(4, 56);
  FitGridWidth(sgReRegRegnums);
  meRegNumBefore = NewRegNumEdit(page, "meRegNumBefore");
  meRegNumAfter = NewRegNumEdit(page, "meRegNumAfter");
  cbYear = new QComboBox(page);
  cbYear->setObjectName("cbYear");
  cbPeriod = new QComboBox(page);
  cbPeriod->setObjectName("cbPeriod");
  bbReRegAdd = new QPushButton("Добавить", page);
  bbReRegAdd->setObjectName("bbReRegAdd");
  bbReRegRemove = new QPushButton("Удалить", page);
  bbReRegRemove->setObjectName("bbReRegRemove");
  for (QPushButton* b : {bbReRegAdd, bbReRegRemove}) b->setAutoDefault(false);

  const int year = CurrentYear();
  for (int y = year + 10; y >= 1992; --y) cbYear->addItem(QString::number(y));
  cbYear->setCurrentIndex(10);
  cbPeriod->addItems({"первый квартал", "второй квартал", "третий квартал", "четвертый квартал"});
  cbPeriod->setCurrentIndex(-1);

  auto* inputs = new QGridLayout;
  inputs->addWidget(new QLabel("Рег. номер до", page), 0, 0);
  inputs->addWidget(meRegNumBefore, 0, 1);
  inputs->addWidget(new QLabel("Рег. номер после", page), 1, 0);
  inputs->addWidget(meRegNumAfter, 1, 1);
  inputs->addWidget(new QLabel("С какого периода", page), 2, 0);
  auto* periodRow = new QHBoxLayout;
  periodRow->addWidget(cbYear);
  periodRow->addWidget(cbPeriod, 1);
  inputs->addLayout(periodRow, 2, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(bbReRegAdd);
  buttons->addWidget(bbReRegRemove);
  inputs->addLayout(buttons, 3, 0, 1, 2);
  inputs->setRowStretch(4, 1);
  auto* top = new QHBoxLayout;
  top->addWidget(sgReRegRegnums, 1);
  top->addLayout(inputs);

  // The re-registration database: shown for reference, never connected to.
  gbCrossDB = new QGroupBox("Обновление списка из БД ПК", page);
  gbCrossDB->setObjectName("gbCrossDB");
  eCrossServer = new QLineEdit(gbCrossDB);
  eCrossServer->setObjectName("eCrossServer");
  eCrossPort = new QLineEdit(gbCrossDB);
  eCrossPort->setObjectName("eCrossPort");
  eCrossBase = new QLineEdit(gbCrossDB);
  eCrossBase->setObjectName("eCrossBase");
  lCrossLastUpdate = new QLabel(gbCrossDB);
  lCrossLastUpdate->setObjectName("lCrossLastUpdate");
  cbCrossSavePassword = new QCheckBox("хранить", gbCrossDB);
  cbCrossSavePassword->setObjectName("cbCrossSavePassword");
  bbCrossEnterPassword = new QPushButton("Ввести", gbCrossDB);
  bbCrossEnterPassword->setObjectName("bbCrossEnterPassword");
  bbCrossUpdate = new QPushButton("Обновить список из ПК", gbCrossDB);
  bbCrossUpdate->setObjectName("bbCrossUpdate");
  cbCrossAutoUpdate = new QCheckBox("Обновлять автоматически", gbCrossDB);
  cbCrossAutoUpdate->setObjectName("cbCrossAutoUpdate");
  for (QPushButton* b : {bbCrossEnterPassword, bbCrossUpdate}) b->setAutoDefault(false);
  auto* crossPassword = new QGroupBox("Пароль", gbCrossDB);
  auto* cpl = new QHBoxLayout(crossPassword);
  cpl->setContentsMargins(6, 2, 6, 2);
  cpl->addWidget(cbCrossSavePassword);
  cpl->addWidget(bbCrossEnterPassword);
  auto* db = new QGridLayout(gbCrossDB);
  db->addWidget(new QLabel("Сервер:", gbCrossDB), 0, 0);
  db->addWidget(eCrossServer, 0, 1);
  db->addWidget(new QLabel("Порт:", gbCrossDB), 0, 2);
  db->addWidget(eCrossPort, 0, 3);
  db->addWidget(new QLabel("База данных:", gbCrossDB), 0, 4);
  db->addWidget(eCrossBase, 0, 5);
  db->addWidget(lCrossLastUpdate, 1, 0, 1, 3);
  db->addWidget(crossPassword, 1, 3, 2, 3);
  db->addWidget(bbCrossUpdate, 2, 0, 1, 2);
  db->addWidget(cbCrossAutoUpdate, 3, 0, 1, 3);
  gbCrossDB->setEnabled(false);

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(top, 1);
  layout->addWidget(gbCrossDB);

  connect(cbYear, &QComboBox::currentIndexChanged, this, [this] { cbYearChange(); });
  connect(bbReRegAdd, &QPushButton::clicked, this, [this] { bbReRegAddClick(); });
  connect(bbReRegRemove, &QPushButton::clicked, this, [this] { bbReRegRemoveClick(); });
  connect(bbCrossEnterPassword, &QPushButton::clicked, this, [this] {
    if (fLoginForm) fLoginForm->Execute(ltCrossDB);
  });
  return page;
}

QWidget* TSettingsForm::BuildAdditionalPage() {
  auto* page = new QWidget;
  page->setObjectName("tsAdditional");
  cbDebug = new QCheckBox(
      "Всегда вести лог выполнения сверки (иначе лог формируется только в случае критической ошибки)", page);
  cbDebug->setObjectName("cbDebug");
  cbListFormatCheck = new QCheckBox("Проверять Перечни на соответствие формату", page);
  cbListFormatCheck->setObjectName("cbListFormatCheck");
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(cbDebug);
  layout->addWidget(cbListFormatCheck);
  layout->addStretch(1);
  return page;
}

}  // namespace zz
