// Account sets served from PostgreSQL by real vzserver processes: the client's corpus answers
// as on an SQLite copy of the set, logins and passwords keep their rules, change logs and
// transactions keep theirs, the time limit stops a PostgreSQL statement, and two servers in
// front of one database number documents and detect conflicts as one server does.
#include "serverfixture.h"

#include "pg/connection.h"
#include "sql/database.h"
#include "support/pgcluster.h"

#include "../sql/sqltest.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

namespace vztest {

namespace {

const QString SqliteSet = QStringLiteral("001");
const QString PostgresSet = QStringLiteral("002");

// A value as both engines must show it: numbers by value, dates and text as written.
QString shown(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    switch (value.typeId()) {
    case QMetaType::Double: {
        const double d = value.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 12);
    }
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::QDateTime:
        return value.toDateTime().toString(Qt::ISODate);
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    default:
        return value.toString();
    }
}

// What a statement answered on one account set: its rows as sorted lines, or its error code.
struct Answer
{
    std::vector<std::string> rows;
    std::string error;
    qint64 rowsAffected = -1;
};

Answer answerOf(wire::Client &client, const QString &text)
{
    Answer answer;
    try {
        wire::OpenResult result = client.open(QStringLiteral("pTmp"), text);
        client.fetchAll(result);
        answer.rowsAffected = result.rowsAffected;
        for (const wire::Row &row : std::as_const(result.rows)) {
            QStringList values;
            for (qsizetype c = 0; c < row.size(); ++c) {
                // A date column holds days: SQLite keeps the time of day an SQL statement
                // wrote into one, PostgreSQL's date type does not.
                const bool day = c < result.fields.size() &&
                                 result.fields[c].type == wire::ValueType::Date &&
                                 row[c].typeId() == QMetaType::QDateTime;
                values.append(day ? shown(row[c].toDate()) : shown(row[c]));
            }
            answer.rows.push_back(values.join(QLatin1Char('|')).toStdString());
        }
        std::sort(answer.rows.begin(), answer.rows.end());
    } catch (const wire::Error &error) {
        answer.error = (error.code() + QStringLiteral(": ") + error.message()).toStdString();
    }
    return answer;
}

// Writes the corpus database (the tables and rows the client's texts are written against)
// into an account set's file, keeping its schema version, with a SYS user to log in as.
void loadCorpusInto(const QString &file)
{
    sql::Database db(file.toStdString());
    for (const char *type : {"view", "table"}) {
        std::vector<std::string> names;
        auto list = db.prepare(std::string("select name from sqlite_master where type = '") + type +
                               "' and name not like 'sqlite_%'");
        while (list.step())
            names.push_back(list.columnText(0));
        for (const std::string &name : names)
            db.exec(std::string("drop ") + type + " \"" + name + "\"");
    }
    db.exec(sqltest::readFile(sqltest::dataPath("corpus/schema.sql")));
    db.exec(sqltest::readFile(sqltest::dataPath("corpus/data.sql")));
    // The columns a login reads, which the corpus's copy of the table leaves out.
    db.exec("alter table AppUser add column aYGMC varchar(50)");
    db.exec("insert into AppUser (ID, uCode, uName, uPassword) values (1, 'SYS', 'SYS', '')");
}

} // namespace

// Signs a client in to an account set of a server as SYS (or another user).
std::unique_ptr<wire::Client> signIn(const ServerProcess &server, const QString &accountNo,
                                     const QString &user = QStringLiteral("SYS"),
                                     const QString &password = {}, int databaseKind = 0)
{
    auto client = std::make_unique<wire::Client>();
    client->connect(server.host(), server.port());
    client->hello();
    QString no = accountNo;
    QString message;
    if (client->connectAct(databaseKind, no, &message))
        throw wire::Error(wire::Error::Kind::Server, message);
    client->login(user, password);
    return client;
}

// Account set 001 holds the corpus in SQLite; 002 is the same file moved into PostgreSQL.
class PgCorpusServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.createAccount(SqliteSet)) << server.error().toStdString();
        ASSERT_TRUE(server.createAccount(PostgresSet)) << server.error().toStdString();
        const QString data = server.dataDir();
        const QString sqliteFile = data + QStringLiteral("/001/VzData.db");
        const QString copyFile = data + QStringLiteral("/002/VzData.db");
        loadCorpusInto(sqliteFile);
        ASSERT_TRUE(QFile::remove(copyFile));
        ASSERT_TRUE(QFile::copy(sqliteFile, copyFile));
        QString output;
        ASSERT_EQ(server.runTool(
                      {QStringLiteral("--migrate-account"), PostgresSet, QStringLiteral("--to-pg"),
                       QString::fromStdString(testsupport::PgCluster::shared().createDatabase()),
                       QStringLiteral("--switch")},
                      &output),
                  0)
            << output.toStdString();
        ASSERT_FALSE(QFile::exists(copyFile)) << "the set still reads its file";
        ASSERT_TRUE(server.start()) << server.error().toStdString();
    }

    ServerProcess server;
};

