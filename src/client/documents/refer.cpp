// The source-document picker.
#include "client/documents/refer.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/forms/procallbutton.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridcolumns.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString Flag = QStringLiteral("flag");
const QString Open = QStringLiteral("aOpenSL"); // what a line still has open

// A scratch dataset whose rows carry a tick of their own, never sent anywhere.
std::unique_ptr<TClientDataSet> markedScratch(bool withOpenQuantity = false)
{
    auto dataSet = NewScratchDataSet(Data().Tmp());
    dataSet->AddField(ftBoolean, Flag, 0, fkInternalCalc);
    if (withOpenQuantity)
        dataSet->AddField(ftFloat, Open, 0, fkInternalCalc);
    dataSet->SetLogChanges(false);
    return dataSet;
}

void addColumns(TDBGrid &grid, std::initializer_list<std::pair<const char *, const char *>> columns)
{
    TColumn *tick = grid.Columns().Add(Flag, QStringLiteral("选择"), 40);
    Q_UNUSED(tick);
    for (const auto &[field, title] : columns) {
        const QString name = QLatin1String(field);
        TColumn *column = grid.Columns().Add(name, QString::fromUtf8(title), 90);
        column->SetReadOnly(true);
        if (name == QLatin1String("JE") || name == QLatin1String("DJ"))
            column->SetDisplayFormat(QStringLiteral("#,0.00"));
    }
}

} // namespace

TSourceLine TSourceLine::At(const TClientDataSet &lines, int row, const QString &quantityField)
{
    const auto value = [&](const QString &name) {
        return lines.RowValue(row, lines.FieldByName(name));
    };
    TSourceLine line;
    line.GoodsCode = value(QStringLiteral("aBH")).toString();
    line.GoodsId = value(QStringLiteral("HPID")).toLongLong();
    line.Quantity = value(quantityField).toDouble();
    line.Price = value(QStringLiteral("DJ")).toDouble();
    line.SourceNo = value(QStringLiteral("DJBH")).toString();
    line.SourceLine = value(QStringLiteral("HH")).toInt();
    return line;
}

// --- Query texts ----------------------------------------------------------------------------

QString TReferQuery::HeaderSql() const
{
    const QString lines = QLatin1String(Source.LinesTable);
    QString filters;
    if (HasFrom)
        filters += QStringLiteral(" and M.RQ >=") + SQLDate(DatabaseKind, From);
    if (HasTo)
        filters += QStringLiteral(" and M.RQ <=") + SQLDate(DatabaseKind, To);
    if (!PartnerKeys.isEmpty() && Source.Partner == TReferPartner::Customer)
        filters += QStringLiteral(" and KHID in ") + PartnerKeys;
    if (!PartnerKeys.isEmpty() && Source.Partner == TReferPartner::Supplier)
        filters += QStringLiteral(" and GYSID in ") + PartnerKeys;
    // The headers are aliased M, not C: the warehouse is the header's own CKID.
    if (!WarehouseKeys.isEmpty() && Source.ByWarehouse)
        filters += QStringLiteral(" and M.CKID in ") + WarehouseKeys;
    return QStringLiteral(" select M.ID, M.DJBH, M.RQ, M.JE, ") +
           QLatin1String(Source.HandlerColumn) + QStringLiteral(" from ") +
           QLatin1String(Source.HeaderTable) + QStringLiteral("  M") + QStringLiteral(" where ") +
           QStringLiteral(" uFlag = ") + QString::number(AuditLevel) + QLatin1Char(' ') + filters +
           QStringLiteral(" and M.DJBH IN ( ") + QStringLiteral(" select DJBH from") +
           QStringLiteral(" (select DJBH,Zsl,HaverefSL from (select DJBH,sum(SL) as Zsl from ") +
           lines + QStringLiteral(" group by DJBH) a") +
           QStringLiteral(" left join (select SRCNO,sum(SL) as HaverefSL from ") +
           TargetLinesTable + QStringLiteral(" group by SRCNO) b  on a.DJBH=b.SRCNO ) a") +
           QStringLiteral(" where  a.Zsl > IIf(isnull(a.HaverefSL),0,a.HaverefSL)") +
           QStringLiteral(" )") + QStringLiteral(" order by M.RQ,M.DJBH");
}

