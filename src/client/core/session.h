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

    // The first price level (SJZL ordered by XH), read when the main window shows; the sales
    // documents start from it. 0 when there is none.
    int DefaultSjzlID = 0;
};

// The product code with the client's version: the name the client's program is kept under
// on the server (the upgrade check and the upload).
QString ClientVersionName();

// The one session of the process, created before the first form and freed at exit.
TSessionInfo &SessionInfo();

// The logged-in user, set once by the login for the main window and the password dialog.
extern int CurUserID;           // AppUser.ID
extern QString CurUserCode;     // uCode
extern QString CurUserName;     // uName
extern QString CurUserPassword; // uPassword; the password dialog changes it
extern QString CurGroupID;      // gID, "(1,2)"
// The local computer's name, read when the login dialog shows.
extern QString ComputerName;
