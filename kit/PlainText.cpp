#include "kit/PlainText.h"

#include <QLabel>

namespace corvane {
namespace {

// Characters that change how the text around them is laid out or read.
bool Invisible(QChar c) {
    switch (c.unicode()) {
    case 0x061C: // Arabic letter mark
    case 0x200E: // left-to-right mark
    case 0x200F: // right-to-left mark
    case 0x2028: // line separator
    case 0x2029: // paragraph separator
        return true;
    default:
        break;
    }
    const char16_t u = c.unicode();
    return c.category() == QChar::Other_Control || (u >= 0x202A && u <= 0x202E) ||
           (u >= 0x2066 && u <= 0x2069);
}

QString Cleaned(const QString& text, int maxLength, bool keepLineBreaks) {
    QString out;
    out.reserve(qMin(text.size(), qsizetype(maxLength) + 1));
    for (const QChar c : text) {
        if (Invisible(c) && !(keepLineBreaks && c == u'\n')) continue;
        if (out.size() == maxLength) {
            out.back() = QChar(0x2026);
            break;
        }
        out.append(c);
    }
    return out;
}

} // namespace

QString CleanOutsideText(const QString& text, int maxLength) {
    return Cleaned(text, qMax(1, maxLength), false);
}

void ShowPlain(QLabel& label, const QString& text) {
    label.setTextFormat(Qt::PlainText);
    label.setText(Cleaned(text, ShownTextLength, true));
}

void TellPlain(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, QString(), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(Cleaned(text, ShownTextLength, true));
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

QString PlainToolTip(const QString& text) {
    // Marked as rich text, so that the escaped characters show as themselves.
    return QStringLiteral("<qt>") + CleanOutsideText(text, ShownTextLength).toHtmlEscaped() +
           QStringLiteral("</qt>");
}

} // namespace corvane
