#include "client/print/reportdesigner.h"

#include "client/print/reportdesignview.h"
#include "client/print/reportpreview.h"
#include "client/widgets/messagebox.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

using namespace print;

namespace {

struct TNewItem
{
    TItemKind Kind;
    const char *Caption;
    QSizeF Size; // millimetres
    const char *Text;
};

const TNewItem NewItems[] = {
    {TItemKind::Text, "文本", {30, 6}, "文本"},
    {TItemKind::Line, "线", {40, 0}, ""},
    {TItemKind::Rectangle, "矩形", {30, 10}, ""},
    {TItemKind::Barcode, "条码", {50, 12}, "[DJBH]"},
    {TItemKind::QrCode, "二维码", {20, 20}, "[DJBH]"},
    {TItemKind::Picture, "图片", {40, 20}, ""},
};

const struct
{
    const char *Caption;
    Qt::Alignment Align;
} Alignments[] = {
    {"左对齐", Qt::AlignLeft},
    {"居中", Qt::AlignHCenter},
    {"右对齐", Qt::AlignRight},
};

QDoubleSpinBox *millimetres(QWidget *parent, const char *name, double maximum)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setDecimals(1);
    box->setRange(0, maximum);
    box->setSuffix(QStringLiteral(" mm"));
    box->setKeyboardTracking(false);
    return box;
}

// The largest size within box that keeps the picture's shape, so it is not drawn with a
// surrounding blank the user did not ask for.
QSizeF fitPicture(const QByteArray &picture, QSizeF box)
{
    const QSize pixels = QImage::fromData(picture).size();
    if (pixels.isEmpty())
        return box;
    const QSizeF fit = QSizeF(pixels).scaled(box, Qt::KeepAspectRatio);
    // To the tenth of a millimetre the panel shows.
    return QSizeF(std::round(fit.width() * 10) / 10, std::round(fit.height() * 10) / 10);
}

} // namespace

TfrmReportDesigner::TfrmReportDesigner(std::unique_ptr<TReport> report,
                                       std::unique_ptr<TReportDataSource> data,
                                       const QString &caption, const QString &fileName,
                                       QWidget *parent)
    : QDialog(parent)
    , m_report(std::move(report))
    , m_data(std::move(data))
    , m_design(std::make_unique<TReportDesign>(m_report->Template()))
    , m_fileName(fileName)
    , m_choosePicture([](QWidget *parent) {
        return QFileDialog::getOpenFileName(parent, QStringLiteral("选择图片"), QString(),
                                            QStringLiteral("图片(*.png *.jpg *.jpeg)"));
    })
{
    setObjectName(QStringLiteral("frmReportDesigner"));
    setWindowTitle(caption);
    resize(1100, 800);

    m_preview = new TfrmReportPreview(*m_report, *m_data, caption);
    m_preview->setWindowFlags(Qt::Widget);
    // Inside the designer its close button closes the designer.
    disconnect(m_preview->btnClose, nullptr, m_preview, nullptr);
    connect(m_preview->btnClose, &QToolButton::clicked, this, &QDialog::accept);

    tabPages = new QTabWidget(this);
    tabPages->setObjectName(QStringLiteral("tabPages"));
    tabPages->addTab(m_preview, QStringLiteral("预览"));
    tabPages->addTab(buildDesignPage(), QStringLiteral("设计"));
    tabPages->setCurrentIndex(0);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(tabPages);

    connect(m_design.get(), &TReportDesign::Changed, this, [this] {
        m_preview->Rerender();
        showProperties();
    });
    showProperties();
}

TfrmReportDesigner::~TfrmReportDesigner() = default;

