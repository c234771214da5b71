// The employee edit form.
#include "client/masterdata/employeeedit.h"

#include "client/common/pinyin.h"
#include "client/common/sqltext.h"
#include "client/data/atomicrequest.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/forms/filedialogs.h"
#include "client/forms/globalobj.h"
#include "client/forms/picturecolumn.h"
#include "client/forms/showpic.h"
#include "client/masterdata/idnumber.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dblookupcombo.h"
#include "client/widgets/image.h"
#include "client/widgets/messagebox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

struct TCell
{
    const char *label;
    QWidget *control;
};

// Label and control pairs, `columns` pairs a row, from row `row` on; the next free row.
template<std::size_t N>
int layCells(QGridLayout *grid, QWidget *page, const TCell (&cells)[N], int columns, int row = 0)
{
    for (std::size_t i = 0; i < N; ++i) {
        const int r = row + int(i) / columns;
        const int c = int(i) % columns;
        grid->addWidget(new QLabel(QString::fromUtf8(cells[i].label), page), r, c * 2);
        grid->addWidget(cells[i].control, r, c * 2 + 1);
    }
    return row + (int(N) + columns - 1) / columns;
}

bool isEditing(const TClientDataSet &ds)
{
    return ds.State() == dsEdit || ds.State() == dsInsert;
}

} // namespace

TfrmEmployeeEdit::TfrmEmployeeEdit(QWidget *parent)
    : TfrmComEdit(parent)
{
    setObjectName(QStringLiteral("frmEmployeeEdit"));
    setWindowTitle(QStringLiteral("员工资料"));
    buildBasicPage();
    buildRecordPage();
    resize(820, 470);
}

TfrmEmployeeEdit::~TfrmEmployeeEdit() = default;

QWidget *TfrmEmployeeEdit::bound(QWidget *control, const char *field)
{
    if (control->objectName().isEmpty())
        control->setObjectName(QStringLiteral("RzDB_") + QLatin1String(field));
    auto *fieldControl = dynamic_cast<TFieldControl *>(control);
    fieldControl->SetDataSource(&Data().sYg());
    fieldControl->SetDataField(QLatin1String(field));
    m_controls.insert(QString::fromLatin1(field).toUpper(), control);
    return control;
}

void TfrmEmployeeEdit::buildBasicPage()
{
    QWidget *p = TabSheet_JBXX;
    auto *page = new QHBoxLayout(p);
    auto *grid = new QGridLayout;
    page->addLayout(grid, 1);
    auto edit = [this, p](const char *field) {
        return bound(new TDBEdit(p), field);
    };
    auto date = [this, p](const char *field) {
        return bound(new TDBDateEdit(p), field);
    };

    RzDBEdit_BH = new TDBEdit(p);
    RzDBEdit_BH->setObjectName(QStringLiteral("RzDBEdit_BH"));
    RzDBEdit_XM = new TDBEdit(p);
    RzDBEdit_XM->setObjectName(QStringLiteral("RzDBEdit_XM"));
    RzDBEdit_ZJM = new TDBEdit(p);
    RzDBEdit_ZJM->setObjectName(QStringLiteral("RzDBEdit_ZJM"));
    RzDBEdit_SFZH = new TDBEdit(p);
    RzDBEdit_SFZH->setObjectName(QStringLiteral("RzDBEdit_SFZH"));
    RzDBEdit_SFZH->setMaxLength(18);
    RzDBLookupComboBox_BM = new TDBLookupComboBox(p);
    RzDBLookupComboBox_BM->setObjectName(QStringLiteral("RzDBLookupComboBox_BM"));
    auto *sex = new TDBComboBox(p);
    sex->SetItems({QStringLiteral("男"), QStringLiteral("女")});
    sex->SetStyle(TDBComboBox::csDropDownList);
    auto *category = new TDBLookupComboBox(p);
    auto *salesman = new TDBCheckBox(QStringLiteral("业务员"), p);

    bound(RzDBEdit_ID, "ID");
    const TCell cells[] = {
        {"员工编号", bound(RzDBEdit_BH, "BH")},
        {"姓    名", bound(RzDBEdit_XM, "XM")},
        {"助 记 码", bound(RzDBEdit_ZJM, "ZJM")},
        {"性    别", bound(sex, "XB")},
        {"所属部门", bound(RzDBLookupComboBox_BM, "BMID")},
        {"员工类别", bound(category, "YGLBID")},
        {"职    务", edit("ZW")},
        {"身份证号", bound(RzDBEdit_SFZH, "SFZH")},
        {"出生日期", date("CSRQ")},
        {"学    历", edit("XL")},
        {"籍    贯", edit("JG")},
        {"入职日期", date("RZRQ")},
        {"电    话", edit("DH")},
        {"手    机", edit("BP")},
        {"邮    编", edit("YB")},
        {"基本工资", edit("JBGZ")},
    };
    int row = layCells(grid, p, cells, 2);
    grid->addWidget(new QLabel(QStringLiteral("地    址"), p), row, 0);
    grid->addWidget(edit("ZZ"), row++, 1, 1, 3);
    grid->addWidget(bound(salesman, "YWYBZ"), row++, 1);
    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    RzDBLookupComboBox_BM->SetListSource(&Data().sBm());
    RzDBLookupComboBox_BM->SetKeyField(QStringLiteral("ID"));
    RzDBLookupComboBox_BM->SetListField(QStringLiteral("MC"));
    category->SetListSource(&Data().sYglb());
    category->SetKeyField(QStringLiteral("ID"));
    category->SetListField(QStringLiteral("MC"));

    const TPictureColumn pictures = AddPictureColumn(
        p, page, QSize(150, 180), [this] { UploadPicture(); }, [this] { ClearPicture(); },
        [this] { ZoomPicture(); });
    Image1 = pictures.Image;
    btnUpload = pictures.Upload;
    btnClearPicture = pictures.Clear;
    btnZoom = pictures.Zoom;

    RzDBEdit_XM->OnExit = [this](QWidget &) {
        Guarded([this] { nameLeft(); });
    };
}

