// The system settings.
#include "client/admin/systemset.h"

#include "client/admin/printmodallist.h"
#include "client/common/defaultdates.h"
#include "client/common/sqltext.h"
#include "client/common/valueroutines.h"
#include "client/data/atomicrequest.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/doclists.h"
#include "client/forms/globalobj.h"
#include "client/widgets/dbcontrols.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <set>

namespace {

const QString Caption = QStringLiteral("系统设置");

// The condition, over every document header table, that some document is audited.
QString anyAuditedCondition()
{
    std::set<QString> tables;
    for (const TDocumentListType &type : DocumentListTypes())
        tables.insert(QString::fromLatin1(type.HeaderTable).toUpper());
    QStringList parts;
    for (const QString &table : tables)
        parts << QStringLiteral("exists (select ID from ") + table +
                     QStringLiteral(" where uFlag > 0)");
    return parts.join(QStringLiteral(" or "));
}

} // namespace

const QString TSystemSetFrm::AuditedDocumentsText =
    QStringLiteral("重新设置多层审核时，不能有已经审核的单据。请把已经审核的单据全部消审！");

QStringList TSystemSetFrm::AuditLevelItemsSQL(int levels)
{
    QStringList statements{QStringLiteral("delete from Sys_FuncItem where Indexno like '04%' ")};
    for (int i = 2; i <= levels; ++i) {
        const QString level = QString::number(i);
        statements << QStringLiteral("insert into  Sys_FuncItem(ObjectType,IndexNo,FuncItemNo,"
                                     "FuncItemName) Values('Bill',") +
                          QuotedStr(QStringLiteral("04") + level) + QLatin1Char(',') +
                          QuotedStr(QStringLiteral("Auditing") + level) + QLatin1Char(',') +
                          QuotedStr(ChineseDigit(level) + QStringLiteral("审")) + QLatin1Char(')');
    }
    return statements;
}

QString TSystemSetFrm::AuditedDocumentsSQL()
{
    // CompanyInfo has exactly one row: the answer is one value whatever the tables hold.
    return QStringLiteral("select count(*) from CompanyInfo where ") + anyAuditedCondition();
}

