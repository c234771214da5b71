// Bank deposits and withdrawals: the list, the edit form and the statements that keep the
// account balances with the rows.
#include "client/masterdata/banktransfer.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/dbtypes.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/messagebox.h"

namespace {

const QString RefusedText =
    QStringLiteral("保存失败：帐户余额未变动。该记录可能已被他人修改或删除，"
                   "请刷新后重试！");

QString number(double value)
{
    return QString::number(value, 'g', 15);
}

QString id(qint64 value)
{
    return QString::number(value);
}

// The row exactly as given: key, accounts and amount (what the balances depend on).
QString rowAsGiven(const TTransferRow &row)
{
    return QStringLiteral("select ID from YHCKQK where ID = ") + id(row.ID) +
           QStringLiteral(" and ZCZHID = ") + id(row.ZCZHID) + QStringLiteral(" and ZRZHID = ") +
           id(row.ZRZHID) + QStringLiteral(" and JE = ") + number(row.JE);
}

// Moves amount into account (out of it when negative) while guard finds its row.
QString moveBalance(qint64 account, double amount, const QString &guard)
{
    return QStringLiteral("update ZH set QMJE = QMJE + (") + number(amount) +
           QStringLiteral(") where ID = ") + id(account) + QStringLiteral(" and exists (") + guard +
           QStringLiteral(")");
}

QString values(int kind, const TTransferRow &row)
{
    return SQLDate(kind, row.RQ) + QLatin1Char(',') + QuotedStr(row.JSR) + QLatin1Char(',') +
           id(row.ZCZHID) + QLatin1Char(',') + id(row.ZRZHID) + QLatin1Char(',') +
           QuotedStr(row.PH) + QLatin1Char(',') + number(row.JE) + QLatin1Char(',') +
           QuotedStr(row.BZ) + QLatin1Char(',') + QuotedStr(row.CZY);
}

// The accounts the client holds show the balances the transfer moved (an accounts list open
// beside it, the lookups); a dataset with unsent changes of its own is left alone.
void refreshAccounts()
{
    TClientDataSet &accounts = Data().Zh();
    if (accounts.Active() && accounts.State() == dsBrowse && accounts.ChangeCount() == 0)
        accounts.Refresh();
}

} // namespace

TTransferRow TTransferRow::FromDataSet(const TClientDataSet &dataSet, bool old)
{
    auto value = [&](const char *name) {
        const TField *field = dataSet.FieldByName(QLatin1String(name));
        return old ? field->OldValue() : field->Value();
    };
    TTransferRow row;
    row.ID = value("ID").toLongLong();
    row.RQ = value("RQ").toDate();
    row.JSR = value("JSR").toString();
    row.ZCZHID = value("ZCZHID").toLongLong();
    row.ZRZHID = value("ZRZHID").toLongLong();
    row.PH = value("PH").toString();
    row.JE = value("JE").toDouble();
    row.BZ = value("BZ").toString();
    row.CZY = value("CZY").toString();
    return row;
}

QStringList TransferScript(int databaseKind, const std::optional<TTransferRow> &before,
                           const std::optional<TTransferRow> &after)
{
    QStringList script;
    if (before) {
        const QString guard = rowAsGiven(*before);
        script << moveBalance(before->ZCZHID, before->JE, guard)
               << moveBalance(before->ZRZHID, -before->JE, guard);
    }
    if (before && after) {
        script << QStringLiteral("update YHCKQK set RQ = ") + SQLDate(databaseKind, after->RQ) +
                      QStringLiteral(", JSR = ") + QuotedStr(after->JSR) +
                      QStringLiteral(", ZCZHID = ") + id(after->ZCZHID) +
                      QStringLiteral(", ZRZHID = ") + id(after->ZRZHID) +
                      QStringLiteral(", PH = ") + QuotedStr(after->PH) + QStringLiteral(", JE = ") +
                      number(after->JE) + QStringLiteral(", BZ = ") + QuotedStr(after->BZ) +
                      QStringLiteral(", CZY = ") + QuotedStr(after->CZY) +
                      QStringLiteral(" where ID in (") + rowAsGiven(*before) + QLatin1Char(')');
    } else if (before) {
        script << QStringLiteral("delete from YHCKQK where ID in (") + rowAsGiven(*before) +
                      QLatin1Char(')');
    } else if (after) {
        script << QStringLiteral("insert into YHCKQK (ID, RQ, JSR, ZCZHID, ZRZHID, PH, JE, BZ, "
                                 "CZY) values (") +
                      id(after->ID) + QLatin1Char(',') + values(databaseKind, *after) +
                      QLatin1Char(')');
    }
    if (after) {
        const QString guard = rowAsGiven(*after);
        script << moveBalance(after->ZCZHID, -after->JE, guard)
               << moveBalance(after->ZRZHID, after->JE, guard);
    }
    return script;
}

