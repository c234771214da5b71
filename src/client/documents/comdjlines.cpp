// The document form's lines: new lines and their old values, amounts, goods entry by code,
// look-up box, picker and barcode, prices by document type, and the keys of the grid.
#include "client/documents/comdj.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/formats.h"
#include "client/data/serveraccess.h"
#include "client/data/socketconnection.h"
#include "client/documents/documentkind.h"
#include "client/documents/lineprices.h"
#include "client/forms/globalobj.h"
#include "client/masterdata/partnerhelp.h"
#include "client/masterdata/selectitem.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/lookupbox.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

bool isEditState(const TClientDataSet *dataSet)
{
    return dataSet && (dataSet->State() == dsEdit || dataSet->State() == dsInsert);
}

bool named(const TField *field, const char *name)
{
    return field && field->FieldName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

void setIfPresent(TClientDataSet &dataSet, const char *name, const QVariant &value)
{
    if (TField *field = dataSet.FindField(QLatin1String(name)))
        field->SetValue(value);
}

// A field counts as filled when its text is not empty, its number not 0, its date set.
bool filled(const TField *field)
{
    if (field->IsNull())
        return false;
    if (field->IsNumeric())
        return field->AsFloat() != 0;
    return !field->AsString().isEmpty();
}

} // namespace

// --- Line events ---------------------------------------------------------------------------

void TfrmComDj::rememberLine()
{
    FOldLineValues.clear();
    for (int i = 0; i < m_mx->FieldCount(); ++i) {
        const TField *field = m_mx->Fields(i);
        FOldLineValues.append(field->IsNumeric() && field->IsNull() ? QVariant(0) : field->Value());
    }
    m_lineEdited = true;
}

void TfrmComDj::MxBeforeInsert(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
    m_lineEdited = false;
}

void TfrmComDj::MxOnNewRecord(TClientDataSet &DataSet)
{
    for (int i = 0; i < DataSet.FieldCount(); ++i) {
        TField *field = DataSet.Fields(i);
        if (field->CanModify() && field->IsNumeric())
            field->SetAsFloat(0);
    }
    TField *headerDiscount = m_zb ? m_zb->FindField(QStringLiteral("NZK")) : nullptr;
    TField *lineDiscount = DataSet.FindField(QStringLiteral("NZK"));
    if (headerDiscount && lineDiscount && headerDiscount->AsFloat() != 0) {
        FDefaultDiscount = headerDiscount->AsFloat();
        lineDiscount->SetAsFloat(FDefaultDiscount);
    }
    const int number = DataSet.RecordCount() + 1;
    setIfPresent(DataSet, "HH", number);
    if (TField *recid = DataSet.FindField(QStringLiteral("RECID")))
        recid->SetAsString(ServerNow().toString(QStringLiteral("yyyyMMddHHmmss")) +
                           QLatin1Char('_') + QString::number(number));
    DBGrid1->SetSelectedIndex(0);
}

QDateTime TfrmComDj::ServerNow()
{
    // One call per form: the offset to the server's clock, not a round trip per line.
    if (!m_serverClockKnown) {
        m_serverClockOffset =
            QDateTime::currentDateTime().secsTo(Data().cn().AppServer().GetServerDateTime());
        m_serverClockKnown = true;
    }
    return QDateTime::currentDateTime().addSecs(m_serverClockOffset);
}

void TfrmComDj::MxAfterInsert(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
    rememberLine();
}

void TfrmComDj::MxBeforeEdit(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
    rememberLine();
}

void TfrmComDj::MxBeforePost(TClientDataSet &DataSet)
{
    StoreAsDisplayed(DataSet);
}

void TfrmComDj::MxAfterPost(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
    SetCanSave(true);
    SetButton();
}

void TfrmComDj::MxAfterEdit(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
}

void TfrmComDj::MxBeforeDelete(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
    rememberLine();
}

void TfrmComDj::MxAfterDelete(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
    SetCanSave(true);
    SetButton();
    TotalField('D', 0);
}

void TfrmComDj::MxBeforeCancel(TClientDataSet &DataSet)
{
    if (DataSet.State() == dsInsert)
        TotalField('D', 0);
    else
        FLineCancelTotal = true;
}

void TfrmComDj::MxAfterCancel(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
    if (FLineCancelTotal) {
        FLineCancelTotal = false;
        TotalField('C', 0);
    }
    if (m_cancelling)
        return;
    SetCanSave(true);
    SetButton();
}