QString TReferQuery::LinesSql(const QString &headerIds) const
{
    return QStringLiteral(" select ZBID,SL,DJ,HPID,DJBH,HH,M.SRCNO,M.SRCSEQ, c.HaverefSL, "
                          "H.BH as aBH, H.PM as aPM,  H.DW as aDW, H.GG as aGG  FROM ( ") +
           QLatin1String(Source.LinesTable) +
           QStringLiteral("  as M LEFT JOIN HP  H ON M.HPID=H.ID )") +
           QStringLiteral("   LEFT JOIN (select SRCNO,SRCSEQ,sum(SL) as HaverefSL from ") +
           TargetLinesTable + QStringLiteral(" group by SRCNO,SRCSEQ) C ") +
           QStringLiteral("   on  (C.SRCNO=M.DJBH and C.SRCSEQ=M.HH) ") +
           QStringLiteral(" where M.ZBID in (") + headerIds + QStringLiteral(")") +
           QStringLiteral(" and (c.HaverefSL is null or (M.SL-c.HaverefSL)>0) ") +
           QStringLiteral(" Order by M.ZBID,M.HH");
}

// --- The window -----------------------------------------------------------------------------

TReferBaseFrm::TReferBaseFrm(const TReferSource &source, const QString &targetLinesTable,
                             QWidget *parent)
    : TFrmRoot(parent)
    , m_headers(markedScratch())
    , m_lines(markedScratch(true))
    , m_headerSource(std::make_unique<TDataSource>(m_headers.get()))
    , m_lineSource(std::make_unique<TDataSource>(m_lines.get()))
    , m_buttons(new TProcAllButtonObj(this))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("ReferBaseFrm"));
    setWindowTitle(QStringLiteral("选择") + QString::fromUtf8(source.Kind));
    Query.Source = source;
    Query.TargetLinesTable = targetLinesTable;
    Query.AuditLevel = qMax(1, FuncRight().AuditNum);
    Query.DatabaseKind = SessionInfo().DatabaseKind;

    auto *layout = new QVBoxLayout(this);
    auto *filters = new QHBoxLayout;
    chkDate = new QCheckBox(QStringLiteral("日期："), this);
    chkDate->setObjectName(QStringLiteral("chkDate"));
    dtpFrom = new QDateEdit(QDate::currentDate().addMonths(-1), this);
    dtpTo = new QDateEdit(QDate::currentDate(), this);
    for (QDateEdit *date : {dtpFrom, dtpTo}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setEnabled(false);
    }
    connect(chkDate, &QCheckBox::toggled, this, [this](bool on) {
        dtpFrom->setEnabled(on);
        dtpTo->setEnabled(on);
    });
    filters->addWidget(chkDate);
    filters->addWidget(dtpFrom);
    filters->addWidget(new QLabel(QStringLiteral("至"), this));
    filters->addWidget(dtpTo);
    const auto buttonEdit = [this, filters](const char *name, const QString &caption, bool shown) {
        auto *edit = new TButtonEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setReadOnly(true);
        m_buttons->Attach(edit);
        auto *label = new QLabel(caption, this);
        filters->addWidget(label);
        filters->addWidget(edit);
        label->setVisible(shown);
        edit->setVisible(shown);
        return edit;
    };
    RzButtonEdit_KH = buttonEdit("RzButtonEdit_KH", QStringLiteral("客户："),
                                 source.Partner == TReferPartner::Customer);
    RzButtonEdit_GYS = buttonEdit("RzButtonEdit_GYS", QStringLiteral("供应商："),
                                  source.Partner == TReferPartner::Supplier);
    RzButtonEdit_Stock =
        buttonEdit("RzButtonEdit_Stock", QStringLiteral("仓库："), source.ByWarehouse);
    btnQuery = new QPushButton(QStringLiteral("查询(&F)"), this);
    filters->addWidget(btnQuery);
    filters->addStretch(1);
    layout->addLayout(filters);

    DBGridHeaders = new TDBGrid(this);
    DBGridHeaders->setObjectName(QStringLiteral("DBGridHeaders"));
    addColumns(*DBGridHeaders,
               {{"DJBH", "单号"}, {"RQ", "日期"}, {"JE", "金额"}, {"JSR", "经办人"}});
    DBGridHeaders->SetDataSource(m_headerSource.get());
    layout->addWidget(DBGridHeaders, 1);

    auto *middle = new QHBoxLayout;
    middle->addWidget(new QLabel(QStringLiteral("勾选单据后按“明细”列出未执行完的明细："), this));
    btnLines = new QPushButton(QStringLiteral("明细(&D)"), this);
    middle->addWidget(btnLines);
    middle->addStretch(1);
    layout->addLayout(middle);

    DBGridLines = new TDBGrid(this);
    DBGridLines->setObjectName(QStringLiteral("DBGridLines"));
    addColumns(*DBGridLines, {{"DJBH", "单号"},
                              {"aBH", "货品编号"},
                              {"aPM", "品名"},
                              {"aGG", "规格"},
                              {"aDW", "单位"},
                              {"SL", "数量"},
                              {"HaverefSL", "已引用数量"},
                              {"aOpenSL", "未执行数量"},
                              {"DJ", "单价"}});
    DBGridLines->SetDataSource(m_lineSource.get());
    layout->addWidget(DBGridLines, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOk = new QPushButton(QStringLiteral("确定(&O)"), this);
    btnExit = new QPushButton(QStringLiteral("退出(&Q)"), this);
    for (QPushButton *button : {btnQuery, btnLines, btnOk, btnExit})
        button->setAutoDefault(false);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnExit);
    layout->addLayout(buttons);

    connect(btnQuery, &QPushButton::clicked, this, [this] { Guarded([this] { OpenHeaders(); }); });
    connect(btnLines, &QPushButton::clicked, this, [this] { Guarded([this] { OpenLines(); }); });
    connect(btnOk, &QPushButton::clicked, this, [this] {
        if (m_lines->Active() && !MarkedLines().isEmpty())
            SetModalResult(mrOk);
        else
            ShowMessage(QStringLiteral("请先勾选要引入的明细！"));
    });
    connect(btnExit, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    resize(820, 560);
}

