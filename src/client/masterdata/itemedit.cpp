// The goods edit form.
#include "client/masterdata/itemedit.h"

#include "client/common/pinyin.h"
#include "client/common/sqltext.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/serveraccess.h"
#include "client/forms/filedialogs.h"
#include "client/forms/globalobj.h"
#include "client/forms/picturecolumn.h"
#include "client/forms/procallbutton.h"
#include "client/forms/procblobobj.h"
#include "client/forms/searchmodal.h"
#include "client/forms/showpic.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/image.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const QString UnitsSql = QStringLiteral(
    " select TypeName from pub_Project where ParentCode in (select ItemType from pub_Project "
    "where ParentCode=0 and TypeName='计量单位') order by ItemType");

} // namespace

TfrmItemEdit::TfrmItemEdit(QWidget *parent)
    : TfrmComEdit(parent)
{
    setObjectName(QStringLiteral("frmItemEdit"));
    setWindowTitle(QStringLiteral("货品"));
    m_buttons = new TProcAllButtonObj(this);
    buildBasicPage();
    buildAttributePage();
    resize(760, 430);
}

TfrmItemEdit::~TfrmItemEdit() = default;

void TfrmItemEdit::bind(QWidget *control, const char *field)
{
    control->setObjectName(control->objectName().isEmpty()
                               ? QStringLiteral("RzDB_") + QLatin1String(field)
                               : control->objectName());
    auto *fieldControl = dynamic_cast<TFieldControl *>(control);
    fieldControl->SetDataSource(&Data().sHp());
    fieldControl->SetDataField(QLatin1String(field));
}

