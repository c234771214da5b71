// Creation and migration of account-set databases from the SQL files compiled into the
// server (db/migrations, one numbered file per schema version).
#include "server/accountdb.h"

#include "auth/passwordhash.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace server {

namespace {

struct Migration
{
    int version = 0;
    QString name;
    QByteArray sql;
};

// The migrations in version order, checked once: numbered 1, 2, 3 ... without gaps.
const std::vector<Migration> &migrations()
{
    static const std::vector<Migration> list = [] {
        std::vector<Migration> result;
        const QDir dir(QStringLiteral(":/accountdb/migrations"));
        const QRegularExpression pattern(QStringLiteral("^(\\d+)_.*\\.sql$"));
        for (const QString &file : dir.entryList(QDir::Files, QDir::Name)) {
            const QRegularExpressionMatch match = pattern.match(file);
            if (!match.hasMatch())
                continue;
            QFile f(dir.filePath(file));
            if (!f.open(QIODevice::ReadOnly))
                throw sql::Error("cannot read the schema migration " + file.toStdString());
            result.push_back({match.captured(1).toInt(), file, f.readAll()});
        }
        std::sort(result.begin(), result.end(),
                  [](const Migration &a, const Migration &b) { return a.version < b.version; });
        for (size_t i = 0; i < result.size(); ++i) {
            if (result[i].version != int(i) + 1)
                throw sql::Error("the schema migrations are not numbered 1, 2, 3 ...: " +
                                 result[i].name.toStdString());
        }
        if (result.empty())
            throw sql::Error("no schema migrations are compiled into this program");
        return result;
    }();
    return list;
}

// A unique index, as a migration declares it: name, table and its column list.
const QRegularExpression &uniqueIndexPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*CREATE\\s+UNIQUE\\s+INDEX\\s+(?:IF\\s+NOT\\s+EXISTS\\s+)?(\\w+)"
                       "\\s+ON\\s+(\\w+)\\s*\\((.*)\\)\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return pattern;
}

// The rows keep a unique index from being made: it is made without UNIQUE instead, so that
// lookups stay fast, and each duplicate goes into KeyDuplicates and to the caller's notes.
void makeIndexWithoutKey(sql::Database &db, const QRegularExpressionMatch &index,
                         const MigrationNote &note)
{
    const std::string name = index.captured(1).toStdString();
    const std::string table = index.captured(2).toStdString();
    const std::string columns = index.captured(3).toStdString();
    sql::Statement duplicates =
        db.prepare("SELECT " + columns + ", count(*) FROM " + table + " GROUP BY " + columns +
                   " HAVING count(*) > 1 ORDER BY 1");
    sql::Statement record =
        db.prepare("INSERT INTO KeyDuplicates (TableName, KeyName, Code, Rows, Noted) "
                   "VALUES (?, ?, ?, ?, datetime('now', 'localtime'))");
    const int width = sqlite3_column_count(duplicates.handle()) - 1;
    QStringList codes;
    while (duplicates.step()) {
        QStringList parts;
        for (int c = 0; c < width; ++c)
            parts.append(QString::fromStdString(duplicates.columnText(c)));
        const QString code = parts.join(QStringLiteral(", "));
        const int64_t count = duplicates.columnInt(width);
        record.reset();
        record.bind(1, table);
        record.bind(2, name);
        record.bind(3, code.toStdString());
        record.bind(4, count);
        record.step();
        codes.append(QStringLiteral("'%1' (%2 rows)").arg(code).arg(qint64(count)));
    }
    QString statement = index.captured(0);
    statement.replace(QRegularExpression(QStringLiteral("\\bUNIQUE\\s+"),
                                         QRegularExpression::CaseInsensitiveOption),
                      QString());
    db.exec(statement.toStdString());
    if (!note)
        return;
    constexpr qsizetype Shown = 20;
    QString shown = QStringList(codes.mid(0, Shown)).join(QStringLiteral(", "));
    if (codes.size() > Shown)
        shown += QStringLiteral(" and %1 more (table KeyDuplicates lists them all)")
                     .arg(codes.size() - Shown);
    note(QStringLiteral("table %1 holds duplicate values of %2, so %3 is no unique key there: %4")
             .arg(QString::fromStdString(table), index.captured(3).trimmed(),
                  QString::fromStdString(name), shown));
}

// Runs a migration's statements one by one; see makeIndexWithoutKey for the one failure that
// does not stop it.
void runMigration(sql::Database &db, const Migration &migration, const MigrationNote &note)
{
    const QByteArray &text = migration.sql;
    const char *next = text.constData();
    const char *end = next + text.size();
    while (next < end) {
        sqlite3_stmt *raw = nullptr;
        const char *tail = nullptr;
        int rc = sqlite3_prepare_v2(db.handle(), next, int(end - next), &raw, &tail);
        if (rc != SQLITE_OK)
            throw sql::Error(sqlite3_errmsg(db.handle()), rc);
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> stmt(raw, sqlite3_finalize);
        const QString statement = QString::fromUtf8(next, tail - next);
        next = tail;
        if (!raw)
            continue; // blanks and comments
        while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        }
        if (rc == SQLITE_DONE)
            continue;
        const QRegularExpressionMatch index = uniqueIndexPattern().match(statement);
        if (sqlite3_extended_errcode(db.handle()) == SQLITE_CONSTRAINT_UNIQUE && index.hasMatch())
            makeIndexWithoutKey(db, index, note);
        else
            throw sql::Error(sqlite3_errmsg(db.handle()), rc);
    }
}

