// The date picker that may read "Бессрочно".
#include "ui/date_picker_box.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSpinBox>

#include "ui/qt_translations.h"

namespace zz {

TDatePickerBox::TDatePickerBox(QWidget* parent, const QString& pickerName, const QString& coverName,
                               const QString& clearName)
    : QWidget(parent) {
  Picker = new QDateEdit(this);
  Picker->setObjectName(pickerName);
  Picker->setCalendarPopup(true);
  Picker->setDisplayFormat("dd.MM.yyyy");
  Picker->setMinimumWidth(100);
  Picker->setLocale(CalendarLocale());
  Picker->calendarWidget()->setLocale(CalendarLocale());
  Cover = new QLineEdit("Бессрочно", Picker);
  Cover->setObjectName(coverName);
  Cover->setEnabled(false);
  Cover->setFrame(false);
  Clear = new QPushButton("X", this);
  Clear->setObjectName(clearName);
  Clear->setAutoDefault(false);
  Clear->setFixedWidth(Clear->fontMetrics().horizontalAdvance("X") + 16);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(Picker, 1);
  layout->addWidget(Clear);

  Picker->installEventFilter(this);
  SetUnlimited();

  connect(Picker, &QDateEdit::dateChanged, this, [this] { Chosen(); });
  // While unlimited the hidden date is today: choosing today changes nothing, and only the
  // calendar tells that a date was chosen.
  for (auto signal : {&QCalendarWidget::clicked, &QCalendarWidget::activated})
    connect(Picker->calendarWidget(), signal, this, [this] {
      if (fUnlimited) Chosen();
    });
  connect(Clear, &QPushButton::clicked, this, [this] {
    SetUnlimited();
    emit userChanged();
  });
}

void TDatePickerBox::Chosen() {
  fUnlimited = false;
  Cover->hide();
  emit userChanged();
}

QDate TDatePickerBox::Date() const { return Picker->date(); }

void TDatePickerBox::SetUnlimited() {
  QSignalBlocker block(Picker);
  Picker->setDate(QDate::currentDate());
  fUnlimited = true;
  PlaceCover();
  Cover->show();
}

void TDatePickerBox::SetDate(const QDate& date) {
  QSignalBlocker block(Picker);
  Picker->setDate(date);
  fUnlimited = false;
  Cover->hide();
}

bool TDatePickerBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Picker && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) PlaceCover();
  return QWidget::eventFilter(watched, event);
}

void TDatePickerBox::PlaceCover() {
  // Over the text part only: the drop-down button stays usable for choosing a date.
  QStyleOptionSpinBox option;
  option.initFrom(Picker);
  option.frame = true;
  option.subControls = QStyle::SC_SpinBoxEditField;
  QRect field = Picker->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxEditField, Picker);
  if (!field.isValid()) field = Picker->rect().adjusted(2, 2, -20, -2);
  Cover->setGeometry(field);
}

}  // namespace zz
