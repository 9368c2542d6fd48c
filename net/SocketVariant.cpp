#include "net/SocketVariant.h"

#include "files/Windows1252.h"

#include <array>
#include <cmath>
#include <cstring>

namespace corvane {

namespace {

// Characters outside the code page travel as '?'.
char EncodeChar(char16_t c) {
    const std::optional<std::uint8_t> byte = Windows1252OfChar(c);
    return byte ? char(*byte) : '?';
}

template <class T> QByteArray MemoryImage(T value) {
    // The build machines are little-endian, which is the wire order.
    QByteArray out(int(sizeof(T)), '\0');
    std::memcpy(out.data(), &value, sizeof(T));
    return out;
}

template <class T> T FromMemory(const char* bytes) {
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

} // namespace

QByteArray ToCodePage(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) out.append(EncodeChar(c.unicode()));
    return out;
}

QString FromCodePage(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        out.append(QChar(CharOfWindows1252(u)));
    }
    return out;
}

Variant Variant::OfType(VarType type) {
    switch (type) {
    case VarType::Null:
        return Variant(Null{});
    case VarType::Integer:
        return Variant(std::int16_t(0));
    case VarType::Long:
        return Variant(0);
    case VarType::Single:
        return Variant(0.0f);
    case VarType::Double:
        return Variant(0.0);
    case VarType::Currency:
        return Variant(Currency{});
    case VarType::Date:
        return Variant(Date{});
    case VarType::String:
        return Variant(QString());
    case VarType::Boolean:
        return Variant(false);
    case VarType::Byte:
        return Variant(std::uint8_t(0));
    case VarType::ByteArray:
        return Variant(QByteArray());
    case VarType::Empty:
        break;
    }
    return Variant();
}

VarType Variant::Type() const {
    static constexpr std::array<VarType, 12> kTypes = {
        VarType::Empty,  VarType::Null,    VarType::Integer,  VarType::Long,
        VarType::Single, VarType::Double,  VarType::Currency, VarType::Date,
        VarType::String, VarType::Boolean, VarType::Byte,     VarType::ByteArray};
    return kTypes[v_.index()];
}

bool Variant::IsNumeric() const {
    switch (Type()) {
    case VarType::Null:
    case VarType::Date:
    case VarType::ByteArray:
        return false;
    case VarType::String: {
        bool ok = false;
        std::get<QString>(v_).trimmed().toDouble(&ok);
        return ok;
    }
    default:
        return true;
    }
}

double Variant::ToDouble() const {
    return std::visit(
        [](const auto& v) -> double {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>)
                return v ? -1.0 : 0.0;
            else if constexpr (std::is_arithmetic_v<T>)
                return double(v);
            else if constexpr (std::is_same_v<T, Currency>)
                return double(v.Scaled) / 10000.0;
            else if constexpr (std::is_same_v<T, Date>)
                return v.Serial;
            else if constexpr (std::is_same_v<T, QString>)
                return v.trimmed().toDouble();
            else
                return 0.0;
        },
        v_);
}

QString Variant::ToString() const {
    switch (Type()) {
    case VarType::Empty:
    case VarType::Null:
        return QString();
    case VarType::String:
        return std::get<QString>(v_);
    case VarType::ByteArray:
        return FromCodePage(std::get<QByteArray>(v_));
    case VarType::Boolean:
        return std::get<bool>(v_) ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return QString::number(ToDouble(), 'g', 15);
    }
}

QByteArray ScalarBytes(const Variant& value, bool& ok) {
    ok = true;
    switch (value.Type()) {
    case VarType::Boolean:
        return MemoryImage<std::int16_t>(*value.If<bool>() ? -1 : 0);
    case VarType::Integer:
        return MemoryImage(*value.If<std::int16_t>());
    case VarType::Byte:
        return MemoryImage(*value.If<std::uint8_t>());
    case VarType::Long:
        return MemoryImage(*value.If<std::int32_t>());
    case VarType::Single:
        return MemoryImage(*value.If<float>());
    case VarType::Double:
        return MemoryImage(*value.If<double>());
    case VarType::Currency:
        return MemoryImage(value.If<Currency>()->Scaled);
    case VarType::Date:
        return MemoryImage(value.If<Date>()->Serial);
    default:
        ok = false;
        return {};
    }
}

int FixedSize(VarType type) {
    switch (type) {
    case VarType::Boolean:
    case VarType::Integer:
        return 2;
    case VarType::Byte:
        return 1;
    case VarType::Long:
    case VarType::Single:
        return 4;
    case VarType::Double:
    case VarType::Currency:
    case VarType::Date:
        return 8;
    default:
        return 0;
    }
}

Variant ScalarFromBytes(VarType type, const char* bytes) {
    switch (type) {
    case VarType::Boolean:
        return Variant(FromMemory<std::int16_t>(bytes) != 0);
    case VarType::Integer:
        return Variant(FromMemory<std::int16_t>(bytes));
    case VarType::Byte:
        return Variant(FromMemory<std::uint8_t>(bytes));
    case VarType::Long:
        return Variant(int(FromMemory<std::int32_t>(bytes)));
    case VarType::Single:
        return Variant(FromMemory<float>(bytes));
    case VarType::Double:
        return Variant(FromMemory<double>(bytes));
    case VarType::Currency:
        return Variant(Currency{FromMemory<std::int64_t>(bytes)});
    case VarType::Date:
        return Variant(Date{FromMemory<double>(bytes)});
    default:
        return Variant();
    }
}

} // namespace corvane
