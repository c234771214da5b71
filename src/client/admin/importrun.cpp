#include "client/admin/importrun.h"

#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"

void LoadImportNames(TImportNames &names)
{
    for (int k = 0; k < TImportNames::KindCount; ++k) {
        const auto kind = TImportNames::Kind(k);
        TTmpDataSet tmp;
        tmp->SetPacketRecords(-1);
        tmp->SetCommandText(TImportNames::LoadSQL(kind));
        tmp->Open();
        for (tmp->First(); !tmp->Eof(); tmp->Next())
            names.Add(kind, tmp->Fields(0)->AsString(), tmp->Fields(1)->AsString());
        tmp->Close();
    }
}

TAtomicResult SendImport(const QString &table, const QStringList &statements,
                         const QStringList &following)
{
    TAtomicRequest request(&Data().cn());
    request.Execute(QStringLiteral("Delete  from ") + table);
    for (const QString &part : JoinIntoParts(statements + following))
        request.Execute(part);
    return request.Send();
}