QWidget *TfrmReportDesigner::buildDesignPage()
{
    auto *page = new QWidget;
    auto *bar = new QToolBar(page);
    bar->setObjectName(QStringLiteral("tbDesign"));
    for (const TNewItem &kind : NewItems) {
        QAction *add = bar->addAction(QString::fromUtf8(kind.Caption));
        const TItemKind itemKind = kind.Kind;
        connect(add, &QAction::triggered, this, [this, itemKind] { AddItem(itemKind); });
        if (itemKind == TItemKind::Picture)
            aPicture = add;
    }
    bar->addSeparator();
    aDelete = bar->addAction(QStringLiteral("删除"));
    aUndo = m_design->UndoStack().createUndoAction(this, QStringLiteral("撤销"));
    aUndo->setShortcut(QKeySequence::Undo);
    aRedo = m_design->UndoStack().createRedoAction(this, QStringLiteral("重做"));
    aRedo->setShortcut(QKeySequence::Redo);
    bar->addAction(aUndo);
    bar->addAction(aRedo);
    bar->addSeparator();
    aSnap = bar->addAction(QStringLiteral("对齐网格 1 mm"));
    aSnap->setCheckable(true);
    aSnap->setChecked(m_design->Snapping());
    bar->addSeparator();
    aSave = bar->addAction(QStringLiteral("保存"));
    aSave->setShortcut(QKeySequence::Save);
    aSaveAs = bar->addAction(QStringLiteral("另存为"));

    m_view = new TReportDesignView(*m_design);
    auto *scroll = new QScrollArea(page);
    scroll->setWidget(m_view);
    scroll->setBackgroundRole(QPalette::Dark);

    m_properties = new QWidget(page);
    auto *form = new QFormLayout(m_properties);
    edText = new QLineEdit(m_properties);
    edText->setObjectName(QStringLiteral("edText"));
    edText->setPlaceholderText(QStringLiteral("文字或字段，如 [DJBH]"));
    form->addRow(QStringLiteral("文本/字段"), edText);
    sbFontSize = new QDoubleSpinBox(m_properties);
    sbFontSize->setObjectName(QStringLiteral("sbFontSize"));
    sbFontSize->setRange(1, 200);
    sbFontSize->setDecimals(1);
    sbFontSize->setKeyboardTracking(false);
    form->addRow(QStringLiteral("字号"), sbFontSize);
    chkBold = new QCheckBox(QStringLiteral("粗体"), m_properties);
    chkBold->setObjectName(QStringLiteral("chkBold"));
    form->addRow(QString(), chkBold);
    cbAlign = new QComboBox(m_properties);
    cbAlign->setObjectName(QStringLiteral("cbAlign"));
    for (const auto &align : Alignments)
        cbAlign->addItem(QString::fromUtf8(align.Caption), int(align.Align));
    form->addRow(QStringLiteral("对齐"), cbAlign);
    edFormat = new QLineEdit(m_properties);
    edFormat->setObjectName(QStringLiteral("edFormat"));
    edFormat->setPlaceholderText(QStringLiteral("0.00、yyyy-MM-dd"));
    form->addRow(QStringLiteral("格式"), edFormat);
    sbLeft = millimetres(m_properties, "sbLeft", 1000);
    form->addRow(QStringLiteral("左"), sbLeft);
    sbTop = millimetres(m_properties, "sbTop", 1000);
    form->addRow(QStringLiteral("上"), sbTop);
    sbWidth = millimetres(m_properties, "sbWidth", 1000);
    form->addRow(QStringLiteral("宽"), sbWidth);
    sbHeight = millimetres(m_properties, "sbHeight", 1000);
    form->addRow(QStringLiteral("高"), sbHeight);
    sbBandHeight = millimetres(m_properties, "sbBandHeight", 1000);
    form->addRow(QStringLiteral("栏高"), sbBandHeight);
    btnPicture = new QPushButton(QStringLiteral("更换图片…"), m_properties);
    btnPicture->setObjectName(QStringLiteral("btnPicture"));
    form->addRow(QString(), btnPicture);
    m_properties->setFixedWidth(260);

    auto *body = new QHBoxLayout;
    body->addWidget(scroll, 1);
    body->addWidget(m_properties);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addLayout(body, 1);

    connect(aDelete, &QAction::triggered, this, [this] {
        if (!m_design->DeleteItem(m_view->Selected()))
            refused();
    });
    connect(aSnap, &QAction::toggled, this, [this](bool on) { m_design->SetSnapping(on); });
    connect(aSave, &QAction::triggered, this, &TfrmReportDesigner::Save);
    connect(aSaveAs, &QAction::triggered, this, [this] {
        const QString fileName = QFileDialog::getSaveFileName(
            this, QStringLiteral("另存为"), m_fileName, QStringLiteral("报表模板(*.rtm)"));
        if (!fileName.isEmpty())
            SaveAs(fileName);
    });
    connect(m_view, &TReportDesignView::SelectionChanged, this,
            &TfrmReportDesigner::showProperties);
    connect(m_view, &TReportDesignView::Refused, this, &TfrmReportDesigner::refused);
    connect(btnPicture, &QPushButton::clicked, this, &TfrmReportDesigner::ReplacePicture);
    connect(edText, &QLineEdit::editingFinished, this, &TfrmReportDesigner::applyProperties);
    connect(edFormat, &QLineEdit::editingFinished, this, &TfrmReportDesigner::applyProperties);
    connect(chkBold, &QCheckBox::toggled, this, &TfrmReportDesigner::applyProperties);
    connect(cbAlign, &QComboBox::activated, this, &TfrmReportDesigner::applyProperties);
    for (QDoubleSpinBox *box : {sbFontSize, sbLeft, sbTop, sbWidth, sbHeight})
        connect(box, &QDoubleSpinBox::valueChanged, this, &TfrmReportDesigner::applyProperties);
    connect(sbBandHeight, &QDoubleSpinBox::valueChanged, this, [this](double height) {
        if (!m_design->SetBandHeight(m_view->CurrentBand(), height))
            refused();
    });
    return page;
}

