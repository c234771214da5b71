// The goods list TfrmHp ("货品资料"): the category tree beside the goods of the user's
// category scope, search by code, name or mnemonic and by the attribute filter, the
// category maintenance on the tree's menu, recomputing every mnemonic, barcode labels, and a
// floating window with the current goods' picture.
#pragma once

#include "client/forms/comjbzl.h"
#include "client/forms/showpic.h"

#include <memory>

class TButtonEdit;
class TProcBlobObj;

class TfrmHp : public TfrmComJbzl
{
    Q_OBJECT
public:
    explicit TfrmHp(QWidget *parent = nullptr);
    ~TfrmHp() override;

    TButtonEdit *RzButtonEdit_ItemInfor;
    QMenu *PopTree;
    QAction *mnuNewType;
    QAction *mnuEditType;
    QAction *mnuDelType;
    QAction *mnuUpdateZJM;

    // The WHERE part a tree click gives: everything for the top node, else the node and its
    // direct children.
    static QString TreeWhere(bool showAll, const QString &key);

    // The floating picture window while it shows (tests).
    TFrmShowPic *PictureWindow() const { return m_pictureFollower.Window(); }
    // Loads the current goods' picture into the window now (the list does it shortly after a
    // move).
    void ShowCurrentPicture() { m_pictureFollower.ShowNow(); }

    // The tree popup's entries.
    void NewCategory();
    void EditCategory();
    void DeleteCategory();
    // "更新助记码": every goods item's mnemonic from its name, in one request.
    void UpdateMnemonics();
    // "打印条码(&T)": labels of the listed goods in the print preview.
    void PrintBarcodes();

protected:
    void FormCreate() override;
    void FormShow() override;
    void FormClose() override;
    void SetTreeParam() override;
    void OpenDataSet() override;
    void TreeNodeSelected(bool ShowAll) override;
    void aDelExecute() override;
    void aTotalExecute() override;
    void LoadEditForm(const QString &Mode) override;
    void dsAfterScroll(TClientDataSet &DataSet) override;
    void FormActivate() override;
    void GetSearchModalValue() override;
    void changeEvent(QEvent *event) override;

private:
    void reopenTree();
    void editCategory(const QString &mode);
    QString attributeCondition() const;

    QByteArray currentPicture();

    std::unique_ptr<TProcBlobObj> m_pictures;
    TRowPictureFollower m_pictureFollower{this, [this] {
                                              return currentPicture();
                                          }};
};
