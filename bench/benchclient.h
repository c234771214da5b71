// What the benchmarks that drive the client share: scale-1 account sets in a server's data
// folder, and the central data module connected to one of them as the administrator.
#pragma once

#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/socketconnection.h"
#include "client/forms/globalobj.h"
#include "support/serverprocess.h"

#include <cstdio>

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

// Connects the module to the account set and makes SYS the user, as a login would; false
// after saying why.
inline bool connectAsAdministrator(TData &data, const QString &address, const QString &accountNo,
                                   const char *benchmark)
{
    data.cn().SetHost(address);
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

} // namespace bench
