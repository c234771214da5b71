#include "client/app/session.h"

#include "vzversion.h"

TSessionInfo::TSessionInfo()
{
    Product.Title = QStringLiteral(VZ_PRODUCT_TITLE);
    Product.Version = QStringLiteral(VZ_PRODUCT_VERSION);
    Product.Caption = Product.Title + Product.Version;
    Product.Code = QStringLiteral("VzClient");
}

TSessionInfo &SessionInfo()
{
    static TSessionInfo session;
    return session;
}