// Every text of the corpus, in the order written (its statements change the rows the later
// ones read), through the protocol: the same rows, the same refusals, the same counts.
TEST_F(PgCorpusServer, EveryTextAnswersAsOnTheSqliteCopy)
{
    for (const sqltest::CorpusFile &corpus : sqltest::CorpusFiles) {
        SCOPED_TRACE(corpus.file);
        // The client says which dialect it speaks when it chooses the account set.
        const int databaseKind = corpus.dialect == sql::Dialect::TSql ? 1 : 0;
        auto onSqlite = signIn(server, SqliteSet, QStringLiteral("SYS"), {}, databaseKind);
        auto onPostgres = signIn(server, PostgresSet, QStringLiteral("SYS"), {}, databaseKind);
        int compared = 0;
        for (const std::string &text : sql::splitStatements(
                 sqltest::readFile(sqltest::dataPath(std::string("corpus/") + corpus.file)),
                 corpus.dialect)) {
            const QString statement = QString::fromStdString(text);
            const Answer expected = answerOf(*onSqlite, statement);
            const Answer actual = answerOf(*onPostgres, statement);
            // The codes must agree; the messages are each engine's own.
            EXPECT_EQ(actual.error.substr(0, actual.error.find(':')),
                      expected.error.substr(0, expected.error.find(':')))
                << text << "\n  PostgreSQL: " << actual.error << "\n  SQLite: " << expected.error;
            EXPECT_EQ(actual.rowsAffected, expected.rowsAffected) << text;
            EXPECT_EQ(actual.rows, expected.rows) << text;
            ++compared;
        }
        EXPECT_GT(compared, 20);
    }
}

// The demo set created straight into PostgreSQL, served by one server or by two.
class PgDemoServer : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_conninfo = new std::string(testsupport::PgCluster::shared().createDatabase());
        s_created = false;
    }
    static void TearDownTestSuite()
    {
        delete s_conninfo;
        s_conninfo = nullptr;
    }

    void SetUp() override
    {
        if (s_created) {
            attach(first);
        } else {
            QString output;
            ASSERT_EQ(first.runTool({QStringLiteral("--create-account"), PostgresSet,
                                     QStringLiteral("演示帐套"), QStringLiteral("--demo"),
                                     QStringLiteral("--engine"), QStringLiteral("postgresql"),
                                     QStringLiteral("--pg"), QString::fromStdString(*s_conninfo)},
                                    &output),
                      0)
                << output.toStdString();
        }
        ASSERT_TRUE(first.start(serverArguments())) << first.error().toStdString();
        s_created = true;
    }

    // A data folder of another server made to serve the same database.
    void attach(ServerProcess &server)
    {
        QString output;
        if (server.runTool({QStringLiteral("--attach-account"), PostgresSet,
                            QStringLiteral("演示帐套"), QStringLiteral("--pg"),
                            QString::fromStdString(*s_conninfo)},
                           &output) != 0)
            ADD_FAILURE() << output.toStdString();
    }

    virtual QStringList serverArguments() const { return {}; }

    pg::Connection database() const { return pg::Connection(*s_conninfo); }

    static std::string *s_conninfo;
    static bool s_created;
    ServerProcess first;
};

std::string *PgDemoServer::s_conninfo = nullptr;
bool PgDemoServer::s_created = false;

