// vzserver: the application server of the system.
#include "demodata/demodata.h"
#include "server/requesterror.h"
#include "server/server.h"

#include "vzversion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>

namespace {

server::Server *g_server = nullptr; // only for the signal handler

void onSignal(int)
{
    if (g_server)
        g_server->stop();
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
    const QCommandLineOption timeoutOption(
        QStringLiteral("query-timeout"),
        QStringLiteral("Stop a request's statements after this many seconds (default 120)."),
        QStringLiteral("S"), QStringLiteral("120"));
    parser.addOptions({versionOption, dataOption, portOption, listenOption, createOption,
                       demoOption, demoScaleOption, timeoutOption});
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

    server::ServerOptions options;
    options.dataDir = QDir(parser.value(dataOption)).absolutePath();
    options.listenAddress = parser.value(listenOption);
    options.port = uint16_t(port);
    options.queryTimeoutMs = timeoutSeconds * 1000;
    if (!QDir().mkpath(options.dataDir)) {
        std::fprintf(stderr, "vzserver: cannot create the data folder %s\n",
                     qPrintable(options.dataDir));
        return 1;
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
            dbOptions.fill = demodata::demoFill(demo);
        }
        try {
            server::AccountRegistry registry(options.dataDir);
            registry.create(info, dbOptions);
        } catch (const server::RequestError &e) {
            std::fprintf(stderr, "vzserver: %s\n", qPrintable(e.message()));
            return 1;
        } catch (const std::exception &e) {
            std::fprintf(stderr, "vzserver: %s\n", e.what());
            return 1;
        }
        std::printf("vzserver: created account set %s in %s\n", qPrintable(info.accountNo),
                    qPrintable(options.dataDir));
        return 0;
    }

    std::unique_ptr<server::Server> instance;
    try {
        instance = std::make_unique<server::Server>(options);
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
    g_server = &server;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    std::printf("vzserver: listening on %s:%u\n", qPrintable(options.listenAddress),
                unsigned(server.port()));
    std::fflush(stdout);
    server.run();
    g_server = nullptr;
    return 0;
}
