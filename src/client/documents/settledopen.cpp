// The settled documents' view.
#include "client/documents/settledopen.h"

#include "client/data/centraldata.h"
#include "client/documents/purin.h"
#include "client/documents/xskd.h"
#include "client/forms/globalobj.h"

namespace {

template<class Form>
TfrmComDj *openAlone(const char *headerTable, qint64 id)
{
    TClientDataSet &header = Data().DataSetByName(QLatin1String(headerTable));
    header.Close();
    header.SetCommandText(
        Form::HeaderQuery(QStringLiteral(" where Z.ID = ") + QString::number(id)));
    header.Open();
    Form *form = CreateForm<Form>();
    form->FOpenMode = QStringLiteral("V");
    form->FSingleBill = true;
    GlobalObj().MDIWindows.AddChild(form);
    form->show();
    return form;
}

} // namespace

TfrmComDj *OpenSettledDocument(const QString &headerTable, qint64 id)
{
    if (headerTable.compare(QLatin1String("XSKDZB"), Qt::CaseInsensitive) == 0)
        return openAlone<TfrmSalOunt>("XSKDZB", id);
    if (headerTable.compare(QLatin1String("CGSHZB"), Qt::CaseInsensitive) == 0)
        return openAlone<TfrmPurIn>("CGSHZB", id);
    return nullptr;
}
