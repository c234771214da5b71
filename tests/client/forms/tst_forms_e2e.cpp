// The end-to-end tests of the list and edit forms, the reference check, the table script,
// the filter, find and selection dialogs and the grid exports: one executable, several Qt
// Test classes, one vzserver on a demo account set shared by them.
#include "formsfixture.h"
#include "formstests.h"

#include <QApplication>

namespace formstest {

Environment *g_environment = nullptr;

Environment &env()
{
    return *g_environment;
}

} // namespace formstest

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    formstest::Environment environment;
    if (!environment.start()) {
        qCritical("the server did not start: %s", qPrintable(environment.error()));
        return 1;
    }
    formstest::g_environment = &environment;
    int failed = 0;
    failed += runListFormTests(argc, argv);
    failed += runEditFormTests(argc, argv);
    failed += runReferenceTests(argc, argv);
    failed += runDialogTests(argc, argv);
    failed += runExportTests(argc, argv);
    environment.stop();
    return failed == 0 ? 0 : 1;
}
