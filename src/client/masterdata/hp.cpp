// The goods list.
#include "client/masterdata/hp.h"

#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/checkreferenced.h"
#include "client/forms/globalobj.h"
#include "client/forms/procallbutton.h"
#include "client/forms/procblobobj.h"
#include "client/forms/sharedroutines.h"
#include "client/forms/showpic.h"
#include "client/masterdata/goodssql.h"
#include "client/masterdata/itemedit.h"
#include "client/masterdata/itemtypeedit.h"
#include "client/output/barcodelabels.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbgrid.h"
#include "client/widgets/dbtreeview.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QToolButton>

namespace {

const QString AllText = QStringLiteral("所有");

} // namespace

TfrmHp::TfrmHp(QWidget *parent)
    : TfrmComJbzl(parent)
{
    setObjectName(QStringLiteral("frmHp"));
    setWindowTitle(QStringLiteral("货品资料"));
    TableName = QStringLiteral("HP");
    TDBGridColumns &columns = DBGrid1->Columns();
    columns.Add(QStringLiteral("BH"), QStringLiteral("货品编号"), 90);
    columns.Add(QStringLiteral("PM"), QStringLiteral("货品名称"), 150);
    columns.Add(QStringLiteral("ZJM"), QStringLiteral("助记码"), 60);
    columns.Add(QStringLiteral("GG"), QStringLiteral("货品规格"), 110);
    columns.Add(QStringLiteral("DW"), QStringLiteral("计量单位"), 50);
    columns.Add(QStringLiteral("HPSXID"))->SetVisible(false);
    columns.Add(QStringLiteral("BARCODE"), QStringLiteral("条形码"), 110);
    columns.Add(QStringLiteral("aHPLBMC"), QStringLiteral("货品类别"), 90);
    columns.Add(QStringLiteral("aZKCL"))->SetVisible(false);
    const std::pair<const char *, const char *> prices[] = {
        {"JJ", "采购价"},  {"JJJ", "批发价"},  {"JHY", "会员价"}, {"JVIP", "VIP价"},
        {"JQJ", "零售价"}, {"SX", "最低库存"}, {"XX", "最高库存"}};
    for (const auto &[field, title] : prices)
        columns.Add(QLatin1String(field), QString::fromUtf8(title), 70);
    columns.Add(QStringLiteral("ZT"), QStringLiteral("停用标志"), 60);

    // The attribute filter sits in the search row, after the quick search.
    RzButtonEdit_ItemInfor = new TButtonEdit(Panel1);
    RzButtonEdit_ItemInfor->setObjectName(QStringLiteral("RzButtonEdit_ItemInfor"));
    RzButtonEdit_ItemInfor->setText(AllText);
    RzButtonEdit_ItemInfor->setReadOnly(true);
    RzButtonEdit_ItemInfor->setMinimumWidth(220);
    auto *buttons = new TProcAllButtonObj(this);
    buttons->Attach(RzButtonEdit_ItemInfor);
    // The filter's choice lists at once; an empty one means all goods again.
    RzButtonEdit_ItemInfor->OnButtonClick =
        [this, pick = RzButtonEdit_ItemInfor->OnButtonClick](TButtonEdit &edit) {
            const QString before = edit.Key();
            pick(edit);
            if (edit.Key().trimmed().isEmpty())
                edit.setText(AllText);
            if (edit.Key() != before)
                Guarded([this] { OpenDataSet(); });
        };
    if (auto *row = qobject_cast<QHBoxLayout *>(Panel1->layout())) {
        auto *label = new QLabel(QStringLiteral("货品信息："), Panel1);
        row->insertWidget(row->indexOf(btnFind) + 1, label);
        row->insertWidget(row->indexOf(label) + 1, RzButtonEdit_ItemInfor);
    }

    PopTree = new QMenu(this);
    PopTree->setObjectName(QStringLiteral("PopTree"));
    mnuNewType = PopTree->addAction(QStringLiteral("新增类别"), this,
                                    [this] { Guarded([this] { NewCategory(); }); });
    mnuEditType = PopTree->addAction(QStringLiteral("修改类别"), this,
                                     [this] { Guarded([this] { EditCategory(); }); });
    mnuDelType = PopTree->addAction(QStringLiteral("删除类别"), this,
                                    [this] { Guarded([this] { DeleteCategory(); }); });
    stDBTree1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(stDBTree1, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        const bool onCategory = !stDBTree1->SelectedKey().isEmpty();
        mnuEditType->setEnabled(onCategory);
        mnuDelType->setEnabled(onCategory);
        PopTree->popup(stDBTree1->viewport()->mapToGlobal(at));
    });

    mnuUpdateZJM = PopOther->addAction(QStringLiteral("更新助记码"), this,
                                       [this] { Guarded([this] { UpdateMnemonics(); }); });
    // The totals button of this list prints barcode labels.
    aTotal->setText(QStringLiteral("打印条码(&T)"));
    aTotal->setVisible(true);
    btnTotal->setText(aTotal->text());
}

