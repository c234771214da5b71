// The lists of the small code tables: accounts TfrmArapZh ("账户管理"), payment methods
// TfrmArapType ("收付款方式"), income and expense categories TfrmArapZcLb ("收入支出类别") and
// kinds of other stock changes TfrmQtkcbdlx ("其它库存变动类型"). Each is a grid of one table
// of the central data module, searched by name, with its own edit form.
#pragma once

#include "client/forms/comjbzl.h"
#include "client/masterdata/editrows.h"

class TfrmCodeList : public TfrmComJbzl
{
    Q_OBJECT
protected:
    TfrmCodeList(QWidget *parent, const char *name, const char *caption, const char *table,
                 TDataSource &source, std::initializer_list<TColumnSpec> columns);

    void FormShow() override;
    void OpenDataSet() override;
    void GetSearchModalValue() override;
    // The list's query; condition is the search box's " and ..." (or empty).
    virtual QString ListSQL(const QString &condition) const = 0;
    // The name column the search box matches the start of, and the box's caption.
    virtual QString SearchField() const { return QStringLiteral("MC"); }
    virtual QString SearchCaption() const { return QStringLiteral("请输入名称查找："); }

private:
    TDataSource &m_source;
};

class TfrmArapZh : public TfrmCodeList
{
    Q_OBJECT
public:
    explicit TfrmArapZh(QWidget *parent = nullptr);

protected:
    QString ListSQL(const QString &condition) const override;
    void LoadEditForm(const QString &Mode) override;
};

class TfrmArapType : public TfrmCodeList
{
    Q_OBJECT
public:
    explicit TfrmArapType(QWidget *parent = nullptr);

protected:
    QString ListSQL(const QString &condition) const override;
    QString SearchField() const override { return QStringLiteral("S.MC"); }
    void LoadEditForm(const QString &Mode) override;
};

class TfrmArapZcLb : public TfrmCodeList
{
    Q_OBJECT
public:
    explicit TfrmArapZcLb(QWidget *parent = nullptr);

    // The list's query for the dialect: the kind as "收入类" or "支出类" in aSRL.
    static QString IncomeExpenseSQL(int databaseKind, const QString &condition);

protected:
    QString ListSQL(const QString &condition) const override;
    void LoadEditForm(const QString &Mode) override;
};

class TfrmQtkcbdlx : public TfrmCodeList
{
    Q_OBJECT
public:
    explicit TfrmQtkcbdlx(QWidget *parent = nullptr);

protected:
    QString ListSQL(const QString &condition) const override;
    void LoadEditForm(const QString &Mode) override;
    void aDelExecute() override;
};
