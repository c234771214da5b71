// The lists of accounts, payment methods, income and expense categories and kinds of other
// stock changes.
#include "client/masterdata/codelist.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/forms/checkreferenced.h"
#include "client/masterdata/codeedit.h"
#include "client/widgets/dbgrid.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QToolButton>

TfrmCodeList::TfrmCodeList(QWidget *parent, const char *name, const char *caption,
                           const char *table, TDataSource &source,
                           std::initializer_list<TColumnSpec> columns)
    : TfrmComJbzl(parent)
    , m_source(source)
{
    setObjectName(QLatin1String(name));
    setWindowTitle(QString::fromUtf8(caption));
    TableName = QLatin1String(table);
    AddColumns(DBGrid1, columns);
}

void TfrmCodeList::FormShow()
{
    DBGrid1->SetDataSource(&m_source);
    TfrmComJbzl::FormShow();
    // Code tables are master data whatever their caption: rows are deleted here and there
    // is no document status to choose.
    TabStatus->hide();
    aDel->setVisible(true);
    btnDel->setVisible(true);
    btnModify->setText(QStringLiteral("编辑(&E)"));
    lbl_Search->setText(SearchCaption());
}

void TfrmCodeList::OpenDataSet()
{
    if (ListDataSet) {
        const QString text = RzBtnNo->text().trimmed();
        const QString condition = text.isEmpty() ? QString()
                                                 : QStringLiteral(" and ") + SearchField() +
                                                       QStringLiteral(" like ") +
                                                       QuotedStr(text + QLatin1Char('%'));
        ListDataSet->SetCommandText(ListSQL(condition));
    }
    TfrmComJbzl::OpenDataSet();
}

void TfrmCodeList::GetSearchModalValue()
{
    TfrmComJbzl::GetSearchModalValue();
    if (!ListDataSet || ListDataSet->IsEmpty())
        return;
    ResultID = ListDataSet->FieldByName(QStringLiteral("ID"))->AsString();
    ResultName = ListDataSet->FieldByName(QStringLiteral("MC"))->AsString();
}

// --- Accounts --------------------------------------------------------------------------------

TfrmArapZh::TfrmArapZh(QWidget *parent)
    : TfrmCodeList(parent, "frmArapZh", "账户管理", "ZH", Data().sZh(),
                   {{"ID", "帐户编号", 70},
                    {"MC", "帐户名称", 140},
                    {"aYHL", "类别", 80},
                    {"KHYH", "开户银行", 160},
                    {"YHZH", "银行帐号", 160},
                    {"QCJE", "期初余额", 100},
                    {"QMJE", "当前余额", 100}})
{}

QString TfrmArapZh::ListSQL(const QString &condition) const
{
    return QStringLiteral(" select *,") +
           SQLIif(SessionInfo().DatabaseKind, QStringLiteral("YHL"), QStringLiteral("'银行存款类'"),
                  QStringLiteral("'现金类'")) +
           QStringLiteral(" as aYHL from ZH where 1=1 ") + condition +
           QStringLiteral(" order by ID");
}

void TfrmArapZh::LoadEditForm(const QString &Mode)
{
    EditForm = new TfrmZhEdit(this);
    TfrmCodeList::LoadEditForm(Mode);
}

// --- Payment methods -------------------------------------------------------------------------

TfrmArapType::TfrmArapType(QWidget *parent)
    : TfrmCodeList(parent, "frmArapType", "收付款方式", "SFKFS", Data().sSfkfs(),
                   {{"ID", "编号", 60}, {"MC", "名称", 140}, {"aZHMC", "缺省帐户", 140}})
{}

QString TfrmArapType::ListSQL(const QString &condition) const
{
    return QStringLiteral(" select S.*, Z.MC as aZHMC from SFKFS S left join ZH Z on "
                          "S.ZHID=Z.ID where 1=1 ") +
           condition + QStringLiteral(" order by S.ID");
}

void TfrmArapType::LoadEditForm(const QString &Mode)
{
    EditForm = new TfrmSfkfsEdit(this);
    TfrmCodeList::LoadEditForm(Mode);
}

// --- Income and expense categories -----------------------------------------------------------

TfrmArapZcLb::TfrmArapZcLb(QWidget *parent)
    : TfrmCodeList(
          parent, "frmArapZcLb", "收入支出类别", "SRZCLB", Data().sSrzclb(),
          {{"BH", "编号", 70}, {"MC", "名称", 140}, {"aSRL", "类别", 70}, {"BZ", "说明", 220}})
{}

QString TfrmArapZcLb::IncomeExpenseSQL(int databaseKind, const QString &condition)
{
    const QString where =
        condition.isEmpty() ? QString() : QStringLiteral(" where 1=1 ") + condition;
    return QStringLiteral(" select *,") +
           SQLIif(databaseKind, QStringLiteral("SRL"), QStringLiteral("'收入类'"),
                  QStringLiteral("'支出类'")) +
           QStringLiteral(" as aSRL") + QStringLiteral(" from Srzclb ") + where +
           QStringLiteral(" order by BH");
}

QString TfrmArapZcLb::ListSQL(const QString &condition) const
{
    return IncomeExpenseSQL(SessionInfo().DatabaseKind, condition);
}

void TfrmArapZcLb::LoadEditForm(const QString &Mode)
{
    EditForm = new TfrmSrzclbEdit(this);
    TfrmCodeList::LoadEditForm(Mode);
}

// --- Kinds of other stock changes ------------------------------------------------------------

TfrmQtkcbdlx::TfrmQtkcbdlx(QWidget *parent)
    : TfrmCodeList(
          parent, "frmQtkcbdlx", "其它库存变动类型", "QTKCBDLX", Data().sQtkcbdlx(),
          {{"ID", "编号", 60}, {"MC", "名称", 160}, {"RKL", "类别", 140}, {"THBZ", "退回", 60}})
{}

QString TfrmQtkcbdlx::ListSQL(const QString &condition) const
{
    return QStringLiteral(" select * from QTKCBDLX where 1=1 ") + condition +
           QStringLiteral(" order by ID");
}

void TfrmQtkcbdlx::LoadEditForm(const QString &Mode)
{
    EditForm = new TfrmQtkcbdlxEdit(this);
    TfrmCodeList::LoadEditForm(Mode);
}

void TfrmQtkcbdlx::aDelExecute()
{
    if (ListDataSet && ListDataSet->Active() && !ListDataSet->IsEmpty() &&
        CheckReferenced(QStringLiteral("QTKCBDLX"),
                        ListDataSet->FieldByName(QStringLiteral("ID"))->AsString()))
        return;
    TfrmCodeList::aDelExecute();
}