bool TransferStored(qint64 rowId, const std::optional<TTransferRow> &after)
{
    if (!after)
        return !HasRows(QStringLiteral("select ID from YHCKQK where ID = ") + id(rowId));
    return HasRows(rowAsGiven(*after));
}

bool DeleteTransfer(TClientDataSet &dataSet)
{
    const int kind = SessionInfo().DatabaseKind;
    const TTransferRow before = TTransferRow::FromDataSet(dataSet, true);
    if (!ExecSQLScript(TransferScript(kind, before, std::nullopt)) ||
        !TransferStored(before.ID, std::nullopt)) {
        MessageBox(RefusedText, QStringLiteral("资料删除"), TMsgIcon::Error);
        return false;
    }
    dataSet.Delete();
    dataSet.MergeChangeLog();
    refreshAccounts();
    return true;
}

// --- The list --------------------------------------------------------------------------------

TfrmArapYhck::TfrmArapYhck(QWidget *parent)
    : TfrmCodeList(parent, "frmArapYhck", "银行存款/取款单总表", "YHCKQK", Data().sYhckqk(),
                   {{"RQ", "日期", 90},
                    {"PH", "票号", 100},
                    {"aZCZHMC", "转出帐户", 120},
                    {"aZRZHMC", "转入帐户", 120},
                    {"JE", "金额", 100},
                    {"JSR", "经办人", 70},
                    {"BZ", "备注", 200},
                    {"CZY", "操作员", 70}})
{}

QString TfrmArapYhck::ListSQL(const QString &condition) const
{
    return QStringLiteral(" select Y.*, A.MC as aZCZHMC, B.MC as aZRZHMC from (YHCKQK Y left "
                          "join ZH A on Y.ZCZHID=A.ID) left join ZH B on Y.ZRZHID=B.ID where "
                          "1=1 ") +
           condition + QStringLiteral(" order by Y.RQ desc, Y.ID desc");
}

void TfrmArapYhck::LoadEditForm(const QString &Mode)
{
    EditForm = new TfrmYhckqkEdit(this);
    TfrmCodeList::LoadEditForm(Mode);
}

void TfrmArapYhck::aDelExecute()
{
    if (!ListDataSet || !ListDataSet->Active() || ListDataSet->IsEmpty()) {
        TfrmCodeList::aDelExecute();
        return;
    }
    if (MessageBox(QStringLiteral("确定要删除此项资料吗?"), QStringLiteral("资料删除"),
                   TMsgIcon::Question, TMsgButtons::YesNo, mrNo) != mrYes)
        return;
    DeleteTransfer(*ListDataSet);
    SetButton();
}

// --- The edit form ---------------------------------------------------------------------------

TfrmYhckqkEdit::TfrmYhckqkEdit(QWidget *parent)
    : TfrmComEdit(parent)
    , m_rows(TabSheet_JBXX, &Data().sYhckqk())
{
    setObjectName(QStringLiteral("frmYhckqkEdit"));
    setWindowTitle(QStringLiteral("银行存款/取款单"));
    TDataSource *source = &Data().sYhckqk();
    RzDBEdit_ID->SetDataSource(source);
    RzDBEdit_ID->SetDataField(QStringLiteral("ID"));
    RzDBDateEdit_RQ = new TDBDateEdit(TabSheet_JBXX);
    RzDBDateEdit_RQ->setObjectName(QStringLiteral("RzDBDateEdit_RQ"));
    RzDBDateEdit_RQ->SetDataSource(source);
    RzDBDateEdit_RQ->SetDataField(QStringLiteral("RQ"));
    m_rows.Add(RzDBDateEdit_RQ, "RQ", "日期");
    RzDBEdit_PH = m_rows.Edit("PH", "票号");
    RzDBLookupComboBox_ZCZH = m_rows.Lookup("ZCZHID", "转出帐户", &Data().sZh());
    RzDBLookupComboBox_ZRZH = m_rows.Lookup("ZRZHID", "转入帐户", &Data().sZh());
    RzDBEdit_JE = m_rows.Edit("JE", "金额");
    RzDBComboBox_JSR = new TDBComboBox(TabSheet_JBXX);
    RzDBComboBox_JSR->setObjectName(QStringLiteral("RzDBComboBox_JSR"));
    RzDBComboBox_JSR->SetDataSource(source);
    RzDBComboBox_JSR->SetDataField(QStringLiteral("JSR"));
    RzDBComboBox_JSR->OnExit = [this](QWidget &) {
        HandlerExit();
    };
    m_rows.Add(RzDBComboBox_JSR, "JSR", "经办人");
    RzDBEdit_BZ = m_rows.Edit("BZ", "备注");
    resize(420, 300);
}

