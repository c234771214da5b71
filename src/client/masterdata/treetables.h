// The four tree tables on the tree-model form: regions TfrmDq ("地区资料"), departments
// TDepartFrm ("部门资料"), goods categories TItemTypeFrm ("货品类别") and the basic lists
// TPub_ProjectFrm ("基本资料", one system's lists, named by the window's mode text).
#pragma once

#include "client/masterdata/treemodel.h"

class TfrmDq : public TTreeModelFrm
{
    Q_OBJECT
public:
    explicit TfrmDq(QWidget *parent = nullptr);

protected:
    QString CommandText() const override;
};

class TDepartFrm : public TTreeModelFrm
{
    Q_OBJECT
public:
    explicit TDepartFrm(QWidget *parent = nullptr);

protected:
    QString CommandText() const override;
};

class TItemTypeFrm : public TTreeModelFrm
{
    Q_OBJECT
public:
    explicit TItemTypeFrm(QWidget *parent = nullptr);

protected:
    QString CommandText() const override;
};

class TPub_ProjectFrm : public TTreeModelFrm
{
    Q_OBJECT
public:
    explicit TPub_ProjectFrm(QWidget *parent = nullptr);

    // The system whose lists the form edits ("office"); the mode text when it has one.
    QString Scope() const;

protected:
    void FormShow() override;
    QString CommandText() const override;
};
