// The label that shortens a long path in the middle.
#include "ui/elided_label.h"

#include <QResizeEvent>

namespace zz {

TElidedLabel::TElidedLabel(QWidget* parent) : QLabel(parent) {
  // The label takes the width its layout gives; a long text must not widen the window.
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  setMinimumWidth(1);
}

void TElidedLabel::SetFullText(const QString& text) {
  fFullText = text;
  Elide();
}

void TElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void TElidedLabel::Elide() {
  const QString shown = fontMetrics().elidedText(fFullText, Qt::ElideMiddle, contentsRect().width());
  setText(shown);
  setToolTip(shown == fFullText ? QString() : fFullText);
}

}  // namespace zz
