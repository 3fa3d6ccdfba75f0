#pragma once
// The settings window: list server, territorial-code check with its rights list, re-registration
// list, additional options. It edits copies and stores them in the settings on "Сохранить".
#include <QDialog>
#include <string>
#include <vector>

#include "settings/settings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTableWidget;
class QTabWidget;
class QWidget;

namespace zz {

class TDatePickerBox;
class TLoginForm;

class TSettingsForm : public QDialog {
  Q_OBJECT
 public:
  explicit TSettingsForm(QWidget* parent = nullptr);

  void SetLoginForm(TLoginForm* login) { fLoginForm = login; }

  // Loads everything from the settings and shows the window modally.
  int ShowModalForm();
  void FormShow();
  void bbSaveClick();
  void bbCancelClick();
  void reject() override;
  void setVisible(bool visible) override;

  // Rights list.
  void bbAddRegNum_BasClick();
  void bbRemoveRegNum_BasClick();
  void bbAddRegNum_AdvClick();
  void bbRemoveRegNum_AdvClick();
  void sgRegNumsDblClick(int row, int column);
  void lbBasRegNumDblClick(int index);
  void MaskEdit1Change();
  // Re-registration list.
  void cbYearChange();
  void bbReRegAddClick();
  void bbReRegRemoveClick();

  // The entries being edited: all of them, also while the grid shows only the filtered ones.
  const std::vector<TTerritoryCode>& RightsEntries() const { return tempOriginalList; }
  bool Filtered() const { return filtered; }

  QTabWidget* pcMain;
  QWidget* tsDBConnection;
  QWidget* tsNordCheck;
  QWidget* tsReregistration;
  QWidget* tsAdditional;
  // Server page.
  QLineEdit* eServerNameOrIP;
  QLineEdit* ePort;
  QLineEdit* eAppName;
  QCheckBox* cbSavePassword;
  QPushButton* bbEnterPassword;
  QCheckBox* cbUseLastWhenNoListOnDate;
  // Territorial check page.
  QCheckBox* cbNordCheck;
  QCheckBox* cbAdvancedNordCheck;
  QWidget* pNordCheck;
  QLineEdit* MaskEdit1;
  QStackedWidget* pcNordCheck;
  QGroupBox* tsBasicNordCheck;
  QGroupBox* tsAdvancedNordCheck;
  QLineEdit* eRegNum;
  QListWidget* lbBasRegNum;
  QPushButton* bbAddRegNum_Bas;
  QPushButton* bbRemoveRegNum_Bas;
  QTableWidget* sgRegNums;
  QLineEdit* meRegnum;
  QCheckBox* cbCode[8];
  TDatePickerBox* dtpBegin;
  TDatePickerBox* dtpEnd;
  QPushButton* bbAddRegNum_Adv;
  QPushButton* bbRemoveRegNum_Adv;
  // In-place editors.
  QLineEdit* eCellRegNum;
  TDatePickerBox* dtpCell;
  // Re-registration page.
  QTableWidget* sgReRegRegnums;
  QLineEdit* meRegNumBefore;
  QLineEdit* meRegNumAfter;
  QComboBox* cbYear;
  QComboBox* cbPeriod;
  QPushButton* bbReRegAdd;
  QPushButton* bbReRegRemove;
  QGroupBox* gbCrossDB;
  QLineEdit* eCrossServer;
  QLineEdit* eCrossPort;
  QLineEdit* eCrossBase;
  QLabel* lCrossLastUpdate;
  QCheckBox* cbCrossSavePassword;
  QPushButton* bbCrossEnterPassword;
  QPushButton* bbCrossUpdate;
  QCheckBox* cbCrossAutoUpdate;
  // Additional page.
  QCheckBox* cbDebug;
  QCheckBox* cbListFormatCheck;
  QPushButton* bbSave;
  QPushButton* bbCancel;

 signals:
  // "Сохранить" stored the window's values in the settings.
  void saved();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QWidget* BuildServerPage();
  QWidget* BuildNordPage();
  QWidget* BuildReregistrationPage();
  QWidget* BuildAdditionalPage();

  // Rights grid and basic list, from tempOriginalList through the filter.
  void ApplyFilter();
  void ShowRights();
  void RefreshBasicList();
  // Removes the grid row of the given index (heading row 0, data rows from 1).
  void RemoveRightsRow(int rowIndex);
  void AddRightsEntry(const TTerritoryCode& entry);
  // Index in tempOriginalList of a grid data row, -1 for the heading or the empty last row.
  int EntryOfRow(int gridRow) const;

  void ShowCrossRows();
  void RemoveCrossRow(int rowIndex);

  void OpenNumberEditor(int entry, const QRect& cell, QWidget* over);
  void CommitNumberEditor();
  void OpenDateEditor(int entry, int column);
  void DateEditorChanged();
  void HideEditors();

  TSettings& FSettings;
  TLoginForm* fLoginForm = nullptr;
  // The text of the cell being edited.
  QString originalValue;
  std::vector<TTerritoryCode> tempOriginalList;
  // Indexes into tempOriginalList of the entries the grid shows, in order.
  std::vector<size_t> filteredList;
  bool filtered = false;
  std::vector<TCrossRec> fCrossRows;
  int fEditedEntry = -1;
  int fEditedDateColumn = -1;
  bool fCommitting = false;
};

}  // namespace zz
