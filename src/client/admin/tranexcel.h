// "从EXCEL文件导入数据库": replaces the rows of a master-data table with the rows of the
// checked sheets of a workbook, the columns mapped by heading or by hand.
#pragma once

#include "client/admin/excelimport.h"
#include "client/admin/importworkbook.h"
#include "client/forms/rootform.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

class TFrmTranExcel : public TFrmRoot
{
    Q_OBJECT
public:
    TFrmTranExcel(QString systemName, QString tableName, bool withId, QWidget *parent = nullptr);

    // Reads the workbook, lists its sheets and maps the fields whose caption is a heading.
    bool OpenWorkbook(const QString &fileName);
    // The heading chosen for a field row ("" unmapped).
    void SetHeading(int fieldRow, const QString &heading);

    QTableWidget *StringGrid1;
    QListWidget *QBTables;
    QCheckBox *CheckBox1;
    QPushButton *ButtonOpenExcel;
    QPushButton *ButtonTrans;
    QProgressBar *ProgressBarExport;
    QLabel *LabelInfor;
    QPushButton *Button1;
    QPlainTextEdit *Memo2;

protected:
    void FormCreate() override;

private:
    void ButtonOpenExcelClick();
    void ButtonTransClick();
    QList<TImportField> resolvedMap() const;

    QString m_systemName;
    QString m_tableName;
    bool m_withId;
    QList<TImportField> m_fields;
    QStringList m_headings;
    QList<TImportSheet> m_sheets;
};

// The entry of the main window's import items: asks, then shows the window modally.
void ImportMasterDataFromExcel(const QString &systemName, const QString &tableName,
                               int openingStock, bool withId);
