#pragma once
// Cells and grids of the settings window's tables, shared by its pages.
#include <QDate>
#include <QString>
#include <QStringList>
#include <Qt>

#include "base/dates.h"
#include "settings/settings.h"

class QTableWidget;
class QWidget;

namespace zz::settings_grid {

inline constexpr const char* kUnlimited = "Бессрочно";
inline constexpr int kDateBeginColumn = 10;
inline constexpr int kDateEndColumn = 11;

QString FormatPickerDate(const QDate& date);
QDate ToQDate(TDate date);
// Sets a read-only cell's text, making the cell when the grid has none there yet.
void SetCell(QTableWidget* grid, int row, int column, const QString& text,
             Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
// Grid row index as the window counts it: the heading row is 0, data rows start at 1; nothing
// selected counts as the heading row.
int RowIndexOf(const QTableWidget* grid);
QTableWidget* NewGrid(QWidget* parent, const QString& name, const QStringList& headings);
// Hides an editor shown over a grid's or list's cell. The focus goes back to the view first: a
// focused widget that hides hands the focus on as Tab would, which moves the view's current cell.
void HideInPlaceEditor(QWidget* editor);
// Wide enough to show every column without scrolling sideways.
void FitGridWidth(QTableWidget* grid);

}  // namespace zz::settings_grid
