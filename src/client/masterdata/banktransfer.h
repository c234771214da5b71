// Bank deposits and withdrawals: money moved from one account to another. The list
// TfrmArapYhck ("银行存款/取款单总表") and the edit form TfrmYhckqkEdit. A transfer's row and
// the two account balances it moves are written in one request, so a refused save moves
// neither balance.
#pragma once

#include "client/forms/comedit.h"
#include "client/masterdata/codelist.h"
#include "client/masterdata/editrows.h"

#include <QDate>

#include <optional>

class TDBComboBox;
class TDBDateEdit;

// One transfer as stored.
struct TTransferRow
{
    qint64 ID = 0;
    QDate RQ;
    QString JSR;
    qint64 ZCZHID = 0;
    qint64 ZRZHID = 0;
    QString PH;
    double JE = 0;
    QString BZ;
    QString CZY;

    // The current record of a YHCKQK dataset; with old, as it was read from the server.
    static TTransferRow FromDataSet(const TClientDataSet &dataSet, bool old = false);
};

// The statements that store a change of a transfer and move the balances with it: before is
// the row as read (none for a new one), after the row to store (none for a deletion). The old
// amount goes back to its accounts and the new one is taken from the from-account and given
// to the to-account. Balances move only while the row is as this client read it, so a row
// another user changed or deleted meanwhile moves nothing; the caller sees that in
// TransferStored.
QStringList TransferScript(int databaseKind, const std::optional<TTransferRow> &before,
                           const std::optional<TTransferRow> &after);
// Whether the server now holds after (or, with none, no row of that ID).
bool TransferStored(qint64 id, const std::optional<TTransferRow> &after);

class TfrmArapYhck : public TfrmCodeList
{
    Q_OBJECT
public:
    explicit TfrmArapYhck(QWidget *parent = nullptr);

protected:
    QString ListSQL(const QString &condition) const override;
    QString SearchField() const override { return QStringLiteral("Y.PH"); }
    QString SearchCaption() const override { return QStringLiteral("请输入票号查找："); }
    void LoadEditForm(const QString &Mode) override;
    void aDelExecute() override;
};

class TfrmYhckqkEdit : public TfrmComEdit
{
    Q_OBJECT
public:
    explicit TfrmYhckqkEdit(QWidget *parent = nullptr);

    TDBDateEdit *RzDBDateEdit_RQ;
    TDBEdit *RzDBEdit_PH;
    TDBEdit *RzDBEdit_JE;
    TDBEdit *RzDBEdit_BZ;
    TDBComboBox *RzDBComboBox_JSR;
    TDBLookupComboBox *RzDBLookupComboBox_ZCZH;
    TDBLookupComboBox *RzDBLookupComboBox_ZRZH;

    // The handler field after its edit was left: an employee code becomes the employee's name.
    void HandlerExit();

protected:
    void FormShow() override;
    void dsOnNewRecord(TClientDataSet &DataSet) override;
    void dsBeforePost(TClientDataSet &DataSet) override;
    void sDataChange(TDataSource &Sender, TField *Field) override;
    bool ApplyChanges() override;

private:
    TEditRows m_rows;
};

// Stores the deletion of the current transfer of dataSet with its balances; false (after a
// message) when the server refused it. The row leaves the dataset only on success.
bool DeleteTransfer(TClientDataSet &dataSet);
