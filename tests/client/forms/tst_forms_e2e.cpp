// The end-to-end tests of the list and edit forms, the reference check, the table script,
// the filter, find and selection dialogs and the grid exports: one executable, several Qt
// Test classes, one vzserver on a demo account set shared by them.
#include "client/data/serveraccess.h"
#include "formstests.h"

#include <QApplication>

namespace formstest {

namespace {

vztest::TestWorld *g_world = nullptr;

bool addSharedCustomers()
{
    return ExecSQLScript({QStringLiteral("insert into KH (ID, BH, MC, ZJM, QCJE) values "
                                         "(9001, 'T9001', 'O''Neil商行', 'ONSH', 100)"),
                          QStringLiteral("insert into KH (ID, BH, MC, ZJM, QCJE) values "
                                         "(9002, 'T9002', '天河商店', 'THSD', 20.5)"),
                          QStringLiteral("insert into KH (ID, BH, MC, ZJM) values "
                                         "(9003, 'ON9003', '东方', 'DF')")});
}

} // namespace

vztest::TestWorld &env()
{
    return *g_world;
}

} // namespace formstest

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    vztest::TestWorld world;
    if (!world.start() || !formstest::addSharedCustomers()) {
        qCritical("the test world did not start: %s", qPrintable(world.error()));
        return 1;
    }
    formstest::g_world = &world;
    int failed = 0;
    failed += runListFormTests(argc, argv);
    failed += runEditFormTests(argc, argv);
    failed += runReferenceTests(argc, argv);
    failed += runDialogTests(argc, argv);
    failed += runExportTests(argc, argv);
    world.stop();
    return failed == 0 ? 0 : 1;
}
