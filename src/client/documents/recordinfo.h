// Small read-only windows that show one record of a query as captioned values: the customer's
// particulars TfrmKhXx ("客户资料") a receipt opens for its customer, and the transfer between
// accounts TfrmYhckqkCk ("银行存款/取款") the document views open for a transfer. "关闭" or
// Esc closes them.
#pragma once

#include "client/forms/rootform.h"

#include <QList>

class QLabel;
class QPushButton;

// One row of the window: its caption, the query's column and how a number is shown.
struct TInfoRow
{
    const char *Caption;
    const char *Column;
    const char *NumberFormat = nullptr; // "#,0.00"; nullptr shows the text as it is
};

class TfrmRecordInfo : public TFrmRoot
{
    Q_OBJECT
public:
    // Reads the record of id; false (the values empty) when there is none.
    bool Load(qint64 id);
    // The value shown beside a caption ("客户全称："), for checks.
    QString ValueText(const QString &caption) const;

    QPushButton *btnClose;

protected:
    // sqlUpToId ends where the record's id follows.
    TfrmRecordInfo(const char *name, const QString &caption, const char *sqlUpToId,
                   QList<TInfoRow> rows, QWidget *parent);

private:
    const char *m_sql;
    QList<TInfoRow> m_rows;
    QList<QLabel *> m_values;
};

class TfrmKhXx : public TfrmRecordInfo
{
    Q_OBJECT
public:
    explicit TfrmKhXx(QWidget *parent = nullptr);
};

class TfrmYhckqkCk : public TfrmRecordInfo
{
    Q_OBJECT
public:
    explicit TfrmYhckqkCk(QWidget *parent = nullptr);
};
