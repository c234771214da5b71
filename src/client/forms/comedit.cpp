// The generic edit form.
#include "client/forms/comedit.h"

#include "client/common/sqltext.h"
#include "client/core/session.h"
#include "client/data/centraldata.h"
#include "client/data/fields.h"
#include "client/data/formats.h"
#include "client/data/serveraccess.h"
#include "client/widgets/controls.h"
#include "client/widgets/dbcontrols.h"
#include "client/widgets/dblookupcombo.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QPushButton *sideButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    button->setMinimumWidth(80);
    return button;
}

bool isEditing(const TClientDataSet &ds)
{
    return ds.State() == dsEdit || ds.State() == dsInsert;
}

// The controls whose fields the required check looks at.
bool isCheckedControl(QWidget *widget)
{
    return qobject_cast<TDBEdit *>(widget) || qobject_cast<TDBButtonEdit *>(widget) ||
           qobject_cast<TDBDateEdit *>(widget) || qobject_cast<TDBComboBox *>(widget) ||
           qobject_cast<TDBCheckBox *>(widget) || qobject_cast<TDBLookupComboBox *>(widget);
}

bool isMissing(const TField &field)
{
    if (IsStringType(field.DataType()))
        return field.AsString().isEmpty();
    if (field.IsNumeric())
        return field.AsFloat() == 0;
    switch (field.DataType()) {
    case ftDate:
    case ftTime:
    case ftDateTime:
        return field.IsNull();
    default:
        return false;
    }
}

} // namespace

QString ZeroPaddedCode(qint64 number, int width)
{
    return QString::number(number).rightJustified(width, QLatin1Char('0'));
}

TfrmComEdit::TfrmComEdit(QWidget *parent)
    : TFrmRoot(parent)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    RzPanelClient = new TPanel(this);
    RzPanelClient->setObjectName(QStringLiteral("RzPanelClient"));
    auto *client = new QVBoxLayout(RzPanelClient);
    client->setContentsMargins(6, 6, 6, 6);
    RzPageClient = new QTabWidget(RzPanelClient);
    RzPageClient->setObjectName(QStringLiteral("RzPageClient"));
    TabSheet_JBXX = new QWidget;
    TabSheet_JBXX->setObjectName(QStringLiteral("TabSheet_JBXX"));
    RzPageClient->addTab(TabSheet_JBXX, QStringLiteral("基本信息"));
    client->addWidget(RzPageClient);
    // Subclasses lay the page out; the ID edit shows only where one places it.
    RzDBEdit_ID = new TDBEdit(TabSheet_JBXX);
    RzDBEdit_ID->setObjectName(QStringLiteral("RzDBEdit_ID"));
    RzDBEdit_ID->hide();
    layout->addWidget(RzPanelClient, 1);

    RzPanelLeft = new TPanel(this);
    RzPanelLeft->setObjectName(QStringLiteral("RzPanelLeft"));
    auto *buttons = new QVBoxLayout(RzPanelLeft);
    buttons->setContentsMargins(6, 12, 6, 6);
    btnPrior_New = sideButton(RzPanelLeft, "btnPrior_New", QStringLiteral("前一(&B)"));
    btnNext_New = sideButton(RzPanelLeft, "btnNext_New", QStringLiteral("后一(&N)"));
    btnInsert_New = sideButton(RzPanelLeft, "btnInsert_New", QStringLiteral("新增(&A)"));
    btnOk_New = sideButton(RzPanelLeft, "btnOk_New", QStringLiteral("保存(&Q)"));
    btnCancel_New = sideButton(RzPanelLeft, "btnCancel_New", QStringLiteral("取消(&C)"));
    for (QPushButton *button : {btnPrior_New, btnNext_New, btnInsert_New, btnOk_New, btnCancel_New})
        buttons->addWidget(button);
    buttons->addStretch(1);
    btnInsert_New->hide();
    layout->addWidget(RzPanelLeft);

    connect(btnPrior_New, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnPrior_NewClick(); }); });
    connect(btnNext_New, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnNext_NewClick(); }); });
    connect(btnInsert_New, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnInsert_NewClick(); }); });
    connect(btnOk_New, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnOk_NewClick(); }); });
    connect(btnCancel_New, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnCancel_NewClick(); }); });
}

TfrmComEdit::~TfrmComEdit()
{
    restoreDataSet();
}

