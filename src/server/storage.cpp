// The storage conventions of account-set databases.
#include "server/storage.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace server {

namespace {

bool containsWord(const std::string &upper, const char *word)
{
    return upper.find(word) != std::string::npos;
}

bool containsAny(const std::string &upper, std::initializer_list<const char *> words)
{
    return std::any_of(words.begin(), words.end(),
                       [&](const char *w) { return containsWord(upper, w); });
}

// OLE automation dates count days from 1899-12-30; legacy rows and scripts may hold them.
QString dateTextFromDays(double days)
{
    if (!std::isfinite(days) || days < -657434 || days > 2958465)
        return {};
    const double whole = std::floor(days);
    const QDate date = QDate(1899, 12, 30).addDays(qint64(whole));
    const int seconds = int(std::lround((days - whole) * 86400.0));
    if (seconds == 0)
        return date.toString(Qt::ISODate);
    if (seconds >= 86400)
        return date.addDays(1).toString(Qt::ISODate);
    return date.toString(Qt::ISODate) + QLatin1Char(' ') +
           QTime(0, 0).addSecs(seconds).toString(QStringLiteral("HH:mm:ss"));
}

QString canonicalText(const QDateTime &dateTime)
{
    const QTime time = dateTime.time();
    if (time.hour() == 0 && time.minute() == 0 && time.second() == 0)
        return dateTime.date().toString(Qt::ISODate);
    return dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// Parses up to maxDigits digits at text[pos]; -1 when there is none.
int readNumber(QStringView text, qsizetype &pos, int maxDigits)
{
    int value = 0;
    int digits = 0;
    while (pos < text.size() && digits < maxDigits && text[pos].isDigit()) {
        value = value * 10 + text[pos].digitValue();
        ++pos;
        ++digits;
    }
    return digits ? value : -1;
}

bool isDigitAt(const unsigned char *p, int i)
{
    return p[i] >= '0' && p[i] <= '9';
}

// 'YYYY-MM-DD' exactly.
bool isCanonicalDate(const unsigned char *p, int n)
{
    if (n != 10 || p[4] != '-' || p[7] != '-')
        return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!isDigitAt(p, i))
            return false;
    return true;
}

// 'YYYY-MM-DD HH:MM:SS' exactly.
bool isCanonicalDateTime(const unsigned char *p, int n)
{
    if (n != 19 || !isCanonicalDate(p, 10) || p[10] != ' ' || p[13] != ':' || p[16] != ':')
        return false;
    for (int i : {11, 12, 14, 15, 17, 18})
        if (!isDigitAt(p, i))
            return false;
    return true;
}

std::optional<StoredValue> numberFromText(const QString &text, bool wantInteger)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    if (wantInteger) {
        const qlonglong i = trimmed.toLongLong(&ok);
        if (ok)
            return StoredValue::ofInteger(i);
    }
    const double d = trimmed.toDouble(&ok);
    if (ok)
        return wantInteger && d == std::floor(d) && std::fabs(d) < 9.2e18
                   ? StoredValue::ofInteger(int64_t(d))
                   : StoredValue::ofReal(d);
    return std::nullopt;
}

std::optional<bool> booleanFromText(const QString &text)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("yes") || t == QLatin1String("on") ||
        t == QLatin1String("-1") || t == QLatin1String("1"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("no") || t == QLatin1String("off") ||
        t == QLatin1String("0") || t.isEmpty())
        return false;
    return std::nullopt;
}

QString invalid(const QVariant &value, const char *what)
{
    return QStringLiteral("\"%1\" is not a valid %2").arg(value.toString(), QLatin1String(what));
}

} // namespace

DeclaredType parseDeclaredType(std::string_view decl)
{
    std::string upper(decl);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    DeclaredType result;
    if (upper.empty())
        return result;
    if (containsAny(upper, {"BOOL", "BIT", "YESNO", "LOGICAL"}))
        result.type = ValueType::Boolean;
    else if (containsAny(upper, {"DATETIME", "TIMESTAMP", "TIME"}))
        result.type = ValueType::DateTime;
    else if (containsWord(upper, "DATE"))
        result.type = ValueType::Date;
    else if (containsAny(upper, {"BLOB", "BINARY", "IMAGE", "OLE", "GENERAL"}))
        result.type = ValueType::Blob;
    else if (containsAny(upper, {"CHAR", "TEXT", "CLOB", "MEMO", "STRING", "NOTE"}))
        result.type = ValueType::Text;
    else if (containsAny(upper, {"INT", "LONG", "SHORT", "BYTE", "COUNTER", "AUTOINCREMENT"}))
        result.type = ValueType::Integer;
    else if (containsAny(upper, {"REAL", "FLOA", "DOUB", "MONEY", "CURRENCY", "DEC", "NUMERIC",
                                 "NUMBER", "SINGLE"}))
        result.type = ValueType::Float;
    if (result.type == ValueType::Text) {
        const auto open = upper.find('(');
        if (open != std::string::npos)
            result.size = std::atoi(upper.c_str() + open + 1);
    }
    return result;
}

