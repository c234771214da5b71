// The warehouse edit form.
#include "client/masterdata/ckedit.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dblookupcombo.h"

#include <QFormLayout>

TfrmStockEdit::TfrmStockEdit(QWidget *parent)
    : TfrmComEdit(parent)
{
    setObjectName(QStringLiteral("frmStockEdit"));
    setWindowTitle(QStringLiteral("仓库"));
    auto *form = new QFormLayout(TabSheet_JBXX);
    RzDBEdit_XH = new TDBEdit(TabSheet_JBXX);
    RzDBEdit_XH->setObjectName(QStringLiteral("RzDBEdit_XH"));
    RzDBEdit_Name = new TDBEdit(TabSheet_JBXX);
    RzDBEdit_Name->setObjectName(QStringLiteral("RzDBEdit_Name"));
    RzDBLookupComboBox_BM = new TDBLookupComboBox(TabSheet_JBXX);
    RzDBLookupComboBox_BM->setObjectName(QStringLiteral("RzDBLookupComboBox_BM"));
    RzDBEdit_WZ = new TDBEdit(TabSheet_JBXX);
    RzDBEdit_WZ->setObjectName(QStringLiteral("RzDBEdit_WZ"));
    RzDBEdit_BZ = new TDBEdit(TabSheet_JBXX);
    RzDBEdit_BZ->setObjectName(QStringLiteral("RzDBEdit_BZ"));
    form->addRow(QStringLiteral("序号"), RzDBEdit_XH);
    form->addRow(QStringLiteral("名称"), RzDBEdit_Name);
    form->addRow(QStringLiteral("所属部门"), RzDBLookupComboBox_BM);
    form->addRow(QStringLiteral("位置"), RzDBEdit_WZ);
    form->addRow(QStringLiteral("说明"), RzDBEdit_BZ);

    TDataSource *source = &Data().sCk();
    RzDBEdit_ID->SetDataSource(source);
    RzDBEdit_ID->SetDataField(QStringLiteral("ID"));
    const std::pair<TDBEdit *, const char *> edits[] = {
        {RzDBEdit_XH, "XH"}, {RzDBEdit_Name, "MC"}, {RzDBEdit_WZ, "WZ"}, {RzDBEdit_BZ, "BZ"}};
    for (const auto &[edit, field] : edits) {
        edit->SetDataSource(source);
        edit->SetDataField(QLatin1String(field));
    }
    RzDBLookupComboBox_BM->SetDataSource(source);
    RzDBLookupComboBox_BM->SetDataField(QStringLiteral("BMID"));
    RzDBLookupComboBox_BM->SetListSource(&Data().sBm());
    RzDBLookupComboBox_BM->SetKeyField(QStringLiteral("ID"));
    RzDBLookupComboBox_BM->SetListField(QStringLiteral("MC"));
    resize(420, 260);
}

void TfrmStockEdit::FormShow()
{
    IdTable = QStringLiteral("CK");
    RequiredFields = QStringLiteral("MC;BMID");
    TClientDataSet &departments = Data().Bm();
    if (!departments.Active())
        departments.Open();
    TClientDataSet &warehouses = Data().Ck();
    if (warehouses.Active()) {
        const std::pair<const char *, const char *> labels[] = {
            {"XH", "序号"}, {"MC", "名称"}, {"BMID", "所属部门"}, {"WZ", "位置"}, {"BZ", "说明"}};
        for (const auto &[field, label] : labels) {
            if (TField *f = warehouses.FindField(QLatin1String(field)))
                f->SetDisplayLabel(QString::fromUtf8(label));
        }
    }
    TfrmComEdit::FormShow();
}

void TfrmStockEdit::SetDuplicateValue()
{
    TfrmComEdit::SetDuplicateValue();
    const QString name = EditDataSet->FieldByName(QStringLiteral("MC"))->AsString();
    const QString id = EditDataSet->FieldByName(QStringLiteral("ID"))->AsString();
    DuplicateCheck = QStringLiteral("【仓库名称】|select MC from CK where  MC= ") +
                     QuotedStr(name) + QStringLiteral(" and id <> ") +
                     (id.isEmpty() ? QStringLiteral("0") : id);
}

void TfrmStockEdit::sDataChange(TDataSource &Sender, TField *Field)
{
    TfrmComEdit::sDataChange(Sender, Field);
    CopyLookupName(Field, QStringLiteral("BMID"), QStringLiteral("bmmc"), Data().Bm());
}
