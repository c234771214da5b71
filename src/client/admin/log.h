// The operation log TfrmLog ("操作日志"): who did what on which computer, newest first. Lines are
// only read and purged here: everything before a chosen date goes at once, after a question.
#pragma once

#include "client/forms/comjbzl.h"

#include <QDate>

class QLabel;
class QPushButton;
class TDateTimePicker;

class TfrmLog : public TfrmComJbzl
{
    Q_OBJECT
public:
    explicit TfrmLog(QWidget *parent = nullptr);

    // The statement that removes the lines of the date and before it.
    static QString PurgeSQL(QDate through);

    TDateTimePicker *dtpRqa;
    QToolButton *btnDelLog;
    TPanel *pnlDelete;
    QLabel *lblDelete;
    QPushButton *btnYes;
    QPushButton *btnNo;

protected:
    void FormShow() override;
    void OpenDataSet() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void askPurge();
    void purge();
    void centrePanel();
};
