// The document form's save: empty lines dropped, lines renumbered and totalled, the number
// drawn, the header checked, the link fields copied, and lines and header stored.
#include "client/documents/comdj.h"

#include "client/core/session.h"
#include "client/data/atomicrequest.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/formats.h"
#include "client/data/serveraccess.h"
#include "client/documents/documentkind.h"
#include "client/documents/lineprices.h"
#include "client/forms/globalobj.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"

#include <QHash>

namespace {

// A header or line value counts as entered when its text is not empty, its number not 0
// and its date set.
bool entered(const TField *field)
{
    if (field->IsNull())
        return false;
    if (field->IsNumeric())
        return field->AsFloat() != 0;
    return !field->AsString().trimmed().isEmpty();
}

} // namespace

void TfrmComDj::DeleteEmptyLines()
{
    const TField *code = m_mx->FindField(QStringLiteral("aBH"));
    if (!code || !Kind().HasBlankLines)
        return;
    m_mx->CheckBrowseMode();
    m_mx->DisableControls();
    try {
        m_mx->Last();
        while (!m_mx->IsEmpty()) {
            if (code->AsString().isEmpty()) {
                m_mx->Delete(); // the next line becomes current, or the last one
                if (m_mx->Eof() || m_mx->RecNo() == m_mx->RecordCount())
                    m_mx->Last();
                continue;
            }
            if (m_mx->Bof() || m_mx->RecNo() <= 1)
                break;
            m_mx->Prior();
        }
    } catch (...) {
        m_mx->EnableControls();
        throw;
    }
    m_mx->EnableControls();
}

void TfrmComDj::MxBeforeApplyUpdates_RefeSequence()
{
    m_mx->CheckBrowseMode();
    const TField *code = m_mx->FindField(QStringLiteral("aBH"));
    TField *number = strMxSeqField.isEmpty() ? nullptr : m_mx->FindField(strMxSeqField);
    const TField *amount = m_mx->FindField(QStringLiteral("cJE"));
    const TField *plainAmount = m_mx->FindField(QStringLiteral("JE"));
    double total = 0;
    m_mx->DisableControls();
    try {
        int position = 0;
        for (m_mx->First(); !m_mx->Eof(); m_mx->Next()) {
            ++position;
            if (code && code->AsString().isEmpty()) {
                MessageBox(QStringLiteral("明细的第") + QString::number(position) +
                               QStringLiteral("行货品编号为空，不能保存！"),
                           QStringLiteral("提示"), TMsgIcon::Warning);
                Abort();
            }
            if (number && number->AsInteger() != position) {
                m_mx->Edit();
                number->SetAsInteger(position);
                m_mx->Post();
            }
            if (amount)
                total += amount->AsFloat();
            if (plainAmount)
                total += plainAmount->AsFloat();
        }
    } catch (...) {
        m_mx->First();
        m_mx->EnableControls();
        throw;
    }
    total = RoundTo(total, 2);
    if (total != 0 && bLinesTotalToHeader) {
        for (const char *name : {"JE", "cJE"}) {
            TField *field = m_zb->FindField(QLatin1String(name));
            if (field && field->CanModify()) {
                m_zb->Edit();
                field->SetAsFloat(total);
            }
        }
    }
    m_mx->First();
    m_mx->EnableControls();
}

void TfrmComDj::PostPendingLine()
{
    if (m_mx->State() == dsInsert) {
        if (mustFieldsFilled())
            m_mx->Post();
        else
            m_mx->Cancel();
    } else if (m_mx->State() == dsEdit) {
        m_mx->Post();
    }
}

void TfrmComDj::MxBeforeApplyUpdates()
{
    struct Link
    {
        TField *header;
        TField *line;
    };
    std::vector<Link> links;
    for (const QString &pair : strLinkFields.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList names = pair.split(QLatin1Char(','));
        if (names.size() != 2)
            continue;
        TField *header = m_zb->FindField(names[0].trimmed());
        TField *line = m_mx->FindField(names[1].trimmed());
        if (header && line)
            links.push_back({header, line});
    }
    if (links.empty())
        return;
    ForEveryLine([&] {
        bool changed = false;
        for (const Link &link : links) {
            if (link.line->Value() != link.header->Value()) {
                if (!changed)
                    m_mx->Edit();
                link.line->SetValue(link.header->Value());
                changed = true;
            }
        }
        if (changed)
            m_mx->Post();
    });
}