void TfrmComEdit::FormShow()
{
    TFrmRoot::FormShow();
    if (m_bound)
        return;
    THourGlass hourGlass;
    if (!EditDataSource)
        EditDataSource = RzDBEdit_ID->DataSource();
    if (!EditDataSource || !EditDataSource->DataSet()) {
        MessageBox(QStringLiteral("没有设置数据集！"), QStringLiteral("出错提示"), TMsgIcon::Error);
        return;
    }
    EditDataSet = EditDataSource->DataSet();
    WasActive = EditDataSet->Active();
    if (!WasActive)
        EditDataSet->Open();
    OldValues = QVariantList(EditDataSet->FieldCount());

    RequiredFields = RequiredFields.toUpper();
    if (!RequiredFields.isEmpty() && !RequiredFields.endsWith(QLatin1Char(';')))
        RequiredFields += QLatin1Char(';');

    const bool adding = EditMode == QLatin1String("A") || EditMode == QLatin1String("I");
    const QString suffix = adding ? QStringLiteral("基础资料增加") : QStringLiteral("基础资料修改");
    if (!FormCaption.isEmpty())
        setWindowTitle(FormCaption);
    else if (windowTitle() == objectName())
        setWindowTitle(suffix);
    else
        setWindowTitle(windowTitle() + suffix);
    if (adding) {
        btnInsert_New->show();
        if (EditMode == QLatin1String("A"))
            EditDataSet->Append();
        else
            EditDataSet->Insert();
    }

    SavedEvents = EditDataSet->Events();
    TClientDataSet &ds = *EditDataSet;
    ds.OnNewRecord = [this](TClientDataSet &d) {
        dsOnNewRecord(d);
    };
    ds.AfterInsert = [this](TClientDataSet &d) {
        dsAfterInsert(d);
    };
    ds.BeforeEdit = [this](TClientDataSet &d) {
        dsBeforeEdit(d);
    };
    ds.BeforePost = [this](TClientDataSet &d) {
        dsBeforePost(d);
    };
    ds.AfterPost = [this](TClientDataSet &d) {
        dsAfterPost(d);
    };
    ds.BeforeScroll = [this](TClientDataSet &d) {
        dsBeforeScroll(d);
    };
    ds.AfterScroll = [this](TClientDataSet &d) {
        dsAfterScroll(d);
    };
    ds.AfterApplyUpdates = [this](TClientDataSet &d, QVariant &owner) {
        dsAfterApplyUpdates(d, owner);
    };
    m_savedDataChange = EditDataSource->OnDataChange;
    EditDataSource->OnDataChange = [this](TDataSource &sender, TField *field) {
        sDataChange(sender, field);
    };
    m_bound = true;

    // The record appended above was made before these handlers were in place.
    if (adding)
        dsOnNewRecord(ds);

    if (RzDBEdit_ID->isVisible() && RzDBEdit_ID->isEnabled())
        RzDBEdit_ID->setFocus();
    RzPageClient->setCurrentIndex(0);
    if (!parentWidget() || parentWidget()->isHidden()) {
        if (QScreen *screen = QApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
}

void TfrmComEdit::dsOnNewRecord(TClientDataSet &DataSet)
{
    if (DataSet.State() != dsInsert)
        return;
    TField *id = DataSet.FindField(QStringLiteral("ID"));
    if (id && !IdTable.isEmpty()) {
        const QString sql =
            SessionInfo().DatabaseKind != 0
                ? QStringLiteral("select isnull(max(id),0) +1 from ") + IdTable
                : QStringLiteral("select iif(isnull(max(ID)), 1, max(ID)+1) from ") + IdTable;
        SQLToFields(sql, DataSet, QStringLiteral("ID"), false);
        if (TField *code = DataSet.FindField(QStringLiteral("BH")))
            code->SetAsString(ZeroPaddedCode(id->AsLargeInt()));
    }
    if (TField *date = DataSet.FindField(QStringLiteral("RQ")))
        date->SetAsDate(Data().GetServerDate());
    if (TField *stopped = DataSet.FindField(QStringLiteral("ZT")))
        stopped->SetAsBoolean(false);
    if (auto *name = TabSheet_JBXX->findChild<QWidget *>(QStringLiteral("RzDBEdit_Name")))
        name->setFocus();
}

void TfrmComEdit::captureOldValues()
{
    if (!EditDataSet)
        return;
    OldValues = QVariantList(EditDataSet->FieldCount());
    for (int i = 0; i < EditDataSet->FieldCount(); ++i)
        OldValues[i] = EditDataSet->Fields(i)->Value();
}

void TfrmComEdit::dsAfterInsert(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
    captureOldValues();
}

void TfrmComEdit::dsBeforeEdit(TClientDataSet &DataSet)
{
    Q_UNUSED(DataSet);
    captureOldValues();
}

QVariant TfrmComEdit::OldValue(const QString &FieldName) const
{
    if (!EditDataSet)
        return {};
    const TField *field = EditDataSet->FindField(FieldName);
    if (!field || field->Index() >= OldValues.size())
        return {};
    return OldValues[field->Index()];
}

void TfrmComEdit::dsBeforePost(TClientDataSet &DataSet)
{
    // Numbers are stored as they show: a value whose display text groups thousands is
    // rounded to the mask's places; a value shown without a separator keeps its digits.
    for (int i = 0; i < DataSet.FieldCount(); ++i) {
        TField *field = DataSet.Fields(i);
        if (field->FieldKind() != fkData || !field->IsNumeric() || field->DataType() == ftAutoInc ||
            !field->CanModify())
            continue;
        if (field->IsNull()) {
            field->SetValue(0);
            continue;
        }
        const QString format = field->DisplayFormat();
        if (format.isEmpty())
            continue;
        if (FormatFloat(format, field->AsFloat()).contains(QLatin1Char(','))) {
            QString plain = format;
            plain.remove(QLatin1Char(','));
            field->SetText(FormatFloat(plain, field->AsFloat()));
        }
    }
    CheckRequiredFields();
}

void TfrmComEdit::CheckRequiredFields()
{
    if (RequiredFields.isEmpty() || !EditDataSet)
        return;
    const QList<QWidget *> widgets = findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        if (!isCheckedControl(widget))
            continue;
        auto *control = dynamic_cast<TFieldControl *>(widget);
        TField *field = control ? control->Field() : nullptr;
        if (!field || field->DataSet() != EditDataSet)
            continue;
        if (!RequiredFields.contains(field->FieldName().toUpper() + QLatin1Char(';')))
            continue;
        if (!isMissing(*field))
            continue;
        MessageBox(QLatin1Char('\'') + field->DisplayName() +
                       QStringLiteral("'未录入, 请继续录入!"),
                   QStringLiteral("录入错误"), TMsgIcon::Warning);
        if (QWidget *page = RzPageClient->indexOf(widget->parentWidget()) >= 0
                                ? widget->parentWidget()
                                : nullptr)
            RzPageClient->setCurrentWidget(page);
        widget->setFocus();
        Abort();
    }
}

bool TfrmComEdit::IsDuplicate()
{
    DuplicateCheck.clear();
    SetDuplicateValue();
    const qsizetype bar = DuplicateCheck.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return false;
    const QString label = DuplicateCheck.left(bar);
    bool found = false;
    {
        TTmpDataSet probe;
        probe->SetCommandText(DuplicateCheck.mid(bar + 1));
        probe->Open();
        found = !probe->IsEmpty();
    }
    if (found)
        ShowMessage(label + QStringLiteral("不能重复，请重新输入！"));
    return found;
}

bool TfrmComEdit::IsDuplicateCode()
{
    if (UniqueCode.Field.isEmpty() || UniqueCode.Table.isEmpty() || !EditDataSet)
        return false;
    const TField *code = EditDataSet->FindField(UniqueCode.Field);
    if (!code || code->AsString().isEmpty()) // the required-field check speaks for an empty one
        return false;
    const TField *id = EditDataSet->FindField(QStringLiteral("ID"));
    // The server compares codes as the key does, without regard to case.
    QString probe = QStringLiteral("select count(*) from ") + UniqueCode.Table +
                    QStringLiteral(" where ") + UniqueCode.Field + QStringLiteral(" = ") +
                    QuotedStr(code->AsString());
    if (id && !id->IsNull())
        probe += QStringLiteral(" and ID <> ") + QString::number(id->AsLargeInt());
    if (QueryValue(probe).toLongLong() == 0)
        return false;
    ShowMessage(UniqueCode.Caption + QStringLiteral("已存在，请重新输入！"));
    const QList<TDBEdit *> edits = findChildren<TDBEdit *>();
    for (TDBEdit *edit : edits) {
        if (edit->DataField().compare(UniqueCode.Field, Qt::CaseInsensitive) != 0)
            continue;
        for (QWidget *page = edit; page; page = page->parentWidget()) {
            const int index = RzPageClient->indexOf(page);
            if (index >= 0) {
                RzPageClient->setCurrentIndex(index);
                break;
            }
        }
        edit->setFocus();
        break;
    }
    return true;
}

void TfrmComEdit::Save(const QString &continueFlag)
{
    if (!EditDataSet)
        return;
    TClientDataSet &ds = *EditDataSet;
    RzPageClient->setCurrentIndex(0);
    if (isEditing(ds) && (IsDuplicateCode() || IsDuplicate()))
        return;
    THourGlass hourGlass;
    if (isEditing(ds))
        ds.Post();
    if (ds.ChangeCount() > 0) {
        Applied = false;
        if (!ApplyChanges())
            return;
        Applied = true;
    }
    MyAfterApplyUpdates();
    if (const TField *id = ds.FindField(QStringLiteral("ID")))
        LastID = id->AsString();
    if (const TField *code = ds.FindField(QStringLiteral("BH")))
        LastBH = code->AsString();
    if (const TField *name = ds.FindField(QStringLiteral("MC")))
        LastMC = name->AsString();
    if (continueFlag == QLatin1String("1")) {
        if (EditMode == QLatin1String("A"))
            ds.Append();
        else
            ds.Insert();
        return;
    }
    Saved = true;
    SetModalResult(mrOk);
    if (isVisible())
        Close();
}

bool TfrmComEdit::ApplyChanges()
{
    return EditDataSet->ApplyUpdates(0) <= 0;
}

void TfrmComEdit::btnInsert_NewClick()
{
    Save(QStringLiteral("1"));
}

void TfrmComEdit::btnOk_NewClick()
{
    Save(QStringLiteral("0"));
}

bool TfrmComEdit::SaveBeforeMove()
{
    TClientDataSet &ds = *EditDataSet;
    if (isEditing(ds))
        ds.Post();
    if (ds.ChangeCount() == 0)
        return true;
    switch (MessageBox(QStringLiteral("是否保存对当前资料的修改?"), QStringLiteral("资料保存"),
                       TMsgIcon::Question, TMsgButtons::YesNoCancel)) {
    case mrYes:
        if (isEditing(ds))
            ds.Post();
        if (!ApplyChanges())
            return false;
        MyAfterApplyUpdates();
        return true;
    case mrNo:
        ds.CancelUpdates();
        return true;
    default:
        return false;
    }
}

void TfrmComEdit::updateMoveButtons(bool movedBack)
{
    if (movedBack) {
        btnPrior_New->setEnabled(!EditDataSet->Bof());
        btnNext_New->setEnabled(true);
    } else {
        btnNext_New->setEnabled(!EditDataSet->Eof());
        btnPrior_New->setEnabled(true);
    }
}

void TfrmComEdit::btnPrior_NewClick()
{
    if (!EditDataSet || !SaveBeforeMove())
        return;
    EditDataSet->Prior();
    updateMoveButtons(true);
}

void TfrmComEdit::btnNext_NewClick()
{
    if (!EditDataSet || !SaveBeforeMove())
        return;
    EditDataSet->Next();
    updateMoveButtons(false);
}

void TfrmComEdit::btnCancel_NewClick()
{
    if (EditDataSet) {
        if (isEditing(*EditDataSet))
            EditDataSet->Cancel();
        if (EditDataSet->ChangeCount() > 0)
            EditDataSet->CancelUpdates();
    }
    SetModalResult(mrCancel);
    if (isVisible())
        Close();
}

void TfrmComEdit::CopyLookupName(const TField *Field, const QString &keyField,
                                 const QString &nameField, TClientDataSet &list)
{
    if (!Field || !EditDataSet || Field->FieldName().compare(keyField, Qt::CaseInsensitive) != 0)
        return;
    TField *name = EditDataSet->FindField(nameField);
    if (!name)
        return;
    const QVariant value = list.Lookup(QStringLiteral("ID"), Field->Value(), QStringLiteral("MC"));
    name->SetAsString(value.isNull() ? QString() : value.toString());
}

void TfrmComEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        Guarded([this] { btnCancel_NewClick(); });
        return;
    }
    TFrmRoot::keyPressEvent(event);
}

void TfrmComEdit::restoreDataSet()
{
    if (!m_bound)
        return;
    m_bound = false;
    if (EditDataSet)
        EditDataSet->Events() = SavedEvents;
    if (EditDataSource)
        EditDataSource->OnDataChange = m_savedDataChange;
}

void TfrmComEdit::FormClose()
{
    if (m_bound && EditDataSet) {
        // Closing without saving leaves the list as it was.
        Guarded([this] {
            if (!Saved && isEditing(*EditDataSet))
                EditDataSet->Cancel();
            if (!Saved && EditDataSet->ChangeCount() > 0)
                EditDataSet->CancelUpdates();
        });
        if (WasActive && !EditDataSet->Active())
            Guarded([this] { EditDataSet->Open(); });
    }
    restoreDataSet();
    TFrmRoot::FormClose();
}
