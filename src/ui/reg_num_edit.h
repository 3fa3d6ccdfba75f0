#pragma once
// The masked registration-number edit. A click puts the cursor on the first unfilled position, so
// that typing fills the number from its start wherever the user clicked.
#include <QLineEdit>

namespace zz {

class TRegNumEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TRegNumEdit(QWidget* parent = nullptr);

  // Position of the first unfilled character, -1 when every position is filled.
  int FirstBlank() const;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace zz
