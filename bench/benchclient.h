// What the benchmarks that drive the client share: scale-1 account sets in a server's data
// folder, and the central data module connected to one of them as the administrator.
#pragma once

#include "client/core/paths.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/socketconnection.h"
#include "client/forms/globalobj.h"
#include "sql/database.h"
#include "support/serverprocess.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace bench {

// Creates the account set with the scale-1 demo rows; false after saying why.
inline bool createScaleOneAccountSet(const vztest::ServerProcess &server, const QString &accountNo,
                                     const char *benchmark)
{
    QString output;
    if (server.runTool({QStringLiteral("--create-account"), accountNo,
                        QStringLiteral("--demo-scale"), QStringLiteral("1")},
                       &output) == 0)
        return true;
    std::fprintf(stderr, "%s: %s\n", benchmark, qPrintable(output));
    return false;
}

// Stores a purchase receipt CS<id> of the given number of lines over the set's first goods
// straight into the account set's file, its lines linked to the header as a save links them.
inline void storeReceipt(const std::string &file, int id, int lines)
{
    sql::Database db(file, sql::Database::Mode::ReadWrite);
    db.exec("BEGIN");
    db.exec("INSERT INTO CGSHZB (ID, DJBH, RQ, GYSID, CKID, FPLX, CGLX, NZK, CZY, YWY) VALUES (" +
            std::to_string(id) + ", 'CS" + std::to_string(id) +
            "', '2026-01-05', 1, 1, 3, 1, 1, 'SYS', 'SYS')");
    db.exec("INSERT INTO CGSH (ZBID, HH, DJBH, RQ, CKID, HPID, SL, DJ, NZK, NSL, RECID) SELECT " +
            std::to_string(id) + ", ID, 'CS" + std::to_string(id) +
            "', '2026-01-05', 1, ID, 1 + ID % 7, JJ, 1, 17, 'R' || ID FROM HP WHERE ID <= " +
            std::to_string(lines));
    db.exec("COMMIT");
}

// Connects the module to the account set and makes SYS the user, as a login would; false
// after saying why.
inline bool connectAsAdministrator(TData &data, const QString &address, const QString &accountNo,
                                   const char *benchmark)
{
    // A client folder of the benchmark's own, so that certificates remembered from servers
    // earlier runs had on the same port do not refuse this one.
    static QTemporaryDir clientFolder;
    SetExeDir(clientFolder.path());
    data.cn().SetHost(address);
    CurUserCode = QStringLiteral("SYS"); // the connection logs SYS in
    CurUserPassword.clear();
    QString account = accountNo;
    if (data.cn().AppServer().ConnectAct(0, account)) {
        std::fprintf(stderr, "%s: account set %s refused\n", benchmark, qPrintable(accountNo));
        return false;
    }
    SessionInfo().DatabaseKind = 0;
    FuncRight() = TSystemFunctionRight();
    FuncRight().SetDataSets(&data.Tmp(), &data.Tmpf(), &data.Tmpl());
    FuncRight().UserCode = QStringLiteral("SYS");
    FuncRight().UserName = QStringLiteral("系统管理员");
    return true;
}

// The stored receipts the document benchmarks compare: CS<LargeReceipt> of 500 lines and
// CS<SmallReceipt> of 5.
constexpr int LargeReceipt = 990500;
constexpr int SmallReceipt = 990005;

// Starts the server on a scale-1 account set holding the two receipts and connects the module
// as the administrator; false after saying why.
inline bool startWithReceipts(vztest::ServerProcess &server, TData &data, const char *benchmark)
{
    std::printf("building the scale-1 account set...\n");
    std::fflush(stdout);
    if (!createScaleOneAccountSet(server, QStringLiteral("001"), benchmark))
        return false;
    const std::string file =
        QDir(server.dataDir()).filePath(QStringLiteral("001/VzData.db")).toStdString();
    storeReceipt(file, LargeReceipt, 500);
    storeReceipt(file, SmallReceipt, 5);
    if (!server.start()) {
        std::fprintf(stderr, "%s: %s\n", benchmark, qPrintable(server.error()));
        return false;
    }
    return connectAsAdministrator(data, server.address(), QStringLiteral("001"), benchmark);
}

// The value of "--runs N" (at least 3), or the default.
inline int runsArgument(int argc, char *argv[], int runs)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0)
            return std::max(3, std::atoi(argv[i + 1]));
    return runs;
}

} // namespace bench