void TfrmComDj::ForEveryLine(const std::function<void()> &visit)
{
    m_mx->CheckBrowseMode();
    const TBookmark here = m_mx->GetBookmark();
    m_mx->WithControlsDisabled([&] {
        for (m_mx->First(); !m_mx->Eof(); m_mx->Next())
            visit();
        if (m_mx->BookmarkValid(here))
            m_mx->GotoBookmark(here);
    });
}

void TfrmComDj::StoreAsDisplayed(TClientDataSet &dataSet)
{
    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        TField *field = dataSet.Fields(i);
        if (!field->IsNumeric() || !field->CanModify())
            continue;
        if (field->IsNull()) {
            field->SetAsFloat(0);
            continue;
        }
        // A money column keeps the decimals its format displays.
        QString format = field->DisplayFormat();
        if (format.contains(QLatin1Char(','))) {
            format.remove(QLatin1Char(','));
            double value = 0;
            if (TryStrToFloat(FormatFloat(format, field->AsFloat()), value) &&
                value != field->AsFloat())
                field->SetAsFloat(value);
        }
    }
}

void TfrmComDj::SetEveryLine(const QString &fieldName, const QVariant &value)
{
    TField *field = m_mx->FindField(fieldName);
    if (!field || !m_mx->Active())
        return;
    ForEveryLine([&] {
        if (field->Value() == value)
            return;
        m_mx->Edit();
        field->SetValue(value);
        m_mx->Post();
    });
}

void TfrmComDj::ZbBeforePost(TClientDataSet &DataSet)
{
    StoreAsDisplayed(DataSet);
    const auto refuse = [](QWidget *control, const QString &text) {
        MessageBox(text, QStringLiteral("录入错误"), TMsgIcon::Warning);
        control->setFocus();
        Abort();
    };
    for (QWidget *control : findChildren<QWidget *>()) {
        auto *fieldControl = dynamic_cast<TFieldControl *>(control);
        if (!fieldControl || fieldControl->DataSource() != m_zbSource || !fieldControl->Field())
            continue;
        const QString name = fieldControl->DataField().toUpper();
        if (!strZbMustFields.contains(name + QLatin1Char(';')))
            continue;
        const TField *field = fieldControl->Field();
        const bool warehouse = name == QLatin1String("CKID") || name == QLatin1String("DCCID") ||
                               name == QLatin1String("DRCID");
        if (warehouse && qobject_cast<TDBLookupComboBox *>(control) && field->AsInteger() == 0)
            refuse(control, QStringLiteral("仓库未录入, 请继续录入!"));
        if (!entered(field))
            refuse(control, QStringLiteral("'") + field->DisplayLabel() +
                                QStringLiteral("'未录入, 请继续录入!"));
    }
}

