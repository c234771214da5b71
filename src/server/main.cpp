// vzserver: the application server of the system.
#include "demodata/demodata.h"
#include "pg/connection.h"
#include "server/accountdb.h"
#include "server/pgcopy.h"
#include "server/registry.h"
#include "server/requesterror.h"
#include "server/server.h"
#include "sql/database.h"
#include "wire/tls.h"

#include "vzversion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

server::Server *g_server = nullptr; // only for the signal handler

void onSignal(int)
{
    if (g_server)
        g_server->stop();
}

// "256", "64K", "16M", "1G" (binary units) as bytes; -1 when it is none of these.
qint64 parseSize(const QString &text)
{
    QString digits = text.trimmed().toUpper();
    if (digits.endsWith(QLatin1Char('B')))
        digits.chop(1);
    int shift = 0;
    if (!digits.isEmpty()) {
        const QChar unit = digits.back();
        shift = unit == u'K' ? 10 : unit == u'M' ? 20 : unit == u'G' ? 30 : 0;
        if (shift > 0)
            digits.chop(1);
    }
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    if (!ok || value < 0 || value > (qint64(1) << (62 - shift)))
        return -1;
    return value << shift;
}

// Every connection takes a few descriptors (its socket, its database files); the usual soft
// limit of 1024 would run out long before the connection limit is reached.
void raiseDescriptorLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// Each table's name as its rows start to travel to PostgreSQL.
void printTable(const std::string &table)
{
    std::printf("  %s\n", table.c_str());
    std::fflush(stdout);
}

// --migrate-account: the account set's database copied into an empty PostgreSQL database and
// verified there. Without switchSet the set goes on being served from its file; with it the
// set lives in PostgreSQL from then on, its file kept under another name. A switch holds the
// set's lock alone from before the copy to the end, so that no server writes to the file the
// copy has already read.
int migrateAccount(const QString &dataDir, const QString &accountNo, const QString &conninfo,
                   bool switchSet)
{
    try {
        server::AccountRegistry registry(dataDir);
        const auto info = registry.find(accountNo);
        if (!info) {
            std::fprintf(stderr, "vzserver: there is no account set %s in %s\n",
                         qPrintable(accountNo), qPrintable(dataDir));
            return 1;
        }
        if (registry.isPostgres(info->accountNo)) {
            std::fprintf(stderr, "vzserver: account set %s already lives in PostgreSQL\n",
                         qPrintable(info->accountNo));
            return 1;
        }
        std::unique_ptr<server::SetLock> alone;
        if (switchSet) {
            QString reason;
            alone = server::SetLock::tryLock(registry.accountFolder(info->accountNo),
                                             server::SetLock::Kind::Exclusive, &reason);
            if (!alone) {
                std::fprintf(stderr, "vzserver: account set %s cannot be switched: %s\n",
                             qPrintable(info->accountNo), qPrintable(reason));
                return 1;
            }
        }
        sql::Database source(registry.databasePath(info->accountNo).toStdString(),
                             sql::Database::Mode::ReadOnly);
        const int version = server::schemaVersionOf(source);
        if (version != server::accountSchemaVersion()) {
            std::fprintf(stderr,
                         "vzserver: account set %s has schema version %d, this program %d: let "
                         "this server open it once (it upgrades it), then copy it\n",
                         qPrintable(accountNo), version, server::accountSchemaVersion());
            return 1;
        }
        pg::Connection target(conninfo.toStdString());
        server::PostgresCopy copy(source.handle(), target);
        copy.setProgress(printTable);
        std::printf("vzserver: copying account set %s into PostgreSQL...\n", qPrintable(accountNo));
        const server::CopyReport report = copy.run();
        long long rows = 0;
        int checks = 0;
        for (const server::CopiedTable &table : report.tables) {
            rows += table.rows;
            checks += table.checks;
        }
        std::printf("vzserver: copied and verified account set %s: %zu tables, %lld rows, %d "
                    "views, %d indexes; %d counts and sums agree with the file\n",
                    qPrintable(accountNo), report.tables.size(), rows, report.views, report.indexes,
                    checks);
        if (!switchSet)
            return 0;
        source.close();
        try {
            const QString kept = registry.switchToPostgres(info->accountNo, conninfo.toStdString());
            std::printf("vzserver: account set %s now lives in PostgreSQL; its file is kept as "
                        "%s\n",
                        qPrintable(info->accountNo), qPrintable(kept));
        } catch (const server::RequestError &e) {
            std::fprintf(stderr,
                         "vzserver: the copy in PostgreSQL is complete, but account set %s was "
                         "not switched to it and is still served from its file: %s\n",
                         qPrintable(info->accountNo), qPrintable(e.message()));
            return 1;
        }
        return 0;
    } catch (const std::exception &e) {
        std::fprintf(stderr,
                     "vzserver: the copy failed, the PostgreSQL database is unchanged: "
                     "%s\n",
                     e.what());
        return 1;
    }
}