void TfrmItemEdit::buildBasicPage()
{
    auto *page = new QHBoxLayout(TabSheet_JBXX);
    auto *grid = new QGridLayout;
    page->addLayout(grid, 1);
    QWidget *p = TabSheet_JBXX;
    auto edit = [p](const char *name) {
        auto *e = new TDBEdit(p);
        e->setObjectName(QLatin1String(name));
        return e;
    };
    RzDBEdit_BH = edit("RzDBEdit_BH");
    RzDBEdit_BarCode = edit("RzDBEdit_BarCode");
    RzDBEdit_Name = edit("RzDBEdit_Name");
    RzDBEdit_ZJM = edit("RzDBEdit_ZJM");
    RzDBEdit_GG = edit("RzDBEdit_GG");
    RzDBComboBox_DW = new TDBComboBox(p);
    RzDBComboBox_DW->setObjectName(QStringLiteral("RzDBComboBox_DW"));
    RzDBComboBox_DW->SetStyle(TDBComboBox::csDropDownList);
    btnNewUnit = NewSmallButton(p, "btnNewUnit", QStringLiteral("新"));
    RzDBButtonEdit_HPLB = new TDBButtonEdit(p);
    RzDBButtonEdit_HPLB->setObjectName(QStringLiteral("RzDBButtonEdit_HPLB"));
    btnNewType = NewSmallButton(p, "btnNewType", QStringLiteral("新"));
    RzDBLookupComboBox_HSFF = new TDBLookupComboBox(p);
    RzDBLookupComboBox_HSFF->setObjectName(QStringLiteral("RzDBLookupComboBox_HSFF"));
    RzDBLookupComboBox_HSFS = new TDBLookupComboBox(p);
    RzDBLookupComboBox_HSFS->setObjectName(QStringLiteral("RzDBLookupComboBox_HSFS"));
    RzDBEdit_JJ = edit("RzDBEdit_JJ");
    RzDBEdit_JJJ = edit("RzDBEdit_JJJ");
    RzDBEdit_JHY = edit("RzDBEdit_JHY");
    RzDBEdit_JVIP = edit("RzDBEdit_JVIP");
    RzDBEdit_JQJ = edit("RzDBEdit_JQJ");
    RzDBEdit_SX = edit("RzDBEdit_SX");
    RzDBEdit_XX = edit("RzDBEdit_XX");
    RzDBCheckBox_ZT = new TDBCheckBox(QStringLiteral("停用标志"), p);
    RzDBCheckBox_ZT->setObjectName(QStringLiteral("RzDBCheckBox_ZT"));
    RzDBCheckBox_IsMaterial = new TDBCheckBox(QStringLiteral("物料"), p);
    RzDBCheckBox_IsMaterial->setObjectName(QStringLiteral("RzDBCheckBox_IsMaterial"));
    RzDBCheckBox_IsProduct = new TDBCheckBox(QStringLiteral("成品"), p);
    RzDBCheckBox_IsProduct->setObjectName(QStringLiteral("RzDBCheckBox_IsProduct"));
    RzDBEdit_BZ = edit("RzDBEdit_BZ");

    const std::pair<QWidget *, const char *> bindings[] = {{RzDBEdit_ID, "ID"},
                                                           {RzDBEdit_BH, "BH"},
                                                           {RzDBEdit_BarCode, "BARCODE"},
                                                           {RzDBEdit_Name, "PM"},
                                                           {RzDBEdit_ZJM, "ZJM"},
                                                           {RzDBEdit_GG, "GG"},
                                                           {RzDBComboBox_DW, "DW"},
                                                           {RzDBButtonEdit_HPLB, "aHPLBMC"},
                                                           {RzDBLookupComboBox_HSFF, "HPHSFFID"},
                                                           {RzDBLookupComboBox_HSFS, "HPHSFSID"},
                                                           {RzDBEdit_JJ, "JJ"},
                                                           {RzDBEdit_JJJ, "JJJ"},
                                                           {RzDBEdit_JHY, "JHY"},
                                                           {RzDBEdit_JVIP, "JVIP"},
                                                           {RzDBEdit_JQJ, "JQJ"},
                                                           {RzDBEdit_SX, "SX"},
                                                           {RzDBEdit_XX, "XX"},
                                                           {RzDBCheckBox_ZT, "ZT"},
                                                           {RzDBCheckBox_IsMaterial, "IsMaterial"},
                                                           {RzDBCheckBox_IsProduct, "IsProduct"},
                                                           {RzDBEdit_BZ, "BZ"}};
    for (const auto &[control, field] : bindings)
        bind(control, field);
    RzDBLookupComboBox_HSFF->SetListSource(&Data().sHphsff());
    RzDBLookupComboBox_HSFF->SetKeyField(QStringLiteral("ID"));
    RzDBLookupComboBox_HSFF->SetListField(QStringLiteral("MC"));
    RzDBLookupComboBox_HSFS->SetListSource(&Data().sHPHSFS());
    RzDBLookupComboBox_HSFS->SetKeyField(QStringLiteral("ID"));
    RzDBLookupComboBox_HSFS->SetListField(QStringLiteral("MC"));

    auto withButton = [p](QWidget *control, QPushButton *button) {
        auto *box = new QWidget(p);
        auto *row = new QHBoxLayout(box);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(2);
        row->addWidget(control, 1);
        button->setFixedWidth(28);
        row->addWidget(button);
        return box;
    };
    struct Cell
    {
        const char *label;
        QWidget *control;
    };
    const Cell cells[][2] = {
        {{"货品编号", RzDBEdit_BH}, {"条形码", RzDBEdit_BarCode}},
        {{"货品名称", RzDBEdit_Name}, {"助记码", RzDBEdit_ZJM}},
        {{"货品规格", RzDBEdit_GG}, {"计量单位", withButton(RzDBComboBox_DW, btnNewUnit)}},
        {{"货品类别", withButton(RzDBButtonEdit_HPLB, btnNewType)},
         {"成本核算", RzDBLookupComboBox_HSFF}},
        {{"存货类型", RzDBLookupComboBox_HSFS}, {"采购价", RzDBEdit_JJ}},
        {{"批发价", RzDBEdit_JJJ}, {"会员价", RzDBEdit_JHY}},
        {{"VIP价", RzDBEdit_JVIP}, {"零售价", RzDBEdit_JQJ}},
        {{"最低库存", RzDBEdit_SX}, {"最高库存", RzDBEdit_XX}},
    };
    int row = 0;
    for (const auto &line : cells) {
        for (int column = 0; column < 2; ++column) {
            grid->addWidget(new QLabel(QString::fromUtf8(line[column].label), p), row, column * 2);
            grid->addWidget(line[column].control, row, column * 2 + 1);
        }
        ++row;
    }
    auto *flags = new QHBoxLayout;
    flags->addWidget(RzDBCheckBox_IsMaterial);
    flags->addWidget(RzDBCheckBox_IsProduct);
    flags->addWidget(RzDBCheckBox_ZT);
    flags->addStretch(1);
    grid->addLayout(flags, row++, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("备    注"), p), row, 0);
    grid->addWidget(RzDBEdit_BZ, row, 1, 1, 3);
    grid->setRowStretch(row + 1, 1);

    const TPictureColumn pictures = AddPictureColumn(
        p, page, QSize(180, 180), [this] { UploadPicture(); }, [this] { ClearPicture(); },
        [this] { ZoomPicture(); });
    Image1 = pictures.Image;
    btnUpload = pictures.Upload;
    btnClearPicture = pictures.Clear;
    btnZoom = pictures.Zoom;

    // Category and unit come from their lists only.
    RzDBButtonEdit_HPLB->setProperty("vzSwallowTyping", true);
    RzDBButtonEdit_HPLB->OnButtonClick = [this](TButtonEdit &) {
        Guarded([this] { chooseCategory(); });
    };
    connect(btnNewType, &QPushButton::clicked, this, [this] {
        Guarded([this] { GlobalObj().MDIWindows.OpenModal(QStringLiteral("TfrmItemType")); });
    });
    connect(btnNewUnit, &QPushButton::clicked, this, [this] {
        Guarded([this] {
            GlobalObj().MDIWindows.OpenModalWithText(QStringLiteral("TfrmProject"),
                                                     QStringLiteral("计量单位"));
            FillUnits();
        });
    });
    connect(RzDBEdit_BH, &QLineEdit::editingFinished, this,
            [this] { Guarded([this] { codeEdited(); }); });
    connect(RzDBEdit_Name, &QLineEdit::textEdited, this,
            [this](const QString &name) { Guarded([this, name] { nameEdited(name); }); });
}

