// The generic edit form TfrmComEdit: the modal form through which one record of a
// master-data table is added or changed. It works on the list form's own dataset, so a saved
// record shows in the list at once. The base supplies the add and modify modes, the defaults
// of a new record (next ID, a four-digit code, the server date, the stop flag), rounding to
// the display format, the required fields, the duplicate probe, saving, save-and-add,
// previous and next with a save prompt, and cancelling.
//
// What a concrete edit form supplies, all before the inherited FormShow runs:
//   - its data-aware controls on TabSheet_JBXX (or further pages of RzPageClient), and
//     RzDBEdit_ID (or EditDataSource) bound to the list's data source;
//   - RequiredFields ("MC;BMID") and IdTable ("CK"); lookup datasets it needs, opened;
//   - UniqueCode ({"HP", "BH", "货品编号"}) when the table keeps a code unique: a code another
//     record holds is refused before anything is sent, naming the field, with the focus in
//     the code box;
//   - SetDuplicateValue to fill DuplicateCheck with "label|probe SQL" (the probe returns a
//     row when another record holds the value; it excludes the record's own ID);
//   - optionally MyAfterApplyUpdates (work after a successful save), dsOnNewRecord (further
//     defaults) and dsBeforePost (cross-field checks), calling the inherited hook first.
// The list creates the form with itself as parent, sets EditMode (and FormCaption, IdTable
// when it wants), runs it modally and frees it. The modal result is mrOk after "保存(&Q)".
#pragma once

#include "client/data/clientdataset.h"
#include "client/data/datasource.h"
#include "client/forms/rootform.h"

#include <QVariantList>

class QPushButton;
class QTabWidget;
class TDBEdit;
class TPanel;

// A code the table keeps unique (a unique key on the server): the table, the field and the
// caption the refusal names it by.
struct TUniqueCode
{
    QString Table;
    QString Field;
    QString Caption;
};

class TfrmComEdit : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TfrmComEdit(QWidget *parent = nullptr);
    ~TfrmComEdit() override;

    // --- State ----------------------------------------------------------------------------
    QString EditMode = QStringLiteral("M"); // "A" append, "I" insert, anything else modify
    QString FormCaption;                    // the caption to use instead of the built one
    QString IdTable;                        // the table whose largest ID gives a new ID
    QString RequiredFields;                 // ";"-separated field names that must be filled
    QString DuplicateCheck;                 // "label|probe SQL", set by SetDuplicateValue
    TUniqueCode UniqueCode;                 // empty Field: no code to check
    TClientDataSet *EditDataSet = nullptr;  // the list's dataset (not owned)
    TDataSource *EditDataSource = nullptr;  // its data source (not owned)
    bool WasActive = false;
    QVariantList OldValues; // every field's value when the insert or edit began
    TDataSetEvents SavedEvents;
    bool Applied = false; // the last apply to the server succeeded
    bool Saved = false;   // the form was closed by "保存(&Q)"
    QString LastID;
    QString LastBH;
    QString LastMC;

    // The value the field had when the current insert or edit began; null for an unknown
    // field.
    virtual QVariant OldValue(const QString &FieldName) const;

    // --- Components -----------------------------------------------------------------------
    TPanel *RzPanelLeft;
    QPushButton *btnPrior_New;
    QPushButton *btnNext_New;
    QPushButton *btnInsert_New;
    QPushButton *btnOk_New;
    QPushButton *btnCancel_New;
    TPanel *RzPanelClient;
    QTabWidget *RzPageClient;
    QWidget *TabSheet_JBXX;
    TDBEdit *RzDBEdit_ID;

protected:
    void FormShow() override;
    virtual void btnInsert_NewClick();
    virtual void btnOk_NewClick();
    virtual void btnCancel_NewClick();
    virtual void btnPrior_NewClick();
    virtual void btnNext_NewClick();
    void FormClose() override;
    virtual void dsOnNewRecord(TClientDataSet &DataSet);
    virtual void dsAfterInsert(TClientDataSet &DataSet);
    virtual void dsBeforeEdit(TClientDataSet &DataSet);
    // Numbers to their display format, then the required fields; a missing one aborts the
    // post.
    virtual void dsBeforePost(TClientDataSet &DataSet);
    virtual void dsAfterPost(TClientDataSet &DataSet) { Q_UNUSED(DataSet); }
    virtual void dsBeforeScroll(TClientDataSet &DataSet) { Q_UNUSED(DataSet); }
    virtual void dsAfterScroll(TClientDataSet &DataSet) { Q_UNUSED(DataSet); }
    virtual void dsAfterApplyUpdates(TClientDataSet &DataSet, QVariant &OwnerData)
    {
        Q_UNUSED(DataSet);
        Q_UNUSED(OwnerData);
    }
    virtual void sDataChange(TDataSource &Sender, TField *Field)
    {
        Q_UNUSED(Sender);
        Q_UNUSED(Field);
    }
    virtual void dsOnCalcFields(TClientDataSet &DataSet) { Q_UNUSED(DataSet); }
    virtual void MyAfterApplyUpdates() {}
    // Sends the change log of EditDataSet to the server; false when it was refused (the
    // error has been shown and the change log kept). A form whose rows move other tables
    // with them sends both in one request here.
    virtual bool ApplyChanges();
    virtual void SetDuplicateValue() {}

    // Save with the continue flag: "0" closes the form, "1" starts the next new record.
    void Save(const QString &continueFlag);
    // Runs the probe of DuplicateCheck; true (after the message) when it finds a row.
    bool IsDuplicate();
    // True (after the message, with the focus in the code's box) when another record of
    // UniqueCode.Table holds the code being saved.
    bool IsDuplicateCode();
    // The required-field check of dsBeforePost; aborts the post at the first missing field.
    void CheckRequiredFields();
    // Posts a pending insert or edit and asks to save unsent changes before a move; false when
    // the move must not happen.
    bool SaveBeforeMove();

    // For sDataChange: when Field is keyField, writes the name list holds for the new key
    // (its "ID" and "MC") into nameField, so the list shows it without a reopen.
    void CopyLookupName(const TField *Field, const QString &keyField, const QString &nameField,
                        TClientDataSet &list);

    void keyPressEvent(QKeyEvent *event) override;

private:
    void captureOldValues();
    void restoreDataSet();
    void updateMoveButtons(bool movedBack);

    bool m_bound = false;
    TDataChangeEvent m_savedDataChange;
};

// A number as the code of a new record: left-padded with "0" to four characters ("0007");
// longer numbers unchanged.
QString ZeroPaddedCode(qint64 number, int width = 4);