bool TfrmComDj::CheckNegativeStock(const QString &warehouseField)
{
    const TField *code = m_mx->FindField(QStringLiteral("aBH"));
    const TField *goods = m_mx->FindField(QStringLiteral("HPID"));
    const TField *quantity = m_mx->FindField(QStringLiteral("SL"));
    const TField *date = m_zb->FindField(QStringLiteral("RQ"));
    if (!code || !goods || !quantity || !date)
        return true;
    // The stock of every goods item of the document in one query, not one per line.
    QStringList ids;
    for (int row = 0; row < m_mx->RowCount(); ++row)
        if (!m_mx->RowValue(row, code).toString().isEmpty())
            ids << QString::number(m_mx->RowValue(row, goods).toLongLong());
    if (ids.isEmpty())
        return true;
    ids.removeDuplicates();
    QHash<qint64, double> stock;
    TTmpDataSet rows;
    rows->SetCommandText(lines::StockByGoodsSql(SessionInfo().DatabaseKind, ids, date->AsDate(),
                                                ZbInteger(warehouseField.toLatin1().constData())));
    rows->Open();
    for (rows->First(); !rows->Eof(); rows->Next())
        stock.insert(rows->Fields(0)->AsLargeInt(), rows->Fields(1)->AsFloat());
    rows->Close();

    const TField *number = m_mx->FindField(QStringLiteral("HH"));
    const TField *name = m_mx->FindField(QStringLiteral("aPM"));
    QStringList negative;
    for (int row = 0; row < m_mx->RowCount(); ++row) {
        if (m_mx->RowValue(row, code).toString().isEmpty())
            continue;
        const double onHand = stock.value(m_mx->RowValue(row, goods).toLongLong());
        if (onHand - m_mx->RowValue(row, quantity).toDouble() >= 0)
            continue;
        negative << QStringLiteral("序号：") + (number ? m_mx->RowText(row, number) : QString()) +
                        QStringLiteral("|编号：") + m_mx->RowValue(row, code).toString() +
                        QStringLiteral("|货品名称：") +
                        (name ? m_mx->RowValue(row, name).toString() : QString()) +
                        QStringLiteral("(库存数为：") + FloatToStr(onHand) + QStringLiteral(")");
    }
    if (negative.isEmpty())
        return true;
    return MessageBox(QStringLiteral("仓库出货后下列货品库存为负数：") + QLatin1Char('\n') +
                          negative.join(QLatin1Char('\n')) + QLatin1Char('\n') +
                          QStringLiteral("继续保存单据吗？"),
                      QStringLiteral("提示"), TMsgIcon::Question, TMsgButtons::YesNo) == mrYes;
}

void TfrmComDj::CostIssueLines()
{
    const TField *kind = m_mx->FindField(QStringLiteral("HPHSFSID"));
    TField *price = m_mx->FindField(QStringLiteral("DJ"));
    const TField *goods = m_mx->FindField(QStringLiteral("HPID"));
    const TField *quantity = m_mx->FindField(QStringLiteral("SL"));
    const TField *date = m_zb->FindField(QStringLiteral("RQ"));
    if (!kind || !price || !goods || !quantity || !date)
        return;
    const qint64 warehouse = ZbInteger("CKID");
    const TField *numberField = m_zb->FindField(QStringLiteral("DJBH"));
    QString number = numberField ? numberField->AsString() : QString();
    if (number == QStringLiteral("新单"))
        number.clear();
    const int dialect = SessionInfo().DatabaseKind;
    ForEveryLine([&] {
        if (kind->AsInteger() != 2)
            return;
        const qint64 id = goods->AsLargeInt();
        const double issued =
            QueryValue(lines::IssuedBeforeSql(dialect, id, date->AsDate(), warehouse, number))
                .toDouble();
        QList<lines::TReceipt> receipts;
        TTmpDataSet rows;
        rows->SetCommandText(lines::ReceiptsSql(dialect, id, date->AsDate(), warehouse));
        rows->Open();
        for (rows->First(); !rows->Eof(); rows->Next())
            receipts.append({rows->Fields(0)->AsFloat(), rows->Fields(1)->AsFloat()});
        rows->Close();
        const double cost =
            receipts.isEmpty()
                ? QueryValue(QStringLiteral("select JJ from hp where ID=") + QString::number(id))
                      .toDouble()
                : lines::FifoUnitCost(receipts, issued, quantity->AsFloat());
        if (RoundTo(cost, 2) != price->AsFloat()) {
            m_mx->Edit();
            price->SetAsFloat(RoundTo(cost, 2));
            m_mx->Post();
        }
    });
}

