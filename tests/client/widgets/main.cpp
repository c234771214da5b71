// The widget tests: one executable, one Qt Test class per component family.
#include "client/core/paths.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

int runLedgerTests(int argc, char **argv);
int runGridTests(int argc, char **argv);
int runEditorTests(int argc, char **argv);
int runLookupTests(int argc, char **argv);
int runLookupBoxTests(int argc, char **argv);
int runTreeTests(int argc, char **argv);
int runMessageTests(int argc, char **argv);
int runImageTests(int argc, char **argv);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir home;
    SetExeDir(home.path());
    int failed = 0;
    for (auto run : {runLedgerTests, runGridTests, runEditorTests, runLookupTests,
                     runLookupBoxTests, runTreeTests, runMessageTests, runImageTests})
        failed += run(argc, argv);
    return failed;
}