TEST_F(PgDemoServer, PasswordsStayOutOfReachAndKeepTheirRules)
{
    auto sys = signIn(first, PostgresSet);
    // The hash is in no table a client can name; AppUser says only whether one is set.
    const QList<wire::Row> users =
        rowsOf(*sys, QStringLiteral("select uCode, uPassword from AppUser order by uCode"));
    QMap<QString, QString> shownPasswords;
    for (const wire::Row &row : users)
        shownPasswords.insert(row.value(0).toString(), row.value(1).toString());
    EXPECT_EQ(shownPasswords.value(QStringLiteral("KJ01")), QStringLiteral("******"));
    EXPECT_EQ(shownPasswords.value(QStringLiteral("SYS")), QString());
    for (const char *text : {"select * from vz_password", "select * from vz_schema"}) {
        try {
            rowsOf(*sys, QString::fromLatin1(text));
            ADD_FAILURE() << text << " was answered";
        } catch (const wire::Error &error) {
            EXPECT_EQ(error.code(), wire::code::Sql) << text;
        }
    }
    try {
        sys->execute(QStringLiteral("update AppUser set uPassword = 'x' where uCode = 'KJ01'"));
        ADD_FAILURE() << "a password was written by SQL";
    } catch (const wire::Error &error) {
        EXPECT_EQ(error.code(), wire::code::Denied);
    }

    // KJ01 logs in with 123 only, in any case of the code.
    EXPECT_NO_THROW(signIn(first, PostgresSet, QStringLiteral("kj01"), QStringLiteral("123")));
    try {
        signIn(first, PostgresSet, QStringLiteral("KJ01"), QStringLiteral("124"));
        ADD_FAILURE() << "a wrong password was taken";
    } catch (const wire::Error &error) {
        EXPECT_EQ(error.code(), wire::code::WrongPassword);
    }

    // The administrator sets CG01's password; CG01 changes it; both hold.
    sys->call(QStringLiteral("SetPassword"), {QStringLiteral("CG01"), QStringLiteral("甲乙")});
    auto buyer = signIn(first, PostgresSet, QStringLiteral("CG01"), QStringLiteral("甲乙"));
    buyer->call(QStringLiteral("ChangePassword"), {QStringLiteral("甲乙"), QString()});
    EXPECT_NO_THROW(signIn(first, PostgresSet, QStringLiteral("CG01"), QString()));
    EXPECT_EQ(scalar(*sys, QStringLiteral("select uPassword from AppUser where uCode = 'CG01'"))
                  .toString(),
              QString());
}

TEST_F(PgDemoServer, ChangeLogsFindTheirConflictsAndKeysAsOnSqlite)
{
    auto clerk = signIn(first, PostgresSet);
    auto other = signIn(first, PostgresSet);
    const QString text = QStringLiteral("select * from KH where BH = 'PGTEST'");
    // An insert that leaves the key out gets one from PostgreSQL, reported back.
    const wire::ApplyResult stored =
        clerk->apply(QStringLiteral("pKH"), text, 0,
                     {inserted({{QStringLiteral("BH"), QStringLiteral("PGTEST")},
                                {QStringLiteral("MC"), QStringLiteral("O'Neil 商行")}})});
    ASSERT_EQ(stored.applied, 1);
    ASSERT_EQ(stored.inserted.size(), 1);
    const qint64 id = stored.inserted.first().key.value(QStringLiteral("ID")).toLongLong();
    EXPECT_GT(id, 0);
    EXPECT_EQ(scalar(*other, QStringLiteral("select MC from KH where ID = %1").arg(id)).toString(),
              QStringLiteral("O'Neil 商行"));

    // Two clerks change the row as they both read it: the second is told, with the row now.
    const QVariantMap read{{QStringLiteral("ID"), id},
                           {QStringLiteral("MC"), QStringLiteral("O'Neil 商行")}};
    EXPECT_EQ(other
                  ->apply(QStringLiteral("pKH"), text, 0,
                          {modified(read, {{QStringLiteral("MC"), QStringLiteral("第一")}})})
                  .applied,
              1);
    const wire::ApplyResult late =
        clerk->apply(QStringLiteral("pKH"), text, 0,
                     {modified(read, {{QStringLiteral("MC"), QStringLiteral("第二")}})});
    ASSERT_EQ(late.errors.size(), 1);
    EXPECT_EQ(late.errors.first().code, wire::code::Conflict);
    EXPECT_EQ(scalar(*other, QStringLiteral("select MC from KH where ID = %1").arg(id)).toString(),
              QStringLiteral("第一"));

    // A code that is taken, whatever its case, is refused; nothing of the change log stays.
    const wire::ApplyResult duplicate =
        clerk->apply(QStringLiteral("pKH"), text, 0,
                     {inserted({{QStringLiteral("BH"), QStringLiteral("pgtest2")}}),
                      inserted({{QStringLiteral("BH"), QStringLiteral("PgTest")}})});
    EXPECT_TRUE(duplicate.rolledBack);
    ASSERT_FALSE(duplicate.errors.isEmpty());
    EXPECT_EQ(duplicate.errors.first().code, wire::code::Unique);
    EXPECT_EQ(scalar(*other, QStringLiteral("select count(*) from KH where BH like 'pgtest%'"))
                  .toLongLong(),
              1);
    other->execute(QStringLiteral("delete from KH where ID = %1").arg(id));
}

