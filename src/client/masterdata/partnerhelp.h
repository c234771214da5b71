// The pickers of suppliers (TfrmGysHelp), customers (TfrmKhHelp) and income and expense
// categories (TfrmSrzclbHelp). Supplier and customer pickers have a simple mode in which
// choosing only leaves the ID and name in the result fields.
#pragma once

#include "client/masterdata/comhelp.h"

// Supplier and customer pickers share the simple mode.
class TfrmPartnerHelp : public TfrmComHelp
{
    Q_OBJECT
public:
    using TfrmComHelp::TfrmComHelp;
    bool SimpleMode = false;

protected:
    void btnOkClick() override;
};

class TfrmGysHelp : public TfrmPartnerHelp
{
    Q_OBJECT
public:
    explicit TfrmGysHelp(QWidget *parent = nullptr);

protected:
    void FormShow() override;
    void OpenData() override;
    QString ReferenceKind() const override { return QStringLiteral("PUR"); }
    bool HasEditForm() const override { return true; }
    TfrmComEdit *CreateEditForm() override;
};

class TfrmKhHelp : public TfrmPartnerHelp
{
    Q_OBJECT
public:
    explicit TfrmKhHelp(QWidget *parent = nullptr);

protected:
    void FormShow() override;
    QString ReferenceKind() const override { return QStringLiteral("CUST"); }
    bool HasEditForm() const override { return true; }
    TfrmComEdit *CreateEditForm() override;
    void btnDelClick() override;
};

class TfrmSrzclbHelp : public TfrmComHelp
{
    Q_OBJECT
public:
    explicit TfrmSrzclbHelp(QWidget *parent = nullptr);

    // "SRL = " + the dialect's false literal for "选择收支类别 - 支出类", nothing for plain
    // "选择收支类别", the true literal for any other caption.
    static QString FilterOfCaption(const QString &caption, int databaseKind);

protected:
    void FormShow() override;
    void OpenData() override;
    QString GetFilter() override;
    bool HasEditForm() const override { return true; }
    TfrmComEdit *CreateEditForm() override;
};