TReferBaseFrm::~TReferBaseFrm() = default;

void TReferBaseFrm::FormShow()
{
    TFrmRoot::FormShow();
    if (!m_headers->Active())
        OpenHeaders();
}

void TReferBaseFrm::PresetPartner(qint64 id, const QString &name)
{
    if (id <= 0 || Query.Source.Partner == TReferPartner::None)
        return;
    TButtonEdit *partner =
        Query.Source.Partner == TReferPartner::Customer ? RzButtonEdit_KH : RzButtonEdit_GYS;
    partner->setText(name.isEmpty() ? QString::number(id) : name);
    partner->SetKey(QStringLiteral("(%1)").arg(id));
}

void TReferBaseFrm::readFilters()
{
    Query.HasFrom = Query.HasTo = chkDate->isChecked();
    Query.From = dtpFrom->date();
    Query.To = dtpTo->date();
    const TButtonEdit *partner =
        Query.Source.Partner == TReferPartner::Customer ? RzButtonEdit_KH : RzButtonEdit_GYS;
    Query.PartnerKeys = partner->text().isEmpty() ? QString() : partner->Key();
    Query.WarehouseKeys =
        RzButtonEdit_Stock->text().isEmpty() ? QString() : RzButtonEdit_Stock->Key();
}

void TReferBaseFrm::OpenHeaders()
{
    readFilters();
    m_lines->Close();
    m_headers->Close();
    m_headers->SetCommandText(Query.HeaderSql());
    m_headers->Open();
}

void TReferBaseFrm::mark(TClientDataSet &dataSet, int row, bool marked)
{
    dataSet.MoveToRow(row);
    dataSet.Edit();
    dataSet.FieldByName(Flag)->SetAsBoolean(marked);
    dataSet.Post();
}

void TReferBaseFrm::MarkHeader(int row, bool marked)
{
    mark(*m_headers, row, marked);
}

void TReferBaseFrm::MarkLine(int row, bool marked)
{
    mark(*m_lines, row, marked);
}

void TReferBaseFrm::OpenLines()
{
    m_headers->CheckBrowseMode();
    QStringList ids;
    const TField *flag = m_headers->FieldByName(Flag);
    const TField *id = m_headers->FieldByName(QStringLiteral("ID"));
    for (int row = 0; row < m_headers->RowCount(); ++row)
        if (m_headers->RowValue(row, flag).toBool())
            ids << QString::number(m_headers->RowValue(row, id).toLongLong());
    m_lines->Close();
    if (ids.isEmpty()) {
        ShowMessage(QStringLiteral("请先勾选单据！"));
        return;
    }
    m_lines->SetCommandText(Query.LinesSql(ids.join(QLatin1Char(','))));
    m_lines->Open();
    m_lines->DisableControls();
    const TField *quantity = m_lines->FieldByName(QStringLiteral("SL"));
    const TField *taken = m_lines->FieldByName(QStringLiteral("HaverefSL"));
    for (int row = 0; row < m_lines->RowCount(); ++row) {
        m_lines->MoveToRow(row);
        m_lines->Edit();
        m_lines->FieldByName(Flag)->SetAsBoolean(true);
        m_lines->FieldByName(Open)->SetAsFloat(m_lines->RowValue(row, quantity).toDouble() -
                                               m_lines->RowValue(row, taken).toDouble());
        m_lines->Post();
    }
    m_lines->First();
    m_lines->EnableControls();
}

QList<TSourceLine> TReferBaseFrm::MarkedLines() const
{
    QList<TSourceLine> marked;
    if (!m_lines->Active())
        return marked;
    m_lines->CheckBrowseMode();
    const TField *flag = m_lines->FieldByName(Flag);
    // What earlier documents took is not offered again.
    for (int row = 0; row < m_lines->RowCount(); ++row)
        if (m_lines->RowValue(row, flag).toBool())
            marked << TSourceLine::At(*m_lines, row, Open);
    return marked;
}
