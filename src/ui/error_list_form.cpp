// The window listing why a run was refused, with copying and printing.
#include "ui/error_list_form.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/ui_common.h"

namespace zz {

TErrListForm::TErrListForm(QWidget* parent) : QDialog(parent) {
  setObjectName("ErrListForm");
  setWindowTitle("Список ошибок");
  setFont(WindowFont());
  setWindowFlags(Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
  setSizeGripEnabled(true);
  resize(587, 335);

  lbErrors = new QListWidget(this);
  lbErrors->setObjectName("lbErrors");
  // A long line wraps at the window's width: its end often says why.
  lbErrors->setWordWrap(true);
  lbErrors->setResizeMode(QListView::Adjust);
  lbErrors->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  lbErrors->setSpacing(2);
  QPalette pal = lbErrors->palette();
  pal.setColor(QPalette::Base, pal.color(QPalette::ToolTipBase));
  pal.setColor(QPalette::Text, pal.color(QPalette::ToolTipText));
  lbErrors->setPalette(pal);

  bbCopy = new QPushButton("Копировать", this);
  bbCopy->setObjectName("bbCopy");
  bbPrint = new QPushButton("Печать", this);
  bbPrint->setObjectName("bbPrint");
  bbCopy->setAutoDefault(false);
  bbPrint->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(bbCopy);
  buttons->addWidget(bbPrint);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lbErrors, 1);
  layout->addLayout(buttons);

  connect(bbCopy, &QPushButton::clicked, this, [this] { bbCopyClick(); });
  connect(bbPrint, &QPushButton::clicked, this, [this] { bbPrintClick(); });
}

void TErrListForm::SetMessages(const std::vector<std::string>& messages) {
  lbErrors->clear();
  for (const std::string& m : messages) {
    auto* item = new QListWidgetItem(QS(m), lbErrors);
    item->setToolTip(QS(m));
  }
}

QStringList TErrListForm::Lines() const {
  QStringList lines;
  for (int i = 0; i < lbErrors->count(); ++i) lines << lbErrors->item(i)->text();
  return lines;
}

void TErrListForm::bbCopyClick() {
  QString text;
  for (const QString& line : Lines()) text += line + "\n";
  QApplication::clipboard()->setText(text);
}

void TErrListForm::bbPrintClick() {
  QPrinter printer;
  QPrintDialog dialog(&printer, this);
  dialog.setObjectName("PrintDialog");
  if (dialog.exec() != QDialog::Accepted) return;
  PrintLines(printer);
}

void TErrListForm::PrintLines(QPrinter& printer) const {
  QPainter painter;
  if (!painter.begin(&printer)) return;
  QFont font = WindowFont();
  font.setPointSize(10);
  painter.setFont(font);
  const QFontMetrics metrics(painter.font(), painter.device());
  const QRect page = painter.viewport();
  const int lineHeight = metrics.lineSpacing();
  int y = metrics.ascent();
  for (const QString& line : Lines()) {
    if (y > page.height() && y > metrics.ascent()) {
      printer.newPage();
      y = metrics.ascent();
    }
    painter.drawText(0, y, line);
    y += lineHeight;
  }
  painter.end();
}

void TErrListForm::setVisible(bool visible) {
  if (visible && !isVisible()) CentreOnDesktop(this);
  QDialog::setVisible(visible);
}

}  // namespace zz