void TfrmItemEdit::buildAttributePage()
{
    TabSheet_SX = new QWidget;
    TabSheet_SX->setObjectName(QStringLiteral("TabSheet_SX"));
    auto *grid = new QGridLayout(TabSheet_SX);
    int index = 0;
    for (const auto &[key, attribute] : FuncRight().AttrList) {
        Q_UNUSED(key);
        const QString field = attribute.FieldName.toUpper();
        const bool numeric = field >= QLatin1String("SX4");
        QWidget *editor = nullptr;
        if (numeric) {
            editor = new TDBEdit(TabSheet_SX);
        } else {
            auto *button = new TDBButtonEdit(TabSheet_SX);
            m_buttons->Attach(button);
            editor = button;
        }
        editor->setObjectName(QStringLiteral("RzDBEdit_") + field);
        bind(editor, field.toLatin1().constData());
        const int row = index / 3;
        const int column = index % 3;
        grid->addWidget(new QLabel(attribute.Caption, TabSheet_SX), row, column * 2);
        grid->addWidget(editor, row, column * 2 + 1);
        ++index;
    }
    grid->setRowStretch(index / 3 + 1, 1);
    RzPageClient->addTab(TabSheet_SX, QStringLiteral("货品属性"));
    RzPageClient->setTabVisible(RzPageClient->indexOf(TabSheet_SX), index > 0);
}

void TfrmItemEdit::FillUnits()
{
    QStringList units;
    TTmpDataSet tmp;
    FillListFromQuery(units, UnitsSql, *tmp);
    RzDBComboBox_DW->SetItems(units);
}

