// The document form's header helpers for the types: look-ups by code, the settlement check
// of documents paid now, and the running total of types that keep their header total.
#include "client/common/sqltext.h"
#include "client/common/valueroutines.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/comdj.h"
#include "client/widgets/messagebox.h"

void TfrmComDj::AddHeaderLookup(THeaderLookup lookup)
{
    m_headerLookups.push_back(std::move(lookup));
}

void TfrmComDj::WriteHeader(const std::function<void()> &write)
{
    ++m_applyingHeader;
    try {
        write();
    } catch (...) {
        --m_applyingHeader;
        throw;
    }
    --m_applyingHeader;
}

void TfrmComDj::sZbDataChange(TDataSource &Sender, TField *Field)
{
    Q_UNUSED(Sender);
    if (!Field || ApplyingHeader())
        return;
    for (const THeaderLookup &lookup : m_headerLookups)
        if (Field->FieldName().compare(lookup.CodeField, Qt::CaseInsensitive) == 0) {
            runHeaderLookup(lookup);
            return;
        }
}

void TfrmComDj::runHeaderLookup(const THeaderLookup &lookup)
{
    TClientDataSet &header = *m_zb;
    if (!(header.State() == dsEdit || header.State() == dsInsert))
        return;
    const QString code = header.FieldByName(lookup.CodeField)->AsString().trimmed();
    if (code.isEmpty())
        return;
    TTmpDataSet found;
    found->SetCommandText(lookup.Sql + QuotedStr(code));
    found->Open();
    if (found->IsEmpty()) {
        found->Close();
        if (lookup.Pick)
            lookup.Pick();
        return;
    }
    WriteHeader([&] {
        for (qsizetype i = 0; i < lookup.Targets.size(); ++i) {
            TField *target = header.FindField(lookup.Targets[i]);
            TField *source = found->FindField(lookup.Sources.value(i));
            if (target && source && target->Value() != source->Value())
                target->SetValue(source->Value());
        }
    });
}

bool TfrmComDj::CheckSettlement(const QString &amountField, const QString &accountMessage,
                                bool clearWhenUnpaid)
{
    TClientDataSet &header = *m_zb;
    const TField *amount = header.FindField(amountField);
    const bool paidNow = amount && !IsZeroText(amount->AsString());
    const auto editable = [&header] {
        if (!(header.State() == dsEdit || header.State() == dsInsert))
            header.Edit();
    };
    if (!paidNow) {
        if (!clearWhenUnpaid)
            return true;
        WriteHeader([&] {
            for (const char *name : {"SFKFSID", "ZHID"})
                if (TField *field = header.FindField(QLatin1String(name));
                    field && field->AsInteger() != 0) {
                    editable();
                    field->SetAsInteger(0);
                }
        });
        return true;
    }
    const std::pair<const char *, QString> required[] = {
        {"SFKFSID", QStringLiteral("结算方式不能为空！")}, {"ZHID", accountMessage}};
    for (const auto &[name, message] : required) {
        const TField *field = header.FindField(QLatin1String(name));
        if (field && field->AsInteger() == 0) {
            MessageBox(message, QStringLiteral("录入错误"), TMsgIcon::Warning);
            return false;
        }
    }
    return true;
}

namespace {

double lineAmount(double quantity, double price, double taxRate, bool withTax)
{
    return RoundTo(quantity * price * (withTax ? 1 + taxRate / 100 : 1), 2);
}

} // namespace

double TfrmComDj::rememberedLineAmount(bool withTax) const
{
    const auto remembered = [this](const char *name) {
        const TField *field = m_mx->FindField(QLatin1String(name));
        return field ? VarToFloat(FOldLineValues.value(field->Index())) : 0.0;
    };
    return lineAmount(remembered("SL"), remembered("DJ"), remembered("NSL"), withTax);
}

void TfrmComDj::RunningTotal(char kind, bool withTax)
{
    TField *total = m_zb ? m_zb->FindField(QStringLiteral("JE")) : nullptr;
    if (!total || !m_mx || !m_mx->Active())
        return;
    const auto current = [this](const char *name) {
        const TField *field = m_mx->FindField(QLatin1String(name));
        return field ? VarToFloat(field->Value()) : 0.0;
    };
    const double before = rememberedLineAmount(withTax);
    const double after =
        kind == 'D' ? 0 : lineAmount(current("SL"), current("DJ"), current("NSL"), withTax);
    if (before == after)
        return;
    WriteHeader([&] {
        if (!(m_zb->State() == dsEdit || m_zb->State() == dsInsert))
            m_zb->Edit();
        total->SetAsFloat(RoundTo(total->AsFloat() - before + after, 2));
    });
    if (kind != 'E')
        return;
    // The next change of this line starts from what it holds now.
    for (const char *name : {"SL", "DJ", "NSL"}) {
        const TField *field = m_mx->FindField(QLatin1String(name));
        if (field && field->Index() < FOldLineValues.size())
            FOldLineValues[field->Index()] = current(name);
    }
}
