// vzserver: the application server of the system.
#include "server/server.h"

#include "vzversion.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <csignal>
#include <cstdio>

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
    parser.addOptions({versionOption, dataOption, portOption, listenOption});
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

    server::ServerOptions options;
    options.dataDir = QDir(parser.value(dataOption)).absolutePath();
    options.listenAddress = parser.value(listenOption);
    options.port = uint16_t(port);
    if (!QDir().mkpath(options.dataDir)) {
        std::fprintf(stderr, "vzserver: cannot create the data folder %s\n",
                     qPrintable(options.dataDir));
        return 1;
    }

    server::Server server(options);
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
