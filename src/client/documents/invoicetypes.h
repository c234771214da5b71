// The invoice types of documents with tax (收据, 普通发票, 增值税发票) and the tax rate each
// gives the lines.
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/datasource.h"

#include <memory>

class TInvoiceTypes
{
public:
    TInvoiceTypes();
    ~TInvoiceTypes();

    // Reads the types from the server (again when already open).
    void Open();
    // The list for an invoice-type combo: ID, MC, NSL.
    TDataSource *Source() const { return m_source.get(); }
    // The type's tax rate in percent; 0 for an unknown type.
    double RateOf(qint64 invoiceType) const;
    QString NameOf(qint64 invoiceType) const;

private:
    std::unique_ptr<TClientDataSet> m_types;
    std::unique_ptr<TDataSource> m_source;
};
