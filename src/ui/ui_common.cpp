// Helpers shared by the windows: text conversion, fonts, masked edits, message boxes.
#include "ui/ui_common.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include "ui/reg_num_edit.h"

namespace zz {

QFont WindowFont() {
  QFont font;
  font.setFamilies({"Tahoma", "DejaVu Sans", "Liberation Sans"});
  font.setPointSize(8);
  return font;
}

QLineEdit* NewRegNumEdit(QWidget* parent, const QString& objectName) {
  auto* edit = new TRegNumEdit(parent);
  edit->setObjectName(objectName);
  edit->setInputMask(kRegNumMask);
  edit->setMaxLength(14);
  return edit;
}

std::string MaskedText(const QLineEdit* edit) {
  // displayText() shows unfilled positions with the blank character and keeps the literals.
  QString text = edit->displayText();
  if (!edit->inputMask().isEmpty()) text.replace(QChar('_'), QChar(' '));
  return SS(text);
}

void CentreOnDesktop(QWidget* window) {
  QScreen* screen = window->parentWidget() ? window->parentWidget()->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect frame(QPoint(), window->frameGeometry().size());
  frame.moveCenter(screen->availableGeometry().center());
  // Moved by hand, a dialog is no longer placed over its parent when it shows.
  window->move(frame.topLeft());
}

int TitleWidth(const QWidget* window) {
  // Title bars draw in a bold face; the title sits in the middle, so the room of the icon and the
  // three buttons is kept on both sides.
  QFont font = window->font();
  font.setBold(true);
  const QFontMetrics metrics(font);
  return metrics.horizontalAdvance(window->windowTitle()) + 8 * metrics.height() + 16;
}

void ShowError(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, "Ошибка", text, QMessageBox::Ok, parent);
  box.setObjectName("ErrorMessage");
  box.exec();
}

bool Confirm(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Question, "Подтверждение", text, QMessageBox::Ok | QMessageBox::Cancel, parent);
  box.setObjectName("ConfirmMessage");
  box.setDefaultButton(QMessageBox::Ok);
  return box.exec() == QMessageBox::Ok;
}

}  // namespace zz
