// Messages of the wire protocol shared by the server, the client and the tools: operation and
// key names, the structures a reply carries, and the encoding of one message into a frame.
// docs/protocol.md describes the same for programs written in other languages.
#pragma once

#include "wire/value.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <memory>
#include <optional>

namespace wire {

constexpr int ProtocolVersion = 1;
constexpr quint16 DefaultPort = 211;
constexpr int DefaultPacketSize = 2000;

inline constexpr QLatin1StringView CentralModule{"ZezU.datas"};
inline constexpr QLatin1StringView ReportModule{"ZezU.DatasBb"};

namespace op {
inline constexpr QLatin1StringView Hello{"hello"};
inline constexpr QLatin1StringView Call{"call"};
inline constexpr QLatin1StringView Open{"open"};
inline constexpr QLatin1StringView Fetch{"fetch"};
inline constexpr QLatin1StringView Close{"close"};
inline constexpr QLatin1StringView Execute{"execute"};
inline constexpr QLatin1StringView Apply{"apply"};
inline constexpr QLatin1StringView Transact{"transact"};
inline constexpr QLatin1StringView Query{"query"}; // a transact part reading rows
} // namespace op

namespace key {
inline constexpr QLatin1StringView Id{"id"};
inline constexpr QLatin1StringView Op{"op"};
inline constexpr QLatin1StringView Ok{"ok"};
inline constexpr QLatin1StringView Error{"error"};
inline constexpr QLatin1StringView Code{"code"};
inline constexpr QLatin1StringView Module{"module"};
inline constexpr QLatin1StringView Product{"product"};
inline constexpr QLatin1StringView Version{"version"};
inline constexpr QLatin1StringView Protocol{"protocol"};
inline constexpr QLatin1StringView Method{"method"};
inline constexpr QLatin1StringView Args{"args"};
inline constexpr QLatin1StringView Result{"result"};
inline constexpr QLatin1StringView Message{"message"};
inline constexpr QLatin1StringView Provider{"provider"};
inline constexpr QLatin1StringView Text{"text"};
inline constexpr QLatin1StringView Packet{"packet"};
inline constexpr QLatin1StringView Fields{"fields"};
inline constexpr QLatin1StringView Rows{"rows"};
inline constexpr QLatin1StringView Cursor{"cursor"};
inline constexpr QLatin1StringView Eof{"eof"};
inline constexpr QLatin1StringView RowsAffected{"rowsAffected"};
inline constexpr QLatin1StringView MaxErrors{"maxErrors"};
inline constexpr QLatin1StringView Changes{"changes"};
inline constexpr QLatin1StringView Kind{"kind"};
inline constexpr QLatin1StringView Old{"old"};
inline constexpr QLatin1StringView New{"new"};
inline constexpr QLatin1StringView Errors{"errors"};
inline constexpr QLatin1StringView Index{"index"};
inline constexpr QLatin1StringView Current{"current"};
inline constexpr QLatin1StringView Applied{"applied"};
inline constexpr QLatin1StringView RolledBack{"rolledBack"};
inline constexpr QLatin1StringView Inserted{"inserted"};
// A failing statement of a script
inline constexpr QLatin1StringView Statement{"statement"};
inline constexpr QLatin1StringView Line{"line"};
// transact
inline constexpr QLatin1StringView Parts{"parts"};
inline constexpr QLatin1StringView Part{"part"};
inline constexpr QLatin1StringView ExpectRows{"expectRows"};
inline constexpr QLatin1StringView Counts{"counts"};
inline constexpr QLatin1StringView Results{"results"};
// Field definitions
inline constexpr QLatin1StringView Name{"name"};
inline constexpr QLatin1StringView Type{"type"};
inline constexpr QLatin1StringView Size{"size"};
inline constexpr QLatin1StringView Table{"table"};
inline constexpr QLatin1StringView Column{"column"};
inline constexpr QLatin1StringView Key{"key"};
inline constexpr QLatin1StringView NotNull{"notNull"};
inline constexpr QLatin1StringView ReadOnly{"readOnly"};
inline constexpr QLatin1StringView Unique{"unique"};
} // namespace key

// Codes of error replies and of rejected rows; the text beside them is for people.
namespace code {
inline constexpr QLatin1StringView Protocol{"protocol"}; // malformed or unknown request
inline constexpr QLatin1StringView Session{"session"};   // no hello / no account set yet
inline constexpr QLatin1StringView Provider{"provider"}; // unknown provider
inline constexpr QLatin1StringView Sql{"sql"};           // the statement failed
inline constexpr QLatin1StringView Timeout{"timeout"};   // the time limit stopped it
inline constexpr QLatin1StringView Busy{"busy"};         // the database stayed locked
inline constexpr QLatin1StringView Cursor{"cursor"};     // no such cursor
inline constexpr QLatin1StringView Method{"method"};     // unknown or failing method
inline constexpr QLatin1StringView Limit{"limit"}; // a server limit: connections, request memory
inline constexpr QLatin1StringView Conflict{"conflict"};           // row changed by another user
inline constexpr QLatin1StringView NotFound{"notFound"};           // row deleted by another user
inline constexpr QLatin1StringView Unique{"unique"};               // unique key violated
inline constexpr QLatin1StringView Constraint{"constraint"};       // other constraint violated
inline constexpr QLatin1StringView InvalidValue{"invalidValue"};   // value does not fit its column
inline constexpr QLatin1StringView Refused{"refused"};             // refused by an account-set rule
inline constexpr QLatin1StringView Login{"login"};                 // not logged in yet
inline constexpr QLatin1StringView UnknownUser{"unknownUser"};     // Login: no such user code
inline constexpr QLatin1StringView WrongPassword{"wrongPassword"}; // Login, ChangePassword
inline constexpr QLatin1StringView Denied{"denied"}; // the user lacks the right it needs
} // namespace code

// One column of a result.
struct Field
{
    QString name;
    ValueType type = ValueType::Unknown;
    int size = 0;     // declared length of a text column; 0 when unbounded
    QString table;    // base table when the column is a plain table column
    QString column;   // its name in that table
    bool key = false; // part of the base table's primary key
    bool notNull = false;
    bool readOnly = false; // computed or looked up: applying a change to it is ignored
    bool unique = false;   // the base column alone identifies a row (its key or a unique index)
};

using Row = QVariantList;

enum class ChangeKind { Insert, Modify, Delete };
QString changeKindName(ChangeKind kind);
std::optional<ChangeKind> changeKindFromName(QStringView name);

// One row of a change log. Insert: newValues holds the row. Modify: oldValues holds the row
// as it was read (at least its key and the changed columns), newValues the changed columns.
// Delete: oldValues holds the row as it was read (at least its key).
struct Change
{
    ChangeKind kind = ChangeKind::Insert;
    QVariantMap oldValues;
    QVariantMap newValues;
};

// A row the server did not store. In a transact reply also a statement that refused the
// request (index -1 then).
struct RowError
{
    int index = -1; // position of the change in the request (or in its part)
    ChangeKind kind = ChangeKind::Insert;
    QString code; // code::Conflict, code::Unique, ...
    QString message;
    QVariantMap current; // the row as it is now stored, when it still exists
    int part = -1;       // position of the part in a transact request; -1 in an apply reply
};

QVariantMap toMap(const Field &field);
Field fieldFromMap(const QVariantMap &map);
// The list of field maps toMap makes, written straight out: every query's reply carries one.
void writeFields(CborWriter &writer, const QList<Field> &fields);
QVariantMap toMap(const Change &change);
std::optional<Change> changeFromMap(const QVariantMap &map);
QVariantMap toMap(const RowError &error);
RowError rowErrorFromMap(const QVariantMap &map);

// The key an inserted row was stored with: the values of its table's primary-key columns (or
// of its ID column), as stored, so that a client can find the row whose key the server chose.
struct InsertedRow
{
    int index = -1; // position of the insert in the change log
    QVariantMap key;
    int part = -1; // position of the part in a transact request; -1 in an apply reply
};
QVariantMap toMap(const InsertedRow &row);
InsertedRow insertedRowFromMap(const QVariantMap &map);

// One part of a transact request: a change log as apply carries it, or statements as execute
// carries them, with the number of rows they must change when expectRows >= 0.
struct TransactPart
{
    enum class Kind { Apply, Execute, Query };
    Kind kind = Kind::Execute;
    QString provider; // Apply
    QString text;     // Apply: the command text the rows were read with; Execute: the statements;
                      // Query: the one select
    QList<Change> changes;
    qint64 expectRows = -1;
};
QVariantMap toMap(const TransactPart &part);

// Receives the rows of a packet value by value as they are decoded, so a reader can fill its
// own storage without an intermediate QVariant per value. Columns are by position in the
// field definitions; text arrives as UTF-8.
class RowSink
{
public:
    virtual ~RowSink() = default;
    virtual void beginRow() = 0;
    virtual void setNull(int column) = 0;
    virtual void setInteger(int column, qint64 value) = 0;
    virtual void setFloat(int column, double value) = 0;
    virtual void setBoolean(int column, bool value) = 0;
    virtual void setText(int column, const char *utf8, qsizetype size) = 0;
    virtual void setDate(int column, QDate value) = 0;
    virtual void setDateTime(int column, const QDateTime &value) = 0;
    virtual void setBlob(int column, const QByteArray &value) = 0;
    virtual void endRow() = 0;
};

// Collects rows as QVariant lists.
class VariantRowSink : public RowSink
{
public:
    explicit VariantRowSink(QList<QVariantList> &rows)
        : m_rows(rows)
    {}
    void beginRow() override
    {
        m_row = QVariantList();
        m_row.reserve(m_width);
    }
    void setNull(int column) override { put(column, QVariant()); }
    void setInteger(int column, qint64 value) override { put(column, value); }
    void setFloat(int column, double value) override { put(column, value); }
    void setBoolean(int column, bool value) override { put(column, value); }
    void setText(int column, const char *utf8, qsizetype size) override
    {
        put(column, QString::fromUtf8(utf8, size));
    }
    void setDate(int column, QDate value) override { put(column, value); }
    void setDateTime(int column, const QDateTime &value) override { put(column, value); }
    void setBlob(int column, const QByteArray &value) override { put(column, value); }
    void endRow() override
    {
        m_width = m_row.size();
        m_rows.append(std::move(m_row));
    }

private:
    void put(int column, QVariant &&value)
    {
        if (column == m_row.size()) {
            m_row.append(std::move(value));
            return;
        }
        if (m_row.size() <= column)
            m_row.resize(column + 1);
        m_row[column] = std::move(value);
    }

