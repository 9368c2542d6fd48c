#pragma once
// Byte-level text helpers for files made on Windows: the Windows-1252 code page
// and a strict UTF-8 check that tells the two apart.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace corvane {

// One byte of the code page as a character, and back (nullopt when the
// character has no byte). The five undefined bytes stand for the control
// characters of the same number.
char16_t CharOfWindows1252(std::uint8_t byte);
std::optional<std::uint8_t> Windows1252OfChar(char16_t c);

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(const QByteArray& bytes);

// Every byte maps to one character; the five bytes the code page leaves
// undefined map to the control characters of the same number, so decoding and
// encoding again gives back the same bytes.
QString DecodeWindows1252(const QByteArray& bytes);

// nullopt when a character has no byte in the code page.
std::optional<QByteArray> EncodeWindows1252(const QString& text);

} // namespace corvane
