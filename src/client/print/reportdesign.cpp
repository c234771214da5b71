#include "client/print/reportdesign.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QUndoCommand>

#include <cmath>

namespace print {

namespace {

// Keeps the template before and after: templates are small and their pictures shared, and a
// whole-template step cannot drift from the file the way a chain of small inverse edits can.
class TTemplateCommand : public QUndoCommand
{
public:
    TTemplateCommand(TReportDesign &design, TReportTemplate before, TReportTemplate after,
                     const QString &text, std::optional<TReportDesign::TNudge> nudge)
        : QUndoCommand(text)
        , m_design(design)
        , m_before(std::move(before))
        , m_after(std::move(after))
        , m_nudge(nudge)
    {}

    void redo() override { m_design.Replace(m_after); }
    void undo() override { m_design.Replace(m_before); }
    int id() const override { return m_nudge ? 1 : -1; }

    bool mergeWith(const QUndoCommand *other) override
    {
        const auto *next = static_cast<const TTemplateCommand *>(other);
        if (next->m_nudge != m_nudge)
            return false;
        m_after = next->m_after;
        // Nudged back to where it started: nothing is left to undo.
        setObsolete(m_after == m_before);
        return true;
    }

private:
    TReportDesign &m_design;
    TReportTemplate m_before;
    TReportTemplate m_after;
    std::optional<TReportDesign::TNudge> m_nudge;
};

} // namespace

double SnapToGrid(double mm, double grid)
{
    if (grid <= 0)
        return mm;
    // Rounded on a tenth of a micrometre first, so 2.4999999 from pixel arithmetic is 2.5.
    const double steps = std::round(mm / grid * 1e4) / 1e4;
    return std::round(steps) * grid;
}

bool ReadPictureFile(const QString &fileName, QByteArray &bytes, QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("图片 %1 %2").arg(fileName, why);
        return false;
    };
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("无法打开：%1").arg(file.errorString()));
    const QString limit = QStringLiteral("图片不能超过 %1 KB").arg(MaxPictureBytes / 1024);
    // Checked before reading, so a huge file is never read into memory; a device that does not
    // know its size is read no further than one byte past the limit.
    if (!file.isSequential() && file.size() > MaxPictureBytes)
        return fail(QStringLiteral("有 %1 KB，%2").arg((file.size() + 1023) / 1024).arg(limit));
    const QByteArray read = file.read(MaxPictureBytes + 1);
    if (read.size() > MaxPictureBytes)
        return fail(QStringLiteral("太大，%1").arg(limit));
    // By content, not by name: a renamed file still has to be what the printer can draw.
    QBuffer buffer;
    buffer.setData(read);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&buffer);
    const QImage image = QImage::fromData(read);
    if ((format != "png" && format != "jpeg") || image.isNull())
        return fail(QStringLiteral("不是可以读取的 PNG 或 JPEG 图片"));
    bytes = read;
    return true;
}

TReportDesign::TReportDesign(TReportTemplate &report, QObject *parent)
    : QObject(parent)
    , m_report(report)
{}

const TReportItem *TReportDesign::Item(TItemRef ref) const
{
    if (ref.Band < 0 || ref.Band >= m_report.Bands.size())
        return nullptr;
    const QList<TReportItem> &items = m_report.Bands.at(ref.Band).Items;
    return ref.Item >= 0 && ref.Item < items.size() ? &items.at(ref.Item) : nullptr;
}

QPointF TReportDesign::Snapped(QPointF mm) const
{
    return {Snapped(mm.x()), Snapped(mm.y())};
}

double TReportDesign::Snapped(double mm) const
{
    return m_snapping ? SnapToGrid(mm, m_grid) : mm;
}

void TReportDesign::Replace(const TReportTemplate &report)
{
    m_report = report;
    emit Changed();
}

bool TReportDesign::apply(const TReportTemplate &changed, const QString &text,
                          std::optional<TNudge> nudge)
{
    m_error.clear();
    if (changed == m_report)
        return true;
    // The loader's rules are the template's rules: what it refuses, no edit may produce.
    TReportTemplate checked;
    if (!TemplateFromJson(TemplateToJson(changed), checked, &m_error))
        return false;
    m_undo.push(new TTemplateCommand(*this, m_report, changed, text, nudge));
    return true;
}

