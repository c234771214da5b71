// The end-to-end world: server, client folder, data modules, login and per-test clean-up.
#include "support/testworld.h"

#include "pg/connection.h"
#include "server/passwordguard.h"
#include "server/pgcopy.h"
#include "sql/database.h"
#include "support/pgcluster.h"

#include "client/common/sqltext.h"
#include "client/core/paths.h"
#include "client/core/session.h"
#include "client/core/sysconfig.h"
#include "client/data/centraldata.h"
#include "client/data/reportdata.h"
#include "client/data/serveraccess.h"
#include "client/data/socketconnection.h"
#include "client/forms/globalobj.h"
#include "support/testfailure.h"
#include "wire/client.h"

#include <QDir>
#include <QFile>

namespace vztest {

namespace {

const QString MainAccountSet = QStringLiteral("001");

QString accountSetName(const WorldOptions &options)
{
    return options.demo ? QStringLiteral("演示帐套") : QStringLiteral("测试");
}

} // namespace

TestWorld::TestWorld(WorldOptions options)
    : m_options(std::move(options))
{}

TestWorld::~TestWorld()
{
    stop();
}

bool TestWorld::start()
{
    QString output;
    QStringList create{QStringLiteral("--create-account"), MainAccountSet,
                       accountSetName(m_options)};
    if (m_options.demo)
        create << QStringLiteral("--demo");
    if (m_options.postgres) {
        try {
            m_pgConnInfo = testsupport::PgCluster::shared().createDatabase();
        } catch (const std::exception &e) {
            m_error = QString::fromUtf8(e.what());
            return false;
        }
        create << QStringLiteral("--engine") << QStringLiteral("postgresql")
               << QStringLiteral("--pg") << QString::fromStdString(m_pgConnInfo);
    }
    if (m_server.runTool(create, &output) != 0) {
        m_error = output;
        return false;
    }
    for (const QString &accountNo : m_options.moreAccountSets) {
        if (!m_server.createAccount(accountNo, QStringLiteral("帐套") + accountNo)) {
            m_error = m_server.error();
            return false;
        }
    }
    if (!m_server.start()) {
        m_error = m_server.error();
        return false;
    }
    m_started = true;

    SetExeDir(m_home.path());
    SaveServerAddress(address());
    // Not the first start on this workstation: the login opens no vendor page.
    QDir(m_home.path()).mkpath(QStringLiteral("System"));
    TSessionInfo &session = SessionInfo();
    session.HideVendorInfo = false;
    session.DatabaseKind = 0;
    session.AccountNo = MainAccountSet;
    session.AccountName = accountSetName(m_options);

    if (!m_options.connect)
        return true;
    if (!connect(Reach::AccountSet))
        return false;
    return m_options.user.isEmpty() || login(m_options.user);
}

void TestWorld::stop()
{
    if (!m_started)
        return;
    cleanup();
    disconnect();
    m_server.stop();
    SetExeDir(QString());
    m_started = false;
}

bool TestWorld::connect(Reach reach)
{
    disconnect();
    m_data = std::make_unique<TData>();
    if (m_options.reportData)
        m_dataBb = std::make_unique<TDataBb>(*m_data);
    // Nobody has logged in on fresh data modules.
    FuncRight() = TSystemFunctionRight();
    CurUserID = 0;
    CurUserCode.clear();
    CurUserName.clear();
    CurUserPassword.clear();
    CurGroupID.clear();
    FuncRight().SetDataSets(&m_data->Tmp(), &m_data->Tmpf(), &m_data->Tmpl());
    if (reach == Reach::Nothing)
        return true;

    if (!ConnectServer(&m_data->cn(), &m_error))
        return false;
    if (reach == Reach::Server)
        return true;

    QString accountNo = MainAccountSet;
    if (m_data->cn().AppServer().ConnectAct(0, accountNo)) {
        m_error = m_data->cn().AppServer().LastMessage();
        return false;
    }
    TSessionInfo &session = SessionInfo();
    session.DatabaseKind = 0;
    session.AccountNo = accountNo;
    session.AccountName = accountSetName(m_options);
    return true;
}

void TestWorld::disconnect()
{
    m_dataBb.reset();
    m_data.reset();
}

bool TestWorld::login(const QString &userCode, const QString &password)
{
    TSystemFunctionRight &right = FuncRight();
    right = TSystemFunctionRight();
    right.SetDataSets(&m_data->Tmp(), &m_data->Tmpf(), &m_data->Tmpl());
    try {
        // As the login dialog does: the server checks and binds both connections' sessions.
        const QVariantMap user = m_data->cn().AppServer().Login(userCode, password);
        if (m_data->CnBb().Connected())
            m_data->CnBb().AppServer().Login(userCode, password);
        right.LoadCompanySettings();
        right.UserID = user.value(QStringLiteral("ID")).toString();
        right.UserCode = user.value(QStringLiteral("uCode")).toString();
        right.UserName = user.value(QStringLiteral("uName")).toString();
        right.UserPassword = password;
        right.GroupIDs = user.value(QStringLiteral("gID")).toString();
    } catch (const Exception &e) {
        m_error = e.Message();
        return false;
    }
    CurUserID = right.UserID.toInt();
    CurUserCode = right.UserCode;
    CurUserName = right.UserName;
    CurUserPassword = right.UserPassword;
    CurGroupID = right.GroupIDs;
    return true;
}

std::unique_ptr<wire::Client> TestWorld::otherClient(const QString &accountNo)
{
    auto client = std::make_unique<wire::Client>();
    client->connect(m_server.host(), m_server.port());
    client->hello();
    QString no = accountNo;
    QString message;
    if (client->connectAct(0, no, &message))
        throw wire::Error(wire::Error::Kind::Server, message);
    client->login(QStringLiteral("SYS"), QString());
    return client;
}

wire::Client &TestWorld::housekeeping()
{
    if (!m_housekeeping || !m_housekeeping->isConnected())
        m_housekeeping = otherClient(MainAccountSet);
    return *m_housekeeping;
}

void TestWorld::afterTest(const QString &sql, std::source_location where)
{
    m_steps.push_back({[this, sql] { housekeeping().execute(sql); }, sql, where});
}

void TestWorld::afterTest(std::function<void()> step, std::source_location where)
{
    m_steps.push_back({std::move(step), QStringLiteral("a step"), where});
}

bool TestWorld::keepTables(const QStringList &tables, std::source_location where)
{
    for (const QString &table : tables) {
        const QString provider = QStringLiteral("p") + table;
        wire::OpenResult rows;
        try {
            rows = housekeeping().open(provider);
            housekeeping().fetchAll(rows);
        } catch (const wire::Error &e) {
            failTest(QStringLiteral("cannot keep %1: %2").arg(table, e.message()),
                     where.file_name(), int(where.line()));
            return false;
        }
        QList<wire::Change> inserts;
        inserts.reserve(rows.rows.size());
        for (const wire::Row &row : std::as_const(rows.rows)) {
            wire::Change insert;
            for (qsizetype c = 0; c < rows.fields.size(); ++c) {
                if (!rows.fields[c].readOnly)
                    insert.newValues.insert(rows.fields[c].name, row.value(c));
            }
            inserts.append(std::move(insert));
        }
        // The stored passwords never come through the protocol: they are kept from the file.
        const bool users = table.compare(QLatin1String("AppUser"), Qt::CaseInsensitive) == 0;
        const auto passwords =
            users ? storedPasswords() : std::vector<std::pair<qint64, std::string>>();
        auto restore = [this, table, provider, inserts, passwords] {
            wire::Client &client = housekeeping();
            client.execute(QStringLiteral("delete from ") + table);
            if (inserts.isEmpty())
                return;
            const wire::ApplyResult result = client.apply(provider, {}, 0, inserts);
            if (result.rolledBack || !result.errors.isEmpty())
                throw wire::Error(wire::Error::Kind::Server, result.errors.isEmpty()
                                                                 ? QStringLiteral("rolled back")
                                                                 : result.errors.first().message);
            if (!passwords.empty())
                restorePasswords(passwords);
        };
        m_steps.push_back({restore, QStringLiteral("restoring ") + table, where});
    }
    return true;
}

std::string TestWorld::mainDatabaseFile() const
{
    return QDir(m_server.dataDir())
        .filePath(MainAccountSet + QStringLiteral("/VzData.db"))
        .toStdString();
}

std::vector<std::pair<qint64, std::string>> TestWorld::storedPasswords() const
{
    if (!m_pgConnInfo.empty()) {
        pg::Connection db(m_pgConnInfo);
        const pg::Result rows = db.exec(std::string("SELECT a.id, coalesce(p.hash, '') FROM "
                                                    "appuser a LEFT JOIN ") +
                                        server::PasswordTable + " p ON p.user_id = a.id");
        std::vector<std::pair<qint64, std::string>> passwords;
        for (int r = 0; r < rows.rows(); ++r)
            passwords.emplace_back(std::stoll(std::string(rows.text(r, 0))),
                                   std::string(rows.text(r, 1)));
        return passwords;
    }
    sql::Database db(mainDatabaseFile(), sql::Database::Mode::ReadOnly);
    sqlite3_busy_timeout(db.handle(), 10000);
    std::vector<std::pair<qint64, std::string>> passwords;
    auto rows = db.prepare("select ID, coalesce(uPassword, '') from AppUser");
    while (rows.step())
        passwords.emplace_back(rows.columnInt(0), rows.columnText(1));
    return passwords;
}

void TestWorld::restorePasswords(const std::vector<std::pair<qint64, std::string>> &passwords)
{
    if (!m_pgConnInfo.empty()) {
        // As the server stores them: the hash apart, AppUser only saying whether there is one.
        pg::Connection db(m_pgConnInfo);
        db.exec(std::string("DELETE FROM ") + server::PasswordTable);
        for (const auto &[id, stored] : passwords) {
            if (!stored.empty())
                db.exec(std::string("INSERT INTO ") + server::PasswordTable + " VALUES ($1, $2)",
                        {std::to_string(id), stored});
            db.exec("UPDATE appuser SET upassword = $1 WHERE id = $2",
                    {stored.empty() ? std::string() : std::string(server::PasswordGuard::SetMarker),
                     std::to_string(id)});
        }
        return;
    }
    sql::Database db(mainDatabaseFile(), sql::Database::Mode::ReadWrite);
    sqlite3_busy_timeout(db.handle(), 10000);
    for (const auto &[id, stored] : passwords) {
        auto update = db.prepare("update AppUser set uPassword = ? where ID = ?");
        update.bind(1, std::string_view(stored));
        update.bind(2, int64_t(id));
        update.step();
    }
}

void TestWorld::cleanup()
{
    std::vector<Step> steps;
    steps.swap(m_steps);
    for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
        QString failure;
        try {
            step->run();
        } catch (const Exception &e) {
            failure = e.Message();
        } catch (const wire::Error &e) {
            failure = e.message();
        } catch (const std::exception &e) {
            failure = QString::fromUtf8(e.what());
        }
        if (!failure.isEmpty())
            failTest(QStringLiteral("the clean-up after the test failed: %1: %2")
                         .arg(step->what, failure),
                     step->where.file_name(), int(step->where.line()));
    }
    m_housekeeping.reset();
    if (m_started) {
        QFile::remove(SysConfigFileName());
        SaveServerAddress(address());
    }
}

} // namespace vztest
