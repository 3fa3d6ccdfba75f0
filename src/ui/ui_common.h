#pragma once
// Helpers shared by the windows: text conversion, the window font, masked number edits and the
// message boxes every window uses.
#include <QFont>
#include <QLineEdit>
#include <QString>
#include <string>

class QWidget;

namespace zz {

inline QString QS(const std::string& text) { return QString::fromStdString(text); }
inline std::string SS(const QString& text) { return text.toStdString(); }

// Tahoma 8 pt where it exists, the desktop's sans-serif otherwise.
QFont WindowFont();

// Input mask of a registration number: three digits, "-", three digits, "-", six digits, blank "_".
// ("0": a digit that may be left blank, so that a leading part of a number can be typed).
inline constexpr const char* kRegNumMask = "000-000-000000;_";

// A line edit with the registration-number mask.
QLineEdit* NewRegNumEdit(QWidget* parent, const QString& objectName);
// The edit's value with the mask's literals kept and unfilled positions as blanks
// ("123-45 -      "); an untouched edit gives "   -   -      ".
std::string MaskedText(const QLineEdit* edit);

// Places a window that is about to show in the middle of the desktop (the screen of its parent).
void CentreOnDesktop(QWidget* window);

// Width a window needs for its whole title: the desktop cuts a title that does not fit between the
// window's icon and its buttons.
int TitleWidth(const QWidget* window);

// Modal messages: an error (error icon, OK) and a confirmation (OK / Cancel, true on OK).
void ShowError(QWidget* parent, const QString& text);
bool Confirm(QWidget* parent, const QString& text);

}  // namespace zz
