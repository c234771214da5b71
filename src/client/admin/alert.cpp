// The alert window.
#include "client/admin/alert.h"

#include "client/core/sysconfig.h"
#include "client/data/centraldata.h"
#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/doclists.h"
#include "client/forms/globalobj.h"
#include "client/widgets/dbgrid.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// clang-format off
const TAlertType OfficeTypes[] = {
    {"库存盘点", "(KCPDZB Z inner join %1 on Z.CKID = C.ID)", "mnuKcpd", "TFrmPdWork"},
    {"仓库调拨", "ckdbzb", "mnuCkdb", "TfrmStockdbWork"},
    {"库存变动", "qtkcbdzb", "mnuQTkcbd", "TfrmQtkcbdzb"},
    {"费用开支", "fykzzb", "mnuFykz", "TfrmArapFykzWork"},
    {"其它收入", "qtsrzb", "mnuQtsr", "TfrmArapQtsrWork"},
    {"采购入库", "cgshzb", "mnuCgsh", "TfrmPurInWork"},
    {"物品领用", "(llZB Z inner join %1 on Z.CKID = C.ID)", "mnuLl", "TfrmStockLlWork"},
    {"物品归还", "tlzb", "mnuTl", "TfrmStockTlWork"},
};

const TAlertType JxcTypes[] = {
    {"库存盘点", "(KCPDZB Z inner join %1 on Z.CKID = C.ID)", "mnuKcpd", "TFrmPdWork"},
    {"仓库调拨", "ckdbzb", "mnuCkdb", "TfrmStockdbWork"},
    {"库存变动", "qtkcbdzb", "mnuQTkcbd", "TfrmQtkcbdzb"},
    {"费用开支", "fykzzb", "mnuFykz", "TfrmArapFykzWork"},
    {"其它收入", "qtsrzb", "mnuQtsr", "TfrmArapQtsrWork"},
    {"采购订单", "cgddzb", "mnuCgdd", "TfrmCgddzb"},
    {"采购入库", "cgshzb", "mnuCgsh", "TfrmPurInWork"},
    {"采购退货", "cgthzb", "mnuCgth", "TfrmPurOutWork"},
    {"销售订单", "xsddzb", "mnuXsdd", "TfrmXsddzb"},
    {"销售出库", "xskdzb", "mnuXskd", "TfrmSalOuntWork"},
    {"销售退货", "xsthzb", "mnuXsth", "TfrmSalInWork"},
    {"领料", "llzb", "mnuLl", "TfrmStockLlWork"},
    {"退料", "tlzb", "mnuTl", "TfrmStockTlWork"},
    {"产品进仓", "cpjczb", "mnuCpjc", "TfrmProductInWork"},
};
// clang-format on

const QString Caption = QStringLiteral("系统提示");

bool mayAuditAsUser(const QString &menu)
{
    if (FuncRight().IsAdministrator())
        return true;
    const TFuncRightItem *right = FuncRight().FindRight(menu);
    return right && right->FuncItems.contains(QLatin1String("Auditing"));
}

} // namespace

std::optional<std::span<const TAlertType>> AlertTypes(const QString &kind)
{
    if (kind == QLatin1String("audit_office"))
        return std::span<const TAlertType>(OfficeTypes);
    if (kind == QLatin1String("audit_jxc"))
        return std::span<const TAlertType>(JxcTypes);
    return std::nullopt;
}

const TAlertType *FindAlertType(const QString &name)
{
    for (const auto &types :
         {std::span<const TAlertType>(OfficeTypes), std::span<const TAlertType>(JxcTypes)}) {
        for (const TAlertType &type : types) {
            if (name == QString::fromUtf8(type.Name))
                return &type;
        }
    }
    return nullptr;
}

QString PendingAuditSQL(std::span<const TAlertType> types,
                        const std::function<bool(const QString &menu)> &mayAudit,
                        const QString &warehouseFrom)
{
    QString unions;
    for (const TAlertType &type : types) {
        if (!mayAudit(QLatin1String(type.Menu)))
            continue;
        QString source = QString::fromUtf8(type.Source);
        if (source.contains(QLatin1String("%1")))
            source = source.arg(warehouseFrom);
        unions += QStringLiteral("union all select '") + QString::fromUtf8(type.Name) +
                  QStringLiteral("' as sType,count(*) as Qty from ") + source +
                  QStringLiteral(" where uflag=0 ");
    }
    if (unions.isEmpty())
        return {};
    unions.remove(0, int(qstrlen("union all ")));
    return QStringLiteral(" select * from (") + unions + QStringLiteral(") a where Qty > 0 ");
}

QString StockAlarmSQL(const QString &warehouseFrom)
{
    // A limit of 0 is no limit; the stock is the ledger's per goods and warehouse.
    return QStringLiteral(" select C.MC as CKMC, H.BH as bh, H.PM, H.XX, K.JCS as SL, H.SX"
                          " from HP H, HPKC K, ") +
           warehouseFrom +
           QStringLiteral(" where H.ID = K.HPID and C.ID = K.CKID"
                          " and ((H.XX > 0 and K.JCS > H.XX) or (H.SX > 0 and K.JCS < H.SX))"
                          " order by C.MC, H.BH");
}

