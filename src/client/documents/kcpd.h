// The stock adjustment TFrmpd: one form for three kinds the opener chooses — the count sheet
// "KCPD" ("盘点单", the default), the adjustment "KCTZ" ("库存调整单") and the opening stock
// "KCCS" ("库存初始单"). Only the count sheet shows the book quantity KCSL beside the counted
// one, and posts their difference at audit; new documents keep the kind in BillType.
#pragma once

#include "client/documents/typeddj.h"

class TDBComboBox;
class TDBLookupComboBox;

class TFrmpd : public TfrmTypedDj
{
    Q_OBJECT
public:
    explicit TFrmpd(QWidget *parent = nullptr);

    // The kind, in either case; anything else is a count sheet. Re-applies caption and
    // columns, also when the form shows already.
    void SetBillType(const QString &billType) override;
    const QString &AdjustmentKind() const { return m_kind; }

    TDBLookupComboBox *DBLookupCK;
    TDBComboBox *DBComboJSR;

    // The header query with the warehouse's name and the kind as text; where starts with
    // " where".
    static QString HeaderQuery(const QString &where);

protected:
    QString HeaderSql(const QString &where) const override;
    void FormShow() override;
    void ZbOnNewRecord(TClientDataSet &DataSet) override;

private:
    void applyKind();

    QString m_kind = QStringLiteral("KCPD");
};
