// The end-to-end tests of the server link, the central data modules, the reconcile dialog
// and the shared routines with windows: one executable, several Qt Test classes.
#include "linktests.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failed = 0;
    failed += runLinkTests(argc, argv);
    failed += runCentralDataTests(argc, argv);
    failed += runServerChangeLogTests(argc, argv);
    failed += runReconcileFormTests(argc, argv);
    failed += runSharedRoutinesTests(argc, argv);
    failed += runAtomicRequestTests(argc, argv);
    return failed == 0 ? 0 : 1;
}
