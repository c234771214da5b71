// The end-to-end tests of the server link, the central data modules and the reconcile
// dialog: one executable, several Qt Test classes, one widget application.
#include "linkfixture.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int failed = 0;
    failed += runLinkTests(argc, argv);
    failed += runCentralDataTests(argc, argv);
    failed += runServerChangeLogTests(argc, argv);
    failed += runReconcileFormTests(argc, argv);
    return failed == 0 ? 0 : 1;
}
