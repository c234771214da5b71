// The common ground of the document types: tables, queries and the header panel's layout.
#include "client/documents/typeddj.h"

#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/documents/cgshhelp.h"
#include "client/forms/globalobj.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/dbnavigator.h"

#include <QGridLayout>
#include <QLabel>
#include <QMenu>

TfrmTypedDj::TfrmTypedDj(const char *formName, const QString &caption,
                         const TDocumentTables &tables, QWidget *parent)
    : TfrmComDj(parent)
    , m_tables(tables)
{
    setObjectName(QLatin1String(formName));
    setWindowTitle(caption);
    m_grid = new QGridLayout(Panel3);
    m_grid->setContentsMargins(2, 2, 2, 2);
    m_grid->setHorizontalSpacing(6);
}

TfrmTypedDj::~TfrmTypedDj() = default;

QString TfrmTypedDj::HeaderSql(const QString &where) const
{
    return QStringLiteral("select * from ") + strZbMainTable + where;
}

QString TfrmTypedDj::LinesSql(qint64 headerId) const
{
    return GoodsLinesQuery(strMxDetailTables, headerId);
}

QString TfrmTypedDj::GoodsLinesQuery(const QString &linesTable, qint64 headerId)
{
    return QStringLiteral(" select M.*,  H.BH as aBH, H.PM as aPM, H.DW as aDW, H.GG as aGG, "
                          "H.HPHSFSID  from ") +
           linesTable + QStringLiteral(" M left join HP H on M.HPID=H.ID  where ZBID = ") +
           QString::number(headerId) + QStringLiteral("  order by M.HH");
}

void TfrmTypedDj::AddGoodsColumns(std::initializer_list<TColumnSpec> beforeQuantity,
                                  std::initializer_list<TColumnSpec> trailing)
{
    AddColumns(DBGrid1, {{"aBH", "货品编号", 100},
                         {"aPM", "货品名称", 160},
                         {"aGG", "规格", 90},
                         {"aDW", "单位", 50}});
    AddColumns(DBGrid1, beforeQuantity);
    AddColumns(DBGrid1, {{"SL", "数量", 70}, {"DJ", "单价", 80}, {"cJE", "金额", 110}});
    AddColumns(DBGrid1, trailing);
}

void TfrmTypedDj::Place(const QString &caption, QWidget *control, int row, int span)
{
    while (m_rowColumns.size() <= row)
        m_rowColumns.append(0);
    int &column = m_rowColumns[row];
    auto *label = new QLabel(caption, Panel3);
    label->setBuddy(control);
    m_grid->addWidget(label, row, column);
    m_grid->addWidget(control, row, column + 1, 1, span);
    column += 1 + span;
    if (auto *fieldControl = dynamic_cast<TFieldControl *>(control))
        m_captions.append({fieldControl, QString(caption)
                                             .remove(QLatin1Char(' '))
                                             .remove(QLatin1Char(':'))
                                             .remove(QChar(0xFF1A))});
}

void TfrmTypedDj::PlaceRemark(int row)
{
    int used = 0;
    for (int columns : m_rowColumns)
        used = qMax(used, columns);
    DBEditBZ = NewControl<TDBEdit>("DBEditBZ", "BZ");
    Place(QStringLiteral("备注"), DBEditBZ, row, qMax(1, used));
    m_grid->setColumnStretch(qMax(2, used), 1);
}

TDBLookupComboBox *TfrmTypedDj::NewLookupBox(const char *name, const char *field,
                                             TData::TDataSetId list, const char *listField)
{
    auto *box = NewControl<TDBLookupComboBox>(name, field);
    box->SetKeyField(QStringLiteral("ID"));
    box->SetListField(QLatin1String(listField));
    box->SetListSource(&Data().DataSource(list));
    if (!m_lists.contains(list))
        m_lists.append(list);
    return box;
}

TDBComboBox *TfrmTypedDj::NewPersonBox(const char *name, const char *field)
{
    auto *box = NewControl<TDBComboBox>(name, field);
    box->setMinimumWidth(110);
    m_personBoxes.append(box);
    return box;
}

void TfrmTypedDj::CommitHeaderControls()
{
    if (pTitle->isVisible() && BillDate->isEnabled())
        BillDate->setFocus();
}

QVariant TfrmTypedDj::ZbValue(const char *fieldName) const
{
    const TClientDataSet *header = ZbDataSet();
    const TField *field =
        header && header->Active() ? header->FindField(QLatin1String(fieldName)) : nullptr;
    return field ? field->Value() : QVariant();
}

void TfrmTypedDj::SetZbValue(const char *fieldName, const QVariant &value)
{
    TClientDataSet *header = ZbDataSet();
    TField *field = header ? header->FindField(QLatin1String(fieldName)) : nullptr;
    if (!field)
        return;
    if (header->State() != dsEdit && header->State() != dsInsert)
        header->Edit();
    field->SetValue(value);
}

