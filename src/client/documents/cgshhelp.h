// The receipt picker TfrmCgshHelp of returns: one audited purchase receipt (or sales delivery)
// chosen by date, shown with its lines, copied whole into the return.
#pragma once

#include "client/documents/refer.h"

class TfrmCgshHelp : public TFrmRoot
{
    Q_OBJECT
public:
    // source names the tables and the partner (supplier for receipts, customer for deliveries).
    explicit TfrmCgshHelp(const TReferSource &source, QWidget *parent = nullptr);
    ~TfrmCgshHelp() override;

    void OpenHeaders();
    // Only the documents of this partner (the return's own, once chosen); 0 for every one.
    void SetPartner(qint64 id) { m_partner = id; }

    // The chosen document: its partner's code, its warehouse and its lines as they are.
    QString PartnerCode() const;
    QVariant Warehouse() const;
    QList<TSourceLine> Lines() const;

    TClientDataSet &Headers() { return *m_headers; }
    TClientDataSet &DocumentLines() { return *m_lines; }

    QDateEdit *dtpFrom;
    QDateEdit *dtpTo;
    QPushButton *btnQuery;
    QPushButton *btnOk;
    QPushButton *btnExit;
    TDBGrid *DBGridHeaders;
    TDBGrid *DBGridLines;

    // The partner's code column of the header query ("aGYSBH" or "aKHBH").
    QString PartnerCodeField() const;

protected:
    void FormShow() override;

private:
    void showLines();

    TReferSource m_source;
    int m_auditLevel = 1;
    qint64 m_partner = 0;
    int m_databaseKind = 1;
    std::unique_ptr<TClientDataSet> m_headers;
    std::unique_ptr<TClientDataSet> m_lines;
    std::unique_ptr<TDataSource> m_headerSource;
    std::unique_ptr<TDataSource> m_lineSource;
};