void TfrmComDj::MxCalcFields(TClientDataSet &DataSet)
{
    TField *amount = DataSet.FindField(QStringLiteral("cJE"));
    if (!amount)
        return;
    const auto number = [&DataSet](const char *name, double otherwise) {
        const TField *field = DataSet.FindField(QLatin1String(name));
        return field ? field->AsFloat() : otherwise;
    };
    const double quantity = number("SL", 0);
    const double price = number("DJ", 0);
    const double discount = number("NZK", 1);
    amount->SetAsFloat(quantity * price * discount);
    if (Kind().SalesMargins) {
        const double cost = number("CBDJ", 0);
        setIfPresent(DataSet, "cCBJE", quantity * cost);
        setIfPresent(DataSet, "cLRJE", (price * discount - cost) * quantity);
    }
}

void TfrmComDj::BillFieldOntext(TField &Sender, const QString &Text)
{
    Sender.SetAsString(Text);
    static const char *const posted[] = {"DJ", "SL", "NZK", "NSL"};
    for (const char *name : posted) {
        if (named(&Sender, name) && lineHasGoodsCode()) {
            // Totals and the modified state follow each price or quantity at once.
            m_mx->Edit();
            m_mx->Post();
            return;
        }
    }
}

bool TfrmComDj::lineHasGoodsCode() const
{
    const TField *code = m_mx->FindField(QStringLiteral("aBH"));
    return code && !code->AsString().isEmpty();
}

// --- Goods code ----------------------------------------------------------------------------

void TfrmComDj::sMxDataChange(TDataSource &Sender, TField *Field)
{
    if (Field && named(Field, "aBH") && Kind().GoodsCodeHandler && isEditState(m_mx) &&
        !Field->AsString().isEmpty() && !m_inGoodsCodeChange) {
        m_inGoodsCodeChange = true;
        try {
            goodsCodeChanged();
        } catch (...) {
            m_inGoodsCodeChange = false;
            throw;
        }
        m_inGoodsCodeChange = false;
        sMxDataChange_Extend(Sender, Field);
    }
}

void TfrmComDj::sMxDataChange_Extend(TDataSource &Sender, TField *Field)
{
    Q_UNUSED(Sender);
    Q_UNUSED(Field);
}

void TfrmComDj::goodsCodeChanged()
{
    const QString code = m_mx->FieldByName(QStringLiteral("aBH"))->AsString();
    TTmpDataSet goods;
    goods->SetCommandText(lines::GoodsByCodeSql(code, m_attributeColumns));
    goods->Open();
    if (goods->IsEmpty()) {
        m_mx->FieldByName(QStringLiteral("aBH"))->SetAsString(QString());
        setIfPresent(*m_mx, "HH", 0);
        ShowMessage(QStringLiteral("该货品不存在！"));
        DBGrid1->SetSelectedIndex(0);
        return;
    }
    const auto value = [&goods](const char *name) {
        return goods->FieldByName(QLatin1String(name))->Value();
    };
    setIfPresent(*m_mx, "HPID", value("ID"));
    setIfPresent(*m_mx, "aPM", value("PM"));
    setIfPresent(*m_mx, "aGG", value("GG"));
    setIfPresent(*m_mx, "aDW", value("DW"));
    setIfPresent(*m_mx, "DJ", value("JJ"));
    setIfPresent(*m_mx, "TypeName", value("TypeName"));
    setIfPresent(*m_mx, "HPHSFSID", value("HPHSFSID"));
    for (const QString &column : m_attributeColumns)
        if (TField *field = m_mx->FindField(column))
            field->SetValue(goods->FieldByName(column)->Value());
    fillLinePrice(*goods);
}

void TfrmComDj::fillLinePrice(TClientDataSet &goods)
{
    const qint64 goodsId = goods.FieldByName(QStringLiteral("ID"))->AsLargeInt();
    const bool averageCost = goods.FieldByName(QStringLiteral("HPHSFSID"))->AsInteger() == 1;
    const auto headerDate = [this] {
        const TField *date = m_zb->FindField(QStringLiteral("RQ"));
        return date ? date->AsDate() : QDate::currentDate();
    };
    const auto averagePrice = [&] {
        return lines::GetCostPrice(QStringLiteral("YDJQPJ"), goodsId, headerDate(),
                                   ZbInteger("CKID"));
    };
    switch (Kind().Pricing) {
    case TLinePricing::PurchasePrice:
        break;
    case TLinePricing::IssueCost:
        if (averageCost)
            setIfPresent(*m_mx, "DJ", averagePrice());
        break;
    case TLinePricing::SalesPrice: {
        const TField *level = m_zb->FindField(QStringLiteral("PriceLevel"));
        const QString column = lines::HeaderPriceColumn(level ? level->AsString() : QString());
        setIfPresent(*m_mx, "DJ", goods.FieldByName(column)->Value());
        setIfPresent(*m_mx, "CBDJ",
                     averageCost ? QVariant(averagePrice())
                                 : goods.FieldByName(QStringLiteral("JJ"))->Value());
        break;
    }
    case TLinePricing::StockCount:
        if (windowTitle() == QStringLiteral("盘点单"))
            setIfPresent(*m_mx, "KCSL",
                         lines::GetStockQty(goodsId, headerDate(), ZbInteger("CKID")));
        break;
    }
}

