// The document form's audit and un-audit: the level and its auditor, the stock-ledger rows of
// the final level and the reference quantities of issues, all in one request.
#include "client/documents/comdj.h"

#include "client/core/session.h"
#include "client/data/atomicrequest.h"
#include "client/data/fields.h"
#include "client/documents/posting.h"
#include "client/forms/globalobj.h"

namespace {

const QString SaveError = QStringLiteral("主表保存出错！");

} // namespace

QString TfrmComDj::BillPrefixOfNumber() const
{
    const TField *number = m_zb->FindField(QStringLiteral("DJBH"));
    return number ? number->AsString().left(2).toUpper() : QString();
}

QStringList TfrmComDj::RefQuantityStatements(int sign) const
{
    if (!BillPrefixOfNumber().contains(QLatin1String("LL")))
        return {};
    const TField *kind = m_mx->FindField(QStringLiteral("HPHSFSID"));
    const TField *quantity = m_mx->FindField(QStringLiteral("SL"));
    const TField *source = m_mx->FindField(QStringLiteral("SRCNO"));
    const TField *sourceLine = m_mx->FindField(QStringLiteral("SRCSEQ"));
    if (!kind || !quantity || !source || !sourceLine)
        return {};
    QStringList statements;
    for (int row = 0; row < m_mx->RowCount(); ++row) {
        // Only goods issued against their source batches keep a reference quantity.
        if (m_mx->RowValue(row, kind).toInt() != 2)
            continue;
        statements << posting::RefQuantityStatement(sign, m_mx->RowValue(row, quantity).toDouble(),
                                                    m_mx->RowValue(row, source).toString(),
                                                    m_mx->RowValue(row, sourceLine).toInt());
    }
    return statements;
}

QStringList TfrmComDj::PostingStatements() const
{
    posting::TPostingRequest request;
    request.Prefix = BillPrefixOfNumber();
    request.BillNo = m_zb->FieldByName(QStringLiteral("DJBH"))->AsString();
    request.Attributes = m_attributeColumns;
    if (const TField *type = m_zb->FindField(QStringLiteral("DBType")))
        request.TransferType = type->AsString();
    if (const TField *type = m_zb->FindField(QStringLiteral("BillType")))
        request.AdjustmentType = type->AsString();
    request.CountSheet = windowTitle() == QStringLiteral("盘点单");
    request.DatabaseKind = SessionInfo().DatabaseKind;
    return posting::PostingStatements(request);
}

QList<TGuardedStatement> TfrmComDj::BookkeepingStatements(int sign) const
{
    Q_UNUSED(sign);
    return {};
}

bool TfrmComDj::sendStatusChange(TDocOperation operation, const QStringList &statements,
                                 const QList<TGuardedStatement> &guarded)
{
    TAtomicRequest request;
    request.Apply(*m_zb);
    request.Execute(
        DocumentLogSQL(operation, m_zb->FieldByName(QStringLiteral("DJBH"))->AsString()));
    for (const QString &statement : statements)
        request.Execute(statement);
    const int firstGuarded = request.PartCount();
    for (const TGuardedStatement &statement : guarded)
        request.Execute(statement.Sql, statement.ExpectedRows);
    const TAtomicResult result = request.Send();
    if (result.Ok)
        return true;
    // The level stays as stored; the form shows what it had before.
    m_zb->RevertRecord();
    const int refused = result.Part - firstGuarded;
    if (result.ErrorCode == QLatin1String("conflict") && refused >= 0 && refused < guarded.size() &&
        !guarded[refused].RefusedMessage.isEmpty()) {
        MessageBox(guarded[refused].RefusedMessage, QStringLiteral("提示"), TMsgIcon::Warning);
        return false;
    }
    const QString why = result.ErrorCode == QLatin1String("conflict") ||
                                result.ErrorCode == QLatin1String("notFound")
                            ? QStringLiteral("单据已被其他用户修改，请关闭单据重新打开。")
                            : result.Message;
    MessageBox(SaveError + QLatin1Char('\n') + why, QStringLiteral("提示"), TMsgIcon::Error);
    return false;
}

bool TfrmComDj::AuditBill(bool silent)
{
    if (!m_zb->Active() || m_zb->IsEmpty())
        return false;
    const int levels = qMax(1, FuncRight().AuditNum);
    const int flag = int(ZbInteger("uFlag"));
    if (flag >= levels) {
        ShowMessage(QStringLiteral("本单据已经审核"));
        return false;
    }
    if (!silent && MessageBox(QStringLiteral("确定要审核此单据吗?"), QStringLiteral("审核单据"),
                              TMsgIcon::Question, TMsgButtons::YesNo, mrNo) != mrYes)
        return false;
    m_zb->Edit();
    m_zb->FieldByName(QStringLiteral("uFlag"))->SetAsInteger(flag + 1);
    if (TField *auditor = m_zb->FindField(QStringLiteral("AuditName")))
        auditor->SetAsString(FuncRight().UserName);
    m_zb->Post();
    QStringList statements;
    QList<TGuardedStatement> bookkeeping;
    if (flag + 1 == levels) {
        statements = PostingStatements() + RefQuantityStatements(1);
        bookkeeping = BookkeepingStatements(1);
    }
    const bool stored = sendStatusChange(TDocOperation::Audit, statements, bookkeeping);
    SetButton();
    SetCanSave(false);
    SetAuditButton();
    return stored;
}

void TfrmComDj::aAuditExecute()
{
    AuditBill(false);
}

void TfrmComDj::aUnAuditExecute()
{
    if (!m_zb->Active() || m_zb->IsEmpty())
        return;
    if (ZbInteger("uFlag") == 0) {
        ShowMessage(QStringLiteral("本单据已经反审！"));
        return;
    }
    if (MessageBox(QStringLiteral("确定要反审此单据吗?"), QStringLiteral("反审单据"),
                   TMsgIcon::Question, TMsgButtons::YesNo, mrNo) != mrYes)
        return;
    // Only a document audited to the final level was booked.
    const bool booked = ZbInteger("uFlag") >= qMax(1, FuncRight().AuditNum);
    const QList<TGuardedStatement> bookkeeping =
        booked ? BookkeepingStatements(-1) : QList<TGuardedStatement>{};
    m_zb->Edit();
    m_zb->FieldByName(QStringLiteral("uFlag"))->SetAsInteger(0);
    m_zb->Post();
    QStringList statements;
    if (posting::IsPostedPrefix(BillPrefixOfNumber()))
        statements << posting::UnpostStatement(
                          m_zb->FieldByName(QStringLiteral("DJBH"))->AsString())
                   << RefQuantityStatements(-1);
    sendStatusChange(TDocOperation::UnAudit, statements, bookkeeping);
    SetButton();
    SetCanSave(false);
    SetAuditButton();
}
