// vzclient: the desktop client.
#include "client/admin/alert.h"
#include "client/admin/registerforms.h"
#include "client/admin/tranexcel.h"
#include "client/app/startup.h"
#include "client/core/paths.h"
#include "client/core/session.h"
#include "client/documents/registerforms.h"
#include "client/forms/gallery.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/registerforms.h"
#include "client/personnel/registerforms.h"
#include "client/print/demonote.h"
#include "client/reports/registerreports.h"
#include "client/shell/hooks.h"
#include "client/shell/mainwindow.h"
#include "client/widgets/uistyle.h"

#include "vzversion.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <algorithm>
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
                                  QStringLiteral("Save a picture of the main window (or of the "
                                                 "gallery) to <file> and exit."),
                                  QStringLiteral("file")};
    QCommandLineOption autologin{
        QStringLiteral("autologin"),
        QStringLiteral("Answer the start-up dialogs: the offered server and account set, then "
                       "log in as <user[:password]>."),
        QStringLiteral("user[:password]")};
    QCommandLineOption open{QStringLiteral("open"),
                            QStringLiteral("After logging in, choose the menu item <name> "
                                           "(\"mnuCk\" for the warehouses), as a click would."),
                            QStringLiteral("name")};
    QCommandLineOption printDemo{
        QStringLiteral("print-demo"),
        QStringLiteral("Print a sample delivery note through Reports/销售出库单.rtm (or the "
                       "template of --template) to the PDF <file> and exit, without logging in."),
        QStringLiteral("file")};
    QCommandLineOption reportTemplate{QStringLiteral("template"),
                                      QStringLiteral("With --print-demo: the template to use."),
                                      QStringLiteral("file.rtm")};
    QCommandLineOption noTls{QStringLiteral("no-tls"),
                             QStringLiteral("Connect to the server without TLS (a server run "
                                            "with --no-tls, on a trusted loopback only).")};
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
    parser.addOption(options.autologin);
    parser.addOption(options.open);
    parser.addOption(options.printDemo);
    parser.addOption(options.reportTemplate);
    parser.addOption(options.noTls);
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
    QApplication::setWindowIcon(ProductIcon());
    QCommandLineParser parser;
    setUpParser(parser, options);
    parser.process(app);

    if (parser.isSet(options.gallery))
        return RunGallery(parser.value(options.screenshot), parser.value(options.page).toInt());

    if (parser.isSet(options.printDemo)) {
        const QString templateFile = parser.isSet(options.reportTemplate)
                                         ? parser.value(options.reportTemplate)
                                         : ExeDirFile(QStringLiteral("Reports/销售出库单.rtm"));
        QString error;
        if (!print::PrintDemoDeliveryNote(templateFile, parser.value(options.printDemo), &error)) {
            std::fprintf(stderr, "vzclient: %s\n", qPrintable(error));
            return 1;
        }
        return 0;
    }

    RegisterDataAccessLibrary();
    RegisterAdminForms();
    SetShowAlertRoutine([](const QString &kind, bool atStart) {
        ShowAlertWindow(kind, atStart, QApplication::activeWindow());
    });
    SetImportFromExcelRoutine(ImportMasterDataFromExcel);
    RegisterMasterDataForms();
    RegisterPersonnelForms();
    RegisterDocumentForms();
    RegisterReportForms();

    TStartupOptions startupOptions;
    startupOptions.AutoLogin = parser.value(options.autologin);
    startupOptions.Tls = !parser.isSet(options.noTls);
    TStartup startup(startupOptions);
    if (!startup.Run())
        return 0;

    const QString item = parser.value(options.open);
    if (!item.isEmpty()) {
        QAction *action = startup.MainWindow()->Item(item);
        // A sub-menu opens what its first item opens.
        if (action && action->menu() && !action->menu()->actions().isEmpty())
            action = action->menu()->actions().constFirst();
        if (!action) {
            std::fprintf(stderr, "vzclient: the menu has no item %s\n", qPrintable(item));
            return 2;
        }
        // A script cannot click a message box away: a window this version lacks ends the
        // client with its own status, and the picture is not taken.
        GlobalObj().MDIWindows.OnWindowMissing = [item](const QString &) {
            std::fprintf(stderr, "vzclient: %s has no window in this version\n", qPrintable(item));
            QApplication::exit(3);
        };
        QTimer::singleShot(0, action, [action] {
            action->trigger();
            GlobalObj().MDIWindows.OnWindowMissing = nullptr;
        });
    }

    const QString picture = parser.value(options.screenshot);
    if (!picture.isEmpty()) {
        // Once the frame has laid out and painted its workspace.
        QTimer::singleShot(1500, &app, [&startup, picture] {
            // Dialogs and tool windows over the frame are taken as the user sees them.
            const bool overFrame = std::ranges::any_of(
                QApplication::topLevelWidgets(), [&startup](const QWidget *window) {
                    return window != startup.MainWindow() && window->isVisible() &&
                           !window->inherits("QMenu");
                });
            QScreen *screen = startup.MainWindow()->screen();
            const QPixmap shot =
                overFrame && screen ? screen->grabWindow(0) : startup.MainWindow()->grab();
            const bool saved = shot.save(picture);
            std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "saved" : "could not save",
                         qPrintable(picture));
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