void TfrmComDj::aSaveExecute()
{
    if (pTitle->isVisible() && BillDate->isEnabled())
        BillDate->setFocus();
    hideLookup();
    DeleteEmptyLines();
    MxBeforeApplyUpdates_RefeSequence();
    if (FuncRight().IsFSCK && Kind().NegativeStockField &&
        !CheckNegativeStock(QLatin1String(Kind().NegativeStockField)))
        Abort();
    if (Kind().Pricing == TLinePricing::IssueCost)
        CostIssueLines();

    FSaving = true;
    THourGlass hourGlass;
    try {
        PostPendingLine();
        if (Kind().HasBlankLines && m_mx->IsEmpty()) {
            ShowMessage(QStringLiteral("单据明细为空，不能保存！"));
            Abort();
        }
        // The header's checks come first: a number is drawn only for a document that can go.
        m_zb->Edit();
        m_zb->Post();
        const TField *number = m_zb->FindField(QStringLiteral("DJBH"));
        const bool lateNumber = number && number->AsString() == QStringLiteral("新单");
        QString counterSql;
        if (lateNumber) {
            if (m_contendedSaves > 0) {
                --m_contendedSaves;
                setBillNo(GetNewBillNo(GetBillPrefix(),
                                       m_zb->FieldByName(QStringLiteral("RQ"))->AsDate()));
            } else {
                counterSql = TakeNewBillNo();
            }
            m_zb->Post();
        }
        MxBeforeApplyUpdates();
        if (!StoreDocument(counterSql)) {
            // The counter did not move: the next attempt draws again.
            if (lateNumber) {
                m_zb->Edit();
                m_zb->FieldByName(QStringLiteral("DJBH"))->SetAsString(QStringLiteral("新单"));
                m_zb->Post();
            }
            Abort();
        }
    } catch (...) {
        FSaving = false;
        throw;
    }
    FSaving = false;
    SetCanSave(false);
    if (FOpenMode == QLatin1String("A") || FOpenMode == QLatin1String("I"))
        FOpenMode = QStringLiteral("M");
    SetButton();
    SetAuditButton();
    aUnAudit->setEnabled(false);
    Menu_Ref->setEnabled(true);
}

QString TfrmComDj::TakeNewBillNo()
{
    const TDrawnBillNo drawn =
        DrawBillNo(GetBillPrefix(), m_zb->FieldByName(QStringLiteral("RQ"))->AsDate());
    setBillNo(drawn.BillNo);
    return drawn.CounterSql;
}

void TfrmComDj::setBillNo(const QString &billNo)
{
    m_zb->Edit();
    m_zb->FieldByName(QStringLiteral("DJBH"))->SetAsString(billNo);
    if (TField *id = m_zb->FindField(QStringLiteral("ID")))
        id->SetAsLargeInt(BillNoToID(billNo));
}

bool TfrmComDj::StoreDocument(QString counterSql)
{
    // The counter, the lines and the header go in one request: a document is stored whole or
    // not at all, and a refusal leaves both change logs as they were for the next attempt.
    for (int round = 0;; ++round) {
        TAtomicRequest request;
        if (!counterSql.isEmpty())
            request.Execute(counterSql, 1);
        request.Apply(*m_mx);
        request.Apply(*m_zb);
        request.Execute(DocumentLogSQL(TDocOperation::Save,
                                       m_zb->FieldByName(QStringLiteral("DJBH"))->AsString()));
        const TAtomicResult result = request.Send();
        if (result.Ok)
            return true;
        // Another clerk took the number meanwhile: the counter moved, or the number or its
        // key is stored already. The document takes the next one, unseen by the clerk.
        const bool counterRefused = !counterSql.isEmpty() && result.Part == 0;
        const bool numberTaken =
            result.DataSet == m_zb && result.ErrorCode == QLatin1String("unique");
        if ((counterRefused || numberTaken) && round < MaxNumberRounds) {
            ++m_numberRetries;
            if (counterRefused)
                m_contendedSaves = ContendedSaves;
            // Racing the other clerks for the next number read would lose again under load:
            // the number is taken for good instead, and the request goes without the counter.
            // A number stored without the counter knowing it is passed over the same way.
            setBillNo(
                GetNewBillNo(GetBillPrefix(), m_zb->FieldByName(QStringLiteral("RQ"))->AsDate()));
            m_zb->Post();
            counterSql.clear();
            MxBeforeApplyUpdates();
            continue;
        }
        if (counterRefused || numberTaken) {
            MessageBox(QStringLiteral("单据编号一直被其他用户占用，请稍后再保存。"),
                       QStringLiteral("提示"), TMsgIcon::Warning);
            return false;
        }
        const bool header = result.DataSet == m_zb;
        MessageBox(
            (header ? QStringLiteral("主表保存失败！") : QStringLiteral("明细表保存失败！")) +
                QLatin1Char('\n') + result.Message,
            QStringLiteral("提示"), TMsgIcon::Error);
        if (!header)
            m_mx->SaveToFile(LocalLinesFile());
        return false;
    }
}
