// The account-set manager and its dialogs.
#include "client/admin/ztmanager.h"

#include "client/core/session.h"
#include "client/data/applog.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/forms/accountsetgrid.h"
#include "client/widgets/dbgrid.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString DefaultCompanyCode = QStringLiteral("BC50A50F-C431-43F1-8E11-23AAE640437E");
const QString ErrorCaption = QStringLiteral("错误");
constexpr int FieldLength = 50;

QLineEdit *makeEdit(QWidget *parent, const char *name)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(FieldLength);
    return edit;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

void setUpDialog(TFrmRoot *form, const char *name, const QString &caption, QSize size)
{
    form->setObjectName(QLatin1String(name));
    form->setWindowTitle(caption);
    form->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    form->setFixedSize(size);
}

QHBoxLayout *buttonRow(QPushButton *ok, QPushButton *cancel)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

// A refusal shown, the focus back on the edit at fault.
void refuse(QLineEdit *edit, const QString &text, const QString &caption)
{
    MessageBox(text, caption, TMsgIcon::Warning);
    edit->setFocus();
}

QString sizeText(qint64 bytes)
{
    return QLocale(QLocale::Chinese)
        .formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace

QString AccountNoProblem(const QString &accountNo)
{
    if (accountNo.trimmed().isEmpty())
        return QStringLiteral("帐套代码不能为空");
    for (const QChar c : accountNo)
        if (!(c.isDigit() && c.unicode() < 128) &&
            !((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')))
            return QStringLiteral("帐套代码只能由字母或数字组成");
    return {};
}

// --- TNewZTFrm ---------------------------------------------------------------------------------

TNewZTFrm::TNewZTFrm(QWidget *parent)
    : TFrmRoot(parent)
{
    setUpDialog(this, "NewZTFrm", QStringLiteral("新建帐套"), QSize(340, 190));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 12);
    auto *form = new QFormLayout;
    dbNo = makeEdit(this, "dbNo");
    dbName = makeEdit(this, "dbName");
    dbCompany = makeEdit(this, "dbCompany");
    auto *noRow = new QHBoxLayout;
    noRow->addWidget(dbNo, 1);
    noRow->addWidget(new QLabel(QStringLiteral("（字母或数字）"), this));
    form->addRow(QStringLiteral("帐套代码"), noRow);
    form->addRow(QStringLiteral("帐套名称"), dbName);
    form->addRow(QStringLiteral("单位名称"), dbCompany);
    layout->addLayout(form);
    layout->addStretch(1);
    btnCreate = makeButton(this, "btnCreate", QStringLiteral("创建"));
    btnCancel = makeButton(this, "btnCancel", QStringLiteral("取消"));
    layout->addLayout(buttonRow(btnCreate, btnCancel));
    connect(btnCreate, &QPushButton::clicked, this, [this] { btnCreateClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

void TNewZTFrm::btnCreateClick()
{
    if (const QString problem = AccountNoProblem(dbNo->text()); !problem.isEmpty())
        return refuse(dbNo, problem, windowTitle());
    if (dbName->text().trimmed().isEmpty())
        return refuse(dbName, QStringLiteral("帐套名称不能为空"), windowTitle());
    SetModalResult(mrOk);
}

// --- TEditZTFrm --------------------------------------------------------------------------------

TEditZTFrm::TEditZTFrm(QWidget *parent)
    : TFrmRoot(parent)
{
    setUpDialog(this, "EditZTFrm", QStringLiteral("修改帐套"), QSize(320, 130));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 12);
    auto *form = new QFormLayout;
    dbName = makeEdit(this, "dbName");
    form->addRow(QStringLiteral("帐套名称"), dbName);
    layout->addLayout(form);
    layout->addStretch(1);
    btnOK = makeButton(this, "btnOK", QStringLiteral("确定"));
    btnCancel = makeButton(this, "btnCancel", QStringLiteral("取消"));
    layout->addLayout(buttonRow(btnOK, btnCancel));
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

void TEditZTFrm::btnOKClick()
{
    if (dbName->text().trimmed().isEmpty())
        return refuse(dbName, QStringLiteral("帐套名称不能为空"), windowTitle());
    SetModalResult(mrOk);
}

// --- TRestoreZTFrm -----------------------------------------------------------------------------

TRestoreZTFrm::TRestoreZTFrm(const QString &accountNo, const QList<TBackupEntry> &backups,
                             QWidget *parent)
    : TFrmRoot(parent)
    , m_backups(backups)
{
    setUpDialog(this, "RestoreZTFrm", QStringLiteral("恢复备份"), QSize(400, 360));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(
        new QLabel(QStringLiteral("帐套 %1 的备份（恢复为新的帐套）：").arg(accountNo), this));
    grdBackups = new QTableWidget(int(backups.size()), 2, this);
    grdBackups->setObjectName(QStringLiteral("grdBackups"));
    grdBackups->setHorizontalHeaderLabels({QStringLiteral("备份时间"), QStringLiteral("大小")});
    grdBackups->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdBackups->setSelectionMode(QAbstractItemView::SingleSelection);
    grdBackups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdBackups->verticalHeader()->hide();
    grdBackups->horizontalHeader()->setStretchLastSection(true);
    grdBackups->setColumnWidth(0, 200);
    for (int row = 0; row < backups.size(); ++row) {
        grdBackups->setItem(row, 0,
                            new QTableWidgetItem(
                                backups[row].Time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));
        auto *size = new QTableWidgetItem(sizeText(backups[row].Size));
        size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grdBackups->setItem(row, 1, size);
    }
    if (!backups.isEmpty())
        grdBackups->selectRow(0);
    layout->addWidget(grdBackups, 1);
    auto *form = new QFormLayout;
    dbNo = makeEdit(this, "dbNo");
    dbName = makeEdit(this, "dbName");
    auto *noRow = new QHBoxLayout;
    noRow->addWidget(dbNo, 1);
    noRow->addWidget(new QLabel(QStringLiteral("（字母或数字）"), this));
    form->addRow(QStringLiteral("新帐套代码"), noRow);
    form->addRow(QStringLiteral("新帐套名称"), dbName);
    layout->addLayout(form);
    btnRestore = makeButton(this, "btnRestore", QStringLiteral("恢复"));
    btnCancel = makeButton(this, "btnCancel", QStringLiteral("取消"));
    layout->addLayout(buttonRow(btnRestore, btnCancel));
    connect(btnRestore, &QPushButton::clicked, this, [this] { btnRestoreClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

QString TRestoreZTFrm::ChosenFile() const
{
    const int row = grdBackups->currentRow();
    return row >= 0 && row < m_backups.size() ? m_backups[row].FileName : QString();
}

void TRestoreZTFrm::btnRestoreClick()
{
    if (ChosenFile().isEmpty()) {
        MessageBox(QStringLiteral("请选择要恢复的备份"), windowTitle(), TMsgIcon::Warning);
        return;
    }
    if (const QString problem = AccountNoProblem(dbNo->text()); !problem.isEmpty())
        return refuse(dbNo, problem, windowTitle());
    if (dbName->text().trimmed().isEmpty())
        return refuse(dbName, QStringLiteral("帐套名称不能为空"), windowTitle());
    SetModalResult(mrOk);
}

// --- TfrmZTManager -----------------------------------------------------------------------------

TfrmZTManager::TfrmZTManager(QWidget *parent)
    : TFrmRoot(parent)
    , cdsAccounts(QStringLiteral("cdsAccounts"))
{
    setUpDialog(this, "frmZTManager", QStringLiteral("帐套管理"), QSize(420, 320));
    sAccounts.SetDataSet(&cdsAccounts);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("在列表上按右键新建、修改、删除或恢复帐套"), this));
    DBGrid1 = NewAccountSetGrid(this, &sAccounts, 270);
    layout->addWidget(DBGrid1, 1);

    PopupMenu1 = new QMenu(this);
    MenuNew =
        PopupMenu1->addAction(QStringLiteral("新建帐套..."), this, [this] { MenuNewClick(); });
    MenuModify = PopupMenu1->addAction(QStringLiteral("修改帐套名称...."), this,
                                       [this] { MenuModifyClick(); });
    MenuDelete =
        PopupMenu1->addAction(QStringLiteral("删除帐套...."), this, [this] { MenuDeleteClick(); });
    PopupMenu1->addSeparator();
    MenuRestore =
        PopupMenu1->addAction(QStringLiteral("恢复备份..."), this, [this] { MenuRestoreClick(); });
    DBGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(DBGrid1->mapToGlobal(at)); });

    btnOk = makeButton(this, "btnOk", QStringLiteral("关闭(&O)"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    layout->addLayout(buttons);
    connect(btnOk, &QPushButton::clicked, this, [this] { SetModalResult(mrOk); });
}

TfrmZTManager::~TfrmZTManager()
{
    DBGrid1->SetDataSource(nullptr);
}

void TfrmZTManager::FormCreate()
{
    TFrmRoot::FormCreate();
    cdsAccounts.SetRemoteServer(&Data().cn());
    cdsAccounts.SetProviderName(QStringLiteral("dspAccounts"));
}

void TfrmZTManager::FormShow()
{
    TFrmRoot::FormShow();
    if (!cdsAccounts.Active() && !Guarded([this] { cdsAccounts.Open(); }))
        return;
    if (!cdsAccounts.IsEmpty()) {
        cdsAccounts.First();
        DBGrid1->setFocus();
    }
}

QString TfrmZTManager::current(const char *field) const
{
    return cdsAccounts.FieldByName(QLatin1String(field))->AsString();
}

bool TfrmZTManager::applyChange(const QString &failure)
{
    QString refused;
    cdsAccounts.OnReconcileError = [&refused](TClientDataSet &, EReconcileError &E, TUpdateKind,
                                              TReconcileAction &Action) {
        refused = E.Message();
        Action = raCancel;
    };
    int errors = 0;
    const bool sent = Guarded([&] { errors = cdsAccounts.ApplyUpdates(0); });
    cdsAccounts.OnReconcileError = nullptr;
    if (sent && errors == 0 && cdsAccounts.ChangeCount() == 0)
        return true;
    if (cdsAccounts.ChangeCount() > 0)
        cdsAccounts.CancelUpdates();
    if (!refused.isEmpty())
        MessageBox(failure + refused, ErrorCaption, TMsgIcon::Error);
    return false;
}

void TfrmZTManager::MenuNewClick()
{
    if (!cdsAccounts.Active())
        return;
    TNewZTFrm dialog(this);
    if (dialog.ShowModal() != mrOk)
        return;
    const QString no = dialog.dbNo->text().trimmed();
    const QString name = dialog.dbName->text().trimmed();
    const bool posted = Guarded([&] {
        cdsAccounts.Append();
        cdsAccounts.FieldByName(QStringLiteral("CompanyCode"))->SetAsString(DefaultCompanyCode);
        cdsAccounts.FieldByName(QStringLiteral("AccountNo"))->SetAsString(no);
        cdsAccounts.FieldByName(QStringLiteral("AccountName"))->SetAsString(name);
        cdsAccounts.FieldByName(QStringLiteral("CompanyName"))
            ->SetAsString(dialog.dbCompany->text().trimmed());
        cdsAccounts.Post();
    });
    if (!posted) {
        cdsAccounts.Cancel();
        cdsAccounts.CancelUpdates();
        return;
    }
    if (applyChange(QStringLiteral("新建帐套出错：")))
        WriteAppLog(QStringLiteral("新建帐套 ") + no + QLatin1Char(' ') + name);
}

void TfrmZTManager::MenuModifyClick()
{
    if (!cdsAccounts.Active() || cdsAccounts.IsEmpty())
        return;
    TEditZTFrm dialog(this);
    dialog.dbName->setText(current("AccountName"));
    if (dialog.ShowModal() != mrOk)
        return;
    const QString no = current("AccountNo");
    const QString name = dialog.dbName->text().trimmed();
    const bool posted = Guarded([&] {
        cdsAccounts.Edit();
        cdsAccounts.FieldByName(QStringLiteral("AccountName"))->SetAsString(name);
        cdsAccounts.Post();
    });
    if (!posted) {
        cdsAccounts.Cancel();
        cdsAccounts.CancelUpdates();
        return;
    }
    if (applyChange(QStringLiteral("修改帐套出错："))) {
        if (no.compare(SessionInfo().AccountNo, Qt::CaseInsensitive) == 0)
            SessionInfo().AccountName = name;
        WriteAppLog(QStringLiteral("修改帐套名称 ") + no + QLatin1Char(' ') + name);
    }
}

void TfrmZTManager::MenuDeleteClick()
{
    if (!cdsAccounts.Active() || cdsAccounts.IsEmpty())
        return;
    const QString no = current("AccountNo");
    const QString name = current("AccountName");
    if (no.compare(SessionInfo().AccountNo, Qt::CaseInsensitive) == 0) {
        MessageBox(QStringLiteral("删除帐套出错，帐套正在使用！"), ErrorCaption, TMsgIcon::Error);
        return;
    }
    if (MessageBox(QStringLiteral("真的要删除<") + name + QStringLiteral(">帐套吗？"),
                   QStringLiteral("提醒"), TMsgIcon::Question, TMsgButtons::OKCancel,
                   mrCancel) != mrOk)
        return;
    if (!Guarded([this] { cdsAccounts.Delete(); })) {
        cdsAccounts.CancelUpdates();
        return;
    }
    if (applyChange(QStringLiteral("删除帐套出错：")))
        WriteAppLog(QStringLiteral("删除帐套 ") + no + QLatin1Char(' ') + name);
}

QList<TBackupEntry> TfrmZTManager::ListBackups(const QString &accountNo)
{
    QList<TBackupEntry> backups;
    const QVariantList rows = Data()
                                  .cn()
                                  .AppServer()
                                  .Call(QStringLiteral("ListBackups"), QVariantList{accountNo})
                                  .toList();
    for (const QVariant &row : rows) {
        const QVariantList values = row.toList();
        backups << TBackupEntry{values.value(0).toString(), values.value(1).toDateTime(),
                                values.value(2).toLongLong()};
    }
    return backups;
}

void TfrmZTManager::MenuRestoreClick()
{
    if (!cdsAccounts.Active() || cdsAccounts.IsEmpty())
        return;
    const QString no = current("AccountNo");
    QList<TBackupEntry> backups;
    if (!Guarded([&] { backups = ListBackups(no); }))
        return;
    if (backups.isEmpty()) {
        MessageBox(QStringLiteral("帐套 %1 还没有备份").arg(no), QStringLiteral("信息"),
                   TMsgIcon::Information);
        return;
    }
    TRestoreZTFrm dialog(no, backups, this);
    if (dialog.ShowModal() != mrOk)
        return;
    const QString file = dialog.ChosenFile();
    const QString newNo = dialog.dbNo->text().trimmed();
    const QString newName = dialog.dbName->text().trimmed();
    const bool restored = Guarded([&] {
        TBusyMessage busy(QStringLiteral("正在恢复备份，请稍候..."));
        Data().cn().AppServer().Call(QStringLiteral("RestoreBackup"),
                                     QVariantList{no, file, newNo, newName});
    });
    if (!restored)
        return;
    WriteAppLog(QStringLiteral("恢复备份 ") + no + QLatin1Char(' ') + file +
                QStringLiteral(" 为帐套 ") + newNo + QLatin1Char(' ') + newName);
    Guarded([&] {
        cdsAccounts.Close();
        cdsAccounts.Open();
        cdsAccounts.Locate(QStringLiteral("AccountNo"), newNo, loCaseInsensitive);
    });
}