TfrmHp::~TfrmHp() = default;

void TfrmHp::FormCreate()
{
    TfrmComJbzl::FormCreate();
    if (QMdiArea *area = GlobalObj().MDIWindows.MdiArea())
        resize(area->width() - area->width() / 5, area->height() - area->height() / 10);
    AddAttrColumns(DBGrid1, FuncRight().AttrList);
    m_pictures = std::make_unique<TProcBlobObj>(QStringLiteral("hp_pict"));
}

void TfrmHp::FormShow()
{
    DBGrid1->SetDataSource(&Data().sHp());
    TfrmComJbzl::FormShow();
    stDBTree1->expandToDepth(0);
}

void TfrmHp::FormClose()
{
    m_pictureFollower.Close();
    TfrmComJbzl::FormClose();
}

void TfrmHp::SetTreeParam()
{
    stDBTree1->SetFields(QStringLiteral("ItemType"), QStringLiteral("ParentCode"),
                         QStringLiteral("TypeName"), QStringLiteral("TypeName"));
    stDBTree1->SetRootText(QStringLiteral("全部类别"));
    cdsTree->SetCommandText(FuncRight().ItemTypeSQL);
    cdsTree->Close();
    cdsTree->Open();
    stDBTree1->Rebuild();
}

void TfrmHp::reopenTree()
{
    const QString key = stDBTree1->SelectedKey();
    cdsTree->Close();
    cdsTree->Open();
    stDBTree1->Rebuild();
    stDBTree1->expandToDepth(0);
    if (key.isEmpty() || !stDBTree1->SelectKey(key))
        stDBTree1->SelectRoot();
}

QString TfrmHp::attributeCondition() const
{
    const QString condition = RzButtonEdit_ItemInfor->Key().trimmed();
    if (condition.isEmpty() || RzButtonEdit_ItemInfor->text() == AllText)
        return {};
    return QStringLiteral(" and (") + condition + QStringLiteral(")");
}

void TfrmHp::OpenDataSet()
{
    if (ListDataSet) {
        ListDataSet->SetCommandText(
            QStringLiteral(" select H.*, C.TypeName as aHPLBMC from HP H left join ") +
            FuncRight().ItemTypeFrom + QStringLiteral(" on H.HPLBID=C.ItemType WHERE 1= 1 ") +
            goods::ScopeCondition(FuncRight().ItemTypeFrom) +
            goods::SearchCondition(RzBtnNo->text(), false) + attributeCondition() +
            QStringLiteral(" order by H.BH"));
    }
    TfrmComJbzl::OpenDataSet();
}

QString TfrmHp::TreeWhere(bool showAll, const QString &key)
{
    if (showAll)
        return QStringLiteral(" where 1=1 ");
    return QStringLiteral(" Where 1=1 ") + goods::CategoryCondition(key);
}

void TfrmHp::TreeNodeSelected(bool ShowAll)
{
    if (!ListDataSet)
        return;
    ListDataSet->Close();
    ListDataSet->SetCommandText(
        QStringLiteral(" select H.*, C.TypeName as aHPLBMC  from HP H Inner join ") +
        FuncRight().ItemTypeFrom + QStringLiteral("  on H.HPLBID=C.ItemType ") +
        TreeWhere(ShowAll, stDBTree1->SelectedKey()) + QStringLiteral(" order by H.BH"));
    TfrmComJbzl::OpenDataSet();
}

void TfrmHp::aDelExecute()
{
    if (!ListDataSet || !ListDataSet->Active() || ListDataSet->IsEmpty()) {
        TfrmComJbzl::aDelExecute();
        return;
    }
    const QString id = ListDataSet->FieldByName(QStringLiteral("ID"))->AsString();
    if (CheckReferenced(QStringLiteral("HP"), id))
        return;
    const int before = ListDataSet->RecordCount();
    TfrmComJbzl::aDelExecute();
    // The picture goes with its goods; a left-over one would only take space.
    if (ListDataSet->RecordCount() < before)
        m_pictures->Delete(id);
}

void TfrmHp::LoadEditForm(const QString &Mode)
{
    EditForm = new TfrmItemEdit(this);
    TfrmComJbzl::LoadEditForm(Mode);
}

void TfrmHp::GetSearchModalValue()
{
    if (!ListDataSet || ListDataSet->IsEmpty())
        return;
    ResultID = ListDataSet->FieldByName(QStringLiteral("ID"))->AsString();
    ResultName = ListDataSet->FieldByName(QStringLiteral("PM"))->AsString();
}

