#pragma once
// The loosely typed values the socket object sends and receives: strings go on
// the wire one byte per character in the Windows-1252 code page, scalars in
// little-endian memory order.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <variant>

namespace corvane {

// Type codes, also used for the varType argument of GetData / PeekData.
enum class VarType {
    Empty = 0,
    Null = 1,
    Integer = 2, // 16-bit
    Long = 3,    // 32-bit
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    String = 8,
    Boolean = 11,
    Byte = 17,
    ByteArray = 8209
};

struct Currency {
    std::int64_t Scaled = 0; // value times 10000
    bool operator==(const Currency&) const = default;
};
struct Date {
    double Serial = 0; // days since 30 December 1899
    bool operator==(const Date&) const = default;
};
struct Null {
    bool operator==(const Null&) const = default;
};

class Variant {
public:
    using Value = std::variant<std::monostate, Null, std::int16_t, std::int32_t, float, double,
                               Currency, Date, QString, bool, std::uint8_t, QByteArray>;

    Variant() = default;
    Variant(bool v) : v_(v) {}
    Variant(std::int16_t v) : v_(v) {}
    Variant(std::uint8_t v) : v_(v) {}
    Variant(int v) : v_(std::int32_t(v)) {}
    Variant(long v) : v_(std::int32_t(v)) {} // a 32-bit integer, as ports and lengths are
    Variant(float v) : v_(v) {}
    Variant(double v) : v_(v) {}
    Variant(Currency v) : v_(v) {}
    Variant(Date v) : v_(v) {}
    Variant(Null v) : v_(v) {}
    Variant(const QString& v) : v_(v) {}
    Variant(const char* utf8) : v_(QString::fromUtf8(utf8)) {}
    Variant(const QByteArray& v) : v_(v) {}

    // An empty value of the given type (Empty for an unknown code).
    static Variant OfType(VarType type);

    VarType Type() const;
    bool IsEmpty() const { return std::holds_alternative<std::monostate>(v_); }
    // Numbers, booleans, the empty value and text that reads as a number.
    bool IsNumeric() const;
    // The numeric value; 0 when the value is not numeric.
    double ToDouble() const;
    // The value as text (numbers in their plain decimal form).
    QString ToString() const;
    const Value& Get() const { return v_; }
    template <class T> const T* If() const { return std::get_if<T>(&v_); }

    bool operator==(const Variant&) const = default;

private:
    Value v_;
};

// Windows-1252 conversions; a character the code page lacks becomes '?'.
QByteArray ToCodePage(const QString& text);
QString FromCodePage(const QByteArray& bytes);

// Little-endian memory image of a scalar, or an empty array with ok = false for a
// type that has none (strings and byte arrays are converted by the caller).
QByteArray ScalarBytes(const Variant& value, bool& ok);
// Byte count of a fixed-size type, 0 for any other.
int FixedSize(VarType type);
// A value of a fixed-size type read from exactly FixedSize(type) bytes.
Variant ScalarFromBytes(VarType type, const char* bytes);

} // namespace corvane
