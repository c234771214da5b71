// The login dialog of the start-up.
#include "client/app/login.h"

#include "client/core/paths.h"
#include "client/core/session.h"
#include "client/core/sysconfig.h"
#include "client/data/applog.h"
#include "client/data/centraldata.h"
#include "client/data/socketconnection.h"
#include "client/forms/globalobj.h"
#include "client/forms/sharedroutines.h"
#include "client/widgets/dblookupcombo.h"

#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>

namespace {

const QString VendorPage = QStringLiteral("https://vzclient.example.com/");

} // namespace

TfrmLogin::TfrmLogin(QWidget *parent)
    : TFrmRoot(parent)
    , m_code(QStringLiteral("cdsLoginCode"))
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("用户登录"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(330, 190);

    m_code.AddField(ftString, QStringLiteral("uCode"), 8);
    m_code.CreateDataSet();
    m_code.Append();
    m_code.Post();
    m_codeSource.SetDataSet(&m_code);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(24, 20, 24, 16);
    grid->setHorizontalSpacing(10);
    grid->addWidget(new QLabel(QStringLiteral("用户代码"), this), 0, 0);
    cbCode = new TDBLookupComboBox(this);
    cbCode->setObjectName(QStringLiteral("cbCode"));
    cbCode->SetStyle(TDBLookupComboBox::csDropDown);
    cbCode->SetKeyField(QStringLiteral("uCode"));
    cbCode->SetListField(QStringLiteral("uCode;uName"));
    cbCode->SetListColumns({{QStringLiteral("uCode"), QStringLiteral("用户代码"), 12},
                            {QStringLiteral("uName"), QStringLiteral("用户名称"), 16}});
    cbCode->SetDataSource(&m_codeSource);
    cbCode->SetDataField(QStringLiteral("uCode"));
    grid->addWidget(cbCode, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("初始密码为空"), this), 0, 2);

    grid->addWidget(new QLabel(QStringLiteral("用户密码"), this), 1, 0);
    edtPassword = new QLineEdit(this);
    edtPassword->setObjectName(QStringLiteral("edtPassword"));
    edtPassword->setEchoMode(QLineEdit::Password);
    edtPassword->setMaxLength(8);
    grid->addWidget(edtPassword, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("直接确定即可"), this), 1, 2);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    btnOK = new QPushButton(QStringLiteral("确定(&O)"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("取消(&C)"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    cbCode->Edit()->installEventFilter(this);
    connect(cbCode->Edit(), &QLineEdit::textChanged, this, [this] { codeChanged(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

TfrmLogin::~TfrmLogin()
{
    cbCode->Edit()->removeEventFilter(this);
    cbCode->SetListSource(nullptr);
    cbCode->SetDataSource(nullptr);
}

QString TfrmLogin::CodeText() const
{
    return cbCode->Text();
}

void TfrmLogin::SetCodeText(const QString &code)
{
    m_code.Edit();
    m_code.FieldByName(QStringLiteral("uCode"))->SetAsString(code);
    m_code.Post();
}

void TfrmLogin::FormCreate()
{
    TFrmRoot::FormCreate();
    TSessionInfo &session = SessionInfo();
    m_mayShow = false;
    if (session.DatabaseKind == 1) {
        setWindowTitle(session.Product.Caption);
        if (!ConnectServer(&Data().cn()))
            return;
    }
    bool refused = true;
    Guarded([&] {
        QString accountNo = session.AccountNo;
        refused = Data().cn().AppServer().ConnectAct(session.DatabaseKind, accountNo);
        session.AccountNo = accountNo;
    });
    if (refused) {
        cbCode->setEnabled(false);
        edtPassword->setEnabled(false);
        btnOK->setEnabled(false);
        return;
    }
    m_mayShow = Guarded([] { Data().AppUser().Open(); });
    cbCode->SetListSource(&Data().sAppUser());
}

void TfrmLogin::FormShow()
{
    TFrmRoot::FormShow();
    const QString system = ExeDirFile(QStringLiteral("System"));
    if (!QDir(system).exists()) {
        // The first start on this workstation.
        if (!SessionInfo().HideVendorInfo)
            QDesktopServices::openUrl(QUrl(VendorPage));
        QDir().mkpath(system);
    }
    const QString reports = ExeDirFile(QStringLiteral("Reports"));
    if (!QDir(reports).exists())
        QDir().mkpath(reports);
    ComputerName = LocalComputerName();

    const QString user = ReadLoginSetting(QStringLiteral("user"));
    SetCodeText(user.isEmpty() ? QStringLiteral("SYS") : user);
    codeChanged();
    FuncRight().ShowAudit = ReadShowAudit();
    if (CodeText().isEmpty())
        cbCode->setFocus();
    else
        edtPassword->setFocus();
}

void TfrmLogin::codeChanged()
{
    btnOK->setEnabled(m_mayShow && !cbCode->Text().isEmpty());
}

void TfrmLogin::storeTypedCode()
{
    const TField *field = m_code.FindField(QStringLiteral("uCode"));
    if (field && field->AsString() != cbCode->Text())
        Guarded([this] { SetCodeText(cbCode->Text()); });
}

bool TfrmLogin::eventFilter(QObject *watched, QEvent *event)
{
    // Typed text stays in the box when the focus leaves it (the lookup box would put the
    // last picked code back).
    if (cbCode && watched == cbCode->Edit() && event->type() == QEvent::FocusOut)
        storeTypedCode();
    return TFrmRoot::eventFilter(watched, event);
}

void TfrmLogin::btnOKClick()
{
    // The server compares: the stored passwords never leave it.
    const QString code = CodeText();
    const QString password = edtPassword->text();
    enum class Refusal { None, Code, Password, Other } refusal = Refusal::Other;
    QVariantMap user;
    Guarded([&] {
        try {
            user = Data().cn().AppServer().Login(code, password);
            refusal = Refusal::None;
        } catch (const ERemoteError &e) {
            if (e.ErrorCode() == QLatin1String("unknownUser"))
                refusal = Refusal::Code;
            else if (e.ErrorCode() == QLatin1String("wrongPassword"))
                refusal = Refusal::Password;
            else
                throw;
        }
    });
    if (refusal == Refusal::Other)
        return;
    if (refusal == Refusal::Code) {
        MessageBox(QStringLiteral("无效的用户代码,请重新输入!"), QStringLiteral("系统登录"),
                   TMsgIcon::Error);
        cbCode->setFocus();
        return;
    }
    if (refusal == Refusal::Password) {
        MessageBox(QStringLiteral("无效的密码, 请重新输入!"), QStringLiteral("系统登录"),
                   TMsgIcon::Error);
        edtPassword->setFocus();
        edtPassword->selectAll();
        return;
    }

    const auto text = [&user](const char *name) {
        const QVariant value = user.value(QLatin1String(name));
        return value.isNull() ? QString() : value.toString();
    };
    const bool loaded = Guarded([&] {
        TSystemFunctionRight &right = FuncRight();
        right.LoadCompanySettings();
        right.UserID = text("ID");
        right.UserCode = text("uCode");
        right.UserName = text("uName");
        right.UserPassword = password;
        right.GroupIDs = text("gID");
        right.EmployeeID = text("YGID");
        right.EmployeeName = text("aYGMC");
        CurUserID = right.UserID.toInt();
        CurUserCode = right.UserCode;
        CurUserName = right.UserName;
        CurUserPassword = password;
        CurGroupID = right.GroupIDs;
    });
    if (!loaded)
        return;
    WriteAppLog(QStringLiteral("登录系统"));
    SetModalResult(mrOk);
    Data().AppUser().Close();
}

void TfrmLogin::FormClose()
{
    WriteLoginSetting(QStringLiteral("user"), CodeText());
    if (DataExists())
        Data().AppUser().Close();
    TFrmRoot::FormClose();
}
