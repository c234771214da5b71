// The print template edit form TfrmPub_PrintModalEdit: which document caption a workbook
// template belongs to, where its header and lines start, and whether its placeholders are
// filled instead of the document being laid out.
#pragma once

#include "client/forms/comedit.h"

class QPushButton;
class TDBCheckBox;
class TDBComboBox;

class TfrmPub_PrintModalEdit : public TfrmComEdit
{
    Q_OBJECT
public:
    explicit TfrmPub_PrintModalEdit(QWidget *parent = nullptr);

    TDBComboBox *cbObjectName;
    TDBEdit *edtFileName;
    QPushButton *btnBrowse;
    TDBEdit *edtMasterBegin;
    TDBEdit *edtDetailRowBegin;
    TDBCheckBox *chkIsParam;
    TDBEdit *edtAllRows;

    // Asks for the template file; a chosen name goes into FileName, a cancel changes nothing.
    void BrowseTemplate();

protected:
    void FormShow() override;
    void dsOnNewRecord(TClientDataSet &DataSet) override;
};
