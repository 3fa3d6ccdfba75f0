#pragma once
// A one-line label that shortens a text too long for it in the middle ("/home/…/file.xml"), so
// that both the start of a step and the file name at its end stay visible. The whole text is its
// tooltip.
#include <QLabel>

namespace zz {

class TElidedLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TElidedLabel(QWidget* parent = nullptr);

  void SetFullText(const QString& text);
  const QString& FullText() const { return fFullText; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();
  QString fFullText;
};

}  // namespace zz
