// The goods picker TfrmSelectItem ("选择货品"): the goods of a category (and its direct
// children) or of a quick search by code, barcode, mnemonic or name, narrowed to materials
// or products, never stopped goods; the stock of the current goods per warehouse up to the
// server's date; one choice into the caller's line, one or all goods added as new document
// lines, or, in single-choice mode, the chosen goods as a line text.
#pragma once

#include "client/masterdata/comhelp.h"

#include <QDate>

#include <memory>

class QMenu;
class TDBTreeView;

class TfrmSelectItem : public TfrmComHelp
{
    Q_OBJECT
public:
    explicit TfrmSelectItem(QWidget *parent = nullptr);
    ~TfrmSelectItem() override;

    // Set by the caller before showing: choosing leaves ID, BH and LineText instead of
    // copying into a line.
    bool SingleChoice = false;
    QString LineText; // "ID|BH|PM|GG|DW|JJ|JJJ|JQJ|" of the chosen goods
    QDate StockDate;  // the server's date when the picker opened
    // Set by the caller: the picker opens on the search for it (a document's typed code).
    QString SearchText;

    QCheckBox *IsMaterial;
    QCheckBox *IsProduct;
    QPushButton *btnOk_All;
    QPushButton *btnOK_AlldsHelp;
    TDBTreeView *stDBTree1;
    TDBGrid *DBGridKC;
    QMenu *PopupMenu1;
    QAction *mnuAddToBill;
    QAction *mnuShowStock;
    TClientDataSet *cdsHP;
    TClientDataSet *cdsKC;
    TClientDataSet *ItemType;

    // The query of the result grid as it stands.
    QString ResultSql() const;
    // Fills the stock grid for the current goods.
    void ShowStock();
    // "添加到单据" and "全添到单据".
    void AddToDocument();
    void AddAllToDocument();
    // A click on a tree node: the top node lists everything.
    void SelectCategory(const QString &key);

protected:
    void FormShow() override;
    void SetFilter() override;
    void SetParam() override;
    void OpenData() override;
    void btnOkClick() override;
    void dsAfterScroll(TClientDataSet &DataSet) override;
    bool HasEditForm() const override { return true; }
    TfrmComEdit *CreateEditForm() override;
    QString ReferenceKind() const override { return QStringLiteral("HP"); }

private:
    void addCurrent();
    void showAllGoods();
    void kindToggled();

    std::unique_ptr<TClientDataSet> m_cdsHP;
    std::unique_ptr<TClientDataSet> m_cdsKC;
    std::unique_ptr<TClientDataSet> m_itemType;
    std::unique_ptr<TDataSource> m_sHP;
    std::unique_ptr<TDataSource> m_sKC;
    std::unique_ptr<TDataSource> m_sItemType;
    QString m_treeFilter;
    QTimer m_stockTimer;
    bool m_canEdit = true;
};