void TfrmEmployeeEdit::buildRecordPage()
{
    TabSheet_DA = new QWidget;
    TabSheet_DA->setObjectName(QStringLiteral("TabSheet_DA"));
    QWidget *p = TabSheet_DA;
    auto *grid = new QGridLayout(p);
    auto edit = [this, p](const char *field) {
        return bound(new TDBEdit(p), field);
    };
    auto date = [this, p](const char *field) {
        return bound(new TDBDateEdit(p), field);
    };
    const TCell cells[] = {
        {"民族", edit("MZ")},       {"政治面貌", edit("ZZMM")},   {"毕业院校", edit("BYYX")},
        {"专业", edit("ZUANYE")},   {"技术职称", edit("JSZC")},   {"学历类别", edit("XLLB")},
        {"录用来源", edit("LYLY")}, {"工资卡号", edit("GZKH")},   {"员工档案号", edit("DAH")},
        {"合同签订", date("QDRQ")}, {"合同到期", date("HTDQSJ")}, {"转正日期", date("ZZRQ")},
        {"医 保 号", edit("YBH")},  {"社 保 号", edit("SBH")},    {"电子邮件", edit("EMAIL")},
        {"离职类型", edit("LZLX")}, {"离职日期", date("LZRQ")},   {"离职原因", edit("LZYY")},
    };
    int row = layCells(grid, p, cells, 3);
    grid->addWidget(bound(new TDBCheckBox(QStringLiteral("已离职"), p), "LZ"), row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("个人简历"), p), row, 0, Qt::AlignTop);
    grid->addWidget(bound(new TDBMemo(p), "GRJL"), row++, 1, 1, 5);
    grid->addWidget(new QLabel(QStringLiteral("备    注"), p), row, 0);
    grid->addWidget(edit("BZ"), row++, 1, 1, 5);
    grid->setRowStretch(row - 2, 1);
    RzPageClient->addTab(TabSheet_DA, QStringLiteral("档案资料"));
}

void TfrmEmployeeEdit::FormShow()
{
    if (!m_pictures)
        m_pictures = std::make_unique<TProcBlobObj>(QStringLiteral("yg_pict"));
    IdTable = QStringLiteral("YG");
    UniqueCode = {IdTable, QStringLiteral("BH"), QStringLiteral("员工编号")};
    RequiredFields = QStringLiteral("BH;XM;BMID");
    TClientDataSet &departments = Data().Bm();
    departments.Close();
    departments.SetCommandText(FuncRight().DeptSQL + QStringLiteral(" order by  A.MC"));
    departments.Open();
    if (!Data().Yglb().Active())
        Data().Yglb().Open();
    // The combo shows the name of the record's department only from a list read afresh.
    RzDBLookupComboBox_BM->SetListSource(&Data().sBm());
    TClientDataSet &employees = Data().Yg();
    if (employees.Active()) {
        const std::pair<const char *, const char *> labels[] = {
            {"BH", "员工编号"}, {"XM", "姓名"}, {"BMID", "所属部门"}};
        for (const auto &[field, label] : labels) {
            if (TField *f = employees.FindField(QLatin1String(field)))
                f->SetDisplayLabel(QString::fromUtf8(label));
        }
    }
    TfrmComEdit::FormShow();
    loadPicture();
}

