// Helpers of the account-set database tests; see accountdbtestutil.h.
#include "accountdbtestutil.h"

#include <QFile>
#include <QTextStream>

namespace dbtest {

int64_t integer(sql::Database &db, const std::string &sqlText)
{
    sql::Statement statement = db.prepare(sqlText);
    return statement.step() ? statement.columnInt(0) : 0;
}

double real(sql::Database &db, const std::string &sqlText)
{
    sql::Statement statement = db.prepare(sqlText);
    return statement.step() ? statement.columnDouble(0) : 0.0;
}

std::string text(sql::Database &db, const std::string &sqlText)
{
    sql::Statement statement = db.prepare(sqlText);
    return statement.step() ? statement.columnText(0) : std::string();
}

std::vector<std::string> rows(sql::Database &db, const std::string &sqlText)
{
    std::vector<std::string> result;
    sql::Statement statement = db.prepare(sqlText);
    while (statement.step()) {
        std::string row;
        for (int c = 0; c < statement.columnCount(); ++c)
            row += (c ? "|" : "") + statement.columnText(c);
        result.push_back(row);
    }
    return result;
}

std::vector<std::string> tables(sql::Database &db)
{
    return rows(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE "
                    "'sqlite%' ORDER BY name");
}

std::vector<Column> columns(sql::Database &db, const std::string &table)
{
    std::vector<Column> result;
    sql::Statement info = db.prepare("PRAGMA table_xinfo(\"" + table + "\")");
    while (info.step()) {
        Column column;
        column.name = info.columnText(1);
        column.declaredType = QString::fromStdString(info.columnText(2)).toUpper().toStdString();
        column.notNull = info.columnInt(3) != 0;
        column.defaultValue = info.columnText(4);
        column.primaryKey = info.columnInt(5) != 0;
        const char *type = nullptr;
        const char *collation = nullptr;
        int notNull = 0;
        int primaryKey = 0;
        int autoIncrement = 0;
        if (sqlite3_table_column_metadata(db.handle(), nullptr, table.c_str(), column.name.c_str(),
                                          &type, &collation, &notNull, &primaryKey,
                                          &autoIncrement) == SQLITE_OK &&
            collation) {
            column.collation = QString::fromUtf8(collation).toUpper().toStdString();
        }
        result.push_back(column);
    }
    return result;
}

bool hasColumn(sql::Database &db, const std::string &table, const std::string &column)
{
    sql::Statement info = db.prepare("PRAGMA table_xinfo(\"" + table + "\")");
    while (info.step()) {
        if (QString::fromStdString(info.columnText(1))
                .compare(QString::fromStdString(column), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool hasTableOrView(sql::Database &db, const std::string &name)
{
    sql::Statement find = db.prepare("SELECT 1 FROM sqlite_master WHERE type IN ('table', "
                                     "'view') AND name = ? COLLATE NOCASE");
    find.bind(1, std::string_view(name));
    return find.step();
}

std::vector<Requirement> readRequirements(const QString &path)
{
    std::vector<Requirement> result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return result;
    QTextStream in(&file);
    int number = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++number;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        Requirement requirement;
        requirement.line = number;
        requirement.absent = line.startsWith(QLatin1Char('!'));
        const QStringList words =
            line.mid(requirement.absent ? 1 : 0).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        requirement.table = words.front().toStdString();
        for (qsizetype i = 1; i < words.size(); ++i)
            requirement.columns.push_back(words[i].toStdString());
        result.push_back(requirement);
    }
    return result;
}

const std::vector<DocumentKind> &documentKinds()
{
    static const std::vector<DocumentKind> kinds = {
        {"CQ", "CGSQZB", "CGSQ"}, {"CD", "CGDDZB", "CGDD"},     {"CS", "CGSHZB", "CGSH"},
        {"CT", "CGTHZB", "CGTH"}, {"XD", "XSDDZB", "XSDD"},     {"XS", "XSKDZB", "XSKD"},
        {"XT", "XSTHZB", "XSTH"}, {"XK", "XSSKZB", "XSSK"},     {"CK", "CGFKZB", "CGFK"},
        {"LL", "LLZB", "LL"},     {"TL", "TLZB", "TL"},         {"DB", "CKDBZB", "CKDB"},
        {"PD", "KCPDZB", "KCPD"}, {"QB", "QTKCBDZB", "QTKCBD"}, {"CP", "CPJCZB", "CPJC"},
        {"KZ", "FYKZZB", "FYKZ"}, {"SR", "QTSRZB", "QTSR"},
    };
    return kinds;
}

} // namespace dbtest
