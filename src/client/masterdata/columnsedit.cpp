// The column layout editor and the routine that applies a stored layout.
#include "client/masterdata/columnsedit.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/messagebox.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString layoutSql(const QString &tableName)
{
    return QStringLiteral(" select * from TableColumns where TableName=") + QuotedStr(tableName) +
           QStringLiteral(" order by XH");
}

} // namespace

TfrmTableColumnsEdit::TfrmTableColumnsEdit(const QString &tableName, const TDBGrid *grid,
                                           QWidget *parent)
    : TFrmRoot(parent)
    , m_tableName(tableName)
    , m_grid(grid)
    , m_columns(std::make_unique<TClientDataSet>(QStringLiteral("cdsTableColumns")))
    , m_source(std::make_unique<TDataSource>(m_columns.get()))
{
    setObjectName(QStringLiteral("frmTableColumnsEdit"));
    setWindowTitle(QStringLiteral("表格格式设置"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    Columns = m_columns.get();
    Columns->SetProviderName(QStringLiteral("pTableColumns"));
    if (DataExists())
        Columns->SetRemoteServer(&Data().cn());

    auto *column = new QVBoxLayout(this);
    DBGrid1 = new TDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->SetOptions(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines |
                        dgRowLines | dgTabs | dgAlwaysShowSelection);
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("XH"), QStringLiteral("序号"), 50);
    columns.Add(QStringLiteral("FieldCaption"), QStringLiteral("表格列名称"), 160);
    columns.Add(QStringLiteral("Width"), QStringLiteral("宽度"), 60);
    columns.Add(QStringLiteral("IsShow"), QStringLiteral("显示"), 50);
    columns.Add(QStringLiteral("PrintIsShow"), QStringLiteral("打印"), 50);
    DBGrid1->SetDataSource(m_source.get());
    column->addWidget(DBGrid1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnSave = new QPushButton(QStringLiteral("保存(&S)"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnRestore = new QPushButton(QStringLiteral("恢复(&A)"), this);
    btnRestore->setObjectName(QStringLiteral("btnRestore"));
    btnClose = new QPushButton(QStringLiteral("关闭(&C)"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    for (QPushButton *button : {btnSave, btnRestore, btnClose}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    column->addLayout(buttons);
    connect(btnSave, &QPushButton::clicked, this, [this] { Guarded([this] { btnSaveClick(); }); });
    connect(btnRestore, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnRestoreClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    resize(460, 420);
}

TfrmTableColumnsEdit::~TfrmTableColumnsEdit()
{
    DBGrid1->SetDataSource(nullptr);
}

void TfrmTableColumnsEdit::FormShow()
{
    TFrmRoot::FormShow();
    if (Columns->Active())
        return;
    Columns->SetCommandText(layoutSql(m_tableName));
    Columns->Open();
    if (Columns->IsEmpty())
        addDefaultRows();
    Columns->First();
}

void TfrmTableColumnsEdit::addDefaultRows()
{
    if (!m_grid)
        return;
    const TDBGridColumns &columns = m_grid->Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        const TColumn *gridColumn = columns[i];
        Columns->Append();
        Columns->FieldByName(QStringLiteral("TableName"))->SetAsString(m_tableName);
        Columns->FieldByName(QStringLiteral("FieldName"))->SetAsString(gridColumn->FieldName());
        Columns->FieldByName(QStringLiteral("FieldCaption"))
            ->SetAsString(gridColumn->Title().Caption());
        Columns->FieldByName(QStringLiteral("Width"))->SetAsInteger(gridColumn->Width());
        Columns->FieldByName(QStringLiteral("IsShow"))->SetAsBoolean(true);
        Columns->FieldByName(QStringLiteral("PrintIsShow"))->SetAsBoolean(true);
        Columns->FieldByName(QStringLiteral("XH"))->SetAsInteger(i + 1);
        Columns->Post();
    }
}

QString TfrmTableColumnsEdit::PositionError() const
{
    const int rows = Columns->RowCount();
    const TField *position = Columns->FieldByName(QStringLiteral("XH"));
    for (int row = 0; row < rows; ++row) {
        const int value = Columns->RowValue(row, position).toInt();
        if (value < 1)
            return QStringLiteral("序号不能小于1");
        if (value > rows)
            return QStringLiteral("序号不能大于") + QString::number(rows);
    }
    return {};
}

void TfrmTableColumnsEdit::btnSaveClick()
{
    if (Columns->State() == dsEdit || Columns->State() == dsInsert)
        Columns->Post();
    const QString error = PositionError();
    if (!error.isEmpty()) {
        MessageBox(error, QStringLiteral("格式设置失败"), TMsgIcon::Error);
        return;
    }
    // One request: the server keeps every row or none.
    if (Columns->ChangeCount() > 0 && Columns->ApplyUpdates(0) > 0)
        return;
    MessageBox(QStringLiteral("格式设置成功，请关闭单据重新打开！"), QStringLiteral("格式设置成功"),
               TMsgIcon::Information);
}

void TfrmTableColumnsEdit::btnRestoreClick()
{
    if (MessageBox(QStringLiteral("确定要恢复到默认的格式吗？"), QStringLiteral("恢复"),
                   TMsgIcon::Question, TMsgButtons::YesNo) != mrYes)
        return;
    if (!ExecSQL(QStringLiteral(" delete from TableColumns where TableName=") +
                 QuotedStr(m_tableName))) {
        MessageBox(QStringLiteral("恢复默认格式失败！"), QStringLiteral("恢复"), TMsgIcon::Error);
        return;
    }
    Columns->CancelUpdates();
    SetModalResult(mrOk);
    MessageBox(QStringLiteral("已恢复到默认格式，请关闭单据重新打开！"), QStringLiteral("恢复"),
               TMsgIcon::Information);
}

int ApplyTableColumns(TDBGrid &grid, const QString &tableName)
{
    int shown = 0;
    TTmpDataSet rows;
    rows->SetCommandText(layoutSql(tableName));
    rows->Open();
    TDBGridColumns &columns = grid.Columns();
    columns.BeginUpdate();
    int place = 0;
    for (rows->First(); !rows->Eof(); rows->Next()) {
        TColumn *column =
            columns.FindByFieldName(rows->FieldByName(QStringLiteral("FieldName"))->AsString());
        if (!column)
            continue;
        column->Title().SetCaption(rows->FieldByName(QStringLiteral("FieldCaption"))->AsString());
        column->SetWidth(rows->FieldByName(QStringLiteral("Width"))->AsInteger());
        const bool visible = rows->FieldByName(QStringLiteral("IsShow"))->AsBoolean();
        column->SetVisible(visible);
        shown += visible ? 1 : 0;
        columns.Move(columns.IndexOf(column), place++);
    }
    columns.EndUpdate();
    rows->Close();
    return shown;
}