QString TfrmEmployeeEdit::currentId() const
{
    if (!EditDataSet || !EditDataSet->Active())
        return {};
    const TField *id = EditDataSet->FindField(QStringLiteral("ID"));
    return id ? id->AsString() : QString();
}

void TfrmEmployeeEdit::dsOnNewRecord(TClientDataSet &DataSet)
{
    TfrmComEdit::dsOnNewRecord(DataSet);
    if (DataSet.State() != dsInsert)
        return;
    const std::pair<const char *, int> defaults[] = {{"JSFF", 1}, {"JBGZ", 0}};
    for (const auto &[field, value] : defaults) {
        if (TField *f = DataSet.FindField(QLatin1String(field)); f && f->IsNull())
            f->SetAsInteger(value);
    }
    for (const char *flag : {"YWYBZ", "HF", "LZ"}) {
        if (TField *f = DataSet.FindField(QLatin1String(flag)); f && f->IsNull())
            f->SetAsBoolean(false);
    }
    RzDBEdit_BH->setFocus();
}

void TfrmEmployeeEdit::nameLeft()
{
    if (!EditDataSet || !isEditing(*EditDataSet))
        return;
    TField *mnemonic = EditDataSet->FindField(QStringLiteral("ZJM"));
    const TField *name = EditDataSet->FindField(QStringLiteral("XM"));
    if (mnemonic && name && mnemonic->AsString().trimmed().isEmpty())
        mnemonic->SetAsString(GetPY(name->AsString()).left(20));
}

void TfrmEmployeeEdit::offerFromIdentity(const QString &number)
{
    const TIdentityNumber id = CheckIdentityNumber(number);
    if (!id.Valid() || !EditDataSet || !isEditing(*EditDataSet))
        return;
    TField *birth = EditDataSet->FindField(QStringLiteral("CSRQ"));
    if (birth && birth->IsNull())
        birth->SetAsDateTime(QDateTime(id.BirthDate, QTime()));
    TField *sex = EditDataSet->FindField(QStringLiteral("XB"));
    if (sex && sex->AsString().trimmed().isEmpty())
        sex->SetAsString(id.Sex);
}

void TfrmEmployeeEdit::sDataChange(TDataSource &Sender, TField *Field)
{
    TfrmComEdit::sDataChange(Sender, Field);
    CopyLookupName(Field, QStringLiteral("BMID"), QStringLiteral("aBMMC"), Data().Bm());
    if (Field && Field->FieldName().compare(QLatin1String("SFZH"), Qt::CaseInsensitive) == 0)
        offerFromIdentity(Field->AsString());
}

void TfrmEmployeeEdit::dsBeforePost(TClientDataSet &DataSet)
{
    TfrmComEdit::dsBeforePost(DataSet);
    nameLeft();
    TField *number = DataSet.FindField(QStringLiteral("SFZH"));
    if (!number || number->AsString().trimmed().isEmpty())
        return;
    // Only a number typed now is judged: one stored long ago does not block other changes.
    if (DataSet.State() == dsEdit &&
        number->AsString() == OldValue(QStringLiteral("SFZH")).toString())
        return;
    const TIdentityNumber id = CheckIdentityNumber(number->AsString());
    if (!id.Valid()) {
        MessageBox(id.Error, QStringLiteral("录入错误"), TMsgIcon::Warning);
        RzPageClient->setCurrentIndex(0);
        RzDBEdit_SFZH->setFocus();
        Abort();
    }
    if (number->AsString() != id.Normalized)
        number->SetAsString(id.Normalized);
    offerFromIdentity(id.Normalized);
}

bool TfrmEmployeeEdit::stagePhoto()
{
    if (m_photo == TPhotoChange::None)
        return true;
    const TPictureFile *file =
        m_photo == TPhotoChange::Replace && m_photoFile ? &*m_photoFile : nullptr;
    if (m_pictures->Stage(currentId(), file))
        return true;
    MessageBox(QStringLiteral("保存图片失败！"), QStringLiteral("资料保存"), TMsgIcon::Error);
    return false;
}

bool TfrmEmployeeEdit::ApplyChanges()
{
    // The record and its photo are stored together or not at all.
    if (!stagePhoto())
        return false;
    TAtomicRequest request;
    request.Apply(*EditDataSet);
    if (m_photo != TPhotoChange::None)
        request.Apply(*m_pictures->PictDataSet);
    const TAtomicResult result = request.Send();
    m_pictures->Unstage();
    if (!result.Ok) {
        MessageBox(QStringLiteral("保存员工资料失败：") + result.Message,
                   QStringLiteral("资料保存"), TMsgIcon::Error);
        return false;
    }
    m_photo = TPhotoChange::None;
    m_photoFile.reset();
    return true;
}