// --- Look-up box ---------------------------------------------------------------------------

TClientDataSet *TfrmComDj::lookupList() const
{
    TDataSource *source = wwDBLKProductCode->ListSource();
    return source ? source->DataSet() : nullptr;
}

void TfrmComDj::gridKeyPress(QChar &Key)
{
    if (Key == QLatin1Char('\r') || Key == QChar(0x1b) || Key.isNull() || DBGrid1->ReadOnly() ||
        !Kind().GoodsCodeHandler || !named(DBGrid1->SelectedField(), "aBH") ||
        FOpenMode == QLatin1String("V"))
        return;
    const QChar typed = Key;
    Key = QChar();
    Guarded([this, typed] {
        m_mx->Edit();
        if (TClientDataSet *list = lookupList(); list && list->Active()) {
            list->SetFiltered(false);
            list->SetFilter(QString());
        }
        m_lastLookupFilter.clear();
        QRect cell = DBGrid1->CurrentCellRect();
        cell.moveTopLeft(DBGrid1->mapTo(this, cell.topLeft()));
        wwDBLKProductCode->ShowOver(cell);
        wwDBLKProductCode->SetText(QString(typed));
        wwDBLKProductCode->Editor()->end(false);
        lookupKeyUp(0);
    });
}

void TfrmComDj::lookupKeyUp(int Key)
{
    if (Key == Qt::Key_Left || Key == Qt::Key_Right || Key == Qt::Key_Up || Key == Qt::Key_Down)
        return;
    TClientDataSet *list = lookupList();
    if (!list || !list->Active())
        return;
    const QString filter = lines::GoodsListFilter(wwDBLKProductCode->Text());
    if (filter == m_lastLookupFilter)
        return;
    m_lastLookupFilter = filter;
    // Codes with letters are found whichever case the clerk types them in.
    list->SetFilterOptions(foCaseInsensitive);
    list->SetFilter(filter);
    list->SetFiltered(!filter.isEmpty());
    list->First();
}

void TfrmComDj::lookupKeyPress(QChar &Key)
{
    if (Key == QChar(0x1b)) {
        Key = QChar();
        hideLookup();
        return;
    }
    if (Key != QLatin1Char('\r'))
        return;
    Key = QChar();
    Guarded([this] { takeLookupRow(); });
}

void TfrmComDj::takeLookupRow()
{
    // The row the list stands on: the first after each keystroke, or the one the clerk moved
    // to with the arrows or clicked.
    TClientDataSet *list = lookupList();
    TField *quantity = m_mx->FindField(QStringLiteral("SL"));
    if (!quantity || !isEditState(m_mx) || !list || list->IsEmpty()) {
        hideLookup();
        return;
    }
    const QString code = list->FieldByName(QStringLiteral("BH"))->AsString();
    hideLookup();
    m_mx->FieldByName(QStringLiteral("aBH"))->SetText(code);
    if (const TColumn *column = DBGrid1->Columns().FindByFieldName(QStringLiteral("SL")))
        DBGrid1->SetSelectedIndex(column->Index());
}

void TfrmComDj::hideLookup()
{
    if (!wwDBLKProductCode->isVisible())
        return;
    wwDBLKProductCode->CloseUp();
    wwDBLKProductCode->hide();
    DBGrid1->setFocus();
}

void TfrmComDj::gridColExit()
{
    hideLookup();
    if (named(DBGrid1->SelectedField(), "cJE"))
        amountToPrice();
}

void TfrmComDj::amountToPrice()
{
    const TField *amount = m_mx->FindField(QStringLiteral("cJE"));
    const TField *quantity = m_mx->FindField(QStringLiteral("SL"));
    TField *price = m_mx->FindField(QStringLiteral("DJ"));
    if (!amount || !quantity || !price || quantity->AsFloat() == 0)
        return;
    const double derived = amount->AsFloat() / quantity->AsFloat();
    if (derived != price->AsFloat()) {
        m_mx->Edit();
        price->SetAsFloat(derived);
    }
}

