// The storage conventions of a PostgreSQL account set. PostgreSQL keeps every value in its
// column's own type, so what SQLite's conventions settle on writing (canonical dates, 0/1 for
// booleans) is already true of what it stores; what is left is to read its text forms as the
// SQLite side's values and to spell the client's values as its input forms.
#include "server/pgvalues.h"

#include <QDate>
#include <QDateTime>

#include <charconv>
#include <cmath>
#include <cstring>

namespace server {

namespace {

// The oids of PostgreSQL's built-in types (pg_type.dat); they never change.
namespace oid {
constexpr unsigned Bool = 16;
constexpr unsigned Bytea = 17;
constexpr unsigned Char = 18;
constexpr unsigned Name = 19;
constexpr unsigned Int8 = 20;
constexpr unsigned Int2 = 21;
constexpr unsigned Int4 = 23;
constexpr unsigned Text = 25;
constexpr unsigned Oid = 26;
constexpr unsigned Float4 = 700;
constexpr unsigned Float8 = 701;
constexpr unsigned Unknown = 705;
constexpr unsigned Money = 790;
constexpr unsigned Bpchar = 1042;
constexpr unsigned Varchar = 1043;
constexpr unsigned Date = 1082;
constexpr unsigned Timestamp = 1114;
constexpr unsigned TimestampTz = 1184;
constexpr unsigned Numeric = 1700;
} // namespace oid

std::optional<qint64> integerOf(std::string_view text)
{
    qint64 value = 0;
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty())
        return std::nullopt;
    return value;
}

// PostgreSQL spells infinities "Infinity" and "-Infinity", which from_chars reads as well.
std::optional<double> doubleOf(std::string_view text)
{
    double value = 0;
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty())
        return std::nullopt;
    return value;
}

bool isDigits(std::string_view text, size_t from, size_t count)
{
    for (size_t i = from; i < from + count; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

// 'YYYY-MM-DD', the form of a date under DateStyle ISO.
bool isIsoDate(std::string_view text)
{
    return text.size() == 10 && text[4] == '-' && text[7] == '-' && isDigits(text, 0, 4) &&
           isDigits(text, 5, 2) && isDigits(text, 8, 2);
}

// 'YYYY-MM-DD HH:MM:SS', the form of a timestamp(0).
bool isIsoDateTime(std::string_view text)
{
    return text.size() == 19 && isIsoDate(text.substr(0, 10)) && text[10] == ' ' &&
           text[13] == ':' && text[16] == ':' && isDigits(text, 11, 2) && isDigits(text, 14, 2) &&
           isDigits(text, 17, 2);
}

// An SQLite account set stores a date-time at midnight as the date alone, and so reads it back
// as a date.
bool isMidnight(std::string_view dateTime)
{
    return dateTime.substr(11) == "00:00:00";
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// bytea's output: '\x' and two hex digits a byte (bytea_output = hex, the default), or the older
// escape form with '\\' and '\ooo'. Text that is neither comes back as its bytes.
QByteArray bytesOf(std::string_view text)
{
    QByteArray bytes;
    if (text.size() >= 2 && text[0] == '\\' && text[1] == 'x' && text.size() % 2 == 0) {
        bytes.reserve(qsizetype(text.size() / 2 - 1));
        for (size_t i = 2; i < text.size(); i += 2) {
            const int high = hexDigit(text[i]);
            const int low = hexDigit(text[i + 1]);
            if (high < 0 || low < 0)
                return QByteArray(text.data(), qsizetype(text.size()));
            bytes.append(char(high * 16 + low));
        }
        return bytes;
    }
    bytes.reserve(qsizetype(text.size()));
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
            bytes.append('\\');
            ++i;
        } else if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] >= '0' &&
                   text[i + 1] <= '3' && text[i + 2] >= '0' && text[i + 2] <= '7' &&
                   text[i + 3] >= '0' && text[i + 3] <= '7') {
            bytes.append(
                char((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + text[i + 3] - '0'));
            i += 3;
        } else {
            bytes.append(text[i]);
        }
    }
    return bytes;
}