// vz_password_hash(text): the stored form of a clear password, for the migration that hashes
// the passwords of older sets. Registered only while migrations run.
class PasswordHashFunction
{
public:
    explicit PasswordHashFunction(sqlite3 *db)
        : m_db(db)
    {
        sqlite3_create_function(db, "vz_password_hash", 1, SQLITE_UTF8, nullptr, &hash, nullptr,
                                nullptr);
    }
    ~PasswordHashFunction()
    {
        sqlite3_create_function(m_db, "vz_password_hash", 1, SQLITE_UTF8, nullptr, nullptr, nullptr,
                                nullptr);
    }
    PasswordHashFunction(const PasswordHashFunction &) = delete;
    PasswordHashFunction &operator=(const PasswordHashFunction &) = delete;

private:
    static void hash(sqlite3_context *context, int, sqlite3_value **argv)
    {
        const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
        try {
            const QByteArray stored =
                auth::hashPassword(QString::fromUtf8(text ? text : "")).toUtf8();
            sqlite3_result_text(context, stored.constData(), int(stored.size()), SQLITE_TRANSIENT);
        } catch (const std::exception &e) {
            sqlite3_result_error(context, e.what(), -1);
        }
    }
    sqlite3 *m_db;
};

void report(const AccountDbOptions &options, const QString &stage)
{
    if (options.progress)
        options.progress(stage);
}

// Removes a half-built file and the journal files SQLite may have left beside it.
void removeDatabaseFiles(const QString &path)
{
    for (const char *suffix : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
}

// The build writes without syncing; the finished file and its folder entry are flushed to
// the disk before and after the file is linked into place.
void syncToDisk(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        throw sql::Error("cannot write " + path.toStdString() + ": " + std::strerror(error));
    }
    ::close(fd);
}

void buildAccountDatabase(const QString &path, const AccountDbOptions &options)
{
    sql::Database db(path.toStdString());
    // The file is private until it is linked into place, so the build needs no journal.
    db.exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA temp_store = MEMORY;"
            "PRAGMA cache_size = -65536");

    report(options, QStringLiteral("schema"));
    migrateAccountDatabase(db, accountSchemaVersion());

    sql::Statement name = db.prepare("UPDATE CompanyInfo SET fCompanyName = ?");
    name.bind(1, options.accountName.toStdString());
    name.step();

    if (options.fill)
        options.fill(db);

    report(options, QStringLiteral("statistics"));
    db.exec("ANALYZE");
    db.exec("PRAGMA journal_mode = WAL");
}

} // namespace

int accountSchemaVersion()
{
    return migrations().back().version;
}

int schemaVersionOf(sql::Database &db)
{
    sql::Statement version = db.prepare("PRAGMA user_version");
    return version.step() ? int(version.columnInt(0)) : 0;
}

void migrateAccountDatabase(sql::Database &db, int toVersion, const MigrationNote &note)
{
    const int current = schemaVersionOf(db);
    const PasswordHashFunction hashFunction(db.handle());
    if (current > accountSchemaVersion()) {
        throw sql::Error("the account set " + db.path() + " has schema version " +
                         std::to_string(current) + ", newer than this program's " +
                         std::to_string(accountSchemaVersion()));
    }
    for (const Migration &migration : migrations()) {
        if (migration.version <= current || migration.version > toVersion)
            continue;
        try {
            db.exec("BEGIN IMMEDIATE");
            runMigration(db, migration, note);
            db.exec("PRAGMA user_version = " + std::to_string(migration.version));
            db.exec("COMMIT");
        } catch (const sql::Error &error) {
            if (!sqlite3_get_autocommit(db.handle()))
                sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
            throw sql::Error("schema migration " + migration.name.toStdString() +
                                 " failed: " + error.what(),
                             error.code());
        }
    }
}

void upgradeAccountDatabase(sql::Database &db, const MigrationNote &note)
{
    migrateAccountDatabase(db, accountSchemaVersion(), note);
}

void createAccountDatabase(const QString &path, const AccountDbOptions &options)
{
    if (QFileInfo::exists(path))
        throw sql::Error("the database " + path.toStdString() + " already exists");
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        throw sql::Error("cannot create the folder " + info.absolutePath().toStdString());

    // A name of its own for every build, also for two sessions creating the same set.
    static std::atomic<int> builds{0};
    const QString building =
        info.absoluteFilePath() +
        QStringLiteral(".building-%1-%2").arg(QCoreApplication::applicationPid()).arg(++builds);
    removeDatabaseFiles(building);
    try {
        buildAccountDatabase(building, options);
        syncToDisk(building);
        // link() refuses an existing target, so a file created meanwhile is never replaced.
        if (::link(QFile::encodeName(building).constData(),
                   QFile::encodeName(info.absoluteFilePath()).constData()) != 0) {
            const int error = errno;
            throw sql::Error(error == EEXIST
                                 ? "the database " + path.toStdString() + " already exists"
                                 : "cannot create " + path.toStdString() + ": " +
                                       std::strerror(error));
        }
    } catch (...) {
        removeDatabaseFiles(building);
        throw;
    }
    removeDatabaseFiles(building);
    syncToDisk(info.absolutePath());
}

} // namespace server