// A command-line number within [least, most]; false after saying what is wrong.
bool numberOption(const QString &text, qint64 value, qint64 least, qint64 most, const char *what)
{
    if (value >= least && value <= most)
        return true;
    std::fprintf(stderr, "vzserver: invalid %s \"%s\"\n", what, qPrintable(text));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vzserver"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VZ_PRODUCT_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(VZ_PRODUCT_TITLE " application server: serves the account sets of a data "
                                        "folder to clients over TCP."));
    parser.addHelpOption();
    const QCommandLineOption versionOption(QStringLiteral("version"),
                                           QStringLiteral("Print the version and exit."));
    const QCommandLineOption dataOption(QStringLiteral("data"),
                                        QStringLiteral("Folder of the account sets."),
                                        QStringLiteral("DIR"), QStringLiteral("data"));
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("TCP port (default 211; 0 picks a free one)."),
        QStringLiteral("N"), QStringLiteral("211"));
    const QCommandLineOption listenOption(
        QStringLiteral("listen"), QStringLiteral("Address to listen on (default 127.0.0.1)."),
        QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption createOption(
        QStringLiteral("create-account"),
        QStringLiteral("Create the account set NO named by the argument NAME, then exit."),
        QStringLiteral("NO"));
    const QCommandLineOption demoOption(
        QStringLiteral("demo"), QStringLiteral("With --create-account: fill it with demo data."));
    const QCommandLineOption demoScaleOption(
        QStringLiteral("demo-scale"),
        QStringLiteral("With --demo: about N x 10,000 goods and 200,000 documents."),
        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption auditLevelsOption(
        QStringLiteral("audit-levels"),
        QStringLiteral("With --demo: the company audits documents at N levels (1 to 9, default "
                       "1); some recent drafts stop at each level below the last."),
        QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption timeoutOption(
        QStringLiteral("query-timeout"),
        QStringLiteral("Stop a request's statements after this many seconds (default 120)."),
        QStringLiteral("S"), QStringLiteral("120"));
    const QCommandLineOption busyOption(
        QStringLiteral("busy-timeout"),
        QStringLiteral("A write waits this many seconds for other writers before it is refused "
                       "as busy (default 30)."),
        QStringLiteral("S"), QStringLiteral("30"));
    const QCommandLineOption connectionsOption(
        QStringLiteral("max-connections"),
        QStringLiteral("Serve at most N connections at a time; more are refused with an error "
                       "(default 256)."),
        QStringLiteral("N"), QStringLiteral("256"));
    const QCommandLineOption requestMemoryOption(
        QStringLiteral("max-request-memory"),
        QStringLiteral("Memory all connections together may hold for requests being sent or "
                       "served, beyond 1 MiB each; a connection past it is refused with an "
                       "error (default 256M)."),
        QStringLiteral("SIZE"), QStringLiteral("256M"));
    const QCommandLineOption packetRowsOption(
        QStringLiteral("max-packet-rows"),
        QStringLiteral("Rows of one reply at most, whatever the client asks for (default "
                       "100000)."),
        QStringLiteral("N"), QStringLiteral("100000"));
    const QCommandLineOption packetBytesOption(
        QStringLiteral("max-packet-bytes"),
        QStringLiteral("A reply takes no more rows once it holds this much (default 16M)."),
        QStringLiteral("SIZE"), QStringLiteral("16M"));
    const QCommandLineOption noTlsOption(
        QStringLiteral("no-tls"),
        QStringLiteral("Serve plain TCP without encryption: for a trusted loopback only."));
    const QCommandLineOption tlsCertOption(
        QStringLiteral("tls-cert"),
        QStringLiteral("TLS certificate (PEM) to use instead of the server's own, which it "
                       "makes in DIR/tls at the first start; needs --tls-key."),
        QStringLiteral("FILE"));
    const QCommandLineOption tlsKeyOption(QStringLiteral("tls-key"),
                                          QStringLiteral("Private key (PEM) of --tls-cert."),
                                          QStringLiteral("FILE"));
    const QCommandLineOption migrateOption(
        QStringLiteral("migrate-account"),
        QStringLiteral("Copy account set NO into the empty PostgreSQL database that --to-pg "
                       "names, verified table by table (row counts and sums)."),
        QStringLiteral("NO"));
    const QCommandLineOption toPgOption(
        QStringLiteral("to-pg"),
        QStringLiteral("With --migrate-account: the libpq connection string of the target, "
                       "e.g. \"host=db1 dbname=shop user=vz\"."),
        QStringLiteral("CONNINFO"));
    const QCommandLineOption switchOption(
        QStringLiteral("switch"),
        QStringLiteral("With --migrate-account: once the copy is verified, the account set lives "
                       "in PostgreSQL (its file is kept as VzData.db.migrated-<time>). Refused "
                       "while this data folder's server serves the set."));
    const QCommandLineOption attachOption(
        QStringLiteral("attach-account"),
        QStringLiteral("Serve account set NO, named by the argument NAME, from the PostgreSQL "
                       "database --pg names, where another server made it: several servers "
                       "then serve one set."),
        QStringLiteral("NO"));
    const QCommandLineOption engineOption(
        QStringLiteral("engine"),
        QStringLiteral("With --create-account: where the new set lives, sqlite (default, a file "
                       "in the data folder) or postgresql (the empty database --pg names)."),
        QStringLiteral("ENGINE"), QStringLiteral("sqlite"));
    const QCommandLineOption pgOption(
        QStringLiteral("pg"),
        QStringLiteral("With --engine postgresql: the libpq connection string of the new set's "
                       "empty database; with --attach-account, of the set's database."),
        QStringLiteral("CONNINFO"));
    // Fault injection for the tests of atomic requests; refused unless VZ_TEST_HOOKS=1, so
    // that no production server can be started with it by mistake.
    QCommandLineOption killAtStatementOption(
        QStringLiteral("test-kill-at-statement"),
        QStringLiteral("Tests only (needs VZ_TEST_HOOKS=1): exit at once at the Nth step of "
                       "transact requests: before each row or statement, before the commit and "
                       "after it."),
        QStringLiteral("N"));
    killAtStatementOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions(
        {versionOption,    dataOption,        portOption,        listenOption,
         createOption,     demoOption,        demoScaleOption,   auditLevelsOption,
         timeoutOption,    busyOption,        connectionsOption, requestMemoryOption,
         packetRowsOption, packetBytesOption, noTlsOption,       tlsCertOption,
         tlsKeyOption,     migrateOption,     toPgOption,        switchOption,
         engineOption,     pgOption,          attachOption,      killAtStatementOption});
    parser.addPositionalArgument(QStringLiteral("NAME"),
                                 QStringLiteral("Name of the account set to create."),
                                 QStringLiteral("[NAME]"));
    parser.process(app);

    if (parser.isSet(versionOption)) {
        std::printf("vzserver (%s) %s\n", VZ_PRODUCT_TITLE, VZ_PRODUCT_VERSION);
        return 0;
    }

    bool portOk = false;
    const uint port = parser.value(portOption).toUInt(&portOk);
    if (!portOk || port > 65535) {
        std::fprintf(stderr, "vzserver: invalid port \"%s\"\n",
                     qPrintable(parser.value(portOption)));
        return 2;
    }

    bool timeoutOk = false;
    const int timeoutSeconds = parser.value(timeoutOption).toInt(&timeoutOk);
    if (!timeoutOk || timeoutSeconds < 0) {
        std::fprintf(stderr, "vzserver: invalid query timeout \"%s\"\n",
                     qPrintable(parser.value(timeoutOption)));
        return 2;
    }

    bool busyOk = false;
    const int busySeconds = parser.value(busyOption).toInt(&busyOk);
    if (!busyOk || busySeconds < 0) {
        std::fprintf(stderr, "vzserver: invalid busy timeout \"%s\"\n",
                     qPrintable(parser.value(busyOption)));
        return 2;
    }

    server::ServerOptions options;
    const QString connections = parser.value(connectionsOption);
    const QString requestMemory = parser.value(requestMemoryOption);
    const QString packetRows = parser.value(packetRowsOption);
    const QString packetBytes = parser.value(packetBytesOption);
    if (!numberOption(connections, connections.toLongLong(), 1, 100000, "connection limit") ||
        !numberOption(requestMemory, parseSize(requestMemory), 1 << 20, qint64(1) << 40,
                      "request memory (from 1M)") ||
        !numberOption(packetRows, packetRows.toLongLong(), 1, 100000000, "packet row limit") ||
        !numberOption(packetBytes, parseSize(packetBytes), 64 << 10, options.maxFrameSize / 2,
                      "packet size (64K to 32M)"))
        return 2;
    options.maxConnections = connections.toInt();
    options.maxRequestMemory = parseSize(requestMemory);
    options.maxPacketRows = packetRows.toInt();
    options.maxPacketBytes = parseSize(packetBytes);
    options.dataDir = QDir(parser.value(dataOption)).absolutePath();
    options.listenAddress = parser.value(listenOption);
    options.port = uint16_t(port);
    options.queryTimeoutMs = timeoutSeconds * 1000;
    options.busyTimeoutMs = busySeconds * 1000;
    options.tls = !parser.isSet(noTlsOption);
    if (parser.isSet(tlsCertOption) != parser.isSet(tlsKeyOption)) {
        std::fprintf(stderr, "vzserver: --tls-cert and --tls-key go together\n");
        return 2;
    }
    if (!options.tls && parser.isSet(tlsCertOption)) {
        std::fprintf(stderr, "vzserver: --no-tls excludes --tls-cert and --tls-key\n");
        return 2;
    }
    if (parser.isSet(tlsCertOption)) {
        options.tlsCertificateFile = QFileInfo(parser.value(tlsCertOption)).absoluteFilePath();
        options.tlsKeyFile = QFileInfo(parser.value(tlsKeyOption)).absoluteFilePath();
    }
    if (parser.isSet(killAtStatementOption)) {
        const QString killAt = parser.value(killAtStatementOption);
        if (qEnvironmentVariable("VZ_TEST_HOOKS") != QLatin1String("1")) {
            std::fprintf(stderr, "vzserver: --test-kill-at-statement is a test hook and needs "
                                 "VZ_TEST_HOOKS=1\n");
            return 2;
        }
        if (!numberOption(killAt, killAt.toLongLong(), 1, 1000000000, "statement number"))
            return 2;
        options.killAtStatement = killAt.toInt();
    }
    if (!QDir().mkpath(options.dataDir)) {
        std::fprintf(stderr, "vzserver: cannot create the data folder %s\n",
                     qPrintable(options.dataDir));
        return 1;
    }

    if (parser.isSet(migrateOption) != parser.isSet(toPgOption)) {
        std::fprintf(stderr, "vzserver: --migrate-account and --to-pg go together\n");
        return 2;
    }
    if (parser.isSet(switchOption) && !parser.isSet(migrateOption)) {
        std::fprintf(stderr, "vzserver: --switch goes with --migrate-account\n");
        return 2;
    }
    if (parser.isSet(migrateOption))
        return migrateAccount(options.dataDir, parser.value(migrateOption).trimmed(),
                              parser.value(toPgOption), parser.isSet(switchOption));

    const QString engine = parser.value(engineOption).trimmed().toLower();
    const bool onPostgres = engine == QLatin1String("postgresql");
    if (!onPostgres && engine != QLatin1String("sqlite")) {
        std::fprintf(stderr, "vzserver: --engine is sqlite or postgresql, not \"%s\"\n",
                     qPrintable(parser.value(engineOption)));
        return 2;
    }
    if (parser.isSet(attachOption)) {
        if (!parser.isSet(pgOption)) {
            std::fprintf(stderr, "vzserver: --attach-account needs --pg\n");
            return 2;
        }
        server::AccountInfo info;
        info.accountNo = parser.value(attachOption).trimmed();
        info.accountName = parser.positionalArguments().join(QLatin1Char(' '));
        info.companyName = info.accountName;
        try {
            server::AccountRegistry(options.dataDir)
                .attachPostgres(info, parser.value(pgOption).toStdString());
        } catch (const server::RequestError &e) {
            std::fprintf(stderr, "vzserver: account set %s was not attached: %s\n",
                         qPrintable(info.accountNo), qPrintable(e.message()));
            return 1;
        } catch (const std::exception &e) {
            std::fprintf(stderr, "vzserver: account set %s was not attached: %s\n",
                         qPrintable(info.accountNo), e.what());
            return 1;
        }
        std::printf("vzserver: account set %s in %s is served from PostgreSQL\n",
                    qPrintable(info.accountNo), qPrintable(options.dataDir));
        return 0;
    }
    if ((parser.isSet(engineOption) || parser.isSet(pgOption)) && !parser.isSet(createOption)) {
        std::fprintf(stderr, "vzserver: --engine and --pg go with --create-account\n");
        return 2;
    }
    if (onPostgres != parser.isSet(pgOption)) {
        std::fprintf(stderr, "vzserver: --engine postgresql and --pg go together\n");
        return 2;
    }

    if (parser.isSet(createOption)) {
        const QStringList names = parser.positionalArguments();
        server::AccountInfo info;
        info.accountNo = parser.value(createOption).trimmed();
        info.accountName = names.join(QLatin1Char(' '));
        info.companyName = info.accountName;
        server::AccountDbOptions dbOptions;
        dbOptions.accountName = info.accountName;
        const int demoScale = parser.value(demoScaleOption).toInt();
        if (parser.isSet(demoOption) || demoScale > 0) {
            demodata::DemoOptions demo;
            demo.scale = std::max(0, demoScale);
            bool levelsOk = false;
            demo.auditLevels = parser.value(auditLevelsOption).toInt(&levelsOk);
            if (!levelsOk || demo.auditLevels < 1 || demo.auditLevels > 9) {
                std::fprintf(stderr, "vzserver: --audit-levels takes a number from 1 to 9\n");
                return 1;
            }
            dbOptions.fill = demodata::demoFill(demo);
        }
        try {
            server::AccountRegistry registry(options.dataDir);
            if (onPostgres) {
                std::printf("vzserver: building account set %s and copying it into "
                            "PostgreSQL...\n",
                            qPrintable(info.accountNo));
                std::fflush(stdout);
                registry.createOnPostgres(info, dbOptions, parser.value(pgOption).toStdString(),
                                          printTable);
            } else {
                registry.create(info, dbOptions);
            }
        } catch (const std::exception &e) {
            const auto *request = dynamic_cast<const server::RequestError *>(&e);
            const QString why = request ? request->message() : QString::fromUtf8(e.what());
            if (onPostgres)
                std::fprintf(stderr, "vzserver: account set %s was not created: %s\n",
                             qPrintable(info.accountNo), qPrintable(why));
            else
                std::fprintf(stderr, "vzserver: %s\n", qPrintable(why));
            return 1;
        }
        std::printf("vzserver: created account set %s in %s%s\n", qPrintable(info.accountNo),
                    qPrintable(options.dataDir), onPostgres ? "; it lives in PostgreSQL" : "");
        return 0;
    }

    std::unique_ptr<server::Server> instance;
    try {
        instance = std::make_unique<server::Server>(options);
    } catch (const wire::TlsError &e) {
        std::fprintf(stderr, "vzserver: %s\n", e.what());
        return 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "vzserver: cannot open the data folder %s: %s\n",
                     qPrintable(options.dataDir), e.what());
        return 1;
    }
    server::Server &server = *instance;
    QString error;
    if (!server.listen(&error)) {
        std::fprintf(stderr, "vzserver: %s\n", qPrintable(error));
        return 1;
    }
    raiseDescriptorLimit();
    g_server = &server;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    if (options.tls)
        std::printf("vzserver: TLS certificate SHA-256 fingerprint %s\n",
                    qPrintable(server.certificateFingerprint()));
    else
        std::printf("vzserver: without TLS: connections are not encrypted\n");
    std::printf("vzserver: listening on %s:%u\n", qPrintable(options.listenAddress),
                unsigned(server.port()));
    std::fflush(stdout);
    server.run();
    g_server = nullptr;
    return 0;
}
