#pragma once
// Readable failure output for Qt strings in GoogleTest messages.
#include <QByteArray>
#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << '"' << bytes.toPercentEncoding(" =[];/\"\\:*<>?|-.").toStdString() << '"';
}
