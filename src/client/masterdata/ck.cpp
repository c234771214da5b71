// The warehouse list.
#include "client/masterdata/ck.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/ckedit.h"
#include "client/widgets/dbgrid.h"

#include <QLineEdit>

TfrmStockCode::TfrmStockCode(QWidget *parent)
    : TfrmComJbzl(parent)
{
    setObjectName(QStringLiteral("frmStockCode"));
    setWindowTitle(QStringLiteral("仓库资料"));
    TableName = QStringLiteral("CK");
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("XH"), QStringLiteral("序号"), 50);
    columns.Add(QStringLiteral("MC"), QStringLiteral("名称"), 140);
    columns.Add(QStringLiteral("bmmc"), QStringLiteral("所属部门"), 120);
    columns.Add(QStringLiteral("WZ"), QStringLiteral("位置"), 180);
    columns.Add(QStringLiteral("BZ"), QStringLiteral("说明"), 220);
}

void TfrmStockCode::FormShow()
{
    DBGrid1->SetDataSource(&Data().sCk());
    TfrmComJbzl::FormShow();
}

void TfrmStockCode::OpenDataSet()
{
    if (ListDataSet) {
        QString sql = QStringLiteral(" select b.mc as bmmc,c.* from ") + FuncRight().WarehouseFrom +
                      QStringLiteral("  left join BM B on c.bmid=b.id");
        // Warehouses have neither code nor mnemonic: the search box matches the name.
        const QString text = RzBtnNo->text().trimmed();
        if (!text.isEmpty())
            sql += QStringLiteral(" where c.MC like ") + QuotedStr(text + QLatin1Char('%'));
        ListDataSet->SetCommandText(sql);
    }
    TfrmComJbzl::OpenDataSet();
}

void TfrmStockCode::LoadEditForm(const QString &Mode)
{
    EditForm = new TfrmStockEdit(this);
    TfrmComJbzl::LoadEditForm(Mode);
}

void TfrmStockCode::GetSearchModalValue()
{
    TfrmComJbzl::GetSearchModalValue();
    if (!ListDataSet || ListDataSet->IsEmpty())
        return;
    ResultID = ListDataSet->FieldByName(QStringLiteral("ID"))->AsString();
    ResultName = ListDataSet->FieldByName(QStringLiteral("MC"))->AsString();
}
