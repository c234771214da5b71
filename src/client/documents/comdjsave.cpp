// The document form's save: empty lines dropped, lines renumbered and totalled, the number
// drawn, the header checked, the link fields copied, and lines and header stored.
#include "client/documents/comdj.h"

#include "client/data/atomicrequest.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/formats.h"
#include "client/data/serveraccess.h"
#include "client/documents/documentkind.h"
#include "client/forms/globalobj.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"

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
    if (total != 0) {
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
    const TBookmark here = m_mx->GetBookmark();
    m_mx->DisableControls();
    try {
        for (m_mx->First(); !m_mx->Eof(); m_mx->Next()) {
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
        }
    } catch (...) {
        m_mx->EnableControls();
        throw;
    }
    if (m_mx->BookmarkValid(here))
        m_mx->GotoBookmark(here);
    m_mx->EnableControls();
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
    m_mx->CheckBrowseMode();
    const TBookmark here = m_mx->GetBookmark();
    m_mx->DisableControls();
    try {
        for (m_mx->First(); !m_mx->Eof(); m_mx->Next()) {
            if (field->Value() == value)
                continue;
            m_mx->Edit();
            field->SetValue(value);
            m_mx->Post();
        }
    } catch (...) {
        m_mx->EnableControls();
        throw;
    }
    if (m_mx->BookmarkValid(here))
        m_mx->GotoBookmark(here);
    m_mx->EnableControls();
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

void TfrmComDj::aSaveExecute()
{
    if (pTitle->isVisible() && BillDate->isEnabled())
        BillDate->setFocus();
    hideLookup();
    DeleteEmptyLines();
    MxBeforeApplyUpdates_RefeSequence();

    FSaving = true;
    THourGlass hourGlass;
    try {
        PostPendingLine();
        if (Kind().HasBlankLines && m_mx->IsEmpty()) {
            ShowMessage(QStringLiteral("单据明细为空，不能保存！"));
            Abort();
        }
        m_zb->Edit();
        TField *number = m_zb->FindField(QStringLiteral("DJBH"));
        if (number && number->AsString() == QStringLiteral("新单")) {
            const QString billNo =
                GetNewBillNo(GetBillPrefix(), m_zb->FieldByName(QStringLiteral("RQ"))->AsDate());
            number->SetAsString(billNo);
            if (TField *id = m_zb->FindField(QStringLiteral("ID")))
                id->SetAsLargeInt(BillNoToID(billNo));
        }
        m_zb->Post();
        MxBeforeApplyUpdates();
        if (!StoreDocument())
            Abort();
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

bool TfrmComDj::StoreDocument()
{
    // Lines and header go in one request: a document is stored whole or not at all, and a
    // refusal leaves both change logs as they were for the next attempt.
    TAtomicRequest request;
    request.Apply(*m_mx);
    request.Apply(*m_zb);
    const TAtomicResult result = request.Send();
    if (result.Ok)
        return true;
    const bool header = result.DataSet == m_zb;
    MessageBox((header ? QStringLiteral("主表保存失败！") : QStringLiteral("明细表保存失败！")) +
                   QLatin1Char('\n') + result.Message,
               QStringLiteral("提示"), TMsgIcon::Error);
    if (!header)
        m_mx->SaveToFile(LocalLinesFile());
    return false;
}
