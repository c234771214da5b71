// The two windows that empty the account set on purpose: the year-end carry-forward "年末结转"
// and the initialisation "系统初始化". Both back the account set up on the server first and then
// send everything they delete and write as one request, so that a failure or a killed client
// or server leaves the account set exactly as it was. The main window opens them modally with
// the text "0" (the clear list's production tables included).
#pragma once

#include "client/admin/yearend.h"
#include "client/forms/rootform.h"

class QCheckBox;
class QLabel;
class QPushButton;

// What the two windows share: the backup before anything goes and the one request.
class TFrmClearData : public TFrmBase
{
    Q_OBJECT
public:
    explicit TFrmClearData(QWidget *parent = nullptr);

    QPushButton *RzBitBtn1; // start
    QPushButton *btnOk_New; // close

    // The window's parameter, given as its mode text: 0 unless told otherwise.
    int Param() const;

protected:
    // The server's backup of the account set in use; false (reported) when it failed, and
    // then nothing may be deleted.
    bool BackUpFirst();
    // Sends the statements, with the log line of the operation, as one request under the busy
    // message; false (reported with caption) when nothing was stored.
    bool SendAll(const QStringList &statements, const QString &operation, const QString &busy,
                 const QString &caption);
    // FuncRight's clear list, built with the window's parameter on first use.
    QStringList ClearList();

    virtual void RzBitBtn1Click() = 0;
};

class TFrmYearJZ : public TFrmClearData
{
    Q_OBJECT
public:
    explicit TFrmYearJZ(QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Memo1;

    // The stock of every goods in every warehouse, per attribute combination, over the ledger.
    static QList<TStockBalance> ReadSnapshot();

protected:
    void RzBitBtn1Click() override;
};

class TFrmInitData : public TFrmClearData
{
    Q_OBJECT
public:
    explicit TFrmInitData(QWidget *parent = nullptr);

    QCheckBox *cBox_base; // goods master data (class A)
    QCheckBox *cBox_jxc;  // business data (class B)

protected:
    void RzBitBtn1Click() override;
};
