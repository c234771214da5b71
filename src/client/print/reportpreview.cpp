#include "client/print/reportpreview.h"

#include "client/widgets/messagebox.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton *toolButton(QWidget *parent, QLayout *layout, const char *name, const QString &text)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setAutoRaise(true);
    layout->addWidget(button);
    return button;
}

// The preview's screen resolution at 100 %.
constexpr double ScreenDpi = 96;

} // namespace

TfrmReportPreview::TfrmReportPreview(std::unique_ptr<print::TReport> report,
                                     std::unique_ptr<print::TReportDataSource> data,
                                     const QString &caption, QWidget *parent)
    : QDialog(parent)
    , m_ownedReport(std::move(report))
    , m_ownedData(std::move(data))
    , m_report(m_ownedReport.get())
    , m_data(m_ownedData.get())
{
    build(caption);
}

TfrmReportPreview::TfrmReportPreview(const print::TReport &report,
                                     const print::TReportDataSource &data, const QString &caption,
                                     QWidget *parent)
    : QDialog(parent)
    , m_report(&report)
    , m_data(&data)
{
    build(caption);
}

void TfrmReportPreview::build(const QString &caption)
{
    m_renderer = std::make_unique<print::TReportRenderer>(*m_report, *m_data);
    setObjectName(QStringLiteral("frmReportPreview"));
    setWindowTitle(caption);
    resize(900, 760);

    auto *bar = new QHBoxLayout;
    btnFirst = toolButton(this, bar, "btnFirst", QStringLiteral("首页"));
    btnPrior = toolButton(this, bar, "btnPrior", QStringLiteral("上一页"));
    lblPage = new QLabel(this);
    lblPage->setObjectName(QStringLiteral("lblPage"));
    bar->addWidget(lblPage);
    btnNext = toolButton(this, bar, "btnNext", QStringLiteral("下一页"));
    btnLast = toolButton(this, bar, "btnLast", QStringLiteral("末页"));
    cbZoom = new QComboBox(this);
    cbZoom->setObjectName(QStringLiteral("cbZoom"));
    for (const int percent : {50, 75, 100, 125, 150, 200})
        cbZoom->addItem(QStringLiteral("%1%").arg(percent), percent / 100.0);
    cbZoom->setCurrentIndex(2);
    bar->addWidget(cbZoom);
    btnPrint = toolButton(this, bar, "btnPrint", QStringLiteral("打印(&P)"));
    btnPdf = toolButton(this, bar, "btnPdf", QStringLiteral("保存为PDF"));
    bar->addStretch();
    btnClose = toolButton(this, bar, "btnClose", QStringLiteral("关闭"));

    imgPage = new QLabel;
    imgPage->setObjectName(QStringLiteral("imgPage"));
    imgPage->setAlignment(Qt::AlignCenter);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(imgPage);
    m_scroll->setWidgetResizable(true);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_scroll, 1);

    connect(btnFirst, &QToolButton::clicked, this, [this] { ShowPage(0); });
    connect(btnPrior, &QToolButton::clicked, this, [this] { ShowPage(m_page - 1); });
    connect(btnNext, &QToolButton::clicked, this, [this] { ShowPage(m_page + 1); });
    connect(btnLast, &QToolButton::clicked, this, [this] { ShowPage(PageCount() - 1); });
    connect(cbZoom, &QComboBox::currentIndexChanged, this,
            [this](int index) { SetZoom(cbZoom->itemData(index).toDouble()); });
    connect(btnPrint, &QToolButton::clicked, this, &TfrmReportPreview::printReport);
    connect(btnPdf, &QToolButton::clicked, this, &TfrmReportPreview::askPdfFile);
    connect(btnClose, &QToolButton::clicked, this, &QDialog::accept);
    refresh();
}

TfrmReportPreview::~TfrmReportPreview() = default;

void TfrmReportPreview::Rerender()
{
    m_renderer = std::make_unique<print::TReportRenderer>(*m_report, *m_data);
    m_page = std::clamp(m_page, 0, std::max(0, PageCount() - 1));
    refresh();
}

int TfrmReportPreview::PageCount() const
{
    return m_renderer->PageCount();
}

void TfrmReportPreview::ShowPage(int page)
{
    const int shown = std::clamp(page, 0, PageCount() - 1);
    if (shown == m_page)
        return;
    m_page = shown;
    refresh();
}

void TfrmReportPreview::SetZoom(double zoom)
{
    zoom = std::clamp(zoom, 0.1, 4.0);
    if (zoom == m_zoom)
        return;
    m_zoom = zoom;
    refresh();
}

void TfrmReportPreview::refresh()
{
    imgPage->setPixmap(QPixmap::fromImage(m_renderer->PageImage(m_page, ScreenDpi * m_zoom)));
    lblPage->setText(QStringLiteral("第%1页，共%2页").arg(m_page + 1).arg(PageCount()));
    btnFirst->setEnabled(m_page > 0);
    btnPrior->setEnabled(m_page > 0);
    btnNext->setEnabled(m_page + 1 < PageCount());
    btnLast->setEnabled(m_page + 1 < PageCount());
}

bool TfrmReportPreview::SaveAsPdf(const QString &fileName)
{
    QString error;
    if (m_renderer->WritePdf(fileName, &error))
        return true;
    MessageBox(error, QStringLiteral("提示"), TMsgIcon::Warning);
    return false;
}

void TfrmReportPreview::askPdfFile()
{
    const QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("保存为PDF"),
                                                          windowTitle() + QStringLiteral(".pdf"),
                                                          QStringLiteral("PDF 文件(*.pdf)"));
    if (!fileName.isEmpty())
        SaveAsPdf(fileName);
}

void TfrmReportPreview::printReport()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(windowTitle());
    printer.setFullPage(true);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString error;
    if (!m_renderer->Print(printer, &error))
        MessageBox(error, QStringLiteral("提示"), TMsgIcon::Warning);
}
