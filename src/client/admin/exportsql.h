// "数据导出为SQL文本": the account set's tables, chosen from a list, written as one SQL script
// that the script restore reads back value for value.
#pragma once

#include "client/forms/rootform.h"

#include <QStringList>

class QListWidget;
class QPushButton;

// False for the tables the export does not offer: names containing "MSys", "vi_", "rpt_" or
// "DY", and "QY1" and "QY3".
bool IsExportedTable(const QString &tableName);

class TFrmExportSQL : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TFrmExportSQL(QWidget *parent = nullptr);

    // The checked tables in list order.
    QStringList CheckedTables() const;

    QListWidget *QBTables;
    QPushButton *Button3; // 全选
    QPushButton *Button4; // 全不选
    QPushButton *Button5; // 导出数据
    QPushButton *Button1; // 关闭

protected:
    void FormCreate() override;

private:
    void setAllChecked(bool checked);
    void Button5Click();
};