void TfrmHp::editCategory(const QString &mode)
{
    std::unique_ptr<TfrmItemTypeEdit> dialog(CreateForm<TfrmItemTypeEdit>(this));
    dialog->SetMode(mode, stDBTree1->SelectedKey(), stDBTree1->SelectedText());
    if (dialog->ShowModal() == mrOk)
        reopenTree();
}

void TfrmHp::NewCategory()
{
    editCategory(QStringLiteral("I"));
}

void TfrmHp::EditCategory()
{
    if (stDBTree1->SelectedKey().isEmpty())
        return;
    editCategory(QStringLiteral("E"));
}

void TfrmHp::DeleteCategory()
{
    const QString key = stDBTree1->SelectedKey();
    if (key.isEmpty())
        return;
    if (HasRows(QStringLiteral("select ItemType from Pub_ItemType where ParentCode=") +
                goods::KeyLiteral(key))) {
        MessageBox(QStringLiteral("有子节点，不能删除！"), QStringLiteral("提示"),
                   TMsgIcon::Warning);
        return;
    }
    if (CheckReferenced(QStringLiteral("ItemType"), key))
        return;
    if (MessageBox(QStringLiteral("确定要删除类别【") + stDBTree1->SelectedText() +
                       QStringLiteral("】吗?"),
                   QStringLiteral("资料删除"), TMsgIcon::Question, TMsgButtons::YesNo,
                   mrNo) != mrYes)
        return;
    if (!ExecSQL(QStringLiteral("delete from  Pub_ItemType  where ItemType=") +
                 goods::KeyLiteral(key))) {
        MessageBox(QStringLiteral("删除类别失败！"), QStringLiteral("出错提示"), TMsgIcon::Error);
        return;
    }
    stDBTree1->SelectRoot();
    reopenTree();
}

void TfrmHp::UpdateMnemonics()
{
    bool done = false;
    {
        TBusyMessage busy(QStringLiteral("正在更新，请稍候..."));
        done = ExecSQL(QStringLiteral("update hp set ZJM=GetPY(PM)"));
    }
    if (!done) {
        MessageBox(QStringLiteral("更新助记码失败！"), QStringLiteral("出错提示"), TMsgIcon::Error);
        return;
    }
    OpenDataSet();
}

void TfrmHp::aTotalExecute()
{
    PrintBarcodes();
}

void TfrmHp::PrintBarcodes()
{
    if (!ListDataSet || !ListDataSet->Active() || ListDataSet->IsEmpty()) {
        MessageBox(QStringLiteral("没有可打印条码的货品！"), QStringLiteral("打印条码"),
                   TMsgIcon::Information);
        return;
    }
    QList<output::TBarcodeLabel> labels;
    {
        TClientDataSet &ds = *ListDataSet;
        const TBookmark position = ds.GetBookmark();
        ds.DisableControls();
        for (ds.First(); !ds.Eof(); ds.Next()) {
            output::TBarcodeLabel label;
            label.Code = ds.FieldByName(QStringLiteral("BARCODE"))->AsString();
            if (label.Code.isEmpty())
                label.Code = ds.FieldByName(QStringLiteral("BH"))->AsString();
            label.Name = ds.FieldByName(QStringLiteral("PM"))->AsString();
            label.Size = ds.FieldByName(QStringLiteral("GG"))->AsString();
            label.Unit = ds.FieldByName(QStringLiteral("DW"))->AsString();
            label.Price = ds.FieldByName(QStringLiteral("JQJ"))->AsFloat();
            labels.append(label);
        }
        ds.GotoBookmark(position);
        ds.EnableControls();
    }
    output::TBarcodeLabelPrinter labelPrinter(labels);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("货品条码"));
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    preview.setWindowTitle(QStringLiteral("货品条码"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [&labelPrinter](QPrinter *device) { labelPrinter.Print(*device); });
    preview.exec();
}

void TfrmHp::dsAfterScroll(TClientDataSet &DataSet)
{
    TfrmComJbzl::dsAfterScroll(DataSet);
    m_pictureFollower.RowChanged();
}

void TfrmHp::FormActivate()
{
    m_pictureFollower.Activated();
}

void TfrmHp::changeEvent(QEvent *event)
{
    TfrmComJbzl::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        m_pictureFollower.ActivationChanged();
}

QByteArray TfrmHp::currentPicture()
{
    if (!ListDataSet || !ListDataSet->Active() || ListDataSet->IsEmpty() || !m_pictures)
        return {};
    return m_pictures->Bytes(ListDataSet->FieldByName(QStringLiteral("ID"))->AsString());
}
