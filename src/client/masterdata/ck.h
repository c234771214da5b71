// The warehouse list TfrmStockCode ("仓库资料"): the warehouses within the user's scope with
// their department, opened from the main menu; it doubles as the warehouse picker.
#pragma once

#include "client/forms/comjbzl.h"

class TfrmStockCode : public TfrmComJbzl
{
    Q_OBJECT
public:
    explicit TfrmStockCode(QWidget *parent = nullptr);

protected:
    void FormShow() override;
    void OpenDataSet() override;
    void LoadEditForm(const QString &Mode) override;
    void GetSearchModalValue() override;
};
