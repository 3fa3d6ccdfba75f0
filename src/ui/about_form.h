#pragma once
// The program's name, version and description.
#include <QDialog>

class QLabel;

namespace zz {

class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  QLabel* ProductName;
  QLabel* Version;
  QLabel* Comments;
};

}  // namespace zz