void TfrmYhckqkEdit::FormShow()
{
    IdTable = QStringLiteral("YHCKQK");
    RequiredFields = QStringLiteral("RQ; ZCZHID; ZRZHID");
    if (!Data().Zh().Active())
        Data().Zh().Open();
    QStringList handlers;
    {
        TTmpDataSet employees;
        employees->Close();
        employees->SetCommandText(QStringLiteral("select XM from YG order by BH"));
        employees->Open();
        for (employees->First(); !employees->Eof(); employees->Next())
            handlers << employees->Fields(0)->AsString();
        employees->Close();
    }
    RzDBComboBox_JSR->SetItems(handlers);
    RzDBComboBox_JSR->SetStyle(TDBComboBox::csDropDown);
    m_rows.ApplyLabels(Data().Yhckqk());
    TfrmComEdit::FormShow();
}

void TfrmYhckqkEdit::HandlerExit()
{
    if (!EditDataSet || (EditDataSet->State() != dsInsert && EditDataSet->State() != dsEdit))
        return;
    TField *handler = EditDataSet->FieldByName(QStringLiteral("JSR"));
    const QString code = handler->AsString().trimmed();
    if (code.isEmpty())
        return;
    const QString name =
        QueryValue(QStringLiteral("select XM from YG where BH = ") + QuotedStr(code)).toString();
    if (!name.isEmpty())
        handler->SetAsString(name);
}

void TfrmYhckqkEdit::dsOnNewRecord(TClientDataSet &DataSet)
{
    TfrmComEdit::dsOnNewRecord(DataSet);
    if (DataSet.State() != dsInsert)
        return;
    if (TField *op = DataSet.FindField(QStringLiteral("CZY")))
        op->SetAsString(CurUserName);
}

void TfrmYhckqkEdit::dsBeforePost(TClientDataSet &DataSet)
{
    TfrmComEdit::dsBeforePost(DataSet);
    if (DataSet.FieldByName(QStringLiteral("ZCZHID"))->AsString() ==
        DataSet.FieldByName(QStringLiteral("ZRZHID"))->AsString()) {
        MessageBox(QStringLiteral("'转出帐户'与'转入帐户'不能相同, 请重新录入!"),
                   QStringLiteral("录入错误"), TMsgIcon::Warning);
        RzDBLookupComboBox_ZRZH->setFocus();
        Abort();
    }
}

void TfrmYhckqkEdit::sDataChange(TDataSource &Sender, TField *Field)
{
    TfrmComEdit::sDataChange(Sender, Field);
    CopyLookupName(Field, QStringLiteral("ZCZHID"), QStringLiteral("aZCZHMC"), Data().Zh());
    CopyLookupName(Field, QStringLiteral("ZRZHID"), QStringLiteral("aZRZHMC"), Data().Zh());
}

bool TfrmYhckqkEdit::ApplyChanges()
{
    TClientDataSet &ds = *EditDataSet;
    const TUpdateStatus status = ds.UpdateStatus();
    // The form posts and sends one record at a time; anything else is not a transfer this
    // form made.
    if (ds.ChangeCount() != 1 || (status != usInserted && status != usModified)) {
        MessageBox(RefusedText, QStringLiteral("资料保存"), TMsgIcon::Error);
        return false;
    }
    const int kind = SessionInfo().DatabaseKind;
    std::optional<TTransferRow> before;
    if (status == usModified)
        before = TTransferRow::FromDataSet(ds, true);
    const TTransferRow after = TTransferRow::FromDataSet(ds);
    if (!ExecSQLScript(TransferScript(kind, before, after)) || !TransferStored(after.ID, after)) {
        MessageBox(RefusedText, QStringLiteral("资料保存"), TMsgIcon::Error);
        return false;
    }
    ds.MergeChangeLog();
    refreshAccounts();
    return true;
}