// --- Picker and combo-dialogs ---------------------------------------------------------------

void TfrmComDj::DBGrid1EditButtonClick()
{
    if (FOpenMode == QLatin1String("V") || DBGrid1->ReadOnly())
        Abort();
    if (named(DBGrid1->SelectedField(), "aBH"))
        OpenGoodsPicker();
}

void TfrmComDj::OpenGoodsPicker()
{
    std::unique_ptr<TfrmSelectItem> picker(CreateForm<TfrmSelectItem>(this));
    if (const TField *field = DBGrid1->SelectedField())
        picker->SearchText = field->AsString();
    picker->TargetDataSet = m_mx;
    picker->TargetFields = QStringLiteral("aBH");
    picker->SourceFields = QStringLiteral("BH");
    switch (Kind().Picker) {
    case TPickerGoods::PickerDefault:
        break;
    case TPickerGoods::ProductsOnly:
        picker->IsMaterial->setChecked(false);
        picker->IsProduct->setChecked(true);
        break;
    case TPickerGoods::MaterialsOnly:
        picker->IsMaterial->setChecked(true);
        picker->IsProduct->setChecked(false);
        break;
    }
    picker->ShowModal();
}

bool TfrmComDj::PickInto(TfrmComHelp &picker, const QStringList &targetFields,
                         const QStringList &sourceFields)
{
    // Only the fields the header has take part in the copy.
    QStringList target;
    QStringList source;
    for (qsizetype i = 0; i < targetFields.size(); ++i) {
        if (m_zb->FindField(targetFields[i])) {
            target << targetFields[i];
            source << sourceFields.value(i);
        }
    }
    picker.TargetDataSet = m_zb;
    picker.TargetFields = target.join(QLatin1Char(';'));
    picker.SourceFields = source.join(QLatin1Char(';'));
    WriteHeader([&picker] { picker.ShowModal(); });
    return picker.Selected;
}

void TfrmComDj::comboPicker(QWidget *control)
{
    const QString name = control->objectName();
    const auto list = [](std::initializer_list<const char *> names) {
        QStringList result;
        for (const char *name : names)
            result << QLatin1String(name);
        return result;
    };
    if (name.startsWith(QLatin1String("CombVendor"))) {
        std::unique_ptr<TfrmGysHelp> picker(CreateForm<TfrmGysHelp>(this));
        PickInto(*picker, list({"GYSID", "aGYSMC"}), list({"ID", "MC"}));
    } else if (name.startsWith(QLatin1String("CombCust"))) {
        std::unique_ptr<TfrmKhHelp> picker(CreateForm<TfrmKhHelp>(this));
        PickInto(*picker, list({"KHID", "aKHMC"}), list({"ID", "MC"}));
    } else if (name.startsWith(QLatin1String("CombHP"))) {
        std::unique_ptr<TfrmSelectItem> picker(CreateForm<TfrmSelectItem>(this));
        if (PickInto(*picker, list({"HPID", "aBH", "aPM", "aDW", "aGG"}),
                     list({"ID", "BH", "PM", "DW", "GG"})))
            focusNextChild();
    }
}

void TfrmComDj::dbEditExit(QWidget *control)
{
    auto *fieldControl = dynamic_cast<TFieldControl *>(control);
    if (!fieldControl || !fieldControl->Field() || !fieldControl->Field()->AsString().isEmpty())
        return;
    if (fieldControl->OnDblClick)
        fieldControl->OnDblClick(*control);
}

// --- Barcode -------------------------------------------------------------------------------