TFrmAlert::TFrmAlert(QWidget *parent)
    : TFrmRoot(parent)
    , m_audit(NewScratchDataSet(Data().Tmp()))
    , m_sAudit(std::make_unique<TDataSource>(m_audit.get()))
    , m_stock(NewScratchDataSet(Data().Tmp()))
    , m_sStock(std::make_unique<TDataSource>(m_stock.get()))
{
    setObjectName(QStringLiteral("FrmAlert"));
    setWindowTitle(Caption);
    auto *layout = new QVBoxLayout(this);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("待审核单据"));
    auto *page1 = new QVBoxLayout(TabSheet1);
    grdAudit = new TDBGrid(TabSheet1);
    grdAudit->setObjectName(QStringLiteral("grdAudit"));
    grdAudit->Columns().Add(QStringLiteral("sType"), QStringLiteral("业务类型"), 160);
    grdAudit->Columns().Add(QStringLiteral("Qty"), QStringLiteral("单据张数"), 80);
    grdAudit->SetReadOnly(true);
    grdAudit->SetDataSource(m_sAudit.get());
    grdAudit->OnDblClick = [this](TDBGrid &) {
        Guarded([this] { btnViewClick(); });
    };
    page1->addWidget(grdAudit);

    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet2, QStringLiteral("库存报警"));
    auto *page2 = new QVBoxLayout(TabSheet2);
    grdStock = new TDBGrid(TabSheet2);
    grdStock->setObjectName(QStringLiteral("grdStock"));
    grdStock->Columns().Add(QStringLiteral("CKMC"), QStringLiteral("仓库"), 100);
    grdStock->Columns().Add(QStringLiteral("bh"), QStringLiteral("货品编号"), 90);
    grdStock->Columns().Add(QStringLiteral("PM"), QStringLiteral("货品名称"), 140);
    grdStock->Columns().Add(QStringLiteral("XX"), QStringLiteral("最高库存"), 70);
    grdStock->Columns().Add(QStringLiteral("SL"), QStringLiteral("现库存"), 70);
    grdStock->Columns().Add(QStringLiteral("SX"), QStringLiteral("最低库存"), 70);
    grdStock->SetReadOnly(true);
    grdStock->SetDataSource(m_sStock.get());
    page2->addWidget(grdStock);
    layout->addWidget(PageControl1, 1);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (PageControl1->widget(index) == TabSheet2)
            Guarded([this] { loadStockAlarms(); });
    });

    auto *bottom = new QHBoxLayout;
    chkShowAtStart = new QCheckBox(QStringLiteral("在进入系统时自动显示此窗口"), this);
    chkShowAtStart->setObjectName(QStringLiteral("chkShowAtStart"));
    chkShowAtStart->setChecked(true);
    btnView = new QPushButton(QStringLiteral("查看(&S)"), this);
    btnView->setObjectName(QStringLiteral("btnView"));
    btnClose = new QPushButton(QStringLiteral("关闭(&E)"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    for (QPushButton *button : {btnView, btnClose})
        button->setAutoDefault(false);
    bottom->addWidget(chkShowAtStart);
    bottom->addStretch(1);
    bottom->addWidget(btnView);
    bottom->addWidget(btnClose);
    layout->addLayout(bottom);
    connect(btnView, &QPushButton::clicked, this, [this] { Guarded([this] { btnViewClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, [this] { Close(); });
    resize(520, 360);
}

TFrmAlert::~TFrmAlert()
{
    grdAudit->SetDataSource(nullptr);
    grdStock->SetDataSource(nullptr);
}

void TFrmAlert::Load(const QString &pendingSql)
{
    m_audit->Close();
    if (!pendingSql.isEmpty()) {
        m_audit->SetCommandText(pendingSql);
        m_audit->Open();
    }
    m_stock->Close();
}

void TFrmAlert::loadStockAlarms()
{
    // The ledger is summed over all its years: only when the page is looked at.
    if (m_stock->Active())
        return;
    m_stock->SetCommandText(StockAlarmSQL(FuncRight().WarehouseFrom));
    m_stock->Open();
}

bool TFrmAlert::HasPending() const
{
    return m_audit->Active() && !m_audit->IsEmpty();
}

QStringList TFrmAlert::PendingRows() const
{
    QStringList rows;
    if (!HasPending())
        return rows;
    const TBookmark position = m_audit->GetBookmark();
    for (m_audit->First(); !m_audit->Eof(); m_audit->Next())
        rows << m_audit->FieldByName(QStringLiteral("sType"))->AsString() + QLatin1Char('=') +
                    m_audit->FieldByName(QStringLiteral("Qty"))->AsString();
    m_audit->GotoBookmark(position);
    return rows;
}

void TFrmAlert::btnViewClick()
{
    if (!HasPending())
        return;
    const TAlertType *type =
        FindAlertType(m_audit->FieldByName(QStringLiteral("sType"))->AsString());
    if (type)
        ShowPendingAudits(QLatin1String(type->ListClass));
}

void TFrmAlert::FormClose()
{
    WriteLoginSetting(QStringLiteral("showaudit"),
                      chkShowAtStart->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    FuncRight().ShowAudit = chkShowAtStart->isChecked();
    TFrmRoot::FormClose();
}

TFrmAlert *ShowAlertWindow(const QString &kind, bool atStart, QWidget *parent)
{
    if (atStart && !ReadShowAudit())
        return nullptr;
    const auto types = AlertTypes(kind);
    if (!types) {
        MessageBox(QStringLiteral("提醒类型不正确！"), Caption, TMsgIcon::Warning);
        return nullptr;
    }
    const QString sql = PendingAuditSQL(*types, mayAuditAsUser, FuncRight().WarehouseFrom);
    auto *form = CreateForm<TFrmAlert>(parent);
    form->chkShowAtStart->setChecked(ReadShowAudit());
    form->Load(sql);
    if (atStart && !form->HasPending()) {
        delete form;
        return nullptr;
    }
    form->setWindowFlag(Qt::Window);
    form->show();
    return form;
}
