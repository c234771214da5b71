// Starts a real vzserver on a free port with a temporary data folder, for end-to-end tests.
// The server dies with the process that started it, however that ends.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace vztest {

// Path of a program built by this tree (vzserver, vzsql, vzclient).
QString programPath(const QString &name);

class ServerProcess
{
public:
    ServerProcess();
    ~ServerProcess();
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    // Starts the server and waits until it listens; false (with the server's output in
    // error()) when it does not come up within the timeout.
    bool start(const QStringList &extraArguments = {}, int timeoutMs = 15000);
    // Asks the server to stop and waits for it; kills it when it does not.
    void stop();
    // Kills the server without warning, as a power failure would.
    void kill();

    bool isRunning() const;
    qint64 processId() const;
    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const { return m_port; }
    QString address() const { return host() + QLatin1Char(':') + QString::number(m_port); }
    QString dataDir() const { return m_dataDir.path(); }
    QString error() const { return m_error; }

    // Runs vzserver once with the given arguments on this data folder (for example
    // --create-account), returning its exit code; output goes to *output when given.
    int runTool(const QStringList &arguments, QString *output = nullptr) const;

    // Creates an account set in this data folder (vzserver --create-account); true on
    // success, with vzserver's output in error() otherwise.
    bool createAccount(const QString &accountNo, const QString &name = QStringLiteral("测试"));

private:
    QTemporaryDir m_dataDir;
    std::unique_ptr<QProcess> m_process;
    quint16 m_port = 0;
    QString m_error;
};

} // namespace vztest
