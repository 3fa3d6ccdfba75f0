// The masked registration-number edit and its cursor placement.
#include "ui/reg_num_edit.h"

#include <QMouseEvent>

namespace zz {

TRegNumEdit::TRegNumEdit(QWidget* parent) : QLineEdit(parent) {}

int TRegNumEdit::FirstBlank() const {
  // Digits never show as the blank character, so the first one shown is the first unfilled position.
  return inputMask().isEmpty() ? -1 : static_cast<int>(displayText().indexOf(QChar('_')));
}

void TRegNumEdit::mouseReleaseEvent(QMouseEvent* event) {
  QLineEdit::mouseReleaseEvent(event);
  // A drag that selected text keeps its selection; a complete number keeps the clicked position,
  // so that a single digit can be corrected.
  if (event->button() != Qt::LeftButton || hasSelectedText()) return;
  const int blank = FirstBlank();
  if (blank >= 0 && cursorPosition() != blank) setCursorPosition(blank);
}

}  // namespace zz
