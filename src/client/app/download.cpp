// The client upgrade: version check, download beside the program, update script.
#include "client/app/download.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "client/widgets/messagebox.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr int ChunkSize = 61440;

QString shellQuoted(const QString &text)
{
    QString inner = text;
    inner.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

} // namespace

QString ProgramFile()
{
    return QCoreApplication::applicationFilePath();
}

TfrmDownLoad::TfrmDownLoad(QWidget *parent)
    : TFrmRoot(parent)
{
    setObjectName(QStringLiteral("frmDownLoad"));
    setWindowTitle(QStringLiteral("版本升级"));
    setFixedSize(340, 150);
    auto *layout = new QVBoxLayout(this);
    lblText = new QLabel(QStringLiteral("服务器上有新版本，您需要升级版本吗？"), this);
    lblText->setAlignment(Qt::AlignCenter);
    layout->addWidget(lblText, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    btnUpgrade = new QPushButton(QStringLiteral("升级"), this);
    btnUpgrade->setObjectName(QStringLiteral("btnUpgrade"));
    btnCancel = new QPushButton(QStringLiteral("取消"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnUpgrade);
    buttons->addWidget(btnCancel);
    buttons->addStretch();
    layout->addLayout(buttons);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);
    layout->addWidget(ProgressBar1);

    const QFileInfo program(ProgramFile());
    m_targetFile = program.absolutePath() + QLatin1Char('/') + program.fileName() +
                   QStringLiteral(".download");

    connect(btnUpgrade, &QPushButton::clicked, this, [this] { btnUpgradeClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { Close(); });
}

void TfrmDownLoad::btnUpgradeClick()
{
    btnUpgrade->setEnabled(false);
    btnCancel->setEnabled(false);
    bool done = false;
    Guarded([&] { done = DownloadClient(); });
    btnCancel->setEnabled(true);
    if (!done) {
        btnUpgrade->setEnabled(true);
        return;
    }
    m_upgradeChosen = true;
    Close();
}

bool TfrmDownLoad::DownloadClient()
{
    TClientDataSet &temp = Data().AccountTemp();
    temp.Close();
    temp.SetCommandText(
        QStringLiteral("select * from VersionInfor where sFileName = 'VzClient.exe'"));
    temp.Open();
    const TField *pict = temp.FindField(QStringLiteral("pict"));
    const QByteArray image = !temp.IsEmpty() && pict ? pict->AsBytes() : QByteArray();
    temp.Close();
    if (image.isEmpty()) {
        MessageBox(QStringLiteral("服务器上的新版本文件是空的，不能升级！"),
                   QStringLiteral("版本升级"), TMsgIcon::Warning);
        return false;
    }

    const qsizetype size = image.size();
    const qsizetype chunk = qMin<qsizetype>(size, ChunkSize);
    ProgressBar1->setRange(0, int(size / chunk));
    ProgressBar1->setValue(0);
    QSaveFile file(m_targetFile);
    if (!file.open(QIODevice::WriteOnly)) {
        MessageBox(QStringLiteral("不能写入文件 %1！").arg(QDir::toNativeSeparators(m_targetFile)),
                   QStringLiteral("版本升级"), TMsgIcon::Error);
        return false;
    }
    for (qsizetype at = 0; at < size; at += chunk) {
        file.write(image.constData() + at, qMin(chunk, size - at));
        ProgressBar1->setValue(ProgressBar1->value() + 1);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    if (!file.commit()) {
        MessageBox(QStringLiteral("不能写入文件 %1！").arg(QDir::toNativeSeparators(m_targetFile)),
                   QStringLiteral("版本升级"), TMsgIcon::Error);
        return false;
    }
    QFile::setPermissions(m_targetFile, QFile::permissions(m_targetFile) | QFile::ExeOwner |
                                            QFile::ExeGroup | QFile::ExeOther);
    return true;
}

bool CheckClientUpgrade()
{
    TClientDataSet &temp = Data().AccountTemp();
    const QString sql = QStringLiteral("select sName from VersionInfor where sName=") +
                        QuotedStr(ClientVersionName()) + QStringLiteral(" and sVersion >") +
                        QuotedStr(SessionInfo().Product.Version);
    // A server without a version table offers no upgrade.
    if (!RunSQL(temp, sql, true))
        return false;
    const bool newer = !temp.IsEmpty();
    temp.Close();
    if (!newer)
        return false;

    std::unique_ptr<TfrmDownLoad> dialog(CreateForm<TfrmDownLoad>());
    dialog->ShowModal();
    if (!dialog->UpgradeChosen())
        return false;
    const QString script =
        WriteUpdateScript(ProgramFile(), dialog->TargetFile(), QCoreApplication::applicationPid());
    return !script.isEmpty() && StartUpdateScript(script);
}

QString WriteUpdateScript(const QString &programFile, const QString &downloadedFile, qint64 pid)
{
    const QString dir = QFileInfo(programFile).absolutePath();
    const QString script = dir + QStringLiteral("/update.sh");
    const QString program = shellQuoted(QFileInfo(programFile).absoluteFilePath());
    const QString downloaded = shellQuoted(QFileInfo(downloadedFile).absoluteFilePath());
    QSaveFile file(script);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    const QStringList lines{
        QStringLiteral("#!/bin/sh"),
        // The old program must have ended before its file is replaced.
        QStringLiteral("while kill -0 %1 2>/dev/null; do sleep 0.2; done").arg(pid),
        QStringLiteral("mv -f %1 %2").arg(downloaded, program),
        QStringLiteral("chmod +x %1").arg(program),
        QStringLiteral("%1 >/dev/null 2>&1 &").arg(program),
        QStringLiteral("rm -f \"$0\""),
    };
    file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    if (!file.commit())
        return {};
    QFile::setPermissions(script, QFile::permissions(script) | QFile::ExeOwner);
    return script;
}

bool StartUpdateScript(const QString &scriptFile)
{
    if (QProcess::startDetached(QStringLiteral("nice"), {QStringLiteral("-n"), QStringLiteral("19"),
                                                         QStringLiteral("/bin/sh"), scriptFile}))
        return true;
    return QProcess::startDetached(QStringLiteral("/bin/sh"), {scriptFile});
}