TSystemSetFrm::TSystemSetFrm(QWidget *parent)
    : TfrmComEdit(parent)
{
    setObjectName(QStringLiteral("SystemSetFrm"));
    setWindowTitle(Caption);
    FormCaption = Caption;
    TDataSource *source = &Data().sCompanyInfo();
    auto bind = [source](TFieldControl *control, const char *field) {
        control->SetDataSource(source);
        control->SetDataField(QLatin1String(field));
    };
    auto edit = [&](QWidget *page, const char *name, const char *field) {
        auto *e = new TDBEdit(page);
        e->setObjectName(QLatin1String(name));
        bind(e, field);
        return e;
    };
    auto check = [&](QWidget *page, const char *name, const QString &text, const char *field) {
        auto *c = new TDBCheckBox(text, page);
        c->setObjectName(QLatin1String(name));
        bind(c, field);
        return c;
    };
    RzDBEdit_ID->SetDataSource(source);
    RzDBEdit_ID->SetDataField(QStringLiteral("fAccountID"));

    // Basic page.
    auto *basic = new QFormLayout(TabSheet_JBXX);
    edtCompanyName = edit(TabSheet_JBXX, "edtCompanyName", "fCompanyName");
    edtLawMan = edit(TabSheet_JBXX, "edtLawMan", "fLawMan");
    edtAddress = edit(TabSheet_JBXX, "edtAddress", "fAddress");
    edtWhich = edit(TabSheet_JBXX, "edtWhich", "fWhich");
    edtTel = edit(TabSheet_JBXX, "edtTel", "fTel");
    edtPostCode = edit(TabSheet_JBXX, "edtPostCode", "fPostCode");
    edtEmail = edit(TabSheet_JBXX, "edtEmail", "fEmail");
    basic->addRow(QStringLiteral("企业名称"), edtCompanyName);
    basic->addRow(QStringLiteral("联系人"), edtLawMan);
    basic->addRow(QStringLiteral("联系地址"), edtAddress);
    basic->addRow(QStringLiteral("邮政编码"), edtWhich);
    basic->addRow(QStringLiteral("联系电话"), edtTel);
    basic->addRow(QStringLiteral("传真"), edtPostCode);
    basic->addRow(QStringLiteral("电子信箱"), edtEmail);

    // Documents page.
    TabSheet_Bill = new QWidget;
    TabSheet_Bill->setObjectName(QStringLiteral("TabSheet_Bill"));
    RzPageClient->addTab(TabSheet_Bill, QStringLiteral("单据"));
    auto *bill = new QVBoxLayout(TabSheet_Bill);
    auto *checks = new QGridLayout;
    chkIsOrderKC =
        check(TabSheet_Bill, "chkIsOrderKC", QStringLiteral("销售订单影响库存"), "fIsOrderKC");
    chkIsFSCK = check(TabSheet_Bill, "chkIsFSCK", QStringLiteral("出库不允许负库存"), "fIsFSCK");
    chkBoolean2 = check(TabSheet_Bill, "chkBoolean2", QStringLiteral("启用数据权限"), "fBoolean2");
    chkBoolean3 = check(TabSheet_Bill, "chkBoolean3", QStringLiteral("单号连续"), "fBoolean3");
    checks->addWidget(chkIsOrderKC, 0, 0);
    checks->addWidget(chkIsFSCK, 0, 1);
    checks->addWidget(chkBoolean2, 1, 0);
    checks->addWidget(chkBoolean3, 1, 1);
    bill->addLayout(checks);
    auto *numbers = new QFormLayout;
    cbAuditNum = new TDBComboBox(TabSheet_Bill);
    cbAuditNum->setObjectName(QStringLiteral("cbAuditNum"));
    cbAuditNum->SetStyle(TDBComboBox::csDropDownList);
    QStringList levels;
    for (int i = 1; i <= 10; ++i)
        levels << QString::number(i);
    cbAuditNum->SetItems(levels);
    bind(cbAuditNum, "fAuditNum");
    edtZK = edit(TabSheet_Bill, "edtZK", "fZK");
    numbers->addRow(QStringLiteral("多层审核"), cbAuditNum);
    numbers->addRow(QStringLiteral("统一折扣"), edtZK);
    bill->addLayout(numbers);

    auto *dates = new QGroupBox(QStringLiteral("单据总表默认日期范围设置"), TabSheet_Bill);
    dates->setObjectName(QStringLiteral("gbDateRange"));
    auto *datesLayout = new QGridLayout(dates);
    rgDateRange = new QButtonGroup(dates);
    const QString choices[] = {QStringLiteral("当日"), QStringLiteral("当月"),
                               QStringLiteral("当日前"), QStringLiteral("时间由上月"),
                               QStringLiteral("所有")};
    for (int i = 0; i < int(std::size(choices)); ++i) {
        auto *radio = new QRadioButton(choices[i], dates);
        radio->setObjectName(QStringLiteral("rbDate%1").arg(i));
        rgDateRange->addButton(radio, i);
        datesLayout->addWidget(radio, i, 0);
    }
    edtDay = new QSpinBox(dates);
    edtDay->setObjectName(QStringLiteral("edtDay"));
    edtDay->setRange(0, 3650);
    datesLayout->addWidget(edtDay, ddDaysBack, 1);
    datesLayout->addWidget(new QLabel(QStringLiteral("天"), dates), ddDaysBack, 2);
    combKJQJ = new QComboBox(dates);
    combKJQJ->setObjectName(QStringLiteral("combKJQJ"));
    for (int day = 1; day <= 31; ++day)
        combKJQJ->addItem(QString::number(day));
    datesLayout->addWidget(combKJQJ, ddAccountingMonth, 1);
    datesLayout->addWidget(new QLabel(QStringLiteral("号 至 本月一个会计期间时间"), dates),
                           ddAccountingMonth, 2);
    datesLayout->setColumnStretch(3, 1);
    bill->addWidget(dates);
    bill->addStretch(1);
    connect(rgDateRange, &QButtonGroup::idClicked, this, [this] { updateDateControls(); });

    // Print page.
    TabSheet_Print = new QWidget;
    TabSheet_Print->setObjectName(QStringLiteral("TabSheet_Print"));
    RzPageClient->addTab(TabSheet_Print, QStringLiteral("打印设置"));
    auto *print = new QVBoxLayout(TabSheet_Print);
    auto *margins = new QGroupBox(QStringLiteral("页边距"), TabSheet_Print);
    auto *marginsLayout = new QGridLayout(margins);
    const TExcelPageSetup defaults;
    seUpMargin = marginEdit("seUpMargin", defaults.Top);
    seLowMargin = marginEdit("seLowMargin", defaults.Bottom);
    seLeftMargin = marginEdit("seLeftMargin", defaults.Left);
    seRightMargin = marginEdit("seRightMargin", defaults.Right);
    seHeaderMargin = marginEdit("seHeaderMargin", defaults.Header);
    seFooterMargin = marginEdit("seFooterMargin", defaults.Footer);
    const std::pair<const char *, QDoubleSpinBox *> marginRows[] = {
        {"上", seUpMargin},    {"下", seLowMargin},      {"左", seLeftMargin},
        {"右", seRightMargin}, {"页眉", seHeaderMargin}, {"页脚", seFooterMargin}};
    for (int i = 0; i < int(std::size(marginRows)); ++i) {
        const int row = i / 2;
        const int column = (i % 2) * 3;
        marginsLayout->addWidget(new QLabel(QString::fromUtf8(marginRows[i].first), margins), row,
                                 column);
        marginRows[i].second->setParent(margins);
        marginsLayout->addWidget(marginRows[i].second, row, column + 1);
        marginsLayout->addWidget(new QLabel(QStringLiteral("厘米"), margins), row, column + 2);
    }
    print->addWidget(margins);
    auto *templates = new QGroupBox(QStringLiteral("打印模板设置"), TabSheet_Print);
    auto *templatesLayout = new QHBoxLayout(templates);
    RzBitBtnPrintModal = new QPushButton(QStringLiteral("设置打印模板"), templates);
    RzBitBtnPrintModal->setObjectName(QStringLiteral("RzBitBtnPrintModal"));
    RzBitBtnPrintModal->setAutoDefault(false);
    templatesLayout->addWidget(RzBitBtnPrintModal);
    templatesLayout->addStretch(1);
    print->addWidget(templates);
    print->addStretch(1);
    connect(RzBitBtnPrintModal, &QPushButton::clicked, this,
            [this] { Guarded([this] { RzBitBtnPrintModalClick(); }); });

    // Goods attributes page.
    TabSheet_Attr = new QWidget;
    TabSheet_Attr->setObjectName(QStringLiteral("TabSheet_Attr"));
    RzPageClient->addTab(TabSheet_Attr, QStringLiteral("货品属性"));
    auto *attrs = new QGridLayout(TabSheet_Attr);
    for (int i = 0; i < 6; ++i) {
        const QByteArray name = "edtHP_SX" + QByteArray::number(i + 1);
        const QByteArray field = "HP_SX" + QByteArray::number(i + 1);
        edtAttr[i] = edit(TabSheet_Attr, name.constData(), field.constData());
        attrs->addWidget(new QLabel(QStringLiteral("货品属性%1").arg(i + 1), TabSheet_Attr), i, 0);
        attrs->addWidget(edtAttr[i], i, 1);
        attrs->addWidget(
            new QLabel(i < 3 ? QStringLiteral("(字符类型)") : QStringLiteral("(数字类型)"),
                       TabSheet_Attr),
            i, 2);
    }
    attrs->setRowStretch(6, 1);

    // One row, edited in place: there is nothing to move to.
    btnPrior_New->hide();
    btnNext_New->hide();
    resize(520, 400);
}

