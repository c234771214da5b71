#include "client/admin/dataclear.h"

#include "client/core/session.h"
#include "client/data/applog.h"
#include "client/data/atomicrequest.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/globalobj.h"
#include "client/forms/mdiwindows.h"
#include "client/reports/reportsql.h"
#include "client/security/systemfunctionright.h"
#include "client/widgets/controls.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Statements per part of the request: a year-end of a large account set writes tens of
// thousands, and a request carries at most a thousand parts.
constexpr int StatementsPerPart = 500;

const QString YearEndCaption = QStringLiteral("年末结存");
const QString ClearCaption = QStringLiteral("清除数据");

} // namespace

// ---------------------------------------------------------------------------------------------

TFrmClearData::TFrmClearData(QWidget *parent)
    : TFrmBase(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    RzBitBtn1 = new QPushButton(PanelBottom());
    RzBitBtn1->setObjectName(QStringLiteral("RzBitBtn1"));
    btnOk_New = new QPushButton(PanelBottom());
    btnOk_New->setObjectName(QStringLiteral("btnOk_New"));
    auto *buttons = new QHBoxLayout(PanelBottom());
    buttons->addStretch();
    buttons->addWidget(RzBitBtn1);
    buttons->addWidget(btnOk_New);
    connect(RzBitBtn1, &QPushButton::clicked, this, [this] { RzBitBtn1Click(); });
    connect(btnOk_New, &QPushButton::clicked, this, [this] { Close(); });
}

int TFrmClearData::Param() const
{
    return ModeText(this).toInt();
}

QStringList TFrmClearData::ClearList()
{
    FuncRight().BuildTableList(Param());
    return FuncRight().TableList;
}

bool TFrmClearData::BackUpFirst()
{
    TBusyMessage busy(QStringLiteral("正在备份数据，请稍候..."));
    return Guarded([] {
        QString accountNo = SessionInfo().AccountNo;
        Data().cn().AppServer().BackupData(accountNo);
    });
}

bool TFrmClearData::SendAll(const QStringList &statements, const QString &operation,
                            const QString &busyText, const QString &caption)
{
    TAtomicRequest request(&Data().cn());
    for (qsizetype first = 0; first < statements.size(); first += StatementsPerPart)
        request.Execute(statements.mid(first, StatementsPerPart).join(QStringLiteral(";\n")));
    request.Execute(AppLogInsertSQL(operation));
    TAtomicResult result;
    {
        TBusyMessage busy(busyText);
        result = request.Send();
    }
    if (result.Ok)
        return true;
    const QString why =
        result.OutcomeUnknown
            ? QStringLiteral("与服务器的连接中断，无法确定操作是否完成，请检查数据。")
            : QStringLiteral("操作失败，帐套中的数据没有任何改动。");
    MessageBox(why + QLatin1Char('\n') + result.Message, caption, TMsgIcon::Error);
    return false;
}

// ---------------------------------------------------------------------------------------------

TFrmYearJZ::TFrmYearJZ(QWidget *parent)
    : TFrmClearData(parent)
{
    setObjectName(QStringLiteral("FrmYearJZ"));
    setWindowTitle(QStringLiteral("年末结转"));
    setFixedSize(440, 220);
    auto *layout = new QVBoxLayout(PanelClient());
    layout->setContentsMargins(18, 14, 18, 10);
    Memo1 = new QLabel(QStringLiteral("年结存将现在的结存值做为新一年的期初值，并清除本"
                                      "年的进、销、存数据，提高系统的运行速度和效率。"),
                       PanelClient());
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setWordWrap(true);
    layout->addWidget(Memo1);
    auto *backup =
        new QLabel(QStringLiteral("开始结存后，先在服务器上备份当前帐套，备份成功后才清除"
                                  "数据；结存中途出错时帐套保持原样。"),
                   PanelClient());
    backup->setObjectName(QStringLiteral("lblBackup"));
    backup->setWordWrap(true);
    layout->addWidget(backup);
    layout->addStretch();
    Label1 = new QLabel(QStringLiteral("备注：年结转前，一定要备份数据！"), PanelClient());
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setStyleSheet(QStringLiteral("color: red;"));
    layout->addWidget(Label1);
    RzBitBtn1->setText(QStringLiteral("开始结存(&O)"));
    btnOk_New->setText(QStringLiteral("放弃退出(&Q)"));
}

