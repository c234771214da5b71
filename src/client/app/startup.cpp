// The start-up sequence from the splash to the main window.
#include "client/app/startup.h"

#include "client/app/login.h"
#include "client/app/severadress.h"
#include "client/app/ztlogin.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/reportdata.h"
#include "client/forms/globalobj.h"
#include "client/forms/reconcileerrorform.h"
#include "client/shell/hooks.h"
#include "client/shell/mainwindow.h"
#include "client/shell/startform.h"
#include "client/widgets/messagebox.h"

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

bool RegisterDataAccessLibrary(const std::function<bool()> &registrar)
{
    if (!registrar || registrar())
        return true;
    MessageBox(QStringLiteral("注册midas.dll出错！"), QStringLiteral("错误"), TMsgIcon::Error);
    return false;
}

TStartup::TStartup(TStartupOptions options)
    : m_options(std::move(options))
{}

TStartup::~TStartup()
{
    m_main.reset();
    m_dataBb.reset();
    m_data.reset();
}

void TStartup::autoAnswer(QWidget *dialog, std::function<void()> answer) const
{
    if (m_options.AutoLogin.isEmpty())
        return;
    // Answered from inside the dialog's own modal loop, as a user's clicks would be.
    QTimer::singleShot(300, dialog, [answer = std::move(answer)] { answer(); });
}

bool TStartup::Run()
{
    // 1-2. The splash, painted at once, for its time.
    auto splash = std::make_unique<TfrmStart>();
    splash->ShowNow();
    if (m_options.SplashMs > 0) {
        QEventLoop wait;
        QTimer::singleShot(m_options.SplashMs, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }

    bool running = false;
    const bool completed = Guarded([&] {
        // 3. The data modules.
        m_data = std::make_unique<TData>();
        m_dataBb = std::make_unique<TDataBb>(*m_data);
        m_data->cn().SetTls(m_options.Tls);
        m_data->SetReconcileErrorHandler(HandleReconcileError);
        FuncRight().SetDataSets(&m_data->Tmp(), &m_data->Tmpf(), &m_data->Tmpl());

        // 4. The server address.
        {
            std::unique_ptr<TFrmSeverAdress> address(CreateForm<TFrmSeverAdress>());
            autoAnswer(address.get(), [form = address.get()] { form->btnOK->click(); });
            if (address->ShowModal() != mrOk)
                return;
        }

        // 5. The account set, on a server that keeps several.
        if (SessionInfo().DatabaseKind == 0) {
            std::unique_ptr<TfrmZTLogin> accounts(CreateForm<TfrmZTLogin>());
            if (!accounts->MayShow())
                return;
            autoAnswer(accounts.get(), [form = accounts.get()] { form->btnOK->click(); });
            if (accounts->ShowModal() != mrOk)
                return;
        }

        // 6. The login.
        {
            std::unique_ptr<TfrmLogin> login(CreateForm<TfrmLogin>());
            if (!login->MayShow())
                return;
            const QString user = m_options.AutoLogin.section(QLatin1Char(':'), 0, 0);
            const QString password = m_options.AutoLogin.section(QLatin1Char(':'), 1);
            autoAnswer(login.get(), [form = login.get(), user, password] {
                form->SetCodeText(user);
                form->edtPassword->setText(password);
                form->btnOK->click();
            });
            if (login->ShowModal() != mrOk)
                return;
        }

        // 7-8. The main window and its workspace.
        splash->repaint();
        m_main = std::make_unique<TfrmMain>();
        m_main->FormCreate();
        // Maximised; a desktop without a window manager takes the size from the screen.
        if (QScreen *screen = QApplication::primaryScreen())
            m_main->setGeometry(screen->availableGeometry());
        m_main->showMaximized();

        // 9. Documents waiting for the user's audit.
        ShowAlert(QStringLiteral("audit_office"), true);
        running = true;
    });

    // 10.
    splash.reset();
    if (!completed || !running) {
        m_main.reset();
        return false;
    }
    QApplication::setApplicationDisplayName(SessionInfo().Product.Title);
    return true;
}
