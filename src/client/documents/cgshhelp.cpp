// The receipt picker of returns.
#include "client/documents/cgshhelp.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/gridcolumns.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool bySupplier(const TReferSource &source)
{
    return source.Partner == TReferPartner::Supplier;
}

} // namespace

TfrmCgshHelp::TfrmCgshHelp(const TReferSource &source, QWidget *parent)
    : TFrmRoot(parent)
    , m_source(source)
    , m_auditLevel(qMax(1, FuncRight().AuditNum))
    , m_databaseKind(SessionInfo().DatabaseKind)
    , m_headers(NewScratchDataSet(Data().Tmp()))
    , m_lines(NewScratchDataSet(Data().Tmp()))
    , m_headerSource(std::make_unique<TDataSource>(m_headers.get()))
    , m_lineSource(std::make_unique<TDataSource>(m_lines.get()))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("frmCgshHelp"));
    setWindowTitle(QStringLiteral("选择") + QString::fromUtf8(source.Kind));

    auto *layout = new QVBoxLayout(this);
    auto *filters = new QHBoxLayout;
    const QDate today = QDate::currentDate();
    dtpFrom = new QDateEdit(QDate(today.year(), today.month(), 1), this);
    dtpTo = new QDateEdit(today, this);
    for (QDateEdit *date : {dtpFrom, dtpTo}) {
        date->setCalendarPopup(true);
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    filters->addWidget(new QLabel(QStringLiteral("日期："), this));
    filters->addWidget(dtpFrom);
    filters->addWidget(new QLabel(QStringLiteral("至"), this));
    filters->addWidget(dtpTo);
    btnQuery = new QPushButton(QStringLiteral("查询(&F)"), this);
    filters->addWidget(btnQuery);
    filters->addStretch(1);
    layout->addLayout(filters);

    const QString partner = bySupplier(source) ? QStringLiteral("供应商") : QStringLiteral("客户");
    DBGridHeaders = new TDBGrid(this);
    DBGridHeaders->setObjectName(QStringLiteral("DBGridHeaders"));
    DBGridHeaders->SetReadOnly(true);
    DBGridHeaders->Columns().Add(QStringLiteral("DJBH"), QStringLiteral("单号"), 110);
    DBGridHeaders->Columns().Add(QStringLiteral("RQ"), QStringLiteral("日期"), 90);
    DBGridHeaders->Columns().Add(PartnerCodeField(), partner + QStringLiteral("编号"), 80);
    DBGridHeaders->Columns().Add(QStringLiteral("aPartnerName"), partner, 150);
    DBGridHeaders->Columns().Add(QStringLiteral("aCKMC"), QStringLiteral("仓库"), 90);
    DBGridHeaders->Columns()
        .Add(QStringLiteral("JE"), QStringLiteral("金额"), 90)
        ->SetDisplayFormat(QStringLiteral("#,0.00"));
    DBGridHeaders->SetDataSource(m_headerSource.get());
    layout->addWidget(DBGridHeaders, 1);

    DBGridLines = new TDBGrid(this);
    DBGridLines->setObjectName(QStringLiteral("DBGridLines"));
    DBGridLines->SetReadOnly(true);
    DBGridLines->Columns().Add(QStringLiteral("aBH"), QStringLiteral("货品编号"), 90);
    DBGridLines->Columns().Add(QStringLiteral("aPM"), QStringLiteral("品名"), 150);
    DBGridLines->Columns().Add(QStringLiteral("aDW"), QStringLiteral("单位"), 50);
    DBGridLines->Columns().Add(QStringLiteral("SL"), QStringLiteral("数量"), 70);
    DBGridLines->Columns()
        .Add(QStringLiteral("DJ"), QStringLiteral("单价"), 70)
        ->SetDisplayFormat(QStringLiteral("#,0.00"));
    DBGridLines->SetDataSource(m_lineSource.get());
    layout->addWidget(DBGridLines, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnOk = new QPushButton(QStringLiteral("确定(&O)"), this);
    btnExit = new QPushButton(QStringLiteral("退出(&Q)"), this);
    for (QPushButton *button : {btnQuery, btnOk, btnExit}) {
        button->setAutoDefault(false);
        if (button != btnQuery)
            buttons->addWidget(button);
    }
    layout->addLayout(buttons);

    m_headers->AfterScroll = [this](TClientDataSet &) {
        showLines();
    };
    connect(btnQuery, &QPushButton::clicked, this, [this] { Guarded([this] { OpenHeaders(); }); });
    connect(btnOk, &QPushButton::clicked, this, [this] {
        if (m_headers->Active() && !m_headers->IsEmpty())
            SetModalResult(mrOk);
    });
    connect(btnExit, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
    DBGridHeaders->OnDblClick = [this](TDBGrid &) {
        btnOk->click();
    };
    resize(760, 520);
}

TfrmCgshHelp::~TfrmCgshHelp()
{
    m_headers->AfterScroll = nullptr;
}

QString TfrmCgshHelp::PartnerCodeField() const
{
    return bySupplier(m_source) ? QStringLiteral("aGYSBH") : QStringLiteral("aKHBH");
}

void TfrmCgshHelp::FormShow()
{
    TFrmRoot::FormShow();
    if (!m_headers->Active())
        OpenHeaders();
}

void TfrmCgshHelp::OpenHeaders()
{
    const bool supplier = bySupplier(m_source);
    const QString partnerTable = supplier ? QStringLiteral("GYS") : QStringLiteral("KH");
    const QString partnerKey = supplier ? QStringLiteral("GYSID") : QStringLiteral("KHID");
    // Only documents through their last audit level: what is returned must have been posted.
    m_lines->Close();
    m_headers->Close();
    m_headers->SetCommandText(
        QStringLiteral("select Z.*, K.BH as ") + PartnerCodeField() +
        QStringLiteral(", K.MC as aPartnerName, C.MC as aCKMC from (") +
        QLatin1String(m_source.HeaderTable) + QStringLiteral(" Z left join ") + partnerTable +
        QStringLiteral(" K on Z.") + partnerKey +
        QStringLiteral(" = K.ID) left join CK C on Z.CKID = C.ID where Z.uFlag = ") +
        QString::number(m_auditLevel) +
        (m_partner > 0 ? QStringLiteral(" and Z.") + partnerKey + QStringLiteral(" = ") +
                             QString::number(m_partner)
                       : QString()) +
        QStringLiteral(" and RQ >= ") + SQLDate(m_databaseKind, dtpFrom->date()) +
        QStringLiteral(" and ") + QStringLiteral("RQ <= ") +
        SQLDate(m_databaseKind, dtpTo->date()) + QStringLiteral(" order by Z.RQ, Z.DJBH"));
    m_headers->Open();
    showLines();
}

void TfrmCgshHelp::showLines()
{
    m_lines->Close();
    if (!m_headers->Active() || m_headers->IsEmpty())
        return;
    const qint64 id = m_headers->FieldByName(QStringLiteral("ID"))->AsLargeInt();
    m_lines->SetCommandText(
        QStringLiteral("select M.*, H.BH as aBH, H.PM as aPM, H.DW as aDW from ") +
        QLatin1String(m_source.LinesTable) +
        QStringLiteral(" M inner join HP H on M.HPID=H.ID where ZBID = ") + QString::number(id) +
        QStringLiteral(" order by M.HH"));
    m_lines->Open();
}

QString TfrmCgshHelp::PartnerCode() const
{
    return m_headers->FieldByName(PartnerCodeField())->AsString();
}

QVariant TfrmCgshHelp::Warehouse() const
{
    return m_headers->FieldByName(QStringLiteral("CKID"))->Value();
}

QList<TSourceLine> TfrmCgshHelp::Lines() const
{
    QList<TSourceLine> lines;
    if (!m_lines->Active())
        return lines;
    for (int row = 0; row < m_lines->RowCount(); ++row)
        lines << TSourceLine::At(*m_lines, row, QStringLiteral("SL"));
    return lines;
}