StoredValue StoredValue::ofInteger(int64_t v)
{
    StoredValue s;
    s.kind = Kind::Integer;
    s.integer = v;
    return s;
}

StoredValue StoredValue::ofReal(double v)
{
    StoredValue s;
    s.kind = Kind::Real;
    s.real = v;
    return s;
}

StoredValue StoredValue::ofText(const QString &text)
{
    StoredValue s;
    s.kind = Kind::Text;
    s.bytes = text.toUtf8();
    return s;
}

StoredValue StoredValue::ofBlob(const QByteArray &bytes)
{
    StoredValue s;
    s.kind = Kind::Blob;
    s.bytes = bytes;
    return s;
}

StoredValue StoredValue::fromColumn(sqlite3_stmt *stmt, int column)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return ofInteger(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return ofReal(sqlite3_column_double(stmt, column));
    case SQLITE_TEXT: {
        StoredValue s;
        s.kind = Kind::Text;
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
        s.bytes = QByteArray(p, sqlite3_column_bytes(stmt, column));
        return s;
    }
    case SQLITE_BLOB: {
        StoredValue s;
        s.kind = Kind::Blob;
        const auto *p = static_cast<const char *>(sqlite3_column_blob(stmt, column));
        s.bytes = QByteArray(p, sqlite3_column_bytes(stmt, column));
        return s;
    }
    default:
        return {};
    }
}

int StoredValue::bind(sqlite3_stmt *stmt, int index) const
{
    switch (kind) {
    case Kind::Null:
        return sqlite3_bind_null(stmt, index);
    case Kind::Integer:
        return sqlite3_bind_int64(stmt, index, integer);
    case Kind::Real:
        return sqlite3_bind_double(stmt, index, real);
    case Kind::Text:
        return sqlite3_bind_text(stmt, index, bytes.constData(), int(bytes.size()),
                                 SQLITE_TRANSIENT);
    case Kind::Blob:
        return sqlite3_bind_blob(stmt, index, bytes.constData(), int(bytes.size()),
                                 SQLITE_TRANSIENT);
    }
    return SQLITE_MISUSE;
}

bool StoredValue::sameAs(const StoredValue &other) const
{
    const auto numeric = [](const StoredValue &v) {
        return v.kind == Kind::Integer || v.kind == Kind::Real;
    };
    if (numeric(*this) && numeric(other)) {
        if (kind == Kind::Integer && other.kind == Kind::Integer)
            return integer == other.integer;
        const double a = kind == Kind::Integer ? double(integer) : real;
        const double b = other.kind == Kind::Integer ? double(other.integer) : other.real;
        return a == b;
    }
    if (kind != other.kind)
        return false;
    return kind == Kind::Null || bytes == other.bytes;
}

QString canonicalDateText(QStringView text)
{
    text = text.trimmed();
    qsizetype pos = 0;
    const int year = readNumber(text, pos, 4);
    if (year < 0 || pos != 4 || pos >= text.size())
        return {};
    const QChar separator = text[pos];
    if (separator != u'-' && separator != u'/' && separator != u'.')
        return {};
    ++pos;
    const int month = readNumber(text, pos, 2);
    if (month < 0 || pos >= text.size() || text[pos] != separator)
        return {};
    ++pos;
    const int day = readNumber(text, pos, 2);
    const QDate date(year, month, day);
    if (day < 0 || !date.isValid())
        return {};
    int hour = 0, minute = 0, second = 0;
    if (pos < text.size()) {
        if (text[pos] != u' ' && text[pos] != u'T')
            return {};
        while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'T'))
            ++pos;
        hour = readNumber(text, pos, 2);
        if (hour < 0 || pos >= text.size() || text[pos] != u':')
            return {};
        ++pos;
        minute = readNumber(text, pos, 2);
        if (minute < 0)
            return {};
        if (pos < text.size() && text[pos] == u':') {
            ++pos;
            second = readNumber(text, pos, 2);
            if (second < 0)
                return {};
            if (pos < text.size() && text[pos] == u'.') { // fractions are not kept
                ++pos;
                while (pos < text.size() && text[pos].isDigit())
                    ++pos;
            }
        }
        QStringView rest = text.mid(pos).trimmed();
        if (rest == u"Z" || rest == u"z")
            rest = {};
        else if (rest.size() == 6 && (rest[0] == u'+' || rest[0] == u'-') && rest[3] == u':')
            rest = {};
        if (!rest.isEmpty() || !QTime::isValid(hour, minute, second))
            return {};
    }
    return canonicalText(QDateTime(date, QTime(hour, minute, second)));
}

