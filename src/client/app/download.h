// The client upgrade: the check against the versions the server offers, the dialog that
// downloads the new program next to the running one, and the update script that puts it in
// place once the running program has ended and starts it.
#pragma once

#include "client/forms/rootform.h"

class QLabel;
class QProgressBar;
class QPushButton;

// The upgrade prompt "版本升级": "升级" downloads the program, "取消" closes.
class TfrmDownLoad : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TfrmDownLoad(QWidget *parent = nullptr);

    // Where the download goes: beside the running program under a temporary name, unless a
    // test says otherwise.
    QString TargetFile() const { return m_targetFile; }
    void SetTargetFile(const QString &fileName) { m_targetFile = fileName; }
    bool UpgradeChosen() const { return m_upgradeChosen; }

    // Reads the program from VersionInfor into the target file in chunks of at most 61440
    // bytes, advancing the bar one step per chunk. False (after saying why) when there is no
    // program to download or the file cannot be written.
    bool DownloadClient();

    QLabel *lblText;
    QProgressBar *ProgressBar1;
    QPushButton *btnUpgrade;
    QPushButton *btnCancel;

private:
    void btnUpgradeClick();

    QString m_targetFile;
    bool m_upgradeChosen = false;
};

// Asks the server whether it holds a newer client (run on the scratch dataset AccountTemp)
// and offers the download; true when an upgrade was downloaded and its script started, after
// which the program must end.
bool CheckClientUpgrade();

// The running program's file.
QString ProgramFile();
// Writes update.sh beside the program: it waits until the process pid has ended, moves the
// downloaded file over the program, starts it and removes itself. Returns the script's path,
// empty when it cannot be written.
QString WriteUpdateScript(const QString &programFile, const QString &downloadedFile, qint64 pid);
// Starts the script detached at the lowest priority.
bool StartUpdateScript(const QString &scriptFile);
