// The account-set manager "帐套管理": creates, renames and deletes account sets and restores a
// backup as a new one. The server makes, renames and removes the folders when the list's
// change is applied; each change is one apply and one line of the operation log.
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/forms/rootform.h"

#include <QDateTime>
#include <QList>

class QAction;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;
class TDBGrid;

// Empty when the code can name a new account set (letters or digits only), else why not.
QString AccountNoProblem(const QString &accountNo);

// "新建帐套": code, name and company of a new account set.
class TNewZTFrm : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TNewZTFrm(QWidget *parent = nullptr);

    QLineEdit *dbNo;
    QLineEdit *dbName;
    QLineEdit *dbCompany;
    QPushButton *btnCreate;
    QPushButton *btnCancel;

private:
    void btnCreateClick();
};

// "修改帐套": the new name of an account set.
class TEditZTFrm : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TEditZTFrm(QWidget *parent = nullptr);

    QLineEdit *dbName;
    QPushButton *btnOK;
    QPushButton *btnCancel;

private:
    void btnOKClick();
};

// One backup copy of an account set as the server lists it.
struct TBackupEntry
{
    QString FileName;
    QDateTime Time;
    qint64 Size = 0;
};

// "恢复备份": one of an account set's backups and the code and name it is restored under.
class TRestoreZTFrm : public TFrmRoot
{
    Q_OBJECT
public:
    TRestoreZTFrm(const QString &accountNo, const QList<TBackupEntry> &backups,
                  QWidget *parent = nullptr);

    QString ChosenFile() const;

    QTableWidget *grdBackups;
    QLineEdit *dbNo;
    QLineEdit *dbName;
    QPushButton *btnRestore;
    QPushButton *btnCancel;

private:
    void btnRestoreClick();

    QList<TBackupEntry> m_backups;
};

class TfrmZTManager : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TfrmZTManager(QWidget *parent = nullptr);
    ~TfrmZTManager() override;

    // The backups of an account set, newest first; the server's errors propagate.
    static QList<TBackupEntry> ListBackups(const QString &accountNo);

    TClientDataSet cdsAccounts;
    TDataSource sAccounts;
    TDBGrid *DBGrid1;
    QMenu *PopupMenu1;
    QAction *MenuNew;
    QAction *MenuModify;
    QAction *MenuDelete;
    QAction *MenuRestore;
    QPushButton *btnOk;

protected:
    void FormCreate() override;
    void FormShow() override;

private:
    void MenuNewClick();
    void MenuModifyClick();
    void MenuDeleteClick();
    void MenuRestoreClick();
    // Sends the pending change; on refusal shows failure + the server's reason and drops the
    // change.
    bool applyChange(const QString &failure);
    QString current(const char *field) const;
};
