// Resolution of provider names to tables, queries and scratch providers.
#include "server/provider.h"

#include "server/requesterror.h"
#include "wire/protocol.h"

#include <array>

namespace server {

namespace {

// The central data module's scratch datasets and pools; pAccountTemp is the registry's.
constexpr std::array<const char *, 6> scratchProviders{"pTmp",    "pTmpf", "pTmpl",
                                                       "pQryPub", "pPub",  "pProject"};
constexpr char registryScratchProvider[] = "pAccountTemp";

} // namespace

bool isRegistryProvider(const QString &name)
{
    return name.compare(QLatin1String(AccountListProvider), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String(registryScratchProvider), Qt::CaseInsensitive) == 0;
}

Provider resolveProvider(const QString &name, bool hasCommandText,
                         const std::function<QString(const QString &)> &findTable)
{
    Provider provider;
    provider.name = name;
    if (name.compare(QLatin1String(AccountListProvider), Qt::CaseInsensitive) == 0) {
        provider.kind = Provider::Kind::AccountList;
        return provider;
    }
    if (name.compare(QLatin1String(registryScratchProvider), Qt::CaseInsensitive) == 0) {
        provider.kind = Provider::Kind::Registry;
        return provider;
    }
    for (const char *scratch : scratchProviders) {
        if (name.compare(QLatin1String(scratch), Qt::CaseInsensitive) == 0) {
            provider.kind = Provider::Kind::Scratch;
            return provider;
        }
    }
    if (name.size() > 1 && (name[0] == u'p' || name[0] == u'P')) {
        provider.table = findTable(name.mid(1));
        if (!provider.table.isEmpty()) {
            provider.kind = Provider::Kind::Table;
            return provider;
        }
        if (hasCommandText) {
            provider.kind = Provider::Kind::Query;
            return provider;
        }
        throw RequestError(wire::code::Provider,
                           QStringLiteral("unknown provider \"%1\": the account set has no table "
                                          "\"%2\" and no command text was sent")
                               .arg(name, name.mid(1)));
    }
    throw RequestError(wire::code::Provider, QStringLiteral("unknown provider \"%1\"").arg(name));
}

} // namespace server
