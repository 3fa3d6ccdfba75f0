#pragma once
// The list of reasons why a run was refused, with copying and printing.
#include <QDialog>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;
class QPrinter;

namespace zz {

class TErrListForm : public QDialog {
  Q_OBJECT
 public:
  explicit TErrListForm(QWidget* parent = nullptr);
  // Shows in the middle of the desktop.
  void setVisible(bool visible) override;

  // Replaces the content of the list.
  void SetMessages(const std::vector<std::string>& messages);
  QStringList Lines() const;

  // "Копировать": every line followed by a line break, as text on the clipboard.
  void bbCopyClick();
  // "Печать": the print dialog, then the lines on the chosen printer.
  void bbPrintClick();
  // One text line per list line, in order, page after page.
  void PrintLines(QPrinter& printer) const;

  QListWidget* lbErrors;
  QPushButton* bbCopy;
  QPushButton* bbPrint;
};

}  // namespace zz
