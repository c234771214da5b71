// Failing the running test from support code, whichever framework runs it: Qt Test for the
// widget and form tests, GoogleTest for the library tests.
#pragma once

#include <QString>

namespace vztest {

// Records a failure of the running test at file:line. Outside any test the message goes to
// the log as a critical message.
void failTest(const QString &message, const char *file, int line);

// Whether the running test has failed already (a second report would only repeat it).
bool testHasFailed();

} // namespace vztest