bool TReportDesign::MoveItem(TItemRef ref, QPointF topLeft, TEditStep step)
{
    if (!Item(ref)) {
        m_error = QStringLiteral("没有选中项目");
        return false;
    }
    const QPointF at = Snapped(topLeft);
    TReportTemplate changed = m_report;
    changed.Bands[ref.Band].Items[ref.Item].Rect.moveTopLeft(
        QPointF(std::max(0.0, at.x()), std::max(0.0, at.y())));
    return apply(changed, QStringLiteral("移动"),
                 step == TEditStep::Nudge ? std::optional(TNudge{ref, false}) : std::nullopt);
}

TItemRef TReportDesign::MoveItemToBand(TItemRef ref, int band, QPointF topLeft)
{
    if (!Item(ref)) {
        m_error = QStringLiteral("没有选中项目");
        return {};
    }
    if (band < 0 || band >= m_report.Bands.size()) {
        m_error = QStringLiteral("没有这个栏");
        return {};
    }
    if (band == ref.Band)
        return MoveItem(ref, topLeft) ? ref : TItemRef();
    const QPointF at = Snapped(topLeft);
    TReportTemplate changed = m_report;
    TReportItem item = changed.Bands[ref.Band].Items.takeAt(ref.Item);
    item.Rect.moveTopLeft(QPointF(std::max(0.0, at.x()), std::max(0.0, at.y())));
    changed.Bands[band].Items.append(item);
    if (!apply(changed, QStringLiteral("移到另一栏")))
        return {};
    return {band, int(m_report.Bands.at(band).Items.size()) - 1};
}

bool TReportDesign::ResizeItem(TItemRef ref, QSizeF size, TEditStep step)
{
    if (!Item(ref)) {
        m_error = QStringLiteral("没有选中项目");
        return false;
    }
    const QPointF snapped = Snapped(QPointF(size.width(), size.height()));
    TReportTemplate changed = m_report;
    changed.Bands[ref.Band].Items[ref.Item].Rect.setSize(
        QSizeF(std::max(0.0, snapped.x()), std::max(0.0, snapped.y())));
    return apply(changed, QStringLiteral("改变大小"),
                 step == TEditStep::Nudge ? std::optional(TNudge{ref, true}) : std::nullopt);
}

bool TReportDesign::SetItem(TItemRef ref, const TReportItem &item)
{
    if (!Item(ref)) {
        m_error = QStringLiteral("没有选中项目");
        return false;
    }
    TReportTemplate changed = m_report;
    changed.Bands[ref.Band].Items[ref.Item] = item;
    return apply(changed, QStringLiteral("修改属性"));
}

TItemRef TReportDesign::AddItem(int band, const TReportItem &item)
{
    if (band < 0 || band >= m_report.Bands.size()) {
        m_error = QStringLiteral("请先选择一个栏");
        return {};
    }
    TReportTemplate changed = m_report;
    changed.Bands[band].Items.append(item);
    if (!apply(changed, QStringLiteral("添加项目")))
        return {};
    return {band, int(m_report.Bands.at(band).Items.size()) - 1};
}

bool TReportDesign::DeleteItem(TItemRef ref)
{
    if (!Item(ref)) {
        m_error = QStringLiteral("没有选中项目");
        return false;
    }
    TReportTemplate changed = m_report;
    changed.Bands[ref.Band].Items.removeAt(ref.Item);
    return apply(changed, QStringLiteral("删除项目"));
}

bool TReportDesign::SetBandHeight(int band, double height)
{
    if (band < 0 || band >= m_report.Bands.size()) {
        m_error = QStringLiteral("没有选中栏");
        return false;
    }
    TReportTemplate changed = m_report;
    changed.Bands[band].Height = height;
    return apply(changed, QStringLiteral("改变栏高"));
}

} // namespace print
