// The header look-ups document types share.
#include "client/documents/headerlookup.h"

namespace HeaderLookups {

namespace {

THeaderLookup byName(const char *table, const char *idField, const char *nameField)
{
    return {QLatin1String(nameField),
            QStringLiteral("select ID, MC from ") + QLatin1String(table) +
                QStringLiteral(" where MC = "),
            {QLatin1String(idField), QLatin1String(nameField)},
            {QStringLiteral("ID"), QStringLiteral("MC")},
            {}};
}

} // namespace

THeaderLookup Supplier(std::function<void()> pick)
{
    return {QStringLiteral("aGYSBH"),
            QStringLiteral("select * from GYS where BH = "),
            {QStringLiteral("GYSID"), QStringLiteral("aGYSMC")},
            {QStringLiteral("ID"), QStringLiteral("MC")},
            std::move(pick)};
}

THeaderLookup Customer(std::function<void()> pick)
{
    return {QStringLiteral("aKHBH"),
            QStringLiteral("select * from KH where BH = "),
            {QStringLiteral("KHID"), QStringLiteral("aKHMC")},
            {QStringLiteral("ID"), QStringLiteral("MC")},
            std::move(pick)};
}

THeaderLookup Salesman()
{
    return {QStringLiteral("YWY"),
            QStringLiteral("select XM from YG where BH = "),
            {QStringLiteral("YWY")},
            {QStringLiteral("XM")},
            {}};
}

THeaderLookup Warehouse()
{
    return byName("CK", "CKID", "aCKMC");
}

THeaderLookup PaymentMethod()
{
    return byName("SFKFS", "SFKFSID", "aSFKFSMC");
}

THeaderLookup Account()
{
    return byName("ZH", "ZHID", "aZHMC");
}

THeaderLookup InvoiceType()
{
    return byName("FPLX", "FPLX", "aFPLX");
}

} // namespace HeaderLookups