    QList<QVariantList> &m_rows;
    QVariantList m_row;
    qsizetype m_width = 0;
};

// A decoded message: its keys and values, with the rows of a packet kept apart as a plain
// list so that large packets are decoded without an intermediate tree.
struct Message
{
    QVariantMap values;
    QList<Row> rows;
    QList<Field> fields; // a reply's field definitions, read without a map per field

    QVariant value(QLatin1StringView name) const { return values.value(name); }
    bool has(QLatin1StringView name) const { return values.contains(name); }
};

// Decodes a frame's payload; false with *error when it is not one well-formed CBOR map, or
// when it passes the limits given (limits->exceeded tells). Rows go to rowSink when one is
// given, into message.rows otherwise; field definitions into message.fields. Without limits,
// values nest at most 16 deep.
bool decodeMessage(const QByteArray &payload, Message &message, QString *error,
                   RowSink *rowSink = nullptr, DecodeLimits *limits = nullptr);

// Writes one message straight into a frame: a map whose entries are added in order.
class FrameBuilder
{
public:
    FrameBuilder();
    ~FrameBuilder();
    FrameBuilder(const FrameBuilder &) = delete;
    FrameBuilder &operator=(const FrameBuilder &) = delete;

    void add(QLatin1StringView name, const QVariant &value);
    // For entries written piecewise (packets of rows): write the key, then the value through
    // writer().
    void addKey(QLatin1StringView name);
    CborWriter &writer() { return m_writer; }
    qsizetype size() const { return m_frame.size(); }

    // Closes the map and returns the frame; the builder is spent afterwards.
    QByteArray finish();

private:
    QByteArray m_frame; // the length first, filled in by finish()
    CborWriter m_writer;
};

} // namespace wire
