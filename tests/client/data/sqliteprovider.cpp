// In-process SQLite provider for the dataset tests and benchmarks.
#include "sqliteprovider.h"

#include "client/data/deltachanges.h"

#include "server/apply.h"
#include "server/requesterror.h"
#include "server/schema.h"

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>

namespace {

QString tableOf(const QString &providerName)
{
    return providerName.startsWith(u'p') ? providerName.mid(1) : providerName;
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

} // namespace

struct SqliteProvider::Cursor
{
    sql::Statement stmt;
    QList<TFieldDef> defs;
    bool hasRow = false; // a row has been stepped to and not yet written
};

SqliteProvider::~SqliteProvider() = default;

TProviderCursor SqliteProvider::OpenProvider(const QString &providerName,
                                             const QString &commandText, int)
{
    const QString text = commandText.trimmed().isEmpty()
                             ? QStringLiteral("select * from ") +
                                   QString::fromUtf8(server::quotedName(tableOf(providerName)))
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
    try {
        server::ChangeApplier applier(
            m_db.handle(), server::loadTableSchema(m_db.handle(), tableOf(providerName)));
        const server::ApplyOutcome outcome = applier.apply(WireChanges(delta), maxErrors);
        return ApplyResultOf(outcome.rolledBack, outcome.errors, delta);
    } catch (const server::RequestError &e) {
        throw EDatabaseError(e.message());
    }
}
