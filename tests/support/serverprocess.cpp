#include "support/serverprocess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace vztest {

namespace {

// A program started for a test dies with the test process, even when that is killed (a test
// stopped by ctest's timeout): the kernel sends SIGKILL to the child when the thread that
// started it ends, which for a test is its main thread.
void dieWithTheTest(QProcess &process)
{
    const pid_t test = getpid();
    process.setChildProcessModifier([test] {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The test may have ended between the fork and the line above.
        if (getppid() != test)
            _exit(1);
    });
}

} // namespace

QString programPath(const QString &name)
{
    return QDir(QStringLiteral(VZ_BIN_DIR)).filePath(name);
}

ServerProcess::ServerProcess() = default;

ServerProcess::~ServerProcess()
{
    stop();
}

bool ServerProcess::start(const QStringList &extraArguments, int timeoutMs)
{
    stop();
    m_error.clear();
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    // The server logs every connection to standard error as well; nobody reads a pipe while
    // a test runs, and a full one would stall the server's log and with it every session.
    const QString errorFile = QDir(dataDir()).filePath(QStringLiteral("vzserver.stderr"));
    m_process->setStandardErrorFile(errorFile, QIODevice::Append);
    QStringList arguments{QStringLiteral("--data"), dataDir(), QStringLiteral("--port"),
                          QStringLiteral("0")};
    arguments += extraArguments;
    dieWithTheTest(*m_process);
    m_process->start(programPath(QStringLiteral("vzserver")), arguments);
    if (!m_process->waitForStarted(timeoutMs)) {
        m_error = m_process->errorString();
        return false;
    }

    // The server announces the port it bound on its first line of standard output.
    static const QRegularExpression listening(QStringLiteral("listening on [^:\\s]+:(\\d+)"));
    QByteArray output;
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (m_process->canReadLine() ||
            m_process->waitForReadyRead(int(deadline.remainingTime()))) {
            while (m_process->canReadLine()) {
                const QByteArray line = m_process->readLine();
                output += line;
                const auto match = listening.match(QString::fromUtf8(line));
                if (match.hasMatch()) {
                    m_port = quint16(match.captured(1).toUInt());
                    return true;
                }
            }
        }
        if (m_process->state() != QProcess::Running)
            break;
    }
    QFile errors(errorFile);
    m_error = QStringLiteral("vzserver did not start: ") + QString::fromUtf8(output) +
              (errors.open(QIODevice::ReadOnly) ? QString::fromUtf8(errors.readAll()) : QString());
    kill();
    return false;
}

void ServerProcess::stop()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(10000)) {
            m_process->kill();
            m_process->waitForFinished();
        }
    }
    m_process.reset();
}

void ServerProcess::kill()
{
    if (!m_process)
        return;
    m_process->kill();
    m_process->waitForFinished();
    m_process.reset();
}

qint64 ServerProcess::processId() const
{
    return m_process ? m_process->processId() : 0;
}

bool ServerProcess::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

int ServerProcess::runTool(const QStringList &arguments, QString *output) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    dieWithTheTest(process);
    process.start(programPath(QStringLiteral("vzserver")),
                  QStringList{QStringLiteral("--data"), dataDir()} + arguments);
    process.waitForFinished(600000);
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool ServerProcess::createAccount(const QString &accountNo, const QString &name)
{
    QString output;
    const int code = runTool({QStringLiteral("--create-account"), accountNo, name}, &output);
    if (code != 0)
        m_error = output;
    return code == 0;
}

} // namespace vztest
