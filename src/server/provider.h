// Providers: the names clients open and save through. "p" + a table name reads and saves that
// table; scratch providers run any command text; dspAccounts is the list of account sets and
// pAccountTemp a scratch provider on the server's registry.
#pragma once

#include <QString>

#include <functional>

namespace server {

struct Provider
{
    enum class Kind {
        Table,       // "p" + an existing table: reads it when no command text is sent
        Query,       // "p" + a name that is no table, opened with a command text
        Scratch,     // pTmp, pQryPub, ...: any command text
        AccountList, // dspAccounts
        Registry     // pAccountTemp: any command text on the registry
    };

    Kind kind = Kind::Scratch;
    QString name;
    QString table; // Table: the table's stored name

    bool onRegistry() const { return kind == Kind::AccountList || kind == Kind::Registry; }
};

inline constexpr char AccountListProvider[] = "dspAccounts";

// Providers that work before an account set is chosen: they live on the registry.
bool isRegistryProvider(const QString &name);

// Resolves a provider name. findTable returns the stored name of a table of the account set
// (empty when there is none, or when no account set is open yet). Throws RequestError naming
// the provider when it is unknown.
Provider resolveProvider(const QString &name, bool hasCommandText,
                         const std::function<QString(const QString &)> &findTable);

} // namespace server
