// vzsql's remote mode: runs statements through a running vzserver (the same protocol the
// desktop client speaks) and prints results as CSV, like the local mode does.
#pragma once

#include <QString>
#include <QStringList>

namespace tools {

struct RemoteOptions
{
    QString server; // HOST:PORT (the port defaults to 211)
    QString accountNo;
    int databaseKind = 0; // 0: Jet dialect, 1: T-SQL dialect
    QString user;         // logs in as this user when set
    QString password;
    QStringList statements;
    bool tls = true;
    // The fingerprint the server's certificate must have; without one any is accepted and
    // its fingerprint printed on standard error.
    QString fingerprint;
};

// Runs the statements in order; the process exit status (0, or 1 after printing the error
// to standard error).
int runRemote(const RemoteOptions &options);

} // namespace tools