void TfrmComDj::barcodeEntered()
{
    const QString barcode = editBarcode->text().trimmed();
    if (barcode.isEmpty()) {
        ShowMessage(QStringLiteral("条码不能为空！"));
        return;
    }
    double quantity = 0;
    if (editNum->text().trimmed().isEmpty()) {
        ShowMessage(QStringLiteral("数量不能为空！"));
        return;
    }
    if (!TryStrToFloat(editNum->text(), quantity)) {
        ShowMessage(QStringLiteral("数量不正确！"));
        return;
    }
    if (!m_actions.HeaderEditable || FOpenMode == QLatin1String("V") || m_mx->ReadOnly())
        return;
    TTmpDataSet goods;
    goods->SetCommandText(QStringLiteral("select * from HP where BarCode = ") + QuotedStr(barcode));
    goods->Open();
    if (goods->IsEmpty()) {
        ShowMessage(QStringLiteral("输入的货品条码不正确，请重新输入！"));
        return;
    }
    m_mx->CheckBrowseMode();
    bool found = false;
    m_mx->DisableControls();
    const TField *code = m_mx->FindField(QStringLiteral("aBH"));
    for (; code && !m_mx->Eof(); m_mx->Next()) {
        if (code->AsString().isEmpty()) {
            found = true;
            break;
        }
    }
    m_mx->EnableControls();
    if (found)
        m_mx->Edit();
    else
        m_mx->Append();
    const auto value = [&goods](const char *name) {
        return goods->FieldByName(QLatin1String(name))->Value();
    };
    setIfPresent(*m_mx, "aBH", value("BH"));
    setIfPresent(*m_mx, "HPID", value("ID"));
    setIfPresent(*m_mx, "aPM", value("PM"));
    setIfPresent(*m_mx, "aGG", value("GG"));
    setIfPresent(*m_mx, "aDW", value("DW"));
    setIfPresent(*m_mx, "DJ", value("JQJ"));
    setIfPresent(*m_mx, "SL", quantity);
    m_mx->Post();
    editBarcode->clear();
    m_mx->Next();
    editBarcode->setFocus();
}

void TfrmComDj::AddSourceLines(const QList<TSourceLine> &lines)
{
    if (lines.isEmpty() || !m_actions.HeaderEditable || FOpenMode == QLatin1String("V") ||
        m_mx->ReadOnly())
        return;
    PostPendingLine();
    m_mx->CheckBrowseMode();
    const TField *code = m_mx->FindField(QStringLiteral("aBH"));
    m_mx->First();
    for (const TSourceLine &line : lines) {
        while (code && !m_mx->Eof() && !code->AsString().isEmpty())
            m_mx->Next();
        if (code && !m_mx->IsEmpty() && code->AsString().isEmpty())
            m_mx->Edit();
        else
            m_mx->Append();
        setIfPresent(*m_mx, "aBH", line.GoodsCode);
        setIfPresent(*m_mx, "HPID", line.GoodsId);
        setIfPresent(*m_mx, "SL", line.Quantity);
        setIfPresent(*m_mx, "DJ", line.Price);
        setIfPresent(*m_mx, "SRCNO", line.SourceNo);
        setIfPresent(*m_mx, "SRCSEQ", line.SourceLine);
        m_mx->Post();
    }
}

// --- Keys ----------------------------------------------------------------------------------

int TfrmComDj::EnterColumnLimit() const
{
    const TDBGridColumns &columns = DBGrid1->Columns();
    if (FVisibleColumns <= 0)
        return columns.Count();
    // The first FVisibleColumns shown columns: a hidden stored column in between does not
    // take the place of a shown one.
    int shown = 0;
    for (int i = 0; i < columns.Count(); ++i) {
        if (columns[i]->Visible() && ++shown == FVisibleColumns)
            return i + 1;
    }
    return columns.Count();
}

bool TfrmComDj::enterInGrid(Qt::KeyboardModifiers Shift)
{
    if (DBGrid1->ReadOnly() || (Shift & Qt::ShiftModifier))
        return false;
    TDBGridColumns &columns = DBGrid1->Columns();
    const int limit = EnterColumnLimit();
    DBGrid1->SetEditorMode(false);
    for (int i = DBGrid1->SelectedIndex() + 1; i < limit; ++i) {
        if (columns[i]->Visible() && columns[i]->CanModify()) {
            DBGrid1->SetSelectedIndex(i);
            return true;
        }
    }
    m_mx->CheckBrowseMode();
    m_mx->Next();
    if (m_mx->Eof())
        m_mx->Append();
    const int first = columns.Count() > 1 && !columns[0]->CanModify() ? 1 : 0;
    DBGrid1->SetSelectedIndex(first);
    return true;
}

void TfrmComDj::FormKeyDown(int &Key, Qt::KeyboardModifiers Shift)
{
    TFrmAddTab::FormKeyDown(Key, Shift);
    if (Key != Qt::Key_Return && Key != Qt::Key_Enter)
        return;
    const QWidget *focus = QApplication::focusWidget();
    if (focus && wwDBLKProductCode->isAncestorOf(focus))
        return;
    if (focus && (focus == DBGrid1 || DBGrid1->isAncestorOf(focus))) {
        bool handled = false;
        Guarded([&] { handled = enterInGrid(Shift); });
        if (handled)
            Key = 0;
    }
}

// --- Header ---------------------------------------------------------------------------------

bool TfrmComDj::mustFieldsFilled() const
{
    for (const QString &name : strMxMustFields.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const TField *field = m_mx->FindField(name);
        if (field && !filled(field))
            return false;
    }
    return true;
}