void TfrmTypedDj::AddReferSource(const TReferSource &source)
{
    const QString caption = QString::fromUtf8(source.MenuCaption);
    if (m_referSources.isEmpty()) {
        Menu_Ref->setText(caption);
    } else {
        auto *entry = new QAction(caption, PopupOpt);
        entry->setObjectName(QLatin1String(source.ActionName));
        PopupOpt->addAction(entry);
        connect(entry, &QAction::triggered, this,
                [this, source] { Guarded([&] { ReferFrom(source); }); });
        // The other entries follow the first one's state.
        connect(PopupOpt, &QMenu::aboutToShow, entry, [this, entry] {
            entry->setVisible(Menu_Ref->isVisible());
            entry->setEnabled(Menu_Ref->isEnabled());
        });
    }
    m_referSources << source;
}

std::pair<qint64, QString> TfrmTypedDj::partnerOf(const TReferSource &source) const
{
    switch (source.Partner) {
    case TReferPartner::Customer:
        return {ZbInteger("KHID"), ZbValue("aKHMC").toString()};
    case TReferPartner::Supplier:
        return {ZbInteger("GYSID"), ZbValue("aGYSMC").toString()};
    case TReferPartner::None:
        break;
    }
    return {0, QString()};
}

bool TfrmTypedDj::ReferFrom(const TReferSource &source)
{
    // Only while the document takes lines: a draft being entered, not one audited or viewed.
    if (FOpenMode == QLatin1String("V") || DBGrid1->ReadOnly() || !Menu_Ref->isEnabled())
        return false;
    if (source.Picker == TReferPicker::WholeDocument) {
        TfrmCgshHelp picker(source, this);
        picker.SetPartner(partnerOf(source).first);
        if (picker.ShowModal() != mrOk)
            return false;
        // The code runs the partner's look-up, which fills its key and name.
        SetZbValue(picker.PartnerCodeField().toLatin1().constData(), picker.PartnerCode());
        SetZbValue("CKID", picker.Warehouse());
        AddSourceLines(picker.Lines());
        return true;
    }
    TReferBaseFrm picker(source, strMxDetailTables, this);
    const auto [partner, name] = partnerOf(source);
    picker.PresetPartner(partner, name);
    if (picker.ShowModal() != mrOk)
        return false;
    AddSourceLines(picker.MarkedLines());
    return true;
}

void TfrmTypedDj::aReferExecute()
{
    if (!m_referSources.isEmpty())
        ReferFrom(m_referSources.first());
}

void TfrmTypedDj::FormShow()
{
    // Shown again (restored in the workspace): configured and bound already.
    if (ZbDataSet())
        return TfrmComDj::FormShow();
    // An opener may have named other tables (and with them the datasets) already.
    if (strZbMainTable.isEmpty())
        strZbMainTable = QLatin1String(m_tables.HeaderTable);
    if (strMxDetailTables.isEmpty())
        strMxDetailTables = QLatin1String(m_tables.LinesTable);
    if (FObjectName.isEmpty())
        FObjectName = QLatin1String(m_tables.ObjectName);
    strLinkFields = QLatin1String(m_tables.LinkFields);
    strZbMustFields = QLatin1String(m_tables.ZbMustFields);
    if (strMxMustFields.isEmpty())
        strMxMustFields = QStringLiteral("ABH");
    if (strMxHelpFields.isEmpty())
        strMxHelpFields = QStringLiteral("ABH");

    TData &data = Data();
    TClientDataSet &header = data.DataSetByName(strZbMainTable);
    data.DataSetByName(strMxDetailTables);
    TDataSource *headerSource = data.FindDataSource(QLatin1Char('s') + strZbMainTable);
    TDataSource *linesSource = data.FindDataSource(QLatin1Char('s') + strMxDetailTables);
    if (!header.Active()) {
        header.SetCommandText(HeaderSql(QStringLiteral(" where 1=2")));
        header.Open();
    }
    for (const auto &[control, caption] : m_captions)
        if (TField *field = header.FindField(control->DataField()))
            field->SetDisplayLabel(caption);
    for (TData::TDataSetId list : m_lists)
        if (!data.DataSet(list).Active())
            data.DataSet(list).Open();

    if (!m_personBoxes.isEmpty()) {
        QStringList people;
        TTmpDataSet names;
        FillListFromQuery(people, FuncRight().EmployeeNamesSQL, *names);
        for (TDBComboBox *box : m_personBoxes)
            box->SetItems(people);
    }
    for (QWidget *control : Panel3->findChildren<QWidget *>())
        if (auto *fieldControl = dynamic_cast<TFieldControl *>(control))
            fieldControl->SetDataSource(headerSource);
    DBNavigator1->SetDataSource(headerSource);
    DBGrid1->SetDataSource(linesSource);
    TfrmComDj::FormShow();
}

void TfrmTypedDj::IniRecord()
{
    MxDataSet()->SetCommandText(LinesSql(ZbInteger("ID")));
    TfrmComDj::IniRecord();
}
