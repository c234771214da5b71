// The start-up sequence: the splash, the data modules, the server address, the account set,
// the login, the main window and the alert window, each dialog an exit.
#pragma once

#include <QString>

#include <functional>
#include <memory>

class TData;
class TDataBb;
class TfrmMain;
class TfrmStart;

// The data-access library needs no registration on this platform: without a registrar the
// step succeeds silently. A registrar that fails shows "注册midas.dll出错！" and start-up goes on.
bool RegisterDataAccessLibrary(const std::function<bool()> &registrar = {});

struct TStartupOptions
{
    int SplashMs = 2500;
    // "user" or "user:password": the start-up answers its own dialogs with the offered server
    // address, the offered account set and this login. The dialogs run as for a user; the
    // screenshot script uses it.
    QString AutoLogin;
    // Connects without TLS, to a server run with --no-tls on a trusted loopback.
    bool Tls = true;
};

class TStartup
{
public:
    explicit TStartup(TStartupOptions options = {});
    ~TStartup();
    TStartup(const TStartup &) = delete;
    TStartup &operator=(const TStartup &) = delete;

    // Runs the sequence up to the running main window. False when a dialog was cancelled,
    // the server could not be reached or refused the session, an upgrade started, or an
    // error ended the start-up; the program then ends.
    bool Run();

    TfrmMain *MainWindow() const { return m_main.get(); }

private:
    void autoAnswer(class QWidget *dialog, std::function<void()> answer) const;

    TStartupOptions m_options;
    std::unique_ptr<TData> m_data;
    std::unique_ptr<TDataBb> m_dataBb;
    std::unique_ptr<TfrmMain> m_main;
};