QList<TStockBalance> TFrmYearJZ::ReadSnapshot()
{
    QList<TStockBalance> snapshot;
    TTmpDataSet tmp;
    tmp->SetPacketRecords(-1);
    tmp->SetCommandText(GetFCKCSQL(QString()));
    tmp->Open();
    const TField *goods = tmp->FieldByName(QStringLiteral("HPID"));
    const TField *warehouse = tmp->FieldByName(QStringLiteral("CKID"));
    const TField *quantity = tmp->FieldByName(QStringLiteral("SL"));
    const TField *amount = tmp->FieldByName(QStringLiteral("JE"));
    std::array<const TField *, 6> attrs{};
    for (int i = 0; i < 6; ++i)
        attrs[size_t(i)] = tmp->FieldByName(QStringLiteral("SX%1").arg(i + 1));
    for (tmp->First(); !tmp->Eof(); tmp->Next()) {
        TStockBalance row;
        row.Goods = goods->AsLargeInt();
        row.Warehouse = warehouse->AsLargeInt();
        for (int i = 0; i < 6; ++i)
            row.Attrs[size_t(i)] = attrs[size_t(i)]->Value();
        row.Quantity = quantity->AsFloat();
        row.Amount = amount->AsFloat();
        snapshot << row;
    }
    return snapshot;
}

void TFrmYearJZ::RzBitBtn1Click()
{
    if (MessageBox(QStringLiteral("确实要年末结存吗？"), YearEndCaption, TMsgIcon::Question,
                   TMsgButtons::YesNo) != mrYes)
        return;
    TCarryForward plan;
    if (!Guarded([&] { plan.Snapshot = ReadSnapshot(); }))
        return;
    if (plan.Snapshot.isEmpty()) {
        ShowMessage(QStringLiteral("没有业务数据，不能年结转！"));
        return;
    }
    if (!BackUpFirst())
        return;
    if (!Guarded([&] { plan.OpeningDate = Data().GetServerDate().addDays(-1); }))
        return;
    plan.ClearTables = ClearTablesOf(ClearList(), QStringLiteral("B"));
    plan.BillType = Param() == 0 ? QStringLiteral("KCPD") : QStringLiteral("KCTZ");
    plan.PostLedger = Param() == 0;
    plan.AuditLevel = FuncRight().AuditNum;
    plan.Operator = FuncRight().UserName;
    if (!SendAll(CarryForwardStatements(plan), QStringLiteral("年末结转"),
                 QStringLiteral("正在生成期初数据，请稍候..."), YearEndCaption))
        return;
    {
        // The carry-forward stands; a compaction that fails is reported and changes nothing.
        TBusyMessage busy(QStringLiteral("正在压缩数据库，请稍候..."));
        Guarded([] { Data().cn().AppServer().CompactDatabase(QString(), QString()); });
    }
    MessageBox(QStringLiteral("年末结存成功！"), YearEndCaption, TMsgIcon::Information);
}

// ---------------------------------------------------------------------------------------------

TFrmInitData::TFrmInitData(QWidget *parent)
    : TFrmClearData(parent)
{
    setObjectName(QStringLiteral("FrmInitData"));
    setWindowTitle(QStringLiteral("系统初始化"));
    setFixedSize(360, 200);
    auto *layout = new QVBoxLayout(PanelClient());
    layout->setContentsMargins(24, 16, 24, 10);
    cBox_base = new QCheckBox(QStringLiteral("清除货品库存资料"), PanelClient());
    cBox_base->setObjectName(QStringLiteral("cBox_base"));
    cBox_jxc = new QCheckBox(QStringLiteral("清除进销存数据"), PanelClient());
    cBox_jxc->setObjectName(QStringLiteral("cBox_jxc"));
    layout->addWidget(cBox_base);
    layout->addWidget(cBox_jxc);
    auto *backup = new QLabel(
        QStringLiteral("清除前先在服务器上备份当前帐套，备份成功后才清除数据。"), PanelClient());
    backup->setObjectName(QStringLiteral("lblBackup"));
    backup->setWordWrap(true);
    layout->addWidget(backup);
    layout->addStretch();
    RzBitBtn1->setText(QStringLiteral("清除(&C)"));
    btnOk_New->setText(QStringLiteral("关闭(&Q)"));
}

void TFrmInitData::RzBitBtn1Click()
{
    if (!cBox_base->isChecked() && !cBox_jxc->isChecked()) {
        ShowMessage(QStringLiteral("请选择清除的项目"));
        return;
    }
    if (MessageBox(QStringLiteral("确实要清除数据吗？"), ClearCaption, TMsgIcon::Question,
                   TMsgButtons::YesNo) != mrYes)
        return;
    if (!BackUpFirst())
        return;
    const QStringList list = ClearList();
    QStringList statements;
    QStringList what;
    if (cBox_base->isChecked()) {
        statements += ClearStatements(ClearTablesOf(list, QStringLiteral("A")));
        what << cBox_base->text();
    }
    if (cBox_jxc->isChecked()) {
        statements += ClearStatements(ClearTablesOf(list, QStringLiteral("B")));
        what << cBox_jxc->text();
    }
    if (!SendAll(statements, QStringLiteral("系统初始化：") + what.join(QStringLiteral("、")),
                 QStringLiteral("正在清除数据，请稍候..."), ClearCaption))
        return;
    MessageBox(QStringLiteral("清除数据成功"), ClearCaption, TMsgIcon::Information);
}
