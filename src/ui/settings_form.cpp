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
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "settings/dates.h"
#include "settings/strings.h"
#include "ui/date_picker_box.h"
#include "ui/login_form.h"
#include "ui/reg_num_rules.h"
#include "ui/ui_common.h"

namespace zz {

namespace {

constexpr const char* kUnlimited = "Бессрочно";
const char* const kCodeCaptions[8] = {"МКС", "РКС", "Ч31", "Ч33", "Ч34", "Ч35", "Ч36", "СЕЛО"};
constexpr int kDateBeginColumn = 10;
constexpr int kDateEndColumn = 11;

bool& CodeFlag(TTerritoryCode& e, int code) {
  switch (code) {
    case 0: return e.FMKS;
    case 1: return e.FRKS;
    case 2: return e.FCZ1;
    case 3: return e.FCZ3;
    case 4: return e.FCZ4;
    case 5: return e.FCZ5;
    case 6: return e.FCZ6;
    default: return e.FCountry;
  }
}

QString FormatPickerDate(const QDate& date) { return date.toString("dd.MM.yyyy"); }

QDate ToQDate(TDate date) { return QDate(YearOf(date), static_cast<int>(MonthOf(date)), static_cast<int>(DayOf(date))); }

void SetCell(QTableWidget* grid, int row, int column, const QString& text,
             Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
  QTableWidgetItem* item = grid->item(row, column);
  if (!item) {
    item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    grid->setItem(row, column, item);
  }
  item->setText(text);
  item->setTextAlignment(alignment);
}

// Grid row index as the window counts it: the heading row is 0, data rows start at 1; nothing
// selected counts as the heading row.
int RowIndexOf(const QTableWidget* grid) { return grid->currentRow() < 0 ? 0 : grid->currentRow() + 1; }

QTableWidget* NewGrid(QWidget* parent, const QString& name, const QStringList& headings) {
  auto* grid = new QTableWidget(parent);
  grid->setObjectName(name);
  grid->setColumnCount(headings.size());
  grid->setHorizontalHeaderLabels(headings);
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid->horizontalHeader()->setHighlightSections(false);
  grid->horizontalHeader()->setSectionsClickable(true);
  // A click on the heading row selects it, as a click on any other row does.
  QObject::connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, grid, [grid] {
    grid->clearSelection();
    grid->setCurrentIndex(QModelIndex());
  });
  return grid;
}

// Wide enough to show every column without scrolling sideways.
void FitGridWidth(QTableWidget* grid) {
  int width = 2 * grid->frameWidth() + grid->verticalScrollBar()->sizeHint().width() + 2;
  for (int c = 0; c < grid->columnCount(); ++c) width += grid->columnWidth(c);
  grid->setMinimumWidth(width);
}

}  // namespace

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
  sgRegNums = NewGrid(tsAdvancedNordCheck, "sgRegNums",
                      {"п/п", "рег. номер", "МКС", "РКС", "ЧЗ1", "ЧЗ3", "ЧЗ4", "ЧЗ5", "ЧЗ6", "СЕЛО", "Дата начала",
                       "Дата окончания"});
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
    cbCode[i] = new QCheckBox(kCodeCaptions[i], tsAdvancedNordCheck);
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
    for (int c = 0; c < 8; ++c) SetCell(sgRegNums, r, 2 + c, CodeFlag(copy, c) ? "X" : "", Qt::AlignCenter);
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
  AddRightsEntry(TTerritoryCode(NormalizeRegNumPrefix(text), true, true, true, true, true, true, true, true, "", ""));
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
  TTerritoryCode entry(NormalizeRegNumPrefix(text), false, false, false, false, false, false, false, false,
                       dtpBegin->Unlimited() ? "" : SS(FormatPickerDate(dtpBegin->Date())),
                       dtpEnd->Unlimited() ? "" : SS(FormatPickerDate(dtpEnd->Date())));
  for (int c = 0; c < 8; ++c) CodeFlag(entry, c) = cbCode[c]->isChecked();
  AddRightsEntry(entry);
  meRegnum->clear();
  for (QCheckBox* box : cbCode) box->setChecked(false);
  dtpBegin->SetUnlimited();
  dtpEnd->SetUnlimited();
}

void TSettingsForm::bbRemoveRegNum_AdvClick() {
  HideEditors();
  const int rowIndex = RowIndexOf(sgRegNums);
  if (!Confirm(this, "Вы действительно хотите удалить запись?")) return;
  RemoveRightsRow(rowIndex);
}

void TSettingsForm::sgRegNumsDblClick(int row, int column) {
  HideEditors();
  const int entry = EntryOfRow(row);
  if (entry < 0) return;  // the empty last row: new entries come from the input row
  if (column >= 2 && column <= 9) {
    bool& flag = CodeFlag(tempOriginalList[static_cast<size_t>(entry)], column - 2);
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
  eCellRegNum->hide();
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
  eCellRegNum->hide();
  dtpCell->hide();
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
    sgRegNums->setFocus();
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