QDoubleSpinBox *TSystemSetFrm::marginEdit(const char *name, double value)
{
    auto *edit = new QDoubleSpinBox(this);
    edit->setObjectName(QLatin1String(name));
    edit->setRange(0, 10);
    edit->setDecimals(2);
    edit->setSingleStep(0.1);
    edit->setValue(value);
    return edit;
}

void TSystemSetFrm::FormShow()
{
    if (EditDataSet) { // shown again: the edit goes on
        TfrmComEdit::FormShow();
        return;
    }
    // The row as stored now: another workstation may have changed it since it was read.
    TClientDataSet &info = Data().CompanyInfo();
    info.Close();
    info.SetCommandText(QStringLiteral("select * from CompanyInfo"));
    info.Open();
    TfrmComEdit::FormShow();
    if (!EditDataSet)
        return;
    m_openedAuditNum = auditNum();

    const TDefaultDateSettings stored = ReadDefaultDateSettings();
    if (QAbstractButton *choice = rgDateRange->button(stored.ItemIndex))
        choice->setChecked(true);
    else
        rgDateRange->button(ddThisMonth)->setChecked(true);
    edtDay->setValue(stored.Day);
    combKJQJ->setCurrentIndex(qBound(1, stored.KJQJ, 31) - 1);
    updateDateControls();

    const TExcelPageSetup margins = ParseExcelPageSetup(
        EditDataSet->FieldByName(QStringLiteral("fExcelPageSetup"))->AsString());
    seUpMargin->setValue(margins.Top);
    seLowMargin->setValue(margins.Bottom);
    seLeftMargin->setValue(margins.Left);
    seRightMargin->setValue(margins.Right);
    seHeaderMargin->setValue(margins.Header);
    seFooterMargin->setValue(margins.Footer);
}

