#pragma once
// Takes a login and a password and stores them scrambled in the settings.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace zz {

class TSettings;

// Whose credentials the window stores: the list server's or the re-registration database's.
enum TLoginTarget { ltServer, ltCrossDB };

class TLoginForm : public QDialog {
  Q_OBJECT
 public:
  explicit TLoginForm(QWidget* parent = nullptr);
  // Shows in the middle of the desktop.
  void setVisible(bool visible) override;

  // Shows the window modally with both edits empty; true when "Применить" accepted the input.
  bool Execute(TLoginTarget target);

  void bbOKClick();

  QLabel* lLogin;
  QLineEdit* eLogin;
  QLabel* lPassword;
  QLineEdit* ePassword;
  QPushButton* bbOK;
  QPushButton* bbCancel;

 private:
  TSettings& FSettings;
  TLoginTarget fTarget = ltServer;
};

}  // namespace zz