StoredValue canonicalStored(const StoredValue &value, ValueType columnType)
{
    switch (columnType) {
    case ValueType::Boolean:
        if (value.kind == StoredValue::Kind::Integer)
            return StoredValue::ofInteger(value.integer != 0 ? 1 : 0);
        if (value.kind == StoredValue::Kind::Real)
            return StoredValue::ofInteger(value.real != 0 ? 1 : 0);
        return value;
    case ValueType::Date:
    case ValueType::DateTime:
        if (value.kind == StoredValue::Kind::Text) {
            const QString text = canonicalDateText(QString::fromUtf8(value.bytes));
            if (!text.isEmpty())
                return StoredValue::ofText(text);
        }
        return value;
    default:
        return value;
    }
}

QString realText(double value)
{
    char buffer[64];
    sqlite3_snprintf(sizeof buffer, buffer, "%!.15g", value);
    return QString::fromLatin1(buffer);
}

std::optional<StoredValue> toStored(const QVariant &value, ValueType columnType, QString *error)
{
    const int typeId = value.typeId();
    if (typeId == QMetaType::UnknownType || typeId == QMetaType::Nullptr)
        return StoredValue::null();
    const bool isText = typeId == QMetaType::QString;
    const bool isBool = typeId == QMetaType::Bool;
    const bool isDate = typeId == QMetaType::QDate;
    const bool isDateTime = typeId == QMetaType::QDateTime;
    const bool isBytes = typeId == QMetaType::QByteArray;
    const bool isReal = typeId == QMetaType::Double || typeId == QMetaType::Float;
    bool isInteger = false;
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        isInteger = true;
        break;
    default:
        break;
    }

    const auto dateFromValue = [&]() -> std::optional<StoredValue> {
        QString text;
        if (isDate)
            text = value.toDate().isValid() ? value.toDate().toString(Qt::ISODate) : QString();
        else if (isDateTime)
            text = value.toDateTime().isValid() ? canonicalText(value.toDateTime()) : QString();
        else if (isInteger || isReal)
            text = dateTextFromDays(value.toDouble());
        else if (isText && value.toString().trimmed().isEmpty())
            return StoredValue::null();
        else if (isText)
            text = canonicalDateText(value.toString());
        if (text.isEmpty()) {
            if (isDate || isDateTime)
                return StoredValue::null();
            *error = invalid(value, "date");
            return std::nullopt;
        }
        return StoredValue::ofText(text);
    };

    switch (columnType) {
    case ValueType::Boolean: {
        if (isBool)
            return StoredValue::ofInteger(value.toBool() ? 1 : 0);
        if (isInteger || isReal)
            return StoredValue::ofInteger(value.toDouble() != 0 ? 1 : 0);
        if (isText) {
            if (const auto b = booleanFromText(value.toString()))
                return StoredValue::ofInteger(*b ? 1 : 0);
        }
        *error = invalid(value, "boolean");
        return std::nullopt;
    }
    case ValueType::Date:
    case ValueType::DateTime:
        return dateFromValue();
    case ValueType::Integer:
    case ValueType::Float: {
        const bool wantInteger = columnType == ValueType::Integer;
        if (isBool)
            return wantInteger ? StoredValue::ofInteger(value.toBool() ? 1 : 0)
                               : StoredValue::ofReal(value.toBool() ? 1 : 0);
        if (isInteger)
            return wantInteger ? StoredValue::ofInteger(value.toLongLong())
                               : StoredValue::ofReal(value.toDouble());
        if (isReal) {
            const double d = value.toDouble();
            if (wantInteger && d == std::floor(d) && std::fabs(d) < 9.2e18)
                return StoredValue::ofInteger(int64_t(d));
            return StoredValue::ofReal(d);
        }
        if (isText) {
            if (value.toString().trimmed().isEmpty())
                return StoredValue::null();
            if (auto number = numberFromText(value.toString(), wantInteger)) {
                if (!wantInteger && number->kind == StoredValue::Kind::Integer)
                    return StoredValue::ofReal(double(number->integer));
                return number;
            }
        }
        *error = invalid(value, "number");
        return std::nullopt;
    }
    case ValueType::Text:
        if (isBytes)
            return StoredValue::ofBlob(value.toByteArray());
        if (isDate || isDateTime)
            return dateFromValue();
        if (isReal)
            return StoredValue::ofText(realText(value.toDouble()));
        if (isBool)
            return StoredValue::ofText(value.toBool() ? QStringLiteral("1") : QStringLiteral("0"));
        return StoredValue::ofText(value.toString());
    case ValueType::Blob:
        if (isText)
            return StoredValue::ofBlob(value.toString().toUtf8());
        return StoredValue::ofBlob(value.toByteArray());
    case ValueType::Unknown:
        break;
    }
    // A column without a declared type keeps the value's own kind.
    if (isBool)
        return StoredValue::ofInteger(value.toBool() ? 1 : 0);
    if (isInteger)
        return StoredValue::ofInteger(value.toLongLong());
    if (isReal)
        return StoredValue::ofReal(value.toDouble());
    if (isDate || isDateTime)
        return dateFromValue();
    if (isBytes)
        return StoredValue::ofBlob(value.toByteArray());
    return StoredValue::ofText(value.toString());
}