void TfrmItemEdit::FormShow()
{
    if (!m_pictures)
        m_pictures = std::make_unique<TProcBlobObj>(QStringLiteral("hp_pict"));
    // A picker hands in its own goods dataset; the list leaves the central one.
    if (!EditDataSource)
        EditDataSource = &Data().sHp();
    if (EditDataSource != &Data().sHp()) {
        const QList<QWidget *> controls = findChildren<QWidget *>();
        for (QWidget *control : controls) {
            auto *fieldControl = dynamic_cast<TFieldControl *>(control);
            if (fieldControl && fieldControl->DataSource() == &Data().sHp())
                fieldControl->SetDataSource(EditDataSource);
        }
    }
    RequiredFields = QStringLiteral("BH;PM;aHPLBMC;DW");
    IdTable = QStringLiteral("HP");
    UniqueCode = {IdTable, QStringLiteral("BH"), QStringLiteral("货品编号")};
    for (TClientDataSet *lookup : {&Data().Hphsff(), &Data().HPHSFS()}) {
        if (!lookup->Active())
            lookup->Open();
    }
    FillUnits();
    TClientDataSet &ds = *EditDataSource->DataSet();
    if (ds.Active()) {
        const std::pair<const char *, const char *> labels[] = {
            {"BH", "货品编号"}, {"PM", "货品名称"}, {"aHPLBMC", "货品类别"}, {"DW", "计量单位"}};
        for (const auto &[field, label] : labels) {
            if (TField *f = ds.FindField(QLatin1String(field)))
                f->SetDisplayLabel(QString::fromUtf8(label));
        }
    }
    TfrmComEdit::FormShow();
    loadPicture();
}

bool TfrmItemEdit::inserting() const
{
    return EditDataSet && EditDataSet->State() == dsInsert;
}

QString TfrmItemEdit::currentId() const
{
    if (!EditDataSet || !EditDataSet->Active())
        return {};
    const TField *id = EditDataSet->FindField(QStringLiteral("ID"));
    return id ? id->AsString() : QString();
}

void TfrmItemEdit::dsOnNewRecord(TClientDataSet &DataSet)
{
    TfrmComEdit::dsOnNewRecord(DataSet);
    if (DataSet.State() != dsInsert)
        return;
    if (TField *barcode = DataSet.FindField(QStringLiteral("BARCODE")))
        barcode->SetAsString(DataSet.FieldByName(QStringLiteral("BH"))->AsString());
    const std::pair<const char *, int> defaults[] = {{"HPHSFFID", 1}, {"HPHSFSID", 1}};
    for (const auto &[field, value] : defaults) {
        if (TField *f = DataSet.FindField(QLatin1String(field)))
            f->SetAsInteger(value);
    }
    for (const char *flag : {"IsMaterial", "IsProduct"}) {
        if (TField *f = DataSet.FindField(QLatin1String(flag)))
            f->SetAsBoolean(true);
    }
    m_lastMnemonic.clear();
    RzDBEdit_BH->setFocus();
}

void TfrmItemEdit::codeEdited()
{
    if (!EditDataSet || RzDBEdit_BH->text().isEmpty())
        return;
    TField *barcode = EditDataSet->FindField(QStringLiteral("BARCODE"));
    if (!barcode || !barcode->AsString().isEmpty())
        return;
    if (EditDataSet->State() == dsBrowse)
        EditDataSet->Edit();
    barcode->SetAsString(RzDBEdit_BH->text());
}

void TfrmItemEdit::nameEdited(const QString &name)
{
    if (!EditDataSet)
        return;
    TField *mnemonic = EditDataSet->FindField(QStringLiteral("ZJM"));
    if (!mnemonic)
        return;
    // The mnemonic follows the name until the user types one of his own.
    const QString current = mnemonic->AsString();
    if (!current.isEmpty() && current != m_lastMnemonic)
        return;
    if (EditDataSet->State() == dsBrowse)
        EditDataSet->Edit();
    m_lastMnemonic = GetPY(name);
    mnemonic->SetAsString(m_lastMnemonic);
}

void TfrmItemEdit::chooseCategory()
{
    if (!EditDataSet)
        return;
    QString key;
    QString text;
    if (!SearchTreeNode(QStringLiteral("itemtype"), QString(), key, text, this))
        return;
    if (EditDataSet->State() == dsBrowse)
        EditDataSet->Edit();
    m_lookingUpCategory = true;
    EditDataSet->FieldByName(QStringLiteral("HPLBID"))->SetAsString(key);
    m_lookingUpCategory = false;
    EditDataSet->FieldByName(QStringLiteral("aHPLBMC"))->SetAsString(text);
}

