// An account set in PostgreSQL: the session's statements, cursors and writes over libpq.
#include "server/pgstore.h"

#include "pg/connection.h"
#include "pg/quote.h"
#include "server/accountdb.h"
#include "server/passwordguard.h"
#include "server/pgapply.h"
#include "server/pgcopy.h"
#include "server/pgmigrate.h"
#include "server/pgschema.h"
#include "server/pgtableschema.h"
#include "server/pgtransact.h"
#include "server/pgvalues.h"
#include "server/requesterror.h"
#include "server/schema.h"
#include "server/sessiondb.h"
#include "sql/types.h"

#include <QTimeZone>

#include <algorithm>
#include <cctype>

namespace server {

namespace {

// Rows one FETCH asks for: a packet of the client's size, within reason.
constexpr int MinFetchRows = 100;
constexpr int MaxFetchRows = 5000;

// The first word of a statement, upper-cased.
std::string firstWord(const QByteArray &sqlText)
{
    std::string word;
    for (char c : sqlText) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalpha(byte))
            word += char(std::toupper(byte));
        else if (!word.empty() || !(std::isspace(byte) || c == '('))
            break;
    }
    return word;
}

bool returnsRows(const QByteArray &sqlText)
{
    const std::string word = firstWord(sqlText);
    return word == "SELECT" || word == "WITH" || word == "VALUES" || word == "TABLE";
}

bool changesSchema(const QByteArray &sqlText)
{
    const std::string word = firstWord(sqlText);
    return word == "CREATE" || word == "DROP" || word == "ALTER" || word == "COMMENT";
}

// The server's own statements are written with ? for each parameter; PostgreSQL numbers them.
std::string numberedParameters(const QByteArray &sqlText)
{
    std::string text;
    int number = 0;
    bool quoted = false;
    for (char c : sqlText) {
        if (c == '\'')
            quoted = !quoted;
        if (c == '?' && !quoted)
            text += '$' + std::to_string(++number);
        else
            text += c;
    }
    return text;
}

std::vector<std::optional<std::string>> textParameters(const QVariantList &params)
{
    std::vector<std::optional<std::string>> values;
    values.reserve(size_t(params.size()));
    for (const QVariant &value : params)
        values.push_back(value.isNull() ? std::nullopt
                                        : std::optional(value.toString().toStdString()));
    return values;
}