// Results read in small packets by cursors open side by side, each with its rows; a query that
// fails while another is open ends neither the session nor the next query.
TEST_F(PgDemoServer, CursorsReadInPacketsSideBySide)
{
    auto client = signIn(first, PostgresSet);
    const QList<wire::Row> goods = rowsOf(*client, QStringLiteral("select ID from HP order by ID"));
    const QList<wire::Row> customers =
        rowsOf(*client, QStringLiteral("select ID from KH order by ID"));
    ASSERT_GT(goods.size(), 20);
    ASSERT_GT(customers.size(), 5);

    wire::OpenResult a =
        client->open(QStringLiteral("pTmp"), QStringLiteral("select ID from HP order by ID"), 7);
    wire::OpenResult b =
        client->open(QStringLiteral("pTmp"), QStringLiteral("select ID from KH order by ID"), 3);
    EXPECT_EQ(a.rows.size(), 7);
    EXPECT_FALSE(a.eof());
    while (!a.eof() || !b.eof()) {
        for (wire::OpenResult *result : {&a, &b}) {
            if (result->eof())
                continue;
            const wire::Packet packet = client->fetch(result->cursor);
            result->rows += packet.rows;
            result->cursor = packet.cursor;
        }
    }
    EXPECT_EQ(a.rows, goods);
    EXPECT_EQ(b.rows, customers);

    // A statement that fails while a cursor is open: the error comes back, the open cursor is
    // either read on or said to be gone, and the session answers the next query.
    wire::OpenResult open =
        client->open(QStringLiteral("pTmp"), QStringLiteral("select ID from HP order by ID"), 5);
    try {
        rowsOf(*client, QStringLiteral("select CLng(PM) from HP"));
        ADD_FAILURE() << "a goods name was read as a number";
    } catch (const wire::Error &error) {
        EXPECT_EQ(error.code(), wire::code::Sql) << error.message().toStdString();
    }
    try {
        client->fetchAll(open);
        EXPECT_EQ(open.rows, goods);
    } catch (const wire::Error &error) {
        EXPECT_EQ(error.code(), wire::code::Cursor) << error.message().toStdString();
    }
    EXPECT_EQ(rowsOf(*client, QStringLiteral("select ID from HP order by ID")), goods);
}

// The table list names the tables as the client spells them, and not the server's own.
TEST_F(PgDemoServer, TheTableListIsTheClientsTables)
{
    auto client = signIn(first, PostgresSet);
    const QStringList names =
        client->call(QStringLiteral("GetTableNames")).result.toString().split(QLatin1Char('|'));
    EXPECT_TRUE(names.contains(QStringLiteral("HP")));
    EXPECT_TRUE(names.contains(QStringLiteral("AppUser")));
    EXPECT_GT(names.size(), 100);
    for (const QString &name : names)
        EXPECT_FALSE(name.startsWith(QLatin1String("vz_"))) << name.toStdString();
}

// A server is given a set only where one lives: an empty database, a taken code or a second
// attach leave its data folder as they found it.
TEST_F(PgDemoServer, AttachingRefusesWhatIsNoAccountSet)
{
    ServerProcess other;
    const QString empty = QString::fromStdString(testsupport::PgCluster::shared().createDatabase());
    struct Case
    {
        const char *what;
        QString accountNo;
        QString conninfo;
    };
    attach(other); // set 002, as the other tests do
    const Case cases[] = {
        {"an empty database", QStringLiteral("003"), empty},
        {"a code this server has", PostgresSet, QString::fromStdString(*s_conninfo)},
        {"no server", QStringLiteral("004"), QStringLiteral("host=127.0.0.1 port=1 dbname=x")},
    };
    for (const Case &c : cases) {
        QString output;
        EXPECT_NE(other.runTool({QStringLiteral("--attach-account"), c.accountNo,
                                 QStringLiteral("--pg"), c.conninfo},
                                &output),
                  0)
            << c.what;
        if (c.accountNo != PostgresSet) {
            EXPECT_FALSE(QFileInfo::exists(other.dataDir() + QLatin1Char('/') + c.accountNo))
                << c.what;
        }
    }
}

class PgDemoServerShortLimit : public PgDemoServer
{
    QStringList serverArguments() const override
    {
        return {QStringLiteral("--query-timeout"), QStringLiteral("1")};
    }
};

