// The print-template list TfrmPrintModalList ("打印模板设置"): the workbook templates of the
// document windows, oldest first, each edited in TfrmPub_PrintModalEdit. The system settings
// open it.
#pragma once

#include "client/forms/comjbzl.h"

class TfrmPrintModalList : public TfrmComJbzl
{
    Q_OBJECT
public:
    explicit TfrmPrintModalList(QWidget *parent = nullptr);

    static QString ListSQL();

protected:
    void FormShow() override;
    void OpenDataSet() override;
    void LoadEditForm(const QString &Mode) override;
};
