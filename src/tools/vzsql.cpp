// vzsql: runs SQL on an account-set database file and prints results as CSV.
#include "sql/database.h"
#include "tools/remoteshell.h"

#include "vzversion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <string>

namespace {

// RFC 4180: a field is quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string &value)
{
    if (value.find_first_of(",\"\r\n") == std::string::npos)
        return value;
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void printRows(sql::Statement &statement)
{
    const int columns = statement.columnCount();
    if (columns == 0) {
        while (statement.step()) {
        }
        return;
    }
    std::string line;
    for (int c = 0; c < columns; ++c) {
        if (c)
            line += ',';
        line += csvField(statement.columnName(c));
    }
    std::printf("%s\r\n", line.c_str());
    while (statement.step()) {
        line.clear();
        for (int c = 0; c < columns; ++c) {
            if (c)
                line += ',';
            if (!statement.isNull(c))
                line += csvField(statement.columnText(c));
        }
        std::printf("%s\r\n", line.c_str());
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vzsql"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VZ_PRODUCT_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(VZ_PRODUCT_TITLE " SQL shell: runs statements on an account-set database "
                                        "and prints results as CSV."));
    parser.addHelpOption();
    const QCommandLineOption versionOption(QStringLiteral("version"),
                                           QStringLiteral("Print the version and exit."));
    const QCommandLineOption dbOption(QStringLiteral("db"),
                                      QStringLiteral("Database file (created when missing)."),
                                      QStringLiteral("FILE"));
    const QCommandLineOption commandOption(QStringList{QStringLiteral("c")},
                                           QStringLiteral("Statement to run."),
                                           QStringLiteral("SQL"));
    const QCommandLineOption serverOption(QStringLiteral("server"),
                                          QStringLiteral("Run through the vzserver at HOST:PORT."),
                                          QStringLiteral("HOST:PORT"));
    const QCommandLineOption accountOption(
        QStringLiteral("account"), QStringLiteral("With --server: the account set to open."),
        QStringLiteral("NO"));
    const QCommandLineOption dialectOption(QStringLiteral("dialect"),
                                           QStringLiteral("SQL dialect: jet (default) or tsql."),
                                           QStringLiteral("jet|tsql"), QStringLiteral("jet"));
    parser.addOptions(
        {versionOption, dbOption, commandOption, serverOption, accountOption, dialectOption});
    parser.process(app);

    if (parser.isSet(versionOption)) {
        std::printf("vzsql (%s) %s\n", VZ_PRODUCT_TITLE, VZ_PRODUCT_VERSION);
        return 0;
    }
    if (parser.isSet(serverOption)) {
        tools::RemoteOptions remote;
        remote.server = parser.value(serverOption);
        remote.accountNo = parser.value(accountOption);
        remote.databaseKind =
            parser.value(dialectOption).compare(QLatin1String("tsql"), Qt::CaseInsensitive) == 0
                ? 1
                : 0;
        remote.statements = parser.values(commandOption);
        return tools::runRemote(remote);
    }
    if (!parser.isSet(dbOption) || !parser.isSet(commandOption)) {
        std::fprintf(stderr, "vzsql: --db FILE and -c SQL are required (see --help)\n");
        return 2;
    }

    try {
        sql::Database db(QFileInfo(parser.value(dbOption)).absoluteFilePath().toStdString());
        auto statement = db.prepare(parser.value(commandOption).toStdString());
        printRows(statement);
    } catch (const sql::Error &e) {
        std::fprintf(stderr, "vzsql: %s\n", e.what());
        return 1;
    }
    return 0;
}
