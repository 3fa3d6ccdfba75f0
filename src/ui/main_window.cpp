// The main window: directories, number, period, the run with its progress and stop button.
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>
#include <filesystem>

#include "app/command_line.h"
#include "app/config_file.h"
#include "base/dates.h"
#include "base/reporting_period.h"
#include "base/run_cancel.h"
#include "base/utils.h"
#include "search/searcher.h"
#include "settings/settings.h"
#include "ui/about_form.h"
#include "ui/elided_label.h"
#include "ui/error_list_form.h"
#include "ui/form_manager.h"
#include "ui/login_form.h"
#include "ui/settings_form.h"
#include "ui/ui_common.h"

namespace zz {

namespace fs = std::filesystem;

namespace {

constexpr const char* kAnyValue = "не имеет значения";

}  // namespace

TMainWindow::TMainWindow(TWorkManagerForm& manager)
    : QMainWindow(nullptr), fManager(manager), FSettings(TSettings::GetInstance()) {
  setObjectName("MainWindow");
  setFont(WindowFont());
  // Fixed size: minimise and close only.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  OpenDocument = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
  BuildControls();
}

TMainWindow::~TMainWindow() {
  if (fRunThread) {
    RequestRunCancel();
    fRunThread->wait();
  }
  // The searcher's progress must not reach a window that no longer exists.
  if (TSearcher* searcher = fManager.Searcher()) searcher->managerProgress = nullptr;
}

void TMainWindow::BuildControls() {
  auto* central = new QWidget(this);
  setCentralWidget(central);

  CheckBox1 = new QCheckBox("Делать сверку с Перечнем", central);
  CheckBox1->setObjectName("CheckBox1");
  CheckBox1->setChecked(true);

  DirBox = new QGroupBox("Настройки путей", central);
  DirBox->setObjectName("DirBox");
  cbPerechDB = new QCheckBox("Подключиться к БД ПК \"Ливерто\" (для работников региональных ОФЗЖ)", DirBox);
  cbPerechDB->setObjectName("cbPerechDB");
  labDirPerech = new QLabel("Путь к файлу Перечня:", DirBox);
  labDirPerech->setObjectName("labDirPerech");
  EDirPerech = new QLineEdit("C:\\", DirBox);
  EDirPerech->setObjectName("EDirPerech");
  BitBtn2 = new QPushButton("...", DirBox);
  BitBtn2->setObjectName("BitBtn2");
  BitBtn2->setToolTip("Выберите каталог с файлом Перечня");
  BitBtn5 = new QPushButton("↓", DirBox);
  BitBtn5->setObjectName("BitBtn5");
  BitBtn5->setToolTip("Скопировать путь к файлу Перечня в путь к файлам ИС");
  auto* labIS = new QLabel("Путь к файлам ИС:", DirBox);
  EDirIS = new QLineEdit("C:\\", DirBox);
  EDirIS->setObjectName("EDirIS");
  BitBtn3 = new QPushButton("...", DirBox);
  BitBtn3->setObjectName("BitBtn3");
  BitBtn3->setToolTip("Выберите каталог с файлами ИС");
  BitBtn6 = new QPushButton("↓", DirBox);
  BitBtn6->setObjectName("BitBtn6");
  BitBtn6->setToolTip("Скопировать путь к файлам ИС в путь сохранения протокола");
  auto* labProtokol = new QLabel("Путь сохранения протокола:", DirBox);
  EDirProtokol = new QLineEdit("C:\\", DirBox);
  EDirProtokol->setObjectName("EDirProtokol");
  BitBtn4 = new QPushButton("...", DirBox);
  BitBtn4->setObjectName("BitBtn4");
  BitBtn4->setToolTip("Выберите путь для хранения протокола");
  const int browseWidth = BitBtn2->fontMetrics().horizontalAdvance("...") + 18;
  for (QPushButton* b : {BitBtn2, BitBtn3, BitBtn4, BitBtn5, BitBtn6}) {
    b->setFixedWidth(browseWidth);
    b->setAutoDefault(false);
  }
  for (QPushButton* b : {BitBtn5, BitBtn6}) b->setFixedHeight(b->fontMetrics().height() + 4);

  auto* dirs = new QGridLayout(DirBox);
  dirs->setVerticalSpacing(2);
  dirs->addWidget(cbPerechDB, 0, 0, 1, 2);
  dirs->addWidget(labDirPerech, 1, 0);
  dirs->addWidget(EDirPerech, 2, 0);
  dirs->addWidget(BitBtn2, 2, 1);
  // The copy buttons sit below the right end of the edit they copy from.
  dirs->addWidget(labIS, 3, 0);
  dirs->addWidget(BitBtn5, 3, 0, Qt::AlignRight);
  dirs->addWidget(EDirIS, 4, 0);
  dirs->addWidget(BitBtn3, 4, 1);
  dirs->addWidget(labProtokol, 5, 0);
  dirs->addWidget(BitBtn6, 5, 0, Qt::AlignRight);
  dirs->addWidget(EDirProtokol, 6, 0);
  dirs->addWidget(BitBtn4, 6, 1);

  VarsBox = new QGroupBox("Параметры для сверки", central);
  VarsBox->setObjectName("VarsBox");
  labRegNum = new QLabel("Рег.№:", VarsBox);
  ERegNum = NewRegNumEdit(VarsBox, "ERegNum");
  ComboBox1 = new QComboBox(VarsBox);
  ComboBox1->setObjectName("ComboBox1");
  // Only the drop-down button shows beside the edit; the list opens wide enough for a number.
  ComboBox1->setFixedWidth(20);
  ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  ComboBox1->view()->setMinimumWidth(ComboBox1->fontMetrics().horizontalAdvance("000-000-0000000") + 24);
  ComboBox1->setToolTip("Рег. номера из имён файлов ИС");
  labYear = new QLabel("Год:", VarsBox);
  CmbYear = new QComboBox(VarsBox);
  CmbYear->setObjectName("CmbYear");
  Label1 = new QLabel("Период:", VarsBox);
  ComboBoxPeriod = new QComboBox(VarsBox);
  ComboBoxPeriod->setObjectName("ComboBoxPeriod");
  auto* regRow = new QHBoxLayout;
  regRow->setSpacing(1);
  regRow->addWidget(ERegNum, 1);
  regRow->addWidget(ComboBox1);
  auto* vars = new QGridLayout(VarsBox);
  vars->addWidget(labRegNum, 0, 0);
  vars->addLayout(regRow, 0, 1);
  vars->addWidget(labYear, 1, 0);
  vars->addWidget(CmbYear, 1, 1);
  vars->addWidget(Label1, 2, 0);
  vars->addWidget(ComboBoxPeriod, 2, 1);
  vars->setRowStretch(3, 1);

  OptionsBox = new QGroupBox("Опции сверки", central);
  OptionsBox->setObjectName("OptionsBox");
  rbFactPeriods = new QRadioButton("По фактическим периодам", OptionsBox);
  rbFactPeriods->setObjectName("rbFactPeriods");
  cbShtat = new QCheckBox("Сверка ИС с Перечнем по позициям штатного расписания", OptionsBox);
  cbShtat->setObjectName("cbShtat");
  cbNameList = new QCheckBox("Сверка ИС с поименным списком к Перечню", OptionsBox);
  cbNameList->setObjectName("cbNameList");
  auto* options = new QVBoxLayout(OptionsBox);
  options->addWidget(rbFactPeriods);
  options->addWidget(cbShtat);
  options->addWidget(cbNameList);
  options->addStretch(1);

  StepBox = new QGroupBox("Ход выполнения", central);
  StepBox->setObjectName("StepBox");
  StepLabel = new TElidedLabel(StepBox);
  StepLabel->setObjectName("StepLabel");
  StepProgress = new QProgressBar(StepBox);
  StepProgress->setObjectName("StepProgress");
  StepProgress->setRange(0, 1);
  StepProgress->setValue(0);
  StepProgress->setTextVisible(false);
  StepProgress->setFixedHeight(StepLabel->fontMetrics().height() + 4);
  auto* step = new QVBoxLayout(StepBox);
  step->setSpacing(2);
  step->addWidget(StepLabel);
  step->addWidget(StepProgress);

  BitBtn1 = new QPushButton("Запуск сверки", central);
  BitBtn1->setObjectName("BitBtn1");
  BitBtn1->setAutoDefault(false);
  bbStop = new QPushButton("Остановить", central);
  bbStop->setObjectName("bbStop");
  bbStop->setAutoDefault(false);
  bbStop->setEnabled(false);

  auto* middle = new QHBoxLayout;
  middle->addWidget(VarsBox);
  middle->addWidget(OptionsBox, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addStretch(1);
  bottom->addWidget(bbStop);
  bottom->addWidget(BitBtn1);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(6, 4, 6, 6);
  layout->setSpacing(4);
  layout->addWidget(CheckBox1);
  layout->addWidget(DirBox);
  layout->addLayout(middle);
  layout->addWidget(StepBox);
  layout->addStretch(1);
  layout->addLayout(bottom);

  QMenu* file = menuBar()->addMenu("&Файл");
  N1 = file->addAction("&Настройки");
  N1->setObjectName("N1");
  nExit = file->addAction("&Выход");
  nExit->setObjectName("nExit");
  QMenu* help = menuBar()->addMenu("&Справка");
  N2 = help->addAction("&Помощь");
  N2->setObjectName("N2");
  nAbout = help->addAction("&О программе...");
  nAbout->setObjectName("nAbout");

  // Handlers.
  connect(CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
  connect(cbPerechDB, &QCheckBox::toggled, this, [this] { cbPerechDBClick(); });
  connect(EDirPerech, &QLineEdit::textChanged, this, [this](const QString& text) {
    // The server address shown in server mode is never stored.
    if (!FSettings.UseUL()) FSettings.FDirList = SS(text);
  });
  connect(EDirIS, &QLineEdit::textChanged, this, [this](const QString& text) {
    FSettings.FDirPD = SS(text);
    ComboBox1->clear();
    for (const std::string& number : RegNumsFromFileNames(fs::path(SS(text)))) ComboBox1->addItem(QS(number));
    ComboBox1->setCurrentIndex(-1);
  });
  connect(EDirProtokol, &QLineEdit::textChanged, this,
          [this](const QString& text) { FSettings.FDirReport = SS(text); });
  connect(BitBtn2, &QPushButton::clicked, this,
          [this] { BrowseFolder(EDirPerech, "Выберите каталог с файлом Перечня", false); });
  connect(BitBtn3, &QPushButton::clicked, this,
          [this] { BrowseFolder(EDirIS, "Выберите каталог с файлами ИС", false); });
  connect(BitBtn4, &QPushButton::clicked, this,
          [this] { BrowseFolder(EDirProtokol, "Выберите путь для хранения протокола", true); });
  connect(BitBtn5, &QPushButton::clicked, this, [this] { EDirIS->setText(EDirPerech->text()); });
  connect(BitBtn6, &QPushButton::clicked, this, [this] { EDirProtokol->setText(EDirIS->text()); });
  connect(ComboBox1, &QComboBox::activated, this, [this](int index) {
    if (index >= 0) ERegNum->setText(ComboBox1->itemText(index));
  });
  connect(ERegNum, &QLineEdit::textChanged, this, [this] { FSettings.FRegNum = MaskedText(ERegNum); });
  ERegNum->installEventFilter(this);
  connect(CmbYear, &QComboBox::activated, this, [this] { CmbYearChange(); });
  connect(ComboBoxPeriod, &QComboBox::activated, this, [this](int index) { FSettings.FPeriod = std::max(index, 0); });
  connect(cbShtat, &QCheckBox::toggled, this, [this](bool on) { FSettings.FCompareWithListStaff = on; });
  connect(cbNameList, &QCheckBox::toggled, this, [this](bool on) { FSettings.FCompareWithListNameList = on; });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { butStartClick(); });
  connect(bbStop, &QPushButton::clicked, this, [this] { bbStopClick(); });
  connect(N1, &QAction::triggered, this, [this] {
    if (fManager.SettingsForm()) fManager.SettingsForm()->ShowModalForm();
  });
  connect(nExit, &QAction::triggered, this, &QWidget::close);
  connect(N2, &QAction::triggered, this, [this] { N2Click(); });
  connect(nAbout, &QAction::triggered, this, [this] {
    if (fManager.AboutBox()) fManager.AboutBox()->exec();
  });

  setFixedSize(sizeHint().expandedTo(QSize(487, 383 + menuBar()->sizeHint().height())));
}

void TMainWindow::FormCreate() {
  setWindowTitle(QS("Тальвир v" + FSettings.Version()));

  CmbYear->clear();
  CmbYear->addItem(kAnyValue);
  for (int year = 2010; year <= CurrentYear(); ++year) CmbYear->addItem(QString::number(year));

  EDirPerech->setText(QS(FSettings.FDirList));
  EDirIS->setText(QS(FSettings.FDirPD));
  EDirProtokol->setText(QS(FSettings.FDirReport));

  if (FSettings.FYear == 0) {
    CmbYear->setCurrentIndex(0);
  } else {
    const int index = CmbYear->findText(QString::number(FSettings.FYear));
    CmbYear->setCurrentIndex(index >= 0 ? index : CmbYear->count() - 1);
  }
  ERegNum->setText(QS(FSettings.FRegNum));
  CmbYearChange();

  rbFactPeriods->setChecked(true);
  cbShtat->setChecked(FSettings.FCompareWithListStaff);
  cbNameList->setChecked(FSettings.FCompareWithListNameList);
  CheckBox1->setChecked(FSettings.FCompareWithList);
  cbPerechDB->setChecked(FSettings.UseUL());
  // The handlers run even when a box kept its state, so that the enabled states always follow.
  CheckBox1Click();
}

void TMainWindow::CheckBox1Click() {
  const bool on = CheckBox1->isChecked();
  FSettings.FCompareWithList = on;
  for (QWidget* w : std::initializer_list<QWidget*>{cbPerechDB, BitBtn2, BitBtn5, rbFactPeriods, cbShtat, cbNameList})
    w->setEnabled(on);
  if (on) {
    if (!fRunning) BitBtn1->setEnabled(true);
    cbPerechDBClick();
  } else {
    EDirPerech->setEnabled(false);
    if (!fRunning) BitBtn1->setEnabled(FSettings.fCompareTerrCodes);
  }
}

void TMainWindow::cbPerechDBClick() {
  const bool server = cbPerechDB->isChecked();
  FSettings.SetUseUL(server);
  if (server) {
    EDirPerech->setEnabled(false);
    EDirPerech->setText(QS(FSettings.FULMachine + ":" + FSettings.FULPort + "/" + FSettings.FULAppName + "/GetList"));
    labDirPerech->setText("Путь к БД ПК \"Ливерто\":");
    BitBtn2->hide();
    BitBtn5->hide();
  } else {
    EDirPerech->setEnabled(CheckBox1->isChecked());
    EDirPerech->setText(QS(FSettings.FDirList));
    labDirPerech->setText("Путь к файлу Перечня:");
    BitBtn2->show();
    BitBtn5->show();
  }
}

void TMainWindow::CmbYearChange() {
  const bool any = CmbYear->currentIndex() <= 0;
  FSettings.FYear = any ? 0 : CmbYear->currentText().toInt();
  ComboBoxPeriod->clear();
  ComboBoxPeriod->addItem(kAnyValue);
  if (!any) {
    if (InHalfYears(FSettings.FYear))
      ComboBoxPeriod->addItems({"первое полугодие", "второе полугодие"});
    else
      ComboBoxPeriod->addItems({"первый квартал", "второй квартал", "третий квартал", "четвертый квартал"});
  }
  ComboBoxPeriod->setCurrentIndex(0);
}

void TMainWindow::BrowseFolder(QLineEdit* edit, const QString& title, bool allowNewFolder) {
  QFileDialog::Options options = QFileDialog::ShowDirsOnly;
  if (!allowNewFolder) options |= QFileDialog::ReadOnly;
  const QString chosen = QFileDialog::getExistingDirectory(this, title, edit->text(), options);
  if (!chosen.isEmpty()) edit->setText(chosen);
}

void TMainWindow::N2Click() {
  // Next to the executable; installed, under share/zazoru.
  const fs::path exeDir = ExecutableDir();
  fs::path manual = exeDir / kManualFileName;
  std::error_code ec;
  if (!fs::exists(manual, ec)) {
    const fs::path shared = exeDir / ".." / "share" / "zazoru" / kManualFileName;
    if (fs::exists(shared, ec)) manual = shared.lexically_normal();
  }
  ShowDocument(manual.string(), "Руководство пользователя");
}

void TMainWindow::ShowDocument(const std::string& path, const std::string& what) {
  std::error_code ec;
  std::string message;
  if (!fs::exists(path, ec))
    message = what + ": не найден файл " + path;
  else if (!OpenDocument(QS(path)))
    message = what + ": " + path + ". Открыть не удалось: не найдена программа для просмотра таких файлов.";
  else
    return;
  WriteLogEntry("---" + message, true);
  if (TErrListForm* errors = fManager.ErrListForm()) {
    errors->SetMessages({message});
    errors->show();
    errors->raise();
  }
}

void TMainWindow::ProgressUpdate(int Min, int Max, int Curr, const std::string& Messag) {
  if (fStopping) return;
  StepLabel->SetFullText(QS(Messag));
  StepProgress->setRange(Min, std::max(Min, Max));
  StepProgress->setValue(std::clamp(Curr, Min, std::max(Min, Max)));
}

void TMainWindow::butStartClick() {
  if (fRunning) return;
  fManager.createSearcher();
  if (FSettings.UseUL() && !FSettings.FSaveULPass) {
    if (!fManager.LoginForm() || !fManager.LoginForm()->Execute(ltServer)) return;
    // The start may have been pressed again while the login window was open.
    if (fRunning) return;
  }
  if (fManager.ErrListForm()) fManager.ErrListForm()->close();
  // The run reports from its own thread; the window shows it in its own.
  fManager.Searcher()->managerProgress = [this](int Min, int Max, int Curr, const std::string& Messag) {
    QMetaObject::invokeMethod(
        this, [this, Min, Max, Curr, Messag] { ProgressUpdate(Min, Max, Curr, Messag); }, Qt::QueuedConnection);
  };

  FSettings.FRegNum = MaskedText(ERegNum);
  const bool anyYear = CmbYear->currentIndex() <= 0;
  FSettings.FYear = anyYear ? 0 : CmbYear->currentText().toInt();
  const int periodIndex = std::max(ComboBoxPeriod->currentIndex(), 0);
  FSettings.FPeriod = periodIndex == 0 ? 0 : PeriodCode(FSettings.FYear, periodIndex);
  FSettings.FYearChoice = anyYear ? "" : SS(CmbYear->currentText());
  FSettings.FPeriodChoice = periodIndex == 0 ? "" : SS(ComboBoxPeriod->currentText());

  const std::vector<std::string> messages = fManager.CheckSettings();
  if (!messages.empty()) {
    if (TErrListForm* errors = fManager.ErrListForm()) {
      errors->SetMessages(messages);
      errors->show();
      errors->raise();
    }
    return;
  }
  StartRun();
}

void TMainWindow::StartRun() {
  fOutcome = TRunOutcome{};
  fManager.ForgetReportFile();
  ResetRunCancel();
  SetRunning(true);
  // The run works on its own copy: the settings may be edited in the window while it runs.
  fRunThread.reset(QThread::create([this, run = FSettings.RunParams()] {
    try {
      fOutcome.Result = fManager.RunWork(run);
    } catch (const TRunCancelled&) {
      fOutcome.Stopped = true;
      WriteLogEntry("---сверка остановлена пользователем");
    } catch (const std::exception& e) {
      fOutcome.Failed = true;
      fOutcome.Error = e.what();
      WriteLogException(e);
    } catch (...) {
      fOutcome.Failed = true;
      fOutcome.Error = "неизвестная ошибка";
      WriteLogException(std::runtime_error(fOutcome.Error));
    }
  }));
  fRunThread->setObjectName("ZazoruRun");
  // Queued: the thread ends in its own thread, the window goes on in its.
  connect(
      fRunThread.get(), &QThread::finished, this, [this] { RunEnded(); }, Qt::QueuedConnection);
  fRunThread->start();
}

void TMainWindow::RunEnded() {
  fStopping = false;
  fRunThread->wait();
  fRunThread.reset();
  if (fOutcome.Stopped) {
    // Nothing of a stopped run is kept: the configuration stays as it was.
    ProgressUpdate(0, 1, 0, kStoppedText);
  } else {
    if (!fOutcome.Failed) {
      // The period the run found is the one the configuration keeps for the next start.
      if (fOutcome.Result.Year) FSettings.FYear = *fOutcome.Result.Year;
      if (fOutcome.Result.Period) FSettings.FPeriod = *fOutcome.Result.Period;
      try {
        if (!fManager.WriteIni() && fManager.ConfigError().empty()) {
          fOutcome.Failed = true;
          fOutcome.Error = "файл настроек не записан: " + (fManager.AppDataDir() / kConfigFileName).string();
        }
      } catch (const std::exception& e) {
        fOutcome.Failed = true;
        fOutcome.Error = std::string("файл настроек не записан: ") + e.what();
        WriteLogException(e);
      }
    }
    if (fOutcome.Failed) {
      ProgressUpdate(0, 1, 0, kFailedText);
      if (TErrListForm* errors = fManager.ErrListForm()) {
        std::vector<std::string> lines{std::string(kFailedText) + ": " + fOutcome.Error};
        const std::string log = TLogger::GetInstance().FileName();
        if (!log.empty()) lines.push_back("Подробности в журнале: " + log);
        errors->SetMessages(lines);
        errors->show();
        errors->raise();
      }
    } else {
      ProgressUpdate(0, 1, 1, "Готово!");
    }
    // Only a protocol this run wrote: an earlier run's is not this one's result.
    if (!fManager.ReportFile().empty()) ShowDocument(fManager.ReportFile(), "Протокол сверки");
  }
  SetRunning(false);
  emit runFinished();
  if (fCloseWhenStopped) close();
}

void TMainWindow::bbStopClick() {
  if (!fRunning) return;
  RequestRunCancel();
  bbStop->setEnabled(false);
  // The run notices the stop only between its steps, which may take seconds.
  fStopping = true;
  StepLabel->SetFullText(kStoppingText);
  StepProgress->setRange(0, 0);
}

void TMainWindow::SetRunning(bool running) {
  fRunning = running;
  fStopping = false;
  if (running) fStartEnabled = BitBtn1->isEnabled();
  for (QWidget* w : std::initializer_list<QWidget*>{CheckBox1, DirBox, VarsBox, OptionsBox}) w->setEnabled(!running);
  N1->setEnabled(!running);
  BitBtn1->setEnabled(!running && fStartEnabled);
  bbStop->setEnabled(running);
  // The start button lost the focus when it was disabled; a Space meant for it must not reach
  // whatever took the focus.
  if (!running && BitBtn1->isEnabled()) BitBtn1->setFocus(Qt::OtherFocusReason);
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ERegNum && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      butStartClick();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainWindow::closeEvent(QCloseEvent* event) {
  if (fRunning) {
    // Closing stops the run; the window closes once it has ended.
    fCloseWhenStopped = true;
    bbStopClick();
    event->ignore();
    return;
  }
  if (fManager.ErrListForm()) fManager.ErrListForm()->close();
  // The settings are saved as the window closes; a save that fails must not pass unseen.
  if (!fManager.WriteIni() && fManager.ConfigError().empty())
    QMessageBox::warning(this, "Сохранение настроек",
                         QString::fromStdString("Не удалось сохранить настройки в файл " +
                                                (fManager.AppDataDir() / kConfigFileName).string() +
                                                ". Изменения настроек будут потеряны."));
  QMainWindow::closeEvent(event);
}

}  // namespace zz