void TSystemSetFrm::updateDateControls()
{
    edtDay->setEnabled(rgDateRange->checkedId() == ddDaysBack);
    combKJQJ->setEnabled(rgDateRange->checkedId() == ddAccountingMonth);
}

int TSystemSetFrm::auditNum() const
{
    return EditDataSet ? EditDataSet->FieldByName(QStringLiteral("fAuditNum"))->AsInteger() : 0;
}

bool TSystemSetFrm::auditNumChanged() const
{
    return auditNum() != m_openedAuditNum;
}

void TSystemSetFrm::btnOk_NewClick()
{
    if (!EditDataSet)
        return;
    // The margins are no field of their own: they go into the row as one text.
    TExcelPageSetup margins;
    margins.Top = seUpMargin->value();
    margins.Bottom = seLowMargin->value();
    margins.Left = seLeftMargin->value();
    margins.Right = seRightMargin->value();
    margins.Header = seHeaderMargin->value();
    margins.Footer = seFooterMargin->value();
    const QString text = ExcelPageSetupText(margins);
    TField *setup = EditDataSet->FieldByName(QStringLiteral("fExcelPageSetup"));
    if (setup->AsString() != text) {
        if (EditDataSet->State() != dsEdit && EditDataSet->State() != dsInsert)
            EditDataSet->Edit();
        setup->SetAsString(text);
    }
    TfrmComEdit::btnOk_NewClick();
}

void TSystemSetFrm::dsBeforePost(TClientDataSet &DataSet)
{
    TfrmComEdit::dsBeforePost(DataSet);
    if (auditNumChanged() && QueryValue(AuditedDocumentsSQL()).toInt() > 0) {
        MessageBox(AuditedDocumentsText, Caption, TMsgIcon::Warning);
        RzPageClient->setCurrentWidget(TabSheet_Bill);
        Abort();
    }
}

bool TSystemSetFrm::ApplyChanges()
{
    TAtomicRequest request;
    const bool levelsChanged = auditNumChanged();
    if (levelsChanged) {
        // Stored only while still no document is audited: a clerk may audit one meanwhile.
        request.Execute(QStringLiteral("update CompanyInfo set fAuditNum = fAuditNum where not (") +
                            anyAuditedCondition() + QLatin1Char(')'),
                        1);
    }
    request.Apply(*EditDataSet);
    if (levelsChanged) {
        for (const QString &statement : AuditLevelItemsSQL(auditNum()))
            request.Execute(statement);
    }
    const TAtomicResult result = request.Send();
    if (result.Ok)
        return true;
    const bool audited =
        levelsChanged && result.Part == 0 && result.ErrorCode == QLatin1String("conflict");
    MessageBox(audited ? AuditedDocumentsText : QStringLiteral("保存失败！\n") + result.Message,
               Caption, audited ? TMsgIcon::Warning : TMsgIcon::Error);
    return false;
}

void TSystemSetFrm::MyAfterApplyUpdates()
{
    TfrmComEdit::MyAfterApplyUpdates();
    m_openedAuditNum = auditNum();
    TDefaultDateSettings choice;
    choice.ItemIndex = rgDateRange->checkedId() < 0 ? int(ddThisMonth) : rgDateRange->checkedId();
    choice.Day = edtDay->value();
    choice.KJQJ = combKJQJ->currentIndex() + 1;
    WriteDefaultDateSettings(choice);
    FuncRight().LoadCompanySettings();
}

void TSystemSetFrm::RzBitBtnPrintModalClick()
{
    TClientDataSet &templates = Data().Pub_PrintModal();
    if (!templates.Active()) {
        templates.SetCommandText(TfrmPrintModalList::ListSQL());
        templates.Open();
    }
    std::unique_ptr<TfrmPrintModalList> list(CreateForm<TfrmPrintModalList>(this));
    list->ShowModal();
}
