// The warehouse edit form TfrmStockEdit: sequence, name, department, location and remark of a
// warehouse; the name and the department must be given and the name must not repeat.
#pragma once

#include "client/forms/comedit.h"

class TDBLookupComboBox;

class TfrmStockEdit : public TfrmComEdit
{
    Q_OBJECT
public:
    explicit TfrmStockEdit(QWidget *parent = nullptr);

    TDBEdit *RzDBEdit_XH;
    TDBEdit *RzDBEdit_Name;
    TDBLookupComboBox *RzDBLookupComboBox_BM;
    TDBEdit *RzDBEdit_WZ;
    TDBEdit *RzDBEdit_BZ;

protected:
    void FormShow() override;
    void SetDuplicateValue() override;
    void sDataChange(TDataSource &Sender, TField *Field) override;
};
