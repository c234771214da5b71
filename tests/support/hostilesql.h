// Statements far beyond the translator's bounds, over a table Inv_Itemlist (ID, a): the texts
// that once took the server and vzsql down, shared by the tests that send them every way.
#pragma once

#include <QByteArray>

#include <vector>

namespace vztest {

struct HostileStatement
{
    const char *what;
    QByteArray text;
};

inline std::vector<HostileStatement> hostileStatements()
{
    return {
        {"a sum of 100,000 terms", "select 1" + QByteArray("+1").repeated(99999)},
        {"a conjunction of 200,000 terms",
         "select count(*) from Inv_Itemlist where 1=1" + QByteArray(" and a=1").repeated(200000)},
        {"100,000 nested parentheses",
         "select " + QByteArray(100000, '(') + "1" + QByteArray(100000, ')')},
        {"100,000 NOTs",
         "select * from Inv_Itemlist where " + QByteArray("not ").repeated(100000) + "a=1"},
        {"100,000 minus signs", "select " + QByteArray("- ").repeated(100000) + "1"},
    };
}

} // namespace vztest
