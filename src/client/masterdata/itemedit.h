// The goods edit form TfrmItemEdit: code and barcode, name with its mnemonic kept in step,
// size (规格), unit, category, costing and stock type, the five prices, the stock limits,
// the kind and stop flags, a picture, and a page of the company's goods attributes.
#pragma once

#include "client/forms/comedit.h"

#include <memory>

class QCheckBox;
class QGridLayout;
class QPushButton;
class TDBButtonEdit;
class TDBCheckBox;
class TDBComboBox;
class TDBLookupComboBox;
class TImage;
class TProcAllButtonObj;
class TProcBlobObj;

class TfrmItemEdit : public TfrmComEdit
{
    Q_OBJECT
public:
    explicit TfrmItemEdit(QWidget *parent = nullptr);
    ~TfrmItemEdit() override;

    TDBEdit *RzDBEdit_BH;
    TDBEdit *RzDBEdit_BarCode;
    TDBEdit *RzDBEdit_Name;
    TDBEdit *RzDBEdit_ZJM;
    TDBEdit *RzDBEdit_GG;
    TDBComboBox *RzDBComboBox_DW;
    QPushButton *btnNewUnit;
    TDBButtonEdit *RzDBButtonEdit_HPLB;
    QPushButton *btnNewType;
    TDBLookupComboBox *RzDBLookupComboBox_HSFF;
    TDBLookupComboBox *RzDBLookupComboBox_HSFS;
    TDBEdit *RzDBEdit_JJ;
    TDBEdit *RzDBEdit_JJJ;
    TDBEdit *RzDBEdit_JHY;
    TDBEdit *RzDBEdit_JVIP;
    TDBEdit *RzDBEdit_JQJ;
    TDBEdit *RzDBEdit_SX;
    TDBEdit *RzDBEdit_XX;
    TDBCheckBox *RzDBCheckBox_ZT;
    TDBCheckBox *RzDBCheckBox_IsMaterial;
    TDBCheckBox *RzDBCheckBox_IsProduct;
    TDBEdit *RzDBEdit_BZ;
    TImage *Image1;
    QPushButton *btnUpload;
    QPushButton *btnClearPicture;
    QPushButton *btnZoom;
    QWidget *TabSheet_SX;

    // The picture file chosen for a record not stored yet; saved with the record.
    const QString &PictureFile() const { return m_pictureFile; }

    // The picture buttons.
    void UploadPicture();
    void ClearPicture();
    void ZoomPicture();
    // Refills the unit list from the unit table.
    void FillUnits();

protected:
    void FormShow() override;
    void dsOnNewRecord(TClientDataSet &DataSet) override;
    void dsBeforePost(TClientDataSet &DataSet) override;
    void dsAfterScroll(TClientDataSet &DataSet) override;
    void sDataChange(TDataSource &Sender, TField *Field) override;
    void SetDuplicateValue() override;
    void MyAfterApplyUpdates() override;
    void btnInsert_NewClick() override;

private:
    void buildBasicPage();
    void buildAttributePage();
    void chooseCategory();
    void codeEdited();
    void nameEdited(const QString &name);
    void loadPicture();
    void resetPicture();
    QString currentId() const;
    bool inserting() const;
    void bind(QWidget *control, const char *field);

    std::unique_ptr<TProcBlobObj> m_pictures;
    TProcAllButtonObj *m_buttons = nullptr;
    QString m_pictureFile;
    QString m_lastMnemonic; // the mnemonic the name gave last; a different one was typed
    bool m_lookingUpCategory = false;
};