void TfrmItemEdit::sDataChange(TDataSource &Sender, TField *Field)
{
    TfrmComEdit::sDataChange(Sender, Field);
    if (!Field || m_lookingUpCategory ||
        Field->FieldName().compare(QLatin1String("HPLBID"), Qt::CaseInsensitive) != 0)
        return;
    TField *name = EditDataSet ? EditDataSet->FindField(QStringLiteral("aHPLBMC")) : nullptr;
    if (!name)
        return;
    const QString id = Field->AsString();
    name->SetAsString(
        id.isEmpty() ? QString()
                     : QueryValue(QStringLiteral("select MC from HPLB where ID = ") + QuotedStr(id))
                           .toString());
}

void TfrmItemEdit::SetDuplicateValue()
{
    TfrmComEdit::SetDuplicateValue();
    const QString id = currentId();
    DuplicateCheck = QStringLiteral("【货品名称,货品规格】|select PM from HP where  PM= ") +
                     QuotedStr(EditDataSet->FieldByName(QStringLiteral("PM"))->AsString()) +
                     QStringLiteral(" and GG=") +
                     QuotedStr(EditDataSet->FieldByName(QStringLiteral("GG"))->AsString()) +
                     QStringLiteral(" and id <> ") + (id.isEmpty() ? QStringLiteral("0") : id);
}

void TfrmItemEdit::dsBeforePost(TClientDataSet &DataSet)
{
    TfrmComEdit::dsBeforePost(DataSet);
    const TField *lowest = DataSet.FindField(QStringLiteral("SX"));
    const TField *highest = DataSet.FindField(QStringLiteral("XX"));
    if (lowest && highest && lowest->AsFloat() > highest->AsFloat()) {
        MessageBox(QStringLiteral("最低库存应该小于最高库存，请重新输入！"),
                   QStringLiteral("录入错误"), TMsgIcon::Warning);
        RzPageClient->setCurrentIndex(0);
        RzDBEdit_SX->setFocus();
        Abort();
    }
}

void TfrmItemEdit::MyAfterApplyUpdates()
{
    TfrmComEdit::MyAfterApplyUpdates();
    if (m_pictureFile.isEmpty())
        return;
    // The goods record is stored whatever happens to its picture.
    if (m_pictures->Save(currentId(), m_pictureFile))
        m_pictureFile.clear();
}

void TfrmItemEdit::btnInsert_NewClick()
{
    TfrmComEdit::btnInsert_NewClick();
    if (inserting()) {
        resetPicture();
        RzPageClient->setCurrentIndex(0);
    }
}

void TfrmItemEdit::dsAfterScroll(TClientDataSet &DataSet)
{
    TfrmComEdit::dsAfterScroll(DataSet);
    m_pictureFile.clear();
    loadPicture();
}

void TfrmItemEdit::resetPicture()
{
    m_pictureFile.clear();
    Image1->Clear();
}

void TfrmItemEdit::loadPicture()
{
    if (!m_pictures)
        return;
    if (inserting()) {
        Image1->Clear();
        return;
    }
    m_pictures->Load(currentId(), Image1);
}

void TfrmItemEdit::UploadPicture()
{
    const std::optional<QString> fileName = PromptForPictureFile(QStringLiteral("选择图片"));
    if (!fileName)
        return;
    // A record the server does not hold yet gets its picture when it is saved.
    if (inserting()) {
        QString error;
        const std::optional<TPictureFile> file = ReadPictureFile(*fileName, &error);
        if (!file) {
            MessageBox(error, QStringLiteral("上传图片"), TMsgIcon::Warning);
            return;
        }
        m_pictureFile = *fileName;
        Image1->SetPicture(file->Image);
        return;
    }
    if (m_pictures->Save(currentId(), *fileName))
        m_pictures->Load(currentId(), Image1);
}

void TfrmItemEdit::ClearPicture()
{
    if (Image1->IsEmpty() && m_pictureFile.isEmpty())
        return;
    if (MessageBox(QStringLiteral("确实要删除图片吗？"), QStringLiteral("询问"), TMsgIcon::Question,
                   TMsgButtons::YesNo) != mrYes)
        return;
    if (!inserting())
        m_pictures->Delete(currentId());
    resetPicture();
}

void TfrmItemEdit::ZoomPicture()
{
    TFrmShowPic::Enlarge(this, *Image1);
}
