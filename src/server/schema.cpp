// Columns and keys of tables and field definitions of queries, read from the database.
#include "server/schema.h"

#include "server/requesterror.h"
#include "sql/database.h"
#include "sql/emitter.h"

#include <algorithm>

#include "wire/protocol.h"

namespace server {

int TableSchema::indexOf(const QString &column) const
{
    return positions.value(column.toLower(), -1);
}

QByteArray quotedName(const QString &name)
{
    return QByteArray::fromStdString(sql::quoteSqliteIdentifier(name.toStdString()));
}

QString findTable(sqlite3 *db, const QString &name)
{
    sqlite3_stmt *stmt = nullptr;
    static constexpr char query[] = "SELECT name FROM sqlite_master WHERE type IN "
                                    "('table','view') AND name = ?1 COLLATE NOCASE";
    if (sqlite3_prepare_v2(db, query, -1, &stmt, nullptr) != SQLITE_OK)
        return {};
    const QByteArray utf8 = name.toUtf8();
    sqlite3_bind_text(stmt, 1, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
    QString found;
    if (sqlite3_step(stmt) == SQLITE_ROW)
        found = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    return found;
}

namespace {

// Marks the columns a unique index of one column (not partial, not on an expression) covers.
void markUniqueColumns(sqlite3 *db, TableSchema &schema)
{
    sqlite3_stmt *list = nullptr;
    const QByteArray pragma = "PRAGMA index_list(" + quotedName(schema.name) + ")";
    if (sqlite3_prepare_v2(db, pragma.constData(), -1, &list, nullptr) != SQLITE_OK)
        return;
    QList<QByteArray> indexes;
    while (sqlite3_step(list) == SQLITE_ROW) {
        // seq, name, unique, origin, partial
        if (sqlite3_column_int(list, 2) != 0 && sqlite3_column_int(list, 4) == 0)
            indexes.append(reinterpret_cast<const char *>(sqlite3_column_text(list, 1)));
    }
    sqlite3_finalize(list);
    for (const QByteArray &index : std::as_const(indexes)) {
        sqlite3_stmt *info = nullptr;
        const QByteArray infoPragma =
            "PRAGMA index_info(" + quotedName(QString::fromUtf8(index)) + ")";
        if (sqlite3_prepare_v2(db, infoPragma.constData(), -1, &info, nullptr) != SQLITE_OK)
            continue;
        int columns = 0;
        int column = -1;
        while (sqlite3_step(info) == SQLITE_ROW) {
            ++columns;
            column = sqlite3_column_int(info, 1); // -2 for an expression
        }
        sqlite3_finalize(info);
        if (columns == 1 && column >= 0 && column < schema.columns.size())
            schema.columns[column].unique = true;
    }
}

} // namespace

TableSchema loadTableSchema(sqlite3 *db, const QString &table)
{
    const QString stored = findTable(db, table);
    if (stored.isEmpty())
        throw RequestError(wire::code::Sql,
                           QStringLiteral("the account set has no table \"%1\"").arg(table));
    TableSchema schema;
    schema.name = stored;
    sqlite3_stmt *stmt = nullptr;
    const QByteArray pragma = "PRAGMA table_info(" + quotedName(stored) + ")";
    if (sqlite3_prepare_v2(db, pragma.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw RequestError(wire::code::Sql, QString::fromUtf8(sqlite3_errmsg(db)));
    QList<std::pair<int, int>> keyOrder; // (position in key, column)
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        TableColumn column;
        column.name =
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 1)));
        const auto *decl = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 2));
        column.declared = parseDeclaredType(decl ? decl : "");
        column.notNull = sqlite3_column_int(stmt, 3) != 0;
        column.hasDefault = sqlite3_column_type(stmt, 4) != SQLITE_NULL;
        const int pk = sqlite3_column_int(stmt, 5);
        column.primaryKey = pk > 0;
        if (pk > 0)
            keyOrder.append({pk, int(schema.columns.size())});
        schema.positions.insert(column.name.toLower(), int(schema.columns.size()));
        schema.columns.append(column);
    }
    sqlite3_finalize(stmt);
    std::sort(keyOrder.begin(), keyOrder.end());
    for (const auto &entry : keyOrder)
        schema.keyColumns.append(entry.second);
    if (schema.keyColumns.size() == 1)
        schema.columns[schema.keyColumns.first()].unique = true;
    markUniqueColumns(db, schema);
    return schema;
}

SchemaCache::SchemaCache(sqlite3 *db)
    : m_db(db)
{
    if (sqlite3_prepare_v3(db, "PRAGMA schema_version", -1, SQLITE_PREPARE_PERSISTENT, &m_version,
                           nullptr) != SQLITE_OK)
        m_version = nullptr; // every call then reads the catalogue afresh
}

SchemaCache::~SchemaCache()
{
    sqlite3_finalize(m_version);
}

