// The session object of the run.
#include "client/core/session.h"

#include "vzversion.h"

TSessionInfo::TSessionInfo()
{
    Product.Title = QStringLiteral(VZ_PRODUCT_TITLE);
    Product.Version = QStringLiteral(VZ_PRODUCT_VERSION);
    Product.Caption = Product.Title + Product.Version;
    Product.Code = QStringLiteral("VzClient");
}

QString ClientVersionName()
{
    const TProduct &product = SessionInfo().Product;
    return product.Code + product.Version;
}

TSessionInfo &SessionInfo()
{
    static TSessionInfo session;
    return session;
}

int CurUserID = 0;
QString CurUserCode;
QString CurUserName;
QString CurUserPassword;
QString CurGroupID;
QString ComputerName;