TEST_F(PgDemoServerShortLimit, TheTimeLimitStopsAPostgresStatementAndTheSessionGoesOn)
{
    auto client = signIn(first, PostgresSet);
    QElapsedTimer timer;
    timer.start();
    try {
        rowsOf(*client, QStringLiteral("select count(*) from Inv_ItemList a, Inv_ItemList b, "
                                       "Inv_ItemList c, Inv_ItemList d"));
        ADD_FAILURE() << "the query ran to its end";
    } catch (const wire::Error &error) {
        EXPECT_EQ(error.code(), wire::code::Timeout) << error.message().toStdString();
    }
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_GT(scalar(*client, QStringLiteral("select count(*) from HP")).toLongLong(), 0);
}

// Clerks of two servers take numbers from one counter row at once: as the document forms do,
// each reads the counter and moves it on only from the value read (expectRows 1), or tries
// again. No number is given twice and none is lost.
TEST_F(PgDemoServer, TwoServersNeverGiveTheSameNumberTwice)
{
    ServerProcess second;
    attach(second);
    ASSERT_TRUE(second.start()) << second.error().toStdString();
    auto setup = signIn(first, PostgresSet);
    setup->execute(QStringLiteral("delete from MaxBillNo where TableName = 'PGTEST'"));
    setup->execute(QStringLiteral("insert into MaxBillNo (TableName, MaxNo) values ('PGTEST', 0)"));

    constexpr int Clerks = 4;
    constexpr int NumbersEach = 25;
    std::vector<std::vector<qint64>> taken(Clerks);
    std::atomic<int> failures{0};
    std::vector<std::thread> clerks;
    for (int c = 0; c < Clerks; ++c) {
        clerks.emplace_back([&, c] {
            try {
                auto client = signIn(c % 2 ? second : first, PostgresSet);
                while (int(taken[c].size()) < NumbersEach) {
                    const qint64 now =
                        scalar(*client, QStringLiteral("select MaxNo from MaxBillNo where "
                                                       "TableName = 'PGTEST'"))
                            .toLongLong();
                    wire::TransactPart move;
                    move.kind = wire::TransactPart::Kind::Execute;
                    move.text = QStringLiteral("update MaxBillNo set MaxNo = %1 where "
                                               "TableName = 'PGTEST' and MaxNo = %2")
                                    .arg(now + 1)
                                    .arg(now);
                    move.expectRows = 1;
                    if (!client->transact({move}).rolledBack)
                        taken[c].push_back(now + 1);
                }
            } catch (const std::exception &) {
                ++failures;
            }
        });
    }
    for (std::thread &clerk : clerks)
        clerk.join();
    EXPECT_EQ(failures.load(), 0);
    std::vector<qint64> all;
    for (const auto &numbers : taken)
        all.insert(all.end(), numbers.begin(), numbers.end());
    std::sort(all.begin(), all.end());
    ASSERT_EQ(all.size(), size_t(Clerks * NumbersEach));
    for (size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(all[i], qint64(i + 1));
    setup->execute(QStringLiteral("delete from MaxBillNo where TableName = 'PGTEST'"));
}

// A change log applied through one server conflicts with what a clerk of the other stored.
TEST_F(PgDemoServer, AConflictIsSeenAcrossServers)
{
    ServerProcess second;
    attach(second);
    ASSERT_TRUE(second.start()) << second.error().toStdString();
    auto here = signIn(first, PostgresSet);
    auto there = signIn(second, PostgresSet);
    const QList<wire::Row> rows =
        rowsOf(*here, QStringLiteral("select ID, MC from KH where ID = (select min(ID) from KH)"));
    ASSERT_EQ(rows.size(), 1);
    const QVariantMap read{{QStringLiteral("ID"), rows[0][0]}, {QStringLiteral("MC"), rows[0][1]}};
    const QString text = QStringLiteral("select * from KH");
    ASSERT_EQ(there
                  ->apply(QStringLiteral("pKH"), text, 0,
                          {modified(read, {{QStringLiteral("MC"), QStringLiteral("那边改的")}})})
                  .applied,
              1);
    const wire::ApplyResult late =
        here->apply(QStringLiteral("pKH"), text, 0,
                    {modified(read, {{QStringLiteral("MC"), QStringLiteral("这边改的")}})});
    ASSERT_EQ(late.errors.size(), 1);
    EXPECT_EQ(late.errors.first().code, wire::code::Conflict);
    here->apply(QStringLiteral("pKH"), text, 0,
                {modified({{QStringLiteral("ID"), rows[0][0]},
                           {QStringLiteral("MC"), QStringLiteral("那边改的")}},
                          {{QStringLiteral("MC"), rows[0][1]}})});
}

} // namespace vztest
