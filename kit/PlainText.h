#pragma once
// Outside text: anything the program did not write itself. A network peer's
// nick, chat line or move text, a saved game's name and values, a file name, a
// host name, an error text from the system.
//
// The rule, for every window of the program:
//   - a widget that shows outside text shows it as plain text: labels through
//     ShowPlain, message boxes through TellPlain, tooltips through PlainToolTip
//     (a tooltip has no plain mode, so its text is escaped);
//   - outside text is cleaned and cut with CleanOutsideText before it is put
//     into a sentence of the program's own;
//   - the program's own rich texts never embed outside text.
// Qt's default (automatic) format would render anything that looks like a tag
// as rich text, and an image tag would load a local file.
#include <QMessageBox>
#include <QString>

class QLabel;
class QWidget;

namespace corvane {

// Length to which a piece of outside text is cut by default.
inline constexpr int OutsideTextLength = 60;
// No text a widget shows through these helpers is longer than this.
inline constexpr int ShownTextLength = 2000;

// text without control characters (line breaks included), direction marks and
// overrides, and line or paragraph separators; longer than maxLength
// characters, it is cut and ends with "…".
QString CleanOutsideText(const QString& text, int maxLength = OutsideTextLength);

// Shows text in the label as plain text. The text is a sentence of the
// program's own, possibly holding cleaned outside text: its line breaks stay,
// any other control character goes, and it is cut to ShownTextLength.
void ShowPlain(QLabel& label, const QString& text);

// A modal message box with the text shown as plain text (as for ShowPlain),
// topmost, with an OK button.
void TellPlain(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text);

// A tooltip that shows outside text literally, cleaned and cut as by
// CleanOutsideText to ShownTextLength.
QString PlainToolTip(const QString& text);

} // namespace corvane
