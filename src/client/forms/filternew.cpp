// The goods attribute filter.
#include "client/forms/filternew.h"

#include "client/common/sqltext.h"
#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/forms/globalobj.h"
#include "client/widgets/dbgrid.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

QList<TAttrFilterRow> DefaultAttrFilterRows()
{
    QList<TAttrFilterRow> rows;
    auto add = [&rows](const QString &caption, const QString &field) {
        TAttrFilterRow row;
        row.Caption = caption;
        row.FieldName = field;
        rows << row;
    };
    add(QStringLiteral("货品编号"), QStringLiteral("BH"));
    add(QStringLiteral("货品名称"), QStringLiteral("PM"));
    add(QStringLiteral("助记码"), QStringLiteral("ZJM"));
    for (const auto &attribute : FuncRight().AttrList)
        add(attribute.second.Caption, attribute.second.FieldName);
    return rows;
}

QString AttrFilterText(const QList<TAttrFilterRow> &rows)
{
    QString text;
    bool first = true;
    for (const TAttrFilterRow &row : rows) {
        if (row.Value.isEmpty())
            continue;
        if (!first)
            text +=
                row.Flag == QStringLiteral("或") ? QStringLiteral(" or ") : QStringLiteral(" and ");
        first = false;
        const bool contains = row.Comparison == QStringLiteral("包含");
        text += QStringLiteral("(H.") + row.FieldName +
                (contains ? QStringLiteral(" like ") : row.Comparison) +
                QuotedStr(contains ? QLatin1Char('%') + row.Value + QLatin1Char('%') : row.Value) +
                QLatin1Char(')');
    }
    return text;
}

TdlgFilter_New::TdlgFilter_New(QWidget *parent)
    : TFrmRoot(parent)
    , m_rows(std::make_unique<TClientDataSet>(QStringLiteral("cdsFilter")))
    , m_source(std::make_unique<TDataSource>(m_rows.get()))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("dlgFilter_New"));
    setWindowTitle(QStringLiteral("选择货品"));
    TFieldDefs &defs = m_rows->FieldDefs();
    defs.Add(QStringLiteral("flag"), ftWideString, 4);
    defs.Add(QStringLiteral("MC"), ftWideString, 40);
    defs.Add(QStringLiteral("BJGX"), ftWideString, 8);
    defs.Add(QStringLiteral("SZ"), ftWideString, 100);
    defs.Add(QStringLiteral("BH"), ftWideString, 20);
    m_rows->CreateDataSet();

    auto *layout = new QVBoxLayout(this);
    DBGrid1 = new TDBGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->SetOptions(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines |
                        dgRowLines | dgTabs | dgAlwaysShowSelection);
    TDBGridColumns &columns = DBGrid1->Columns();
    TColumn *flag = columns.Add(QStringLiteral("flag"), QStringLiteral("逻辑"), 50);
    flag->SetPickList({QStringLiteral("与"), QStringLiteral("或")});
    columns.Add(QStringLiteral("MC"), QStringLiteral("名称"), 100)->SetReadOnly(true);
    TColumn *comparison = columns.Add(QStringLiteral("BJGX"), QStringLiteral("比较关系"), 70);
    comparison->SetPickList({QStringLiteral("包含"), QStringLiteral("="), QStringLiteral("<>"),
                             QStringLiteral(">"), QStringLiteral(">="), QStringLiteral("<"),
                             QStringLiteral("<=")});
    columns.Add(QStringLiteral("SZ"), QStringLiteral("数值"), 160);
    DBGrid1->SetDataSource(m_source.get());
    layout->addWidget(DBGrid1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOk = new QPushButton(QStringLiteral("确定(&O)"), this);
    btnCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    for (QPushButton *button : {btnOk, btnCancel}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(btnOk, &QPushButton::clicked, this, [this] {
        Guarded([this] {
            m_rows->CheckBrowseMode();
            SetModalResult(mrOk);
        });
    });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    resize(420, 320);
    SetRows(DefaultAttrFilterRows());
}

TdlgFilter_New::~TdlgFilter_New()
{
    DBGrid1->SetDataSource(nullptr);
}

void TdlgFilter_New::SetRows(const QList<TAttrFilterRow> &rows)
{
    m_rows->EmptyDataSet();
    for (const TAttrFilterRow &row : rows)
        m_rows->AppendRecord({row.Flag, row.Caption, row.Comparison, row.Value, row.FieldName});
    m_rows->First();
}

QList<TAttrFilterRow> TdlgFilter_New::Rows() const
{
    QList<TAttrFilterRow> rows;
    const TField *fields[] = {
        m_rows->FieldByName(QStringLiteral("flag")), m_rows->FieldByName(QStringLiteral("MC")),
        m_rows->FieldByName(QStringLiteral("BJGX")), m_rows->FieldByName(QStringLiteral("SZ")),
        m_rows->FieldByName(QStringLiteral("BH"))};
    for (int r = 0; r < m_rows->RowCount(); ++r) {
        const TClientDataSet::TRowScope scope(*m_rows, r);
        rows << TAttrFilterRow{fields[0]->AsString(), fields[1]->AsString(), fields[2]->AsString(),
                               fields[3]->AsString().trimmed(), fields[4]->AsString()};
    }
    return rows;
}

bool ShowAttrFilter(QString &condition, QWidget *parent)
{
    // The rows live for the run, so the goods list reopens with the user's last filter.
    static QList<TAttrFilterRow> lastRows;
    TdlgFilter_New dialog(parent);
    if (!lastRows.isEmpty())
        dialog.SetRows(lastRows);
    if (dialog.ShowModal() != mrOk)
        return false;
    lastRows = dialog.Rows();
    condition = AttrFilterText(lastRows);
    return true;
}