void SchemaCache::revalidate()
{
    qint64 version = -1;
    if (m_version) {
        if (sqlite3_step(m_version) == SQLITE_ROW)
            version = sqlite3_column_int64(m_version, 0);
        sqlite3_reset(m_version);
    }
    if (version < 0 || version != m_schemaVersion) {
        m_names.clear();
        m_schemas.clear();
        m_schemaVersion = version;
    }
}

QString SchemaCache::findTable(const QString &name)
{
    revalidate();
    const QString key = name.toCaseFolded();
    const auto known = m_names.constFind(key);
    if (known != m_names.constEnd())
        return *known;
    const QString stored = server::findTable(m_db, name);
    if (m_schemaVersion >= 0)
        m_names.insert(key, stored);
    return stored;
}

TableSchema SchemaCache::tableSchema(const QString &table)
{
    revalidate();
    const QString key = table.toCaseFolded();
    const auto known = m_schemas.constFind(key);
    if (known != m_schemas.constEnd())
        return *known;
    TableSchema schema = loadTableSchema(m_db, table);
    if (m_schemaVersion >= 0)
        m_schemas.insert(key, schema);
    return schema;
}

wire::ValueType toWireType(sql::ValueType type)
{
    switch (type) {
    case sql::ValueType::Integer:
        return wire::ValueType::Integer;
    case sql::ValueType::Float:
        return wire::ValueType::Float;
    case sql::ValueType::Text:
        return wire::ValueType::Text;
    case sql::ValueType::Date:
        return wire::ValueType::Date;
    case sql::ValueType::DateTime:
        return wire::ValueType::DateTime;
    case sql::ValueType::Boolean:
        return wire::ValueType::Boolean;
    case sql::ValueType::Blob:
        return wire::ValueType::Blob;
    case sql::ValueType::Unknown:
        break;
    }
    return wire::ValueType::Unknown;
}

namespace {

bool isUniqueColumn(SchemaCache *schema, const QString &table, const QString &column)
{
    if (!schema || table.isEmpty())
        return false;
    try {
        const TableSchema columns = schema->tableSchema(table);
        const int at = columns.indexOf(column);
        return at >= 0 && columns.columns[at].unique;
    } catch (const RequestError &) {
        return false; // a view's column, say: nothing to tell
    }
}

} // namespace

QList<wire::Field> describeResult(sqlite3_stmt *stmt, const sql::Translation *translation,
                                  SchemaCache *schema)
{
    sqlite3 *db = sqlite3_db_handle(stmt);
    const int count = sqlite3_column_count(stmt);
    const bool typed = translation && translation->columns.size() == size_t(count);
    QList<wire::Field> fields;
    fields.reserve(count);
    for (int i = 0; i < count; ++i) {
        wire::Field field;
        field.name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        const char *table = sqlite3_column_table_name(stmt, i);
        const char *origin = sqlite3_column_origin_name(stmt, i);
        if (table && origin) {
            field.table = QString::fromUtf8(table);
            field.column = QString::fromUtf8(origin);
            const char *declType = nullptr;
            int notNull = 0, primaryKey = 0;
            if (sqlite3_table_column_metadata(db, sqlite3_column_database_name(stmt, i), table,
                                              origin, &declType, nullptr, &notNull, &primaryKey,
                                              nullptr) == SQLITE_OK) {
                field.key = primaryKey != 0;
                field.notNull = notNull != 0;
            }
        } else {
            field.readOnly = true;
        }
        const char *decl = sqlite3_column_decltype(stmt, i);
        const DeclaredType declared = parseDeclaredType(decl ? decl : "");
        field.type = declared.type;
        field.size = declared.size;
        if (typed) {
            const sql::ColumnInfo &info = translation->columns[size_t(i)];
            if (info.type != sql::ValueType::Unknown)
                field.type = toWireType(info.type);
            if (info.size > 0)
                field.size = info.size;
            if (field.table.isEmpty() && !info.table.empty()) {
                field.table = QString::fromStdString(info.table);
                field.column = QString::fromStdString(info.baseColumn);
                field.key = info.primaryKey;
                field.notNull = info.notNull;
                field.readOnly = false;
            }
        }
        field.unique = isUniqueColumn(schema, field.table, field.column);
        fields.append(field);
    }
    return fields;
}

void refineUnknownType(wire::Field &field, sqlite3_stmt *stmt, int column)
{
    if (field.type != wire::ValueType::Unknown)
        return;
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        field.type = wire::ValueType::Integer;
        break;
    case SQLITE_FLOAT:
        field.type = wire::ValueType::Float;
        break;
    case SQLITE_TEXT:
        field.type = wire::ValueType::Text;
        break;
    case SQLITE_BLOB:
        field.type = wire::ValueType::Blob;
        break;
    default:
        break;
    }
}

} // namespace server
