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

bool isIdentifierChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// Skips a quoted literal or name starting at text[pos]; returns the position after it.
qsizetype skipQuoted(QStringView text, qsizetype pos)
{
    const QChar open = text[pos];
    const QChar close = open == u'[' ? u']' : open;
    for (++pos; pos < text.size(); ++pos) {
        if (text[pos] == close) {
            if (close != u']' && pos + 1 < text.size() && text[pos + 1] == close) {
                ++pos; // doubled quote
                continue;
            }
            return pos + 1;
        }
    }
    return pos;
}

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

QString firstTableOf(QStringView sqlText)
{
    int depth = 0;
    bool wantTable = false; // the previous word was FROM, INTO or UPDATE
    bool anyDepth = false;  // the top-level FROM reads a subquery: its FROM counts
    qsizetype pos = 0;
    while (pos < sqlText.size()) {
        const QChar c = sqlText[pos];
        if (c.isSpace()) {
            ++pos;
            continue;
        }
        if (c == u'(' || c == u')') {
            depth += c == u'(' ? 1 : -1;
            ++pos;
            continue;
        }
        QStringView name;
        bool quoted = false;
        if (c == u'"' || c == u'[' || c == u'`') {
            const qsizetype end = skipQuoted(sqlText, pos);
            name = sqlText.mid(pos + 1, qMax<qsizetype>(end - pos - 2, 0));
            quoted = true;
            pos = end;
        } else if (c == u'\'') {
            pos = skipQuoted(sqlText, pos);
            wantTable = false;
            continue;
        } else if (isIdentifierChar(c)) {
            const qsizetype start = pos;
            while (pos < sqlText.size() && isIdentifierChar(sqlText[pos]))
                ++pos;
            name = sqlText.mid(start, pos - start);
        } else {
            ++pos;
            wantTable = false;
            continue;
        }
        if (wantTable) {
            if (!quoted && name.compare(u"select", Qt::CaseInsensitive) == 0) {
                wantTable = false;
                anyDepth = true;
                continue;
            }
            return name.toString();
        }
        if (!quoted && (depth == 0 || anyDepth) &&
            (name.compare(u"from", Qt::CaseInsensitive) == 0 ||
             name.compare(u"into", Qt::CaseInsensitive) == 0 ||
             name.compare(u"update", Qt::CaseInsensitive) == 0))
            wantTable = true;
    }
    return {};
}

} // namespace server
