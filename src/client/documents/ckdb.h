// The transfer TfrmStockdb ("仓库调拨单"): goods moved from one warehouse (DCCID) to another
// (DRCID). The opener chooses the kind — a warehouse transfer "CKDB", a production issue
// "SCLL" or a production intake "SCIN" — which new documents keep in DBType.
#pragma once

#include "client/documents/typeddj.h"

class TDBComboBox;
class TDBLookupComboBox;

class TfrmStockdb : public TfrmTypedDj
{
    Q_OBJECT
public:
    explicit TfrmStockdb(QWidget *parent = nullptr);

    // "ckdb", "scll" or "scin" in either case; anything else is a warehouse transfer.
    void SetBillType(const QString &billType) override;
    const QString &TransferKind() const { return m_kind; }

    TDBLookupComboBox *DBLookupDCC;
    TDBLookupComboBox *DBLookupDRC;
    TDBComboBox *DBComboJSR;

    // The header query with the names of both warehouses, the issuing one as aCKMC; where
    // starts with " where".
    static QString HeaderQuery(const QString &where);

protected:
    QString HeaderSql(const QString &where) const override;
    void ZbOnNewRecord(TClientDataSet &DataSet) override;
    void ZbBeforePost(TClientDataSet &DataSet) override;

private:
    QString m_kind = QStringLiteral("CKDB");
};