void TfrmReportDesigner::showProperties()
{
    const TReportItem *item = m_design->Item(m_view->Selected());
    const QList<QWidget *> fields{edText, edFormat, sbFontSize, chkBold, cbAlign,
                                  sbLeft, sbTop,    sbWidth,    sbHeight};
    for (QWidget *field : fields) {
        const QSignalBlocker blocker(field);
        field->setEnabled(item != nullptr);
    }
    const QList<TReportBand> &bands = m_design->Template().Bands;
    const int band = m_view->CurrentBand();
    {
        const QSignalBlocker blocker(sbBandHeight);
        sbBandHeight->setEnabled(band >= 0 && band < bands.size());
        sbBandHeight->setValue(sbBandHeight->isEnabled() ? bands.at(band).Height : 0);
    }
    aDelete->setEnabled(item != nullptr);
    btnPicture->setEnabled(item && item->Kind == TItemKind::Picture);
    if (!item)
        return;
    const QSignalBlocker b1(edText), b2(edFormat), b3(sbFontSize), b4(chkBold), b5(cbAlign),
        b6(sbLeft), b7(sbTop), b8(sbWidth), b9(sbHeight);
    edText->setText(item->Text);
    edFormat->setText(item->Format);
    sbFontSize->setValue(item->Font.PointSize);
    chkBold->setChecked(item->Font.Bold);
    cbAlign->setCurrentIndex(
        std::max(0, cbAlign->findData(int(item->Align & Qt::AlignHorizontal_Mask))));
    sbLeft->setValue(item->Rect.x());
    sbTop->setValue(item->Rect.y());
    sbWidth->setValue(item->Rect.width());
    sbHeight->setValue(item->Rect.height());
}

void TfrmReportDesigner::applyProperties()
{
    const TReportItem *current = m_design->Item(m_view->Selected());
    if (!current)
        return;
    TReportItem item = *current;
    item.Text = edText->text();
    item.Format = edFormat->text().trimmed();
    item.Font.PointSize = sbFontSize->value();
    item.Font.Bold = chkBold->isChecked();
    item.Align =
        Qt::Alignment(cbAlign->currentData().toInt()) | (item.Align & Qt::AlignVertical_Mask);
    // The boxes show a tenth of a millimetre: an untouched one keeps the finer value it shows.
    const auto keep = [](double shown, double value) {
        return std::abs(shown - value) < 0.05 ? value : shown;
    };
    item.Rect = QRectF(keep(sbLeft->value(), item.Rect.x()), keep(sbTop->value(), item.Rect.y()),
                       keep(sbWidth->value(), item.Rect.width()),
                       keep(sbHeight->value(), item.Rect.height()));
    if (!m_design->SetItem(m_view->Selected(), item))
        refused();
}

void TfrmReportDesigner::refused()
{
    if (!m_design->LastError().isEmpty())
        MessageBox(m_design->LastError(), QStringLiteral("提示"), TMsgIcon::Warning);
    showProperties();
}

void TfrmReportDesigner::AddItem(TItemKind kind)
{
    int band = m_view->CurrentBand();
    if (band < 0 && !m_design->Template().Bands.isEmpty())
        band = 0;
    for (const TNewItem &newItem : NewItems)
        if (newItem.Kind == kind) {
            TReportItem item;
            item.Kind = kind;
            item.Rect = QRectF(QPointF(0, 0), newItem.Size);
            item.Text = QString::fromUtf8(newItem.Text);
            if (kind == TItemKind::Barcode)
                item.Barcode = QStringLiteral("code128");
            if (kind == TItemKind::Picture) {
                item.Picture = choosePicture();
                if (item.Picture.isEmpty())
                    return;
                item.Rect.setSize(fitPicture(item.Picture, newItem.Size));
            }
            const TItemRef added = m_design->AddItem(band, item);
            if (added.Band < 0)
                refused();
            else
                m_view->Select(added);
        }
}

QByteArray TfrmReportDesigner::choosePicture()
{
    const QString fileName = m_choosePicture(this);
    if (fileName.isEmpty())
        return {};
    QByteArray bytes;
    QString error;
    if (!ReadPictureFile(fileName, bytes, &error))
        MessageBox(error, QStringLiteral("提示"), TMsgIcon::Warning);
    return bytes;
}

void TfrmReportDesigner::ReplacePicture()
{
    const TItemRef ref = m_view->Selected();
    const TReportItem *current = m_design->Item(ref);
    if (!current || current->Kind != TItemKind::Picture)
        return;
    const QByteArray bytes = choosePicture();
    if (bytes.isEmpty())
        return;
    TReportItem item = *current;
    item.Picture = bytes;
    if (!m_design->SetItem(ref, item))
        refused();
}

bool TfrmReportDesigner::Save()
{
    return SaveAs(m_fileName);
}

bool TfrmReportDesigner::SaveAs(const QString &fileName)
{
    QString error;
    if (!SaveReportTemplate(fileName, m_design->Template(), &error)) {
        MessageBox(error, QStringLiteral("提示"), TMsgIcon::Warning);
        return false;
    }
    m_fileName = fileName;
    m_design->UndoStack().setClean();
    return true;
}

void TfrmReportDesigner::done(int result)
{
    if (!m_design->UndoStack().isClean()) {
        switch (MessageBox(QStringLiteral("报表模板已修改，是否保存？"), QStringLiteral("提示"),
                           TMsgIcon::Question, TMsgButtons::YesNoCancel, mrYes)) {
        case mrYes:
            if (!Save())
                return;
            break;
        case mrNo:
            break;
        default:
            return;
        }
    }
    QDialog::done(result);
}
