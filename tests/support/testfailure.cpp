// Routes a failure found by support code to the framework that runs the test.
#include "support/testfailure.h"

#include <QTest>

#include <gtest/gtest.h>

namespace vztest {

namespace {

bool googleTestRuns()
{
    return ::testing::UnitTest::GetInstance()->current_test_info() != nullptr;
}

bool qtTestRuns()
{
    return QTest::currentTestFunction() != nullptr;
}

} // namespace

void failTest(const QString &message, const char *file, int line)
{
    if (googleTestRuns())
        ADD_FAILURE_AT(file, line) << message.toStdString();
    else if (qtTestRuns())
        QTest::qFail(qPrintable(message), file, line);
    else
        qCritical("%s:%d: %s", file, line, qPrintable(message));
}

bool testHasFailed()
{
    if (googleTestRuns())
        return ::testing::Test::HasFailure();
    return qtTestRuns() && QTest::currentTestFailed();
}

} // namespace vztest
