// vzclient: the desktop client.
#include "client/app/session.h"
#include "client/forms/gallery.h"
#include "client/shell/mainwindow.h"

#include "vzversion.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <memory>

namespace {

struct ClientOptions
{
    QCommandLineOption version{QStringLiteral("version"),
                               QStringLiteral("Print the version and exit.")};
    QCommandLineOption gallery{QStringLiteral("gallery"),
                               QStringLiteral("Show the component gallery instead of logging in.")};
    QCommandLineOption screenshot{QStringLiteral("screenshot"),
                                  QStringLiteral("With --gallery: save a picture of the window "
                                                 "to <file> and exit."),
                                  QStringLiteral("file")};
    QCommandLineOption page{QStringLiteral("page"),
                            QStringLiteral("With --gallery: the page to show (0-3)."),
                            QStringLiteral("n"), QStringLiteral("0")};
};

void setUpParser(QCommandLineParser &parser, const ClientOptions &options)
{
    parser.setApplicationDescription(QStringLiteral(VZ_PRODUCT_TITLE " desktop client."));
    parser.addHelpOption();
    parser.addOption(options.version);
    parser.addOption(options.gallery);
    parser.addOption(options.screenshot);
    parser.addOption(options.page);
}

// --help and --version must work without a display, so they are answered before the
// GUI application exists.
bool wantsConsoleOnly(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--version" || arg == "--help" || arg == "-h" || arg == "-?")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    const ClientOptions options;
    if (wantsConsoleOnly(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("vzclient"));
        QCommandLineParser parser;
        setUpParser(parser, options);
        parser.process(app); // prints the help and exits when asked
        std::printf("vzclient (%s) %s\n", VZ_PRODUCT_TITLE, VZ_PRODUCT_VERSION);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vzclient"));
    QApplication::setApplicationVersion(QStringLiteral(VZ_PRODUCT_VERSION));
    QCommandLineParser parser;
    setUpParser(parser, options);
    parser.process(app);

    if (parser.isSet(options.gallery))
        return RunGallery(parser.value(options.screenshot), parser.value(options.page).toInt());

    TfrmMain mainWindow;
    mainWindow.show();
    return app.exec();
}
