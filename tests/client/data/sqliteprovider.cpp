// In-process SQLite provider for the dataset tests and benchmarks.
#include "sqliteprovider.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QStringList>

#include <optional>

namespace {

QString tableOf(const QString &providerName)
{
    return providerName.startsWith(u'p') ? providerName.mid(1) : providerName;
}

QString quoteName(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// Field type and size from a declared column type.
TFieldDef defFromDecl(const QString &name, const QString &declared, int sqliteType)
{
    TFieldDef def;
    def.Name = name;
    const QString decl = declared.toUpper();
    static const QRegularExpression sizePattern(QStringLiteral("\\((\\d+)(?:\\s*,\\s*(\\d+))?\\)"));
    const auto sizeMatch = sizePattern.match(decl);
    if (decl.isEmpty()) {
        switch (sqliteType) {
        case SQLITE_INTEGER:
            def.DataType = ftInteger;
            break;
        case SQLITE_FLOAT:
            def.DataType = ftFloat;
            break;
        case SQLITE_BLOB:
            def.DataType = ftBlob;
            break;
        default:
            def.DataType = ftWideString;
            def.Size = 255;
            break;
        }
    } else if (decl.contains(u"BOOL") || decl == u"BIT") {
        def.DataType = ftBoolean;
    } else if (decl.contains(u"BIGINT")) {
        def.DataType = ftLargeint;
    } else if (decl.contains(u"INT")) {
        def.DataType = ftInteger;
    } else if (decl.contains(u"DATETIME") || decl.contains(u"TIMESTAMP")) {
        def.DataType = ftDateTime;
    } else if (decl.contains(u"DATE")) {
        def.DataType = ftDate;
    } else if (decl.contains(u"DECIMAL") || decl.contains(u"NUMERIC")) {
        def.DataType = ftBCD;
        def.Size = sizeMatch.hasMatch() && !sizeMatch.captured(2).isEmpty()
                       ? sizeMatch.captured(2).toInt()
                       : 2;
    } else if (decl.contains(u"MONEY") || decl.contains(u"CURRENCY")) {
        def.DataType = ftCurrency;
    } else if (decl.contains(u"REAL") || decl.contains(u"FLOA") || decl.contains(u"DOUB")) {
        def.DataType = ftFloat;
    } else if (decl.contains(u"MEMO")) {
        def.DataType = ftWideMemo;
    } else if (decl.contains(u"BLOB")) {
        def.DataType = ftBlob;
    } else {
        def.DataType = ftWideString;
        def.Size = sizeMatch.hasMatch() ? sizeMatch.captured(1).toInt() : 255;
    }
    return def;
}

void bindValue(sql::Statement &stmt, int index, const QVariant &value)
{
    if (!value.isValid() || value.isNull()) {
        stmt.bindNull(index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Bool:
        stmt.bind(index, int64_t(value.toLongLong()));
        break;
    case QMetaType::Double:
        stmt.bind(index, value.toDouble());
        break;
    case QMetaType::QDate:
        stmt.bind(index, value.toDate().toString(Qt::ISODate).toStdString());
        break;
    case QMetaType::QDateTime:
        stmt.bind(index,
                  value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        stmt.bindBlob(index, bytes.constData(), int(bytes.size()));
        break;
    }
    default:
        stmt.bind(index, value.toString().toStdString());
        break;
    }
}

QVariant columnValue(const sql::Statement &stmt, int column, TFieldType type)
{
    if (stmt.isNull(column))
        return QVariant();
    switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftAutoInc:
    case ftLargeint:
        return qint64(stmt.columnInt(column));
    case ftBoolean:
        return stmt.columnInt(column) != 0;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        return stmt.columnDouble(column);
    case ftDate:
        return QDate::fromString(QString::fromStdString(stmt.columnText(column)).left(10),
                                 Qt::ISODate);
    case ftDateTime:
        return QDateTime::fromString(QString::fromStdString(stmt.columnText(column)).left(19),
                                     QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case ftBlob:
    case ftGraphic:
        return QByteArray(
            reinterpret_cast<const char *>(sqlite3_column_blob(stmt.handle(), column)),
            sqlite3_column_bytes(stmt.handle(), column));
    default:
        return QString::fromStdString(stmt.columnText(column));
    }
}

QString errorCode(const sql::Error &e)
{
    const int code = e.code();
    if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY)
        return QStringLiteral("unique");
    if ((code & 0xff) == SQLITE_CONSTRAINT)
        return QStringLiteral("constraint");
    return QStringLiteral("sql");
}

} // namespace

struct SqliteProvider::Cursor
{
    sql::Statement stmt;
    QList<TFieldDef> defs;
    bool hasRow = false; // a row has been stepped to and not yet written
};

SqliteProvider::~SqliteProvider() = default;

// Statements of an apply are prepared once per text and reused.
sql::Statement &SqliteProvider::statement(const QString &text)
{
    auto it = m_statements.find(text);
    if (it == m_statements.end())
        it = m_statements.insert(
            text, std::make_shared<sql::Statement>(m_db.prepare(text.toStdString())));
    sql::Statement &stmt = *it.value();
    stmt.reset();
    return stmt;
}

TProviderCursor SqliteProvider::OpenProvider(const QString &providerName,
                                             const QString &commandText, int)
{
    const QString text = commandText.trimmed().isEmpty()
                             ? QStringLiteral("select * from ") + quoteName(tableOf(providerName))
                             : commandText;
    auto cursor = std::make_shared<Cursor>();
    try {
        cursor->stmt = m_db.prepare(text.toStdString());
        cursor->hasRow = cursor->stmt.step();
    } catch (const sql::Error &e) {
        throw EDatabaseError(QString::fromStdString(e.what()));
    }
    sqlite3_stmt *stmt = cursor->stmt.handle();
    for (int i = 0; i < cursor->stmt.columnCount(); ++i) {
        const char *decl = sqlite3_column_decltype(stmt, i);
        TFieldDef def = defFromDecl(QString::fromStdString(cursor->stmt.columnName(i)),
                                    QString::fromUtf8(decl ? decl : ""),
                                    cursor->hasRow ? cursor->stmt.columnType(i) : SQLITE_TEXT);
        const char *table = sqlite3_column_table_name(stmt, i);
        const char *origin = sqlite3_column_origin_name(stmt, i);
        if (table && origin) {
            def.Origin = QString::fromUtf8(table) + u'.' + QString::fromUtf8(origin);
            int primaryKey = 0;
            if (sqlite3_table_column_metadata(m_db.handle(), nullptr, table, origin, nullptr,
                                              nullptr, nullptr, &primaryKey,
                                              nullptr) == SQLITE_OK &&
                primaryKey)
                def.ProviderFlags |= pfInKey;
        } else {
            def.ReadOnly = false;
            def.ProviderFlags = {};
        }
        cursor->defs.append(def);
    }
    const qint64 handle = m_nextHandle++;
    m_cursors.insert(handle, cursor);
    return TProviderCursor{cursor->defs, handle};
}

bool SqliteProvider::FetchPacket(qint64 handle, int count, TPacketWriter &rows)
{
    ++m_fetchCalls;
    const auto it = m_cursors.find(handle);
    if (it == m_cursors.end())
        throw EDatabaseError(QStringLiteral("No such cursor"));
    Cursor &cursor = *it.value();
    sql::Statement &stmt = cursor.stmt;
    int written = 0;
    try {
        while (cursor.hasRow && (count < 0 || written < count)) {
            rows.BeginRow();
            for (int i = 0; i < cursor.defs.size(); ++i) {
                if (stmt.isNull(i)) {
                    rows.SetNull(i);
                    continue;
                }
                switch (cursor.defs[i].DataType) {
                case ftSmallint:
                case ftInteger:
                case ftAutoInc:
                case ftLargeint:
                case ftBoolean:
                    rows.SetInteger(i, stmt.columnInt(i));
                    break;
                case ftFloat:
                case ftCurrency:
                case ftBCD:
                    rows.SetFloat(i, stmt.columnDouble(i));
                    break;
                case ftBlob:
                case ftGraphic:
                    rows.SetBlob(i, columnValue(stmt, i, ftBlob).toByteArray());
                    break;
                case ftDate:
                case ftDateTime:
                    rows.SetValue(i, columnValue(stmt, i, cursor.defs[i].DataType));
                    break;
                default: {
                    const auto *text =
                        reinterpret_cast<const char *>(sqlite3_column_text(stmt.handle(), i));
                    rows.SetUtf8(i, text, sqlite3_column_bytes(stmt.handle(), i));
                    break;
                }
                }
            }
            rows.EndRow();
            ++written;
            cursor.hasRow = stmt.step();
        }
    } catch (const sql::Error &e) {
        m_cursors.erase(it);
        throw EDatabaseError(QString::fromStdString(e.what()));
    }
    if (!cursor.hasRow) {
        m_cursors.erase(it);
        return false;
    }
    return true;
}

void SqliteProvider::CloseCursor(qint64 handle)
{
    m_cursors.remove(handle);
}

int SqliteProvider::ExecuteCommand(const QString &, const QString &commandText)
{
    try {
        m_db.exec(commandText.toStdString());
    } catch (const sql::Error &e) {
        throw EDatabaseError(QString::fromStdString(e.what()));
    }
    return m_db.changes();
}

TApplyResult SqliteProvider::ApplyUpdates(const QString &providerName, const QString &,
                                          int maxErrors, const TDelta &delta)
{
    ++m_applyCalls;
    const QString table = tableOf(providerName);
    // Columns of the table: the others (joined or computed) are left out.
    QStringList tableColumns;
    {
        sql::Statement info = m_db.prepare(
            (QStringLiteral("pragma table_info(") + quoteName(table) + u')').toStdString());
        while (info.step())
            tableColumns.append(QString::fromStdString(info.columnText(1)).toUpper());
    }
    if (tableColumns.isEmpty())
        throw EDatabaseError(QStringLiteral("Table %1 does not exist").arg(table));
    QList<int> columns; // delta positions that exist in the table
    QList<int> keys;
    for (int i = 0; i < delta.FieldDefs.size(); ++i) {
        const TFieldDef &def = delta.FieldDefs[i];
        if (!tableColumns.contains(def.Name.toUpper()))
            continue;
        columns.append(i);
        if (def.ProviderFlags & pfInKey)
            keys.append(i);
    }
    if (keys.isEmpty()) {
        for (int i : columns) {
            if (delta.FieldDefs[i].Name.compare(u"ID", Qt::CaseInsensitive) == 0)
                keys.append(i);
        }
    }

    auto currentRow = [&](const QVariantList &keyRow) -> std::optional<QVariantList> {
        QStringList names, where;
        for (const TFieldDef &def : delta.FieldDefs)
            names.append(tableColumns.contains(def.Name.toUpper()) ? quoteName(def.Name)
                                                                   : QStringLiteral("null"));
        for (int k : keys)
            where.append(quoteName(delta.FieldDefs[k].Name) + QStringLiteral(" = ?"));
        sql::Statement select =
            m_db.prepare((QStringLiteral("select ") + names.join(u',') + QStringLiteral(" from ") +
                          quoteName(table) + QStringLiteral(" where ") + where.join(u" and "))
                             .toStdString());
        int index = 1;
        for (int k : keys)
            bindValue(select, index++, keyRow.value(k));
        if (!select.step())
            return std::nullopt;
        QVariantList values;
        for (int i = 0; i < delta.FieldDefs.size(); ++i)
            values.append(columnValue(select, i, delta.FieldDefs[i].DataType));
        return values;
    };

    TApplyResult result;
    m_db.exec("begin");
    for (int r = 0; r < delta.Rows.size(); ++r) {
        const TDeltaRow &row = delta.Rows[r];
        TUpdateError error;
        error.RowIndex = r;
        try {
            if (row.UpdateKind == ukInsert) {
                QStringList names, marks;
                QVariantList values;
                for (int i : columns) {
                    if (!row.NewValues.value(i).isValid())
                        continue;
                    names.append(quoteName(delta.FieldDefs[i].Name));
                    marks.append(QStringLiteral("?"));
                    values.append(row.NewValues.value(i));
                }
                sql::Statement &insert = statement(
                    QStringLiteral("insert into ") + quoteName(table) + u'(' + names.join(u',') +
                    QStringLiteral(") values (") + marks.join(u',') + u')');
                for (int i = 0; i < values.size(); ++i)
                    bindValue(insert, i + 1, values[i]);
                insert.step();
                continue;
            }
            QStringList sets, where;
            QVariantList setValues, whereValues;
            for (int k : keys) {
                where.append(quoteName(delta.FieldDefs[k].Name) + QStringLiteral(" is ?"));
                whereValues.append(row.OldValues.value(k));
            }
            if (row.UpdateKind == ukModify) {
                for (int i : columns) {
                    if (!row.Changed.value(i))
                        continue;
                    sets.append(quoteName(delta.FieldDefs[i].Name) + QStringLiteral(" = ?"));
                    setValues.append(row.NewValues.value(i));
                    if (!keys.contains(i)) {
                        where.append(quoteName(delta.FieldDefs[i].Name) + QStringLiteral(" is ?"));
                        whereValues.append(row.OldValues.value(i));
                    }
                }
                if (sets.isEmpty())
                    continue;
            }
            const QString text = row.UpdateKind == ukModify
                                     ? QStringLiteral("update ") + quoteName(table) +
                                           QStringLiteral(" set ") + sets.join(u',') +
                                           QStringLiteral(" where ") + where.join(u" and ")
                                     : QStringLiteral("delete from ") + quoteName(table) +
                                           QStringLiteral(" where ") + where.join(u" and ");
            sql::Statement &change = statement(text);
            int index = 1;
            for (const QVariant &v : setValues)
                bindValue(change, index++, v);
            for (const QVariant &v : whereValues)
                bindValue(change, index++, v);
            change.step();
            if (m_db.changes() == 0) {
                const auto current = currentRow(row.OldValues);
                if (current) {
                    error.ErrorCode = QStringLiteral("conflict");
                    error.Message = QStringLiteral("Record changed by another user");
                    error.CurValues = *current;
                } else {
                    error.ErrorCode = QStringLiteral("notFound");
                    error.Message = QStringLiteral("Record not found or changed by another user");
                }
                result.Errors.append(error);
            }
        } catch (const sql::Error &e) {
            error.ErrorCode = errorCode(e);
            error.Message = QString::fromStdString(e.what());
            if (row.UpdateKind != ukInsert) {
                if (const auto current = currentRow(row.OldValues))
                    error.CurValues = *current;
            }
            result.Errors.append(error);
        }
        if (maxErrors >= 0 && result.Errors.size() > maxErrors) {
            m_db.exec("rollback");
            result.RolledBack = true;
            return result;
        }
    }
    m_db.exec("commit");
    return result;
}
