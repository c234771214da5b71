// The invoice types and their tax rates.
#include "client/documents/invoicetypes.h"

#include "client/data/centraldata.h"

TInvoiceTypes::TInvoiceTypes()
    : m_types(std::make_unique<TClientDataSet>(QStringLiteral("cdsFplx")))
{
    m_types->SetProviderName(QStringLiteral("pTmp"));
    m_source = std::make_unique<TDataSource>(m_types.get());
}

TInvoiceTypes::~TInvoiceTypes() = default;

void TInvoiceTypes::Open()
{
    m_types->Close();
    m_types->SetRemoteServer(&Data().cn());
    m_types->SetCommandText(QStringLiteral("select ID, MC, NSL from FPLX order by ID"));
    m_types->Open();
}

double TInvoiceTypes::RateOf(qint64 invoiceType) const
{
    const QVariant rate = m_types->Lookup(QStringLiteral("ID"), invoiceType, QStringLiteral("NSL"));
    return rate.isValid() ? rate.toDouble() : 0;
}

QString TInvoiceTypes::NameOf(qint64 invoiceType) const
{
    return m_types->Lookup(QStringLiteral("ID"), invoiceType, QStringLiteral("MC")).toString();
}