bool TfrmEmployeeEdit::sendPhotoAlone()
{
    if (m_photo == TPhotoChange::None)
        return true;
    if (!stagePhoto())
        return false;
    TAtomicRequest request;
    request.Apply(*m_pictures->PictDataSet);
    const TAtomicResult result = request.Send();
    m_pictures->Unstage();
    if (!result.Ok) {
        MessageBox(QStringLiteral("保存图片失败：") + result.Message, QStringLiteral("资料保存"),
                   TMsgIcon::Error);
        return false;
    }
    m_photo = TPhotoChange::None;
    m_photoFile.reset();
    return true;
}

void TfrmEmployeeEdit::MyAfterApplyUpdates()
{
    TfrmComEdit::MyAfterApplyUpdates();
    // A record saved unchanged still takes the photo the user chose for it.
    sendPhotoAlone();
}

void TfrmEmployeeEdit::btnOk_NewClick()
{
    if (EditDataSet && !isEditing(*EditDataSet) && EditDataSet->ChangeCount() == 0 &&
        !sendPhotoAlone())
        return;
    TfrmComEdit::btnOk_NewClick();
}

void TfrmEmployeeEdit::btnInsert_NewClick()
{
    if (EditDataSet && !isEditing(*EditDataSet) && EditDataSet->ChangeCount() == 0 &&
        !sendPhotoAlone())
        return;
    TfrmComEdit::btnInsert_NewClick();
    if (EditDataSet && EditDataSet->State() == dsInsert) {
        m_photo = TPhotoChange::None;
        m_photoFile.reset();
        Image1->Clear();
        RzPageClient->setCurrentIndex(0);
    }
}

bool TfrmEmployeeEdit::photoBeforeMove()
{
    if (!PhotoPending() || !EditDataSet)
        return true;
    TClientDataSet &ds = *EditDataSet;
    if (isEditing(ds))
        ds.Post();
    // With other changes the inherited question stores the photo along with them.
    if (ds.ChangeCount() > 0)
        return true;
    switch (MessageBox(QStringLiteral("是否保存对当前资料的修改?"), QStringLiteral("资料保存"),
                       TMsgIcon::Question, TMsgButtons::YesNoCancel)) {
    case mrYes:
        return sendPhotoAlone();
    case mrNo:
        m_photo = TPhotoChange::None;
        m_photoFile.reset();
        return true;
    default:
        return false;
    }
}

void TfrmEmployeeEdit::btnPrior_NewClick()
{
    if (photoBeforeMove())
        TfrmComEdit::btnPrior_NewClick();
}

void TfrmEmployeeEdit::btnNext_NewClick()
{
    if (photoBeforeMove())
        TfrmComEdit::btnNext_NewClick();
}

void TfrmEmployeeEdit::dsAfterScroll(TClientDataSet &DataSet)
{
    TfrmComEdit::dsAfterScroll(DataSet);
    m_photo = TPhotoChange::None;
    m_photoFile.reset();
    loadPicture();
}

void TfrmEmployeeEdit::loadPicture()
{
    if (!m_pictures)
        return;
    if (EditDataSet && EditDataSet->State() == dsInsert) {
        Image1->Clear();
        return;
    }
    m_pictures->Load(currentId(), Image1);
}

void TfrmEmployeeEdit::UploadPicture()
{
    const std::optional<QString> fileName = PromptForPictureFile(QStringLiteral("选择照片"));
    if (!fileName)
        return;
    QString error;
    std::optional<TPictureFile> file = ReadPictureFile(*fileName, &error);
    if (!file) {
        MessageBox(error, QStringLiteral("上传照片"), TMsgIcon::Warning);
        return;
    }
    Image1->SetPicture(file->Image);
    m_photoFile = std::move(file);
    m_photo = TPhotoChange::Replace;
}

void TfrmEmployeeEdit::ClearPicture()
{
    if (Image1->IsEmpty())
        return;
    if (MessageBox(QStringLiteral("确实要删除照片吗？"), QStringLiteral("询问"), TMsgIcon::Question,
                   TMsgButtons::YesNo) != mrYes)
        return;
    Image1->Clear();
    m_photoFile.reset();
    m_photo = TPhotoChange::Clear;
}

void TfrmEmployeeEdit::ZoomPicture()
{
    TFrmShowPic::Enlarge(this, *Image1);
}