// A value of a result of the server's own, typed as SQLite would hand it over.
QVariant ownValue(const pg::Result &result, int row, int column)
{
    if (result.isNull(row, column))
        return {};
    const std::string_view text = result.text(row, column);
    switch (wireTypeOfPostgres(result.columnType(column))) {
    case ValueType::Integer:
        return QString::fromUtf8(text.data(), qsizetype(text.size())).toLongLong();
    case ValueType::Float:
        return QString::fromUtf8(text.data(), qsizetype(text.size())).toDouble();
    case ValueType::Boolean:
        return qint64(text == "t" ? 1 : 0);
    default:
        return QString::fromUtf8(text.data(), qsizetype(text.size()));
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Cursors

class PostgresStore::Cursor final : public QueryCursor
{
public:
    Cursor(PostgresStore &store, std::string name, QList<wire::Field> fields, pg::Result first,
           int fetched)
        : m_store(store)
        , m_generation(store.m_readerGeneration)
        , m_name(std::move(name))
        , m_fields(std::move(fields))
        , m_batch(std::move(first))
        , m_lastBatch(m_batch.rows() < fetched)
    {
        m_types.reserve(m_fields.size());
        for (const wire::Field &field : std::as_const(m_fields))
            m_types.append(field.type);
    }

    ~Cursor() override
    {
        if (m_generation != m_store.m_readerGeneration)
            return; // its transaction ended already
        try {
            if (!m_exhausted)
                m_store.m_reader->exec("CLOSE " + m_name);
        } catch (const pg::Error &) {
            // The transaction failed: it ends with the last cursor all the same.
        }
        m_store.cursorClosed();
    }

    const QList<wire::Field> &fields() const override { return m_fields; }
    bool exhausted() const override { return m_exhausted; }

    bool writePacket(wire::FrameBuilder &frame, const PacketLimits &limits) override
    {
        wire::CborWriter &writer = frame.writer();
        const int columns = int(m_fields.size());
        writer.startArray();
        // Like the SQLite side the cursor looks ahead, so that the packet holding the last row
        // already says that the result is exhausted.
        for (int written = 0; rowAhead(limits); ++written) {
            if (written > 0 && (written >= limits.rows || frame.size() >= limits.bytes))
                break;
            writer.startArray(quint64(columns));
            for (int c = 0; c < columns; ++c) {
                const std::optional<std::string_view> text =
                    m_batch.isNull(m_row, c) ? std::nullopt : std::optional(m_batch.text(m_row, c));
                writeWireFromPostgres(writer, text, m_types[c]);
            }
            writer.endArray();
            ++m_row;
            if (frame.size() > limits.maxFrame)
                throw RequestError(wire::code::Limit,
                                   QStringLiteral("a row of the result takes more than the %1 "
                                                  "MiB a reply may hold: read its large columns "
                                                  "apart")
                                       .arg(limits.maxFrame >> 20));
        }
        writer.endArray();
        return m_exhausted;
    }

private:
    // True when a row is ready at m_row; fetches the next batch when this one is read.
    bool rowAhead(const PacketLimits &limits)
    {
        if (m_row < m_batch.rows())
            return true;
        if (!m_lastBatch) {
            if (m_generation != m_store.m_readerGeneration)
                throw RequestError(wire::code::Cursor,
                                   QStringLiteral("the query was ended by the failure of another "
                                                  "query of this session: open it again"));
            const int rows = std::clamp(limits.rows, MinFetchRows, MaxFetchRows);
            try {
                m_batch = m_store.m_reader->exec("FETCH FORWARD " + std::to_string(rows) +
                                                 " FROM " + m_name);
            } catch (const pg::Error &error) {
                rethrow(error);
            }
            m_row = 0;
            m_lastBatch = m_batch.rows() < rows;
            if (m_batch.rows() > 0)
                return true;
        }
        if (!m_exhausted) {
            m_exhausted = true;
            // The end of the reader's transaction closes it, or has closed it already.
            if (m_generation != m_store.m_readerGeneration || m_store.m_openCursors == 1)
                return false;
            try {
                m_store.m_reader->exec("CLOSE " + m_name);
            } catch (const pg::Error &error) {
                rethrow(error);
            }
        }
        return false;
    }

    PostgresStore &m_store;
    const int m_generation;
    const std::string m_name;
    QList<wire::Field> m_fields;
    QList<ValueType> m_types;
    pg::Result m_batch;
    int m_row = 0;
    bool m_lastBatch = false;
    bool m_exhausted = false;
};

// ---------------------------------------------------------------------------------------------
// The store

PostgresStore::PostgresStore(std::string conninfo, QueryClock &clock, int busyTimeoutMs)
    : m_conninfo(std::move(conninfo))
    , m_clock(clock)
    , m_busyTimeoutMs(busyTimeoutMs)
    , m_writer(connect())
{
    auto schema = std::make_unique<PostgresSchema>(*m_writer);
    m_schema = schema.get();
    m_translator = std::make_unique<sql::Translator>(std::move(schema), sql::Engine::Postgres);
}

PostgresStore::~PostgresStore() = default;

std::unique_ptr<pg::Connection> PostgresStore::connect()
{
    auto connection = std::make_unique<pg::Connection>(m_conninfo);
    std::string setup = "SET jit = off; SET DateStyle = ISO, YMD; SET lock_timeout = " +
                        std::to_string(std::max(m_busyTimeoutMs, 1));
    // Jet's Now() and Date() are the local time of the application server, as SQLite's
    // 'localtime' is; PostgreSQL's follow the session's time zone.
    const QByteArray zone = QTimeZone::systemTimeZoneId();
    if (!zone.isEmpty())
        setup += "; SET TimeZone = " + pg::quoteLiteral(zone.toStdString());
    connection->exec(setup);
    connection->setStopCheck([this] { return m_clock.expired(); });
    return connection;
}

void PostgresStore::rethrow(const pg::Error &error)
{
    throwRequestError(error, QStringLiteral("the statement ran longer than the server's time "
                                            "limit and was stopped"));
}

QString PostgresStore::findTable(const QString &name)
{
    const auto table = m_translator->table(name.toStdString());
    return table ? QString::fromStdString(table->name) : QString();
}

QStringList PostgresStore::tableNames()
{
    // One look at the catalogue: asking the translator would read every table's columns.
    QStringList names;
    try {
        const pg::Result tables = m_writer->exec(
            "SELECT c.relname, pg_catalog.obj_description(c.oid, 'pg_class') "
            "FROM pg_catalog.pg_class c WHERE c.relkind IN ('r', 'p') "
            "AND c.relnamespace = current_schema()::regnamespace AND c.relname NOT LIKE $1",
            {std::string("vz\\_%")});
        for (int r = 0; r < tables.rows(); ++r)
            names.append(QString::fromStdString(sql::spelledName(
                tables.text(r, 0), tables.isNull(r, 1) ? std::string_view() : tables.text(r, 1))));
    } catch (const pg::Error &error) {
        rethrow(error);
    }
    names.sort(Qt::CaseInsensitive);
    return names;
}

pg::Connection &PostgresStore::reader()
{
    if (!m_reader)
        m_reader = connect();
    return *m_reader;
}

void PostgresStore::cursorClosed()
{
    if (--m_openCursors > 0)
        return;
    m_openCursors = 0;
    try {
        m_reader->exec("ROLLBACK"); // read only: nothing to keep
    } catch (const pg::Error &) {
        m_reader.reset(); // a broken connection: the next cursor connects again
        ++m_readerGeneration;
    }
}

namespace {

QList<wire::Field> describe(const pg::Result &result, const sql::Translation *translation,
                            sql::Translator &translator)
{
    const int count = result.columns();
    const bool typed = translation && translation->columns.size() == size_t(count);
    QList<wire::Field> fields;
    fields.reserve(count);
    for (int c = 0; c < count; ++c) {
        wire::Field field;
        field.name = QString::fromStdString(result.columnName(c));
        field.type = wireTypeOfPostgres(result.columnType(c));
        field.readOnly = true;
        if (typed) {
            const sql::ColumnInfo &info = translation->columns[size_t(c)];
            if (!info.name.empty())
                field.name = QString::fromStdString(info.name);
            if (info.type != sql::ValueType::Unknown)
                field.type = toWireType(info.type);
            field.size = info.size;
            if (!info.table.empty() && !info.baseColumn.empty()) {
                field.table = QString::fromStdString(info.table);
                field.column = QString::fromStdString(info.baseColumn);
                field.key = info.primaryKey;
                field.notNull = info.notNull;
                field.readOnly = false;
                if (info.primaryKey) {
                    const auto table = translator.table(info.table);
                    field.unique =
                        table && std::count_if(table->columns.begin(), table->columns.end(),
                                               [](const sql::ColumnInfo &column) {
                                                   return column.primaryKey;
                                               }) == 1;
                }
            }
        }
        fields.append(field);
    }
    return fields;
}

} // namespace

OpenedQuery PostgresStore::open(const QueryRequest &query)
{
    if (query.translation ? query.translation->kind != sql::StatementKind::Select
                          : !returnsRows(query.sqlText)) {
        // A statement that changes data runs on the writer; it has no rows to show.
        if (query.beforeWrite)
            query.beforeWrite();
        return {nullptr, execute({query.sqlText})};
    }
    pg::Connection &connection = reader();
    const std::string name = "vz_c" + std::to_string(m_nextCursor++);
    std::string script;
    if (m_openCursors == 0)
        script = "BEGIN ISOLATION LEVEL READ COMMITTED READ ONLY; ";
    script += "DECLARE " + name + " NO SCROLL CURSOR FOR " + query.sqlText.toStdString() +
              "; FETCH FORWARD " + std::to_string(MinFetchRows) + " FROM " + name;
    pg::Result first;
    try {
        first = connection.exec(script);
    } catch (const pg::Error &error) {
        // The reader's transaction failed, and with it every cursor it held.
        ++m_readerGeneration;
        m_openCursors = 0;
        try {
            connection.exec("ROLLBACK");
        } catch (const pg::Error &) {
            m_reader.reset();
        }
        rethrow(error);
    }
    ++m_openCursors;
    QList<wire::Field> fields = describe(first, query.translation, *m_translator);
    markForeignFields(fields, query.targetTable);
    return {
        std::make_unique<Cursor>(*this, name, std::move(fields), std::move(first), MinFetchRows),
        0};
}

void PostgresStore::noteStatement(const QByteArray &sqlText)
{
    if (changesSchema(sqlText)) {
        m_schema->invalidate();
        m_tableSchemas.clear();
    }
}

int64_t PostgresStore::execute(const QList<QByteArray> &statements, qsizetype *failed)
{
    for (const QByteArray &statement : statements)
        if (returnsRows(statement))
            throw RequestError(wire::code::Sql,
                               QStringLiteral("the statement returns rows: read them with open, "
                                              "execute only runs statements that return none"));
    pg::Connection &writer = *m_writer;
    // A script (a delete and the inserts that replace the rows, say) is all or nothing.
    const bool several = statements.size() > 1;
    int64_t changed = 0;
    qsizetype current = 0;
    try {
        if (several)
            writer.exec("BEGIN");
        for (; current < statements.size(); ++current) {
            changed += writer.exec(statements[current].toStdString()).affectedRows();
            noteStatement(statements[current]);
        }
        if (several)
            writer.exec("COMMIT");
    } catch (const pg::Error &error) {
        if (writer.inTransaction()) {
            try {
                writer.exec("ROLLBACK");
            } catch (const pg::Error &) {
            }
        }
        if (failed)
            *failed = std::min(current, statements.size() - 1);
        rethrow(error);
    }
    return changed;
}

TableSchema PostgresStore::tableSchema(const QString &table)
{
    const QString key = table.toLower();
    auto it = m_tableSchemas.find(key);
    if (it == m_tableSchemas.end()) {
        try {
            it = m_tableSchemas.insert(key, loadPostgresTableSchema(*m_writer, table));
        } catch (const pg::Error &error) {
            rethrow(error);
        }
    }
    return it.value();
}

ApplyOutcome PostgresStore::apply(const QString &table, const QList<wire::Change> &changes,
                                  int maxErrors)
{
    PostgresApplier applier(*m_writer, tableSchema(table));
    try {
        return applier.apply(changes, maxErrors);
    } catch (const pg::Error &error) {
        rethrow(error);
    }
}

TransactOutcome PostgresStore::transact(const QList<PreparedPart> &parts,
                                        TransactionRunner::StepHook stepHook)
{
    PostgresTransactionRunner runner(
        *m_writer, [this](const QString &table) { return tableSchema(table); },
        std::move(stepHook));
    try {
        return runner.run(parts);
    } catch (const pg::Error &error) {
        rethrow(error);
    }
}

QList<QVariantList> PostgresStore::readTrusted(const QByteArray &sqlText,
                                               const QVariantList &params)
{
    QList<QVariantList> rows;
    try {
        const pg::Result result =
            m_writer->exec(numberedParameters(sqlText), textParameters(params));
        for (int r = 0; r < result.rows(); ++r) {
            QVariantList row;
            row.reserve(result.columns());
            for (int c = 0; c < result.columns(); ++c)
                row.append(ownValue(result, r, c));
            rows.append(std::move(row));
        }
    } catch (const pg::Error &error) {
        rethrow(error);
    }
    return rows;
}

int64_t PostgresStore::writeTrusted(const QByteArray &sqlText, const QVariantList &params)
{
    try {
        return m_writer->exec(numberedParameters(sqlText), textParameters(params)).affectedRows();
    } catch (const pg::Error &error) {
        rethrow(error);
    }
}

QString PostgresStore::storedPassword(qint64 userId)
{
    const QList<QVariantList> rows = readTrusted(
        QByteArray("SELECT hash FROM ") + PasswordTable + " WHERE user_id = ?", {userId});
    return rows.isEmpty() ? QString() : rows.first().value(0).toString();
}

void PostgresStore::storePassword(qint64 userId, const QString &hash)
{
    const std::string id = std::to_string(userId);
    const std::string table = PasswordTable;
    try {
        m_writer->exec("BEGIN");
        if (hash.isEmpty())
            m_writer->exec("DELETE FROM " + table + " WHERE user_id = $1", {id});
        else
            m_writer->exec("INSERT INTO " + table +
                               " (user_id, hash) VALUES ($1, $2) "
                               "ON CONFLICT (user_id) DO UPDATE SET hash = excluded.hash",
                           {id, hash.toStdString()});
        // AppUser shows only whether a password is set, as a masked column does on SQLite.
        m_writer->exec("UPDATE appuser SET upassword = $1 WHERE id = $2",
                       {PasswordGuard::masked(hash).toStdString(), id});
        m_writer->exec("COMMIT");
    } catch (const pg::Error &error) {
        if (m_writer->inTransaction()) {
            try {
                m_writer->exec("ROLLBACK");
            } catch (const pg::Error &) {
            }
        }
        rethrow(error);
    }
}

void PostgresStore::upgrade(const std::function<void(const QString &)> &note)
{
    try {
        upgradePostgresAccount(*m_writer, accountSchemaVersion(), postgresMigrations(), note);
    } catch (const pg::Error &error) {
        throw std::runtime_error(std::string("it is no account set this server made: ") +
                                 error.what());
    }
}

} // namespace server
