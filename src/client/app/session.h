// The session object: which server, which account set, which SQL dialect; lives for the run.
#pragma once

#include <QString>

struct TProduct
{
    QString Title;
    QString Version;
    QString Caption; // Title followed directly by Version, for dialog captions
    QString Code;    // product code sent by the upgrade check
};

class TSessionInfo
{
public:
    TSessionInfo();

    int DatabaseKind = 0; // 0: account sets and the Jet dialect; 1: one database, T-SQL
    bool HideVendorInfo = false;
    QString ServerHost;
    QString AccountNo;
    QString AccountName;
    TProduct Product;

    int ChildTopMDI = 0;
    int ChildTopOther = 0;
    int ChildLeft = 0;
    int AreaHeight = 0;
    int ChildHeight = 0;
    int AreaWidth = 0;
    int ChildWidth = 0;
};

// The one session of the process, created before the first form and freed at exit.
TSessionInfo &SessionInfo();
