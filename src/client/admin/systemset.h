// The system settings TSystemSetFrm ("系统设置"): the company settings row of CompanyInfo (name
// and contacts, document rules and audit levels, workbook margins, the captions of the goods
// attribute columns) and this workstation's default date range. Changing the number of audit
// levels rebuilds the rights items of the extra levels, and is refused while any document is
// audited at some level, since its level would then mean another thing.
#pragma once

#include "client/forms/comedit.h"

class QButtonGroup;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;
class TDBCheckBox;
class TDBComboBox;

class TSystemSetFrm : public TfrmComEdit
{
    Q_OBJECT
public:
    explicit TSystemSetFrm(QWidget *parent = nullptr);

    static const QString AuditedDocumentsText;

    // The statements that give the rights items of levels 2 ... levels ("二审" ...).
    static QStringList AuditLevelItemsSQL(int levels);
    // One value: 1 when some document of any type is audited at some level, else 0.
    static QString AuditedDocumentsSQL();

    TDBEdit *edtCompanyName;
    TDBEdit *edtLawMan;
    TDBEdit *edtAddress;
    TDBEdit *edtWhich;
    TDBEdit *edtTel;
    TDBEdit *edtPostCode;
    TDBEdit *edtEmail;

    QWidget *TabSheet_Bill;
    TDBCheckBox *chkIsOrderKC;
    TDBCheckBox *chkIsFSCK;
    TDBCheckBox *chkBoolean2;
    TDBCheckBox *chkBoolean3;
    TDBComboBox *cbAuditNum;
    TDBEdit *edtZK;
    QButtonGroup *rgDateRange;
    QSpinBox *edtDay;
    QComboBox *combKJQJ;

    QWidget *TabSheet_Print;
    QDoubleSpinBox *seUpMargin;
    QDoubleSpinBox *seLowMargin;
    QDoubleSpinBox *seLeftMargin;
    QDoubleSpinBox *seRightMargin;
    QDoubleSpinBox *seHeaderMargin;
    QDoubleSpinBox *seFooterMargin;
    QPushButton *RzBitBtnPrintModal;

    QWidget *TabSheet_Attr;
    TDBEdit *edtAttr[6];

    // "设置打印模板": the print-template list, modal.
    void RzBitBtnPrintModalClick();

protected:
    void FormShow() override;
    void btnOk_NewClick() override;
    void dsBeforePost(TClientDataSet &DataSet) override;
    bool ApplyChanges() override;
    void MyAfterApplyUpdates() override;

private:
    int auditNum() const;
    bool auditNumChanged() const;
    void updateDateControls();
    QDoubleSpinBox *marginEdit(const char *name, double value);

    int m_openedAuditNum = 0;
};
