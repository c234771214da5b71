// The print template edit form.
#include "client/masterdata/printmodaledit.h"

#include "client/core/paths.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/forms/filedialogs.h"
#include "client/widgets/dbcontrols.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>

TfrmPub_PrintModalEdit::TfrmPub_PrintModalEdit(QWidget *parent)
    : TfrmComEdit(parent)
{
    setObjectName(QStringLiteral("Pub_PrintModalEdit"));
    setWindowTitle(QStringLiteral("打印模板设置"));
    auto *form = new QFormLayout(TabSheet_JBXX);

    cbObjectName = new TDBComboBox(TabSheet_JBXX);
    cbObjectName->setObjectName(QStringLiteral("cbObjectName"));
    cbObjectName->SetStyle(TDBComboBox::csDropDown);
    cbObjectName->SetItems({QStringLiteral("采购入库单"), QStringLiteral("采购退货单"),
                            QStringLiteral("销售出库单"), QStringLiteral("销售退货单")});
    edtFileName = new TDBEdit(TabSheet_JBXX);
    edtFileName->setObjectName(QStringLiteral("edtFileName"));
    btnBrowse = new QPushButton(QStringLiteral("..."), TabSheet_JBXX);
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(edtFileName, 1);
    fileRow->addWidget(btnBrowse);
    edtMasterBegin = new TDBEdit(TabSheet_JBXX);
    edtMasterBegin->setObjectName(QStringLiteral("edtMasterBegin"));
    edtDetailRowBegin = new TDBEdit(TabSheet_JBXX);
    edtDetailRowBegin->setObjectName(QStringLiteral("edtDetailRowBegin"));

    auto *advanced = new QGroupBox(QStringLiteral("高级设置"), TabSheet_JBXX);
    advanced->setObjectName(QStringLiteral("gbAdvanced"));
    auto *advancedForm = new QFormLayout(advanced);
    chkIsParam = new TDBCheckBox(QStringLiteral("套打方式打印"), advanced);
    chkIsParam->setObjectName(QStringLiteral("chkIsParam"));
    edtAllRows = new TDBEdit(advanced);
    edtAllRows->setObjectName(QStringLiteral("edtAllRows"));
    advancedForm->addRow(chkIsParam);
    advancedForm->addRow(QStringLiteral("数据行数："), edtAllRows);

    form->addRow(QStringLiteral("单据名称："), cbObjectName);
    form->addRow(QStringLiteral("Excel模板："), fileRow);
    form->addRow(QStringLiteral("主表数据开始行："), edtMasterBegin);
    form->addRow(QStringLiteral("明细数据开始行："), edtDetailRowBegin);
    form->addRow(advanced);

    TDataSource *source = &Data().sPub_PrintModal();
    RzDBEdit_ID->SetDataSource(source);
    RzDBEdit_ID->SetDataField(QStringLiteral("ID"));
    RzDBEdit_ID->setVisible(false);
    cbObjectName->SetDataSource(source);
    cbObjectName->SetDataField(QStringLiteral("ObjectName"));
    const std::pair<TDBEdit *, const char *> edits[] = {{edtFileName, "FileName"},
                                                        {edtMasterBegin, "MasterBegin"},
                                                        {edtDetailRowBegin, "DetailRowBegin"},
                                                        {edtAllRows, "AllRows"}};
    for (const auto &[edit, field] : edits) {
        edit->SetDataSource(source);
        edit->SetDataField(QLatin1String(field));
    }
    chkIsParam->SetDataSource(source);
    chkIsParam->SetDataField(QStringLiteral("IsParam"));
    connect(btnBrowse, &QPushButton::clicked, this, [this] { BrowseTemplate(); });
    resize(460, 320);
}

void TfrmPub_PrintModalEdit::FormShow()
{
    IdTable = QStringLiteral("Pub_PrintModal");
    TfrmComEdit::FormShow();
}

void TfrmPub_PrintModalEdit::dsOnNewRecord(TClientDataSet &DataSet)
{
    TfrmComEdit::dsOnNewRecord(DataSet);
    DataSet.FieldByName(QStringLiteral("IsParam"))->SetAsBoolean(false);
    DataSet.FieldByName(QStringLiteral("AllRows"))->SetAsInteger(10000);
}

void TfrmPub_PrintModalEdit::BrowseTemplate()
{
    TFileDialogRequest request;
    request.Save = false;
    request.Title = QStringLiteral("Excel模板");
    request.FileName = ExeDir();
    request.Filters = {QStringLiteral("所有文件(*.*)"), QStringLiteral("Excel 2000 模板(*.xls)"),
                       QStringLiteral("Excel 2007 模板(*.xlsx)")};
    const std::optional<TFileDialogAnswer> answer = PromptForFile(request);
    if (!answer || !EditDataSet)
        return;
    if (EditDataSet->State() != dsInsert && EditDataSet->State() != dsEdit)
        EditDataSet->Edit();
    EditDataSet->FieldByName(QStringLiteral("FileName"))->SetAsString(answer->FileName);
}
