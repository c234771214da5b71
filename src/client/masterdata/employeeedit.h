// The employee edit form TfrmEmployeeEdit: code, name with its mnemonic, department of the
// user's scope, category, the personal, contract and leaving details, the checked identity
// number (it offers its birth date and sex), and a photo stored with the record.
#pragma once

#include "client/forms/comedit.h"
#include "client/forms/procblobobj.h"

#include <QHash>

#include <memory>
#include <optional>

class QPushButton;
class TDBLookupComboBox;
class TImage;

class TfrmEmployeeEdit : public TfrmComEdit
{
    Q_OBJECT
public:
    explicit TfrmEmployeeEdit(QWidget *parent = nullptr);
    ~TfrmEmployeeEdit() override;

    TDBEdit *RzDBEdit_BH;
    TDBEdit *RzDBEdit_XM;
    TDBEdit *RzDBEdit_ZJM;
    TDBEdit *RzDBEdit_SFZH;
    TDBLookupComboBox *RzDBLookupComboBox_BM;
    QWidget *TabSheet_DA;
    TImage *Image1;
    QPushButton *btnUpload;
    QPushButton *btnClearPicture;
    QPushButton *btnZoom;

    // The data-aware control of a field (nullptr for a field the form does not show).
    QWidget *Control(const QString &field) const { return m_controls.value(field.toUpper()); }
    // A photo chosen or cleared that the next save stores.
    bool PhotoPending() const { return m_photo != TPhotoChange::None; }

    void UploadPicture();
    void ClearPicture();
    void ZoomPicture();

protected:
    void FormShow() override;
    void dsOnNewRecord(TClientDataSet &DataSet) override;
    void dsBeforePost(TClientDataSet &DataSet) override;
    void dsAfterScroll(TClientDataSet &DataSet) override;
    void sDataChange(TDataSource &Sender, TField *Field) override;
    bool ApplyChanges() override;
    void MyAfterApplyUpdates() override;
    void btnOk_NewClick() override;
    void btnInsert_NewClick() override;
    void btnPrior_NewClick() override;
    void btnNext_NewClick() override;

private:
    enum class TPhotoChange { None, Replace, Clear };

    void buildBasicPage();
    void buildRecordPage();
    QWidget *bound(QWidget *control, const char *field);
    void nameLeft();
    // Birth date and sex from a valid identity number, into the fields still empty.
    void offerFromIdentity(const QString &number);
    bool stagePhoto();
    bool sendPhotoAlone();
    // Before a move: a photo chosen for an otherwise unchanged record is saved, dropped or
    // the move cancelled, as the user answers; false to stay.
    bool photoBeforeMove();
    void loadPicture();
    QString currentId() const;

    QHash<QString, QWidget *> m_controls;
    std::unique_ptr<TProcBlobObj> m_pictures;
    TPhotoChange m_photo = TPhotoChange::None;
    std::optional<TPictureFile> m_photoFile;
};
