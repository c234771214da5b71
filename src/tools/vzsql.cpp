// vzsql: runs SQL in the client's dialects on an account-set database and prints results as CSV.
#include "tools/remoteshell.h"
#include "tools/vzsql_local.h"

#include "vzversion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <optional>

namespace {

struct Options
{
    QString database; // --db: local mode
    QString postgres; // --pg: local mode on a PostgreSQL account set
    QString server;   // --server: remote mode
    QString account;
    QString user; // --user
    bool tls = true;
    QString fingerprint;
    vzsql::Request request;
};

// Reads the command line into `options`; returns an exit status when the program should stop.
std::optional<int> parseOptions(const QCoreApplication &app, Options &options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(VZ_PRODUCT_TITLE " SQL shell: runs statements in the client's Jet or "
                                        "T-SQL dialect on an account-set database and prints "
                                        "results as CSV."));
    parser.addHelpOption();
    const QCommandLineOption versionOption(QStringLiteral("version"),
                                           QStringLiteral("Print the version and exit."));
    const QCommandLineOption dbOption(QStringLiteral("db"),
                                      QStringLiteral("Database file (created when missing)."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption pgOption(
        QStringLiteral("pg"),
        QStringLiteral("A PostgreSQL account set (one --migrate-account made), by its libpq "
                       "connection string."),
        QStringLiteral("CONNINFO"));
    const QCommandLineOption dialectOption(QStringLiteral("dialect"),
                                           QStringLiteral("SQL dialect: jet (default) or tsql."),
                                           QStringLiteral("jet|tsql"), QStringLiteral("jet"));
    const QCommandLineOption commandOption(QStringList{QStringLiteral("c")},
                                           QStringLiteral("Statement to run."),
                                           QStringLiteral("SQL"));
    const QCommandLineOption fileOption(QStringList{QStringLiteral("f")},
                                        QStringLiteral("Run the statements of a file in order."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption translateOption(
        QStringLiteral("translate"),
        QStringLiteral("Print the translated text (PostgreSQL's with --pg) instead of running."));
    const QCommandLineOption referencesOption(
        QStringLiteral("references"),
        QStringLiteral("Print the table,column pairs the statements name (resolved against "
                       "--db when given)."));
    const QCommandLineOption serverOption(QStringLiteral("server"),
                                          QStringLiteral("Run through the vzserver at HOST:PORT."),
                                          QStringLiteral("HOST:PORT"));
    const QCommandLineOption accountOption(
        QStringLiteral("account"), QStringLiteral("With --server: the account set to open."),
        QStringLiteral("NO"));
    const QCommandLineOption userOption(
        QStringLiteral("user"),
        QStringLiteral("With --server: log in as this user; the password comes from the "
                       "environment variable VZ_PASSWORD or is asked for on the terminal."),
        QStringLiteral("CODE"));
    const QCommandLineOption noTlsOption(
        QStringLiteral("no-tls"),
        QStringLiteral("With --server: connect without TLS, to a server run with --no-tls."));
    const QCommandLineOption fingerprintOption(
        QStringLiteral("fingerprint"),
        QStringLiteral("With --server: the SHA-256 fingerprint the server's certificate must "
                       "have (as vzserver prints it at start); without it any certificate is "
                       "accepted and its fingerprint printed."),
        QStringLiteral("HEX"));
    parser.addOptions({versionOption, dbOption, pgOption, dialectOption, commandOption, fileOption,
                       translateOption, referencesOption, serverOption, accountOption, noTlsOption,
                       fingerprintOption, userOption});
    parser.process(app);

    if (parser.isSet(versionOption)) {
        std::printf("vzsql (%s) %s\n", VZ_PRODUCT_TITLE, VZ_PRODUCT_VERSION);
        return 0;
    }
    const QString dialect = parser.value(dialectOption).toLower();
    if (dialect == QLatin1String("jet")) {
        options.request.dialect = sql::Dialect::Jet;
    } else if (dialect == QLatin1String("tsql")) {
        options.request.dialect = sql::Dialect::TSql;
    } else {
        std::fprintf(stderr, "vzsql: unknown dialect %s (jet or tsql)\n", qPrintable(dialect));
        return 2;
    }
    if (parser.isSet(translateOption) && parser.isSet(referencesOption)) {
        std::fprintf(stderr, "vzsql: --translate and --references exclude each other\n");
        return 2;
    }
    if (parser.isSet(translateOption))
        options.request.action = vzsql::Action::Translate;
    else if (parser.isSet(referencesOption))
        options.request.action = vzsql::Action::References;

    if (parser.isSet(commandOption) == parser.isSet(fileOption)) {
        std::fprintf(stderr, "vzsql: give either -c SQL or -f FILE (see --help)\n");
        return 2;
    }
    try {
        QString text;
        if (parser.isSet(fileOption)) {
            QFile file(parser.value(fileOption));
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "vzsql: cannot read %s: %s\n",
                             qPrintable(parser.value(fileOption)), qPrintable(file.errorString()));
                return 1;
            }
            text = QString::fromUtf8(file.readAll());
        } else {
            text = parser.values(commandOption).join(QStringLiteral(";\n"));
        }
        try {
            options.request.statements =
                sql::splitStatements(text.toStdString(), options.request.dialect);
        } catch (const sql::Error &) {
            // Through a server, its translator is the judge: a text that does not split here
            // goes to it whole, and its reply gives the reason.
            if (!parser.isSet(serverOption))
                throw;
            options.request.statements = {text.toStdString()};
        }
    } catch (const sql::Error &e) {
        std::fprintf(stderr, "vzsql: %s\n", e.what());
        return 1;
    }

    options.server = parser.value(serverOption);
    options.account = parser.value(accountOption);
    options.user = parser.value(userOption);
    options.tls = !parser.isSet(noTlsOption);
    options.fingerprint = parser.value(fingerprintOption).trimmed();
    if (!options.tls && !options.fingerprint.isEmpty()) {
        std::fprintf(stderr, "vzsql: --no-tls excludes --fingerprint\n");
        return 2;
    }
    if (!options.server.isEmpty())
        return std::nullopt;
    if (parser.isSet(dbOption) && parser.isSet(pgOption)) {
        std::fprintf(stderr, "vzsql: --db and --pg exclude each other\n");
        return 2;
    }
    if (parser.isSet(dbOption))
        options.database = QFileInfo(parser.value(dbOption)).absoluteFilePath();
    options.postgres = parser.value(pgOption);
    if (options.database.isEmpty() && options.postgres.isEmpty() &&
        options.request.action != vzsql::Action::References) {
        std::fprintf(stderr, "vzsql: --db FILE or --pg CONNINFO is required (see --help)\n");
        return 2;
    }
    return std::nullopt;
}

// VZ_PASSWORD, else asked on the terminal without echo; empty when there is no terminal.
QString readPassword(const QString &user)
{
    if (qEnvironmentVariableIsSet("VZ_PASSWORD"))
        return qEnvironmentVariable("VZ_PASSWORD");
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY);
    if (tty < 0)
        return {};
    const QByteArray prompt = QStringLiteral("Password for %1: ").arg(user).toLocal8Bit();
    (void)!::write(tty, prompt.constData(), size_t(prompt.size()));
    termios saved{};
    const bool isTerminal = ::tcgetattr(tty, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    QByteArray line;
    char c = 0;
    while (::read(tty, &c, 1) == 1 && c != '\n' && line.size() < 1024)
        line += c;
    if (isTerminal)
        ::tcsetattr(tty, TCSAFLUSH, &saved);
    (void)!::write(tty, "\n", 1);
    ::close(tty);
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromLocal8Bit(line);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vzsql"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VZ_PRODUCT_VERSION));
    std::ios::sync_with_stdio(false);

    Options options;
    if (auto status = parseOptions(app, options))
        return *status;
    if (!options.server.isEmpty()) {
        tools::RemoteOptions remote;
        remote.server = options.server;
        remote.accountNo = options.account;
        remote.user = options.user;
        if (!remote.user.isEmpty())
            remote.password = readPassword(remote.user);
        remote.tls = options.tls;
        remote.fingerprint = options.fingerprint;
        remote.databaseKind = options.request.dialect == sql::Dialect::TSql ? 1 : 0;
        for (const std::string &statement : options.request.statements)
            remote.statements.append(QString::fromStdString(statement));
        return tools::runRemote(remote);
    }
    if (!options.postgres.isEmpty()) {
        const std::string conninfo = options.postgres.toStdString();
        return vzsql::runLocal([&] { return vzsql::openPostgres(conninfo); }, options.request,
                               std::cout, std::cerr);
    }
    if (options.database.isEmpty())
        return vzsql::listReferences(options.request, std::cout, std::cerr);
    const std::string path = options.database.toStdString();
    return vzsql::runLocal([&] { return vzsql::openFile(path); }, options.request, std::cout,
                           std::cerr);
}
