// TfrmTypedDj: what the document types built on TfrmComDj share once — their tables and
// configuration strings as one record, the header and lines datasets of the central module
// found by table name (so that an opener may name other tables), and the header panel laid
// out as rows of captioned data-aware controls whose captions also name the fields in the
// header checks' messages.
//
// A type supplies the record, its header and lines queries, its grid columns and header
// controls (through Place), and the hooks of its own rules.
#pragma once

#include "client/data/centraldata.h"
#include "client/documents/comdj.h"
#include "client/masterdata/editrows.h"

#include <QList>
#include <QString>

#include <initializer_list>
#include <utility>

class QGridLayout;
class TDBComboBox;
class TDBEdit;
class TDBLookupComboBox;
class TFieldControl;

// A document type's tables and configuration strings (the texts the form keeps verbatim).
struct TDocumentTables
{
    const char *HeaderTable;
    const char *LinesTable;
    const char *ObjectName;
    const char *LinkFields;
    const char *ZbMustFields;
};

class TfrmTypedDj : public TfrmComDj
{
    Q_OBJECT
public:
    ~TfrmTypedDj() override;

    TDBEdit *DBEditBZ = nullptr;

    // The lines of one document of a goods type, with the goods' code, name, unit, size and
    // costing method.
    static QString GoodsLinesQuery(const QString &linesTable, qint64 headerId);

protected:
    // formName is the form's object name (frmStockLl ...), which chooses its row of the
    // document-kind table.
    TfrmTypedDj(const char *formName, const QString &caption, const TDocumentTables &tables,
                QWidget *parent);

    // The header query of the type; where starts with " where". By default the header
    // table alone.
    virtual QString HeaderSql(const QString &where) const;
    // The lines of one document, joined to what the grid shows beside the keys. By default
    // the goods' code, name, unit, size and costing method.
    virtual QString LinesSql(qint64 headerId) const;

    // Takes the tables the opener left unset from the record, opens the header, binds the
    // header controls, then the generic show.
    void FormShow() override;
    void IniRecord() override;

    // The goods columns of a stock document: code, name, size, unit, then the columns given,
    // quantity, price and amount, then the trailing ones.
    void AddGoodsColumns(std::initializer_list<TColumnSpec> beforeQuantity = {},
                         std::initializer_list<TColumnSpec> trailing = {});
    // Puts a caption and its control into the next cells of a header row; the control spans
    // span cells. The caption, blanks removed, becomes the display label of the control's
    // field.
    void Place(const QString &caption, QWidget *control, int row, int span = 1);
    // The remark BZ on a row of its own under the others, as wide as they are together; an
    // empty column after the widest row takes the width left over. Placed last.
    void PlaceRemark(int row);

    // Header controls, made for Panel3 and bound to the header on show.
    TDBLookupComboBox *NewLookupBox(const char *name, const char *field, TData::TDataSetId list,
                                    const char *listField = "MC");
    // A drop-down of the employees' names the user may see, filled on show.
    TDBComboBox *NewPersonBox(const char *name, const char *field);
    template<class Control>
    Control *NewControl(const char *name, const char *field)
    {
        auto *control = new Control(Panel3);
        control->setObjectName(QLatin1String(name));
        control->SetDataField(QLatin1String(field));
        return control;
    }

    // A kind of document this type takes lines from; the first answers aRefer, each gets an
    // entry in the option menu. Called in the constructor.
    void AddReferSource(const TReferSource &source);
    // Runs the source's picker and adds what was chosen; false when nothing was.
    bool ReferFrom(const TReferSource &source);
    void aReferExecute() override;

    // Moves the focus off the header controls, so that a choice still in one is written.
    void CommitHeaderControls();
    // The header dataset's current record value of a field, empty when the field is absent.
    QVariant ZbValue(const char *fieldName) const;
    // Sets a header field when the header has it (putting the header into edit state).
    void SetZbValue(const char *fieldName, const QVariant &value);

private:
    const TDocumentTables &m_tables;
    QGridLayout *m_grid = nullptr;
    QList<int> m_rowColumns;
    QList<std::pair<TFieldControl *, QString>> m_captions;
    QList<TData::TDataSetId> m_lists;
    QList<TDBComboBox *> m_personBoxes;
    QList<TReferSource> m_referSources;
    // The header's partner of the kind the source filters by, and its name; 0 for none.
    std::pair<qint64, QString> partnerOf(const TReferSource &source) const;
};
