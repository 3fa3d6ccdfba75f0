#pragma once
// A date picker that may be "unlimited": while it is, a disabled edit reading "Бессрочно" covers
// its text; choosing a date uncovers it and "X" makes it unlimited again.
#include <QDate>
#include <QWidget>

class QDateEdit;
class QLineEdit;
class QPushButton;

namespace zz {

class TDatePickerBox : public QWidget {
  Q_OBJECT
 public:
  // Object names of the picker, the cover and the "X" button.
  TDatePickerBox(QWidget* parent, const QString& pickerName, const QString& coverName, const QString& clearName);

  bool Unlimited() const { return fUnlimited; }
  QDate Date() const;
  // Today, covered by "Бессрочно".
  void SetUnlimited();
  // The date, uncovered.
  void SetDate(const QDate& date);

  QDateEdit* Picker;
  QLineEdit* Cover;
  QPushButton* Clear;

 signals:
  // A date chosen by the user (uncovered), or "X" pressed (unlimited).
  void userChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PlaceCover();
  // A date chosen by the user: it is the value now, uncovered.
  void Chosen();
  bool fUnlimited = true;
};

}  // namespace zz
