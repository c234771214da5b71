// The goods category dialog TfrmItemTypeEdit ("编辑商品类型"): the name of a new category
// under the chosen node, or a new name for the chosen node.
#pragma once

#include "client/forms/rootform.h"

class QLineEdit;
class QPushButton;

class TfrmItemTypeEdit : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TfrmItemTypeEdit(QWidget *parent = nullptr);

    // "I" adds a category under Key (0 or empty: at the top); "E" renames the category Key.
    void SetMode(const QString &mode, const QString &key, const QString &text);

    QLineEdit *RzEdit_Name;
    QPushButton *btnOk;
    QPushButton *btnCancel;

    // The statement OK runs for the mode: one statement, so that two clerks adding at once
    // cannot take the same code.
    static QString InsertSql(const QString &parentKey, const QString &name);
    static QString UpdateSql(const QString &key, const QString &name);

protected:
    void btnOkClick();

private:
    QString m_mode;
    QString m_key;
};