QString textOf(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QVariant dateOf(std::string_view text)
{
    if (isIsoDate(text))
        return QDate::fromString(QString::fromLatin1(text.data(), 10), Qt::ISODate);
    if (isIsoDateTime(text) && isMidnight(text))
        return QDate::fromString(QString::fromLatin1(text.data(), 10), Qt::ISODate);
    if (isIsoDateTime(text))
        return QDateTime::fromString(QString::fromLatin1(text.data(), 19),
                                     QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    // Fractions of a second and zones ("+01") of timestamp columns of other origin; text columns
    // holding dates in the forms the system once wrote.
    std::string_view trimmed = text;
    if (trimmed.size() > 19 &&
        (trimmed[trimmed.size() - 3] == '+' || trimmed[trimmed.size() - 3] == '-'))
        trimmed.remove_suffix(3);
    const QString canonical = canonicalDateText(textOf(trimmed));
    if (canonical.size() == 10)
        return QDate::fromString(canonical, Qt::ISODate);
    if (canonical.size() == 19)
        return QDateTime::fromString(canonical, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return textOf(text);
}

QVariant numberOf(std::string_view text, ValueType type)
{
    if (type == ValueType::Integer) {
        if (const auto i = integerOf(text))
            return *i;
    }
    if (const auto d = doubleOf(text)) {
        if (type == ValueType::Integer && *d == std::floor(*d) && std::fabs(*d) < 9.2e18)
            return qint64(*d);
        return *d;
    }
    return textOf(text);
}

QVariant booleanOf(std::string_view text)
{
    if (text == "t" || text == "true")
        return true;
    if (text == "f" || text == "false")
        return false;
    if (const auto d = doubleOf(text))
        return *d != 0;
    const QString t = textOf(text).trimmed().toLower();
    for (const char *yes : {"true", "yes", "on"})
        if (t == QLatin1String(yes))
            return true;
    for (const char *no : {"false", "no", "off", ""})
        if (t == QLatin1String(no))
            return false;
    return textOf(text);
}

std::string numberText(double value)
{
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string();
}

std::string hexText(const QByteArray &bytes)
{
    return "\\x" + bytes.toHex().toStdString();
}

} // namespace

QVariant wireFromPostgres(std::optional<std::string_view> text, ValueType type)
{
    if (!text)
        return {};
    switch (type) {
    case ValueType::Boolean:
        return booleanOf(*text);
    case ValueType::Integer:
    case ValueType::Float:
        return numberOf(*text, type);
    case ValueType::Date:
    case ValueType::DateTime:
        return dateOf(*text);
    case ValueType::Blob:
        return bytesOf(*text);
    case ValueType::Text:
    case ValueType::Unknown:
        break;
    }
    return textOf(*text);
}

void writeWireFromPostgres(wire::CborWriter &writer, std::optional<std::string_view> text,
                           ValueType type)
{
    if (!text) {
        writer.appendNull();
        return;
    }
    const std::string_view t = *text;
    switch (type) {
    case ValueType::Integer:
        if (const auto i = integerOf(t)) {
            writer.append(*i);
            return;
        }
        break;
    case ValueType::Float:
        if (const auto d = doubleOf(t)) {
            writer.append(*d);
            return;
        }
        break;
    case ValueType::Boolean:
        if (t == "t" || t == "f") {
            writer.append(t == "t");
            return;
        }
        break;
    case ValueType::Date:
    case ValueType::DateTime:
        if (isIsoDate(t) || (isIsoDateTime(t) && isMidnight(t))) {
            writer.append(wire::DateTag);
            writer.appendTextString(t.data(), 10);
            return;
        }
        if (isIsoDateTime(t)) {
            char iso[19];
            std::memcpy(iso, t.data(), 19);
            iso[10] = 'T';
            writer.append(wire::DateTimeTag);
            writer.appendTextString(iso, 19);
            return;
        }
        break;
    case ValueType::Blob: {
        const QByteArray bytes = bytesOf(t);
        writer.appendByteString(bytes.constData(), bytes.size());
        return;
    }
    case ValueType::Text:
    case ValueType::Unknown:
        writer.appendTextString(t.data(), qsizetype(t.size()));
        return;
    }
    wire::writeValue(writer, wireFromPostgres(text, type)); // the rare forms
}

ValueType wireTypeOfPostgres(unsigned typeOid)
{
    switch (typeOid) {
    case oid::Bool:
        return ValueType::Boolean;
    case oid::Int2:
    case oid::Int4:
    case oid::Int8:
    case oid::Oid:
        return ValueType::Integer;
    case oid::Float4:
    case oid::Float8:
    case oid::Numeric:
        return ValueType::Float;
    case oid::Date:
        return ValueType::Date;
    case oid::Timestamp:
    case oid::TimestampTz:
        return ValueType::DateTime;
    case oid::Bytea:
        return ValueType::Blob;
    case oid::Char:
    case oid::Name:
    case oid::Text:
    case oid::Unknown:
    case oid::Bpchar:
    case oid::Varchar:
    case oid::Money: // money's text carries its currency sign: no number the client could read
    default:
        // Whatever else an expression yields (intervals, arrays, json) reaches the client as the
        // text PostgreSQL writes for it.
        return ValueType::Text;
    }
}

std::optional<std::optional<std::string>> postgresFromWire(const QVariant &value,
                                                           ValueType columnType, QString *error)
{
    QString reason;
    const std::optional<StoredValue> stored = toStored(value, columnType, &reason);
    if (!stored) {
        if (error)
            *error = reason;
        return std::nullopt;
    }
    const auto refuse = [&](const char *what) -> std::optional<std::optional<std::string>> {
        if (error)
            *error = QStringLiteral("\"%1\" is not a valid %2")
                         .arg(value.toString(), QLatin1String(what));
        return std::nullopt;
    };
    switch (stored->kind) {
    case StoredValue::Kind::Null:
        return std::optional<std::string>();
    case StoredValue::Kind::Integer:
        if (columnType == ValueType::Boolean)
            return std::optional<std::string>(stored->integer ? "t" : "f");
        return std::optional<std::string>(std::to_string(stored->integer));
    case StoredValue::Kind::Real:
        // A bigint column holds whole numbers only, where SQLite would keep the fraction.
        if (columnType == ValueType::Integer)
            return refuse("whole number");
        // SQLite stores NaN as NULL.
        if (std::isnan(stored->real))
            return std::optional<std::string>();
        if (std::isinf(stored->real))
            return std::optional<std::string>(stored->real > 0 ? "Infinity" : "-Infinity");
        if (columnType == ValueType::Float)
            return std::optional<std::string>(numberText(stored->real));
        return std::optional<std::string>(realText(stored->real).toStdString());
    case StoredValue::Kind::Text:
        // libpq passes parameters as C strings, and PostgreSQL's text has no NUL either.
        if (stored->bytes.contains('\0'))
            return refuse("text");
        return std::optional<std::string>(stored->bytes.toStdString());
    case StoredValue::Kind::Blob:
        if (columnType == ValueType::Blob)
            return std::optional<std::string>(hexText(stored->bytes));
        // Bytes in a text column: kept when they are text, as PostgreSQL requires.
        if (stored->bytes.contains('\0') ||
            QString::fromUtf8(stored->bytes).toUtf8() != stored->bytes)
            return refuse("text");
        return std::optional<std::string>(stored->bytes.toStdString());
    }
    return std::optional<std::string>();
}

} // namespace server