QVariant toWire(sqlite3_stmt *stmt, int column, ValueType type)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(stmt, column);
        if (type == ValueType::Boolean)
            return v != 0;
        if (type == ValueType::Float)
            return double(v);
        return v;
    }
    case SQLITE_FLOAT: {
        const double d = sqlite3_column_double(stmt, column);
        if (type == ValueType::Boolean)
            return d != 0;
        if (type == ValueType::Integer && d == std::floor(d) && std::fabs(d) < 9.2e18)
            return qint64(d);
        return d;
    }
    case SQLITE_TEXT: {
        const auto *p = sqlite3_column_text(stmt, column);
        const int n = sqlite3_column_bytes(stmt, column);
        if (type == ValueType::Date || type == ValueType::DateTime) {
            if (isCanonicalDate(p, n))
                return QDate::fromString(QString::fromLatin1(reinterpret_cast<const char *>(p), n),
                                         Qt::ISODate);
            QString text = QString::fromUtf8(reinterpret_cast<const char *>(p), n);
            if (!isCanonicalDateTime(p, n))
                text = canonicalDateText(text);
            if (text.size() == 10)
                return QDate::fromString(text, Qt::ISODate);
            if (text.size() == 19)
                return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
        if (type == ValueType::Boolean) {
            if (const auto b =
                    booleanFromText(QString::fromUtf8(reinterpret_cast<const char *>(p), n)))
                return *b;
        }
        return QString::fromUtf8(reinterpret_cast<const char *>(p), n);
    }
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, column)),
                          sqlite3_column_bytes(stmt, column));
    default:
        return {};
    }
}

void writeWire(wire::CborWriter &writer, sqlite3_stmt *stmt, int column, ValueType type)
{
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(stmt, column);
        if (type == ValueType::Boolean)
            writer.append(v != 0);
        else if (type == ValueType::Float)
            writer.append(double(v));
        else
            writer.append(v);
        return;
    }
    case SQLITE_FLOAT: {
        const double d = sqlite3_column_double(stmt, column);
        if (type == ValueType::Boolean)
            writer.append(d != 0);
        else if (type == ValueType::Integer && d == std::floor(d) && std::fabs(d) < 9.2e18)
            writer.append(qint64(d));
        else
            writer.append(d);
        return;
    }
    case SQLITE_TEXT: {
        const auto *p = sqlite3_column_text(stmt, column);
        const int n = sqlite3_column_bytes(stmt, column);
        const auto *text = reinterpret_cast<const char *>(p);
        if (type == ValueType::Date || type == ValueType::DateTime) {
            if (isCanonicalDate(p, n)) {
                writer.append(wire::DateTag);
                writer.appendTextString(text, n);
                return;
            }
            if (isCanonicalDateTime(p, n)) {
                char iso[19];
                std::memcpy(iso, text, 19);
                iso[10] = 'T';
                writer.append(wire::DateTimeTag);
                writer.appendTextString(iso, 19);
                return;
            }
        }
        if (type == ValueType::Boolean || type == ValueType::Date || type == ValueType::DateTime) {
            wire::writeValue(writer, toWire(stmt, column, type)); // non-canonical: rare
            return;
        }
        writer.appendTextString(text, n);
        return;
    }
    case SQLITE_BLOB:
        writer.appendByteString(static_cast<const char *>(sqlite3_column_blob(stmt, column)),
                                sqlite3_column_bytes(stmt, column));
        return;
    default:
        writer.appendNull();
        return;
    }
}

} // namespace server
