// What the server learns about columns from the database itself: the columns and key of a
// table (for applying changes) and the field definitions of a query's result.
#pragma once

#include "server/storage.h"
#include "sql/translator.h"
#include "wire/protocol.h"

#include <QHash>
#include <QList>
#include <QString>

#include <sqlite3.h>

namespace server {

struct TableColumn
{
    QString name;
    QString storedName; // the engine's own name when it differs (PostgreSQL folds case)
    DeclaredType declared;
    bool notNull = false;
    bool hasDefault = false;
    bool primaryKey = false;
    bool unique = false; // alone a key: the one-column primary key or a one-column unique index
};

struct TableSchema
{
    QString name;
    QString storedName; // the engine's own name when it differs (PostgreSQL folds case)
    QList<TableColumn> columns;
    QList<int> keyColumns; // primary-key columns in key order

    // Position of a column matched without regard to case, or -1.
    int indexOf(const QString &column) const;

    QHash<QString, int> positions; // lower-case name -> column
};

// A table or column name as an SQLite identifier, ready to go into a statement.
QByteArray quotedName(const QString &name);

// The stored name of a table or view matched without regard to case; empty when none.
QString findTable(sqlite3 *db, const QString &name);

// Reads a table's columns; throws RequestError when there is no such table.
TableSchema loadTableSchema(sqlite3 *db, const QString &table);

// Table names and columns of one connection's database, read again only after the schema
// changed: every query asks which table its rows would update and every apply needs the
// table's columns, and reading them from the catalogue costs more than most requests do.
class SchemaCache
{
public:
    explicit SchemaCache(sqlite3 *db);
    ~SchemaCache();
    SchemaCache(const SchemaCache &) = delete;
    SchemaCache &operator=(const SchemaCache &) = delete;

    // As the free functions of the same names.
    QString findTable(const QString &name);
    TableSchema tableSchema(const QString &table);

private:
    // Forgets everything once the database's schema version moved.
    void revalidate();

    sqlite3 *m_db;
    sqlite3_stmt *m_version = nullptr;
    qint64 m_schemaVersion = -1;
    QHash<QString, QString> m_names;       // case-folded name -> stored name, or empty
    QHash<QString, TableSchema> m_schemas; // case-folded name -> columns
};

// The field definitions of a prepared statement's result. Types come from the translation
// where it typed a column and from the declared type of the base column otherwise;
// columns that are neither stay Unknown until values are seen (see refineUnknownType).
// With a schema cache, plain table columns also say whether they are unique.
QList<wire::Field> describeResult(sqlite3_stmt *stmt, const sql::Translation *translation,
                                  SchemaCache *schema = nullptr);

// Settles an Unknown column's type from a stored value's class.
void refineUnknownType(wire::Field &field, sqlite3_stmt *stmt, int column);

wire::ValueType toWireType(sql::ValueType type);

} // namespace server
