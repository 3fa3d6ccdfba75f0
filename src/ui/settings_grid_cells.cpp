// Cells and grids of the settings window's tables, shared by its pages.
#include "ui/settings_grid_cells.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QObject>
#include <QScrollBar>
#include <QTableWidget>

namespace zz::settings_grid {

QString FormatPickerDate(const QDate& date) { return date.toString("dd.MM.yyyy"); }

QDate ToQDate(TDate date) {
  return QDate(YearOf(date), static_cast<int>(MonthOf(date)), static_cast<int>(DayOf(date)));
}

void SetCell(QTableWidget* grid, int row, int column, const QString& text, Qt::Alignment alignment) {
  QTableWidgetItem* item = grid->item(row, column);
  if (!item) {
    item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    grid->setItem(row, column, item);
  }
  item->setText(text);
  item->setTextAlignment(alignment);
}

int RowIndexOf(const QTableWidget* grid) { return grid->currentRow() < 0 ? 0 : grid->currentRow() + 1; }

QTableWidget* NewGrid(QWidget* parent, const QString& name, const QStringList& headings) {
  auto* grid = new QTableWidget(parent);
  grid->setObjectName(name);
  grid->setColumnCount(headings.size());
  grid->setHorizontalHeaderLabels(headings);
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid->horizontalHeader()->setHighlightSections(false);
  grid->horizontalHeader()->setSectionsClickable(true);
  // A click on the heading row selects it, as a click on any other row does.
  QObject::connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, grid, [grid] {
    grid->clearSelection();
    grid->setCurrentIndex(QModelIndex());
  });
  return grid;
}

void HideInPlaceEditor(QWidget* editor) {
  QWidget* focus = QApplication::focusWidget();
  if (editor->isVisible() && focus && (focus == editor || editor->isAncestorOf(focus)))
    for (QWidget* w = editor->parentWidget(); w; w = w->parentWidget())
      if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
        view->setFocus(Qt::OtherFocusReason);
        break;
      }
  editor->hide();
}

void FitGridWidth(QTableWidget* grid) {
  int width = 2 * grid->frameWidth() + grid->verticalScrollBar()->sizeHint().width() + 2;
  for (int c = 0; c < grid->columnCount(); ++c) width += grid->columnWidth(c);
  grid->setMinimumWidth(width);
}

}  // namespace zz::settings_grid
