#include "client/print/reportdesignview.h"

#include "client/print/reportrenderer.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace print {

namespace {

constexpr double CaptionHeight = 18; // pixels of the strip naming a band
constexpr double HandleSize = 7;     // pixels of the resize handle's square
constexpr double PickSlack = 3;      // pixels around thin lines that still pick them
// Pixels above and below a band's bottom edge that grab it; more below, on the caption strip,
// where no item is in the way.
constexpr double EdgeAbove = 2;
constexpr double EdgeBelow = 5;

} // namespace

QString BandCaption(TBandKind kind)
{
    switch (kind) {
    case TBandKind::Title:
        return QStringLiteral("标题");
    case TBandKind::PageHeader:
        return QStringLiteral("页眉");
    case TBandKind::Master:
        return QStringLiteral("主项");
    case TBandKind::ColumnHeader:
        return QStringLiteral("列头");
    case TBandKind::Detail:
        return QStringLiteral("明细");
    case TBandKind::Summary:
        return QStringLiteral("汇总");
    case TBandKind::PageFooter:
        return QStringLiteral("页脚");
    }
    return QString();
}

TReportDesignView::TReportDesignView(TReportDesign &design, QWidget *parent)
    : QWidget(parent)
    , m_design(design)
{
    setObjectName(QStringLiteral("vwDesign"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    setMouseTracking(true); // the cursor shows where a band's edge can be dragged
    setBackgroundRole(QPalette::Dark);
    connect(&m_design, &TReportDesign::Changed, this, [this] {
        if (!m_design.Item(m_selected))
            Select({});
        updateGeometry();
        adjustSize();
        update();
    });
    adjustSize();
}

QSize TReportDesignView::sizeHint() const
{
    const TReportTemplate &t = m_design.Template();
    const double width = t.PageSizeMm().width() * m_pixelsPerMm;
    return QSize(int(std::ceil(width)) + 1, int(std::ceil(bandTop(int(t.Bands.size())))) + 1);
}

double TReportDesignView::bandHeight(int band) const
{
    if (m_drag == TDrag::BandHeight && band == m_dragBand)
        return m_dragHeight;
    return m_design.Template().Bands.at(band).Height;
}

double TReportDesignView::bandTop(int band) const
{
    double y = CaptionHeight;
    const int count = int(m_design.Template().Bands.size());
    for (int i = 0; i < band && i < count; ++i)
        y += bandHeight(i) * m_pixelsPerMm + CaptionHeight;
    return y;
}

QRectF TReportDesignView::BandRect(int band) const
{
    if (band < 0 || band >= m_design.Template().Bands.size())
        return {};
    return QRectF(0, bandTop(band), m_design.Template().PageSizeMm().width() * m_pixelsPerMm,
                  bandHeight(band) * m_pixelsPerMm);
}

int TReportDesignView::BandEdgeAt(QPointF pos) const
{
    const int count = int(m_design.Template().Bands.size());
    for (int band = 0; band < count; ++band) {
        const double edge = BandRect(band).bottom();
        if (pos.y() >= edge - EdgeAbove && pos.y() <= edge + EdgeBelow)
            return band;
    }
    return -1;
}

int TReportDesignView::bandAt(double y) const
{
    const int count = int(m_design.Template().Bands.size());
    for (int band = 0; band < count; ++band)
        if (y < bandTop(band + 1) - CaptionHeight)
            return y >= bandTop(band) - CaptionHeight ? band : -1;
    return -1;
}

QRectF TReportDesignView::toPixels(int band, const QRectF &mm) const
{
    const double left = m_design.Template().MarginsMm.left();
    return QRectF((left + mm.x()) * m_pixelsPerMm, bandTop(band) + mm.y() * m_pixelsPerMm,
                  mm.width() * m_pixelsPerMm, mm.height() * m_pixelsPerMm);
}

QRectF TReportDesignView::ItemRect(TItemRef ref) const
{
    const TReportItem *item = m_design.Item(ref);
    if (!item)
        return {};
    if (ref == m_selected && (m_drag == TDrag::Move || m_drag == TDrag::Resize))
        return toPixels(m_dragBand, m_dragRect);
    return toPixels(ref.Band, item->Rect);
}

QRectF TReportDesignView::handleRect() const
{
    const QRectF rect = ItemRect(m_selected);
    if (rect.isNull() && !m_design.Item(m_selected))
        return {};
    return QRectF(rect.bottomRight() - QPointF(HandleSize / 2, HandleSize / 2),
                  QSizeF(HandleSize, HandleSize));
}

TItemRef TReportDesignView::itemAt(QPointF pos) const
{
    const int band = bandAt(pos.y());
    if (band < 0)
        return {};
    // The last drawn is on top, so it is picked first.
    const QList<TReportItem> &items = m_design.Template().Bands.at(band).Items;
    for (int i = int(items.size()) - 1; i >= 0; --i)
        if (ItemRect({band, i})
                .adjusted(-PickSlack, -PickSlack, PickSlack, PickSlack)
                .contains(pos))
            return {band, i};
    return {};
}

void TReportDesignView::Select(TItemRef ref)
{
    if (!m_design.Item(ref))
        ref = {};
    if (ref.Band >= 0)
        m_band = ref.Band;
    if (ref == m_selected)
        return;
    m_selected = ref;
    update();
    emit SelectionChanged();
}

void TReportDesignView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const TReportTemplate &t = m_design.Template();
    const double width = t.PageSizeMm().width() * m_pixelsPerMm;
    const auto paintItem = [&](TItemRef ref, int band) {
        const TReportItem &item = *m_design.Item(ref);
        const QRectF rect = ItemRect(ref);
        painter.save();
        painter.setClipRect(BandRect(band));
        QString text = item.Text;
        if (item.Kind == TItemKind::Text && text.isEmpty() && !item.Name.isEmpty())
            text = QStringLiteral("〈%1〉").arg(item.Name);
        PaintReportItem(painter, item, text, rect, m_pixelsPerMm,
                        item.Kind == TItemKind::Picture ? QImage::fromData(item.Picture)
                                                        : QImage());
        painter.setPen(QPen(QColor(0xa0, 0xa0, 0xff), 0, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect);
        painter.restore();
    };
    for (int band = 0; band < t.Bands.size(); ++band) {
        const TReportBand &b = t.Bands.at(band);
        const double top = bandTop(band);
        const QRectF caption(0, top - CaptionHeight, width, CaptionHeight);
        painter.fillRect(caption,
                         band == m_band ? QColor(0xc8, 0xd8, 0xf0) : QColor(0xe4, 0xe4, 0xe4));
        painter.setPen(Qt::black);
        painter.setFont(font());
        painter.drawText(
            caption.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("%1  %2 mm").arg(BandCaption(b.Kind)).arg(bandHeight(band)));
        const QRectF area = BandRect(band);
        painter.fillRect(area, Qt::white);
        // The printable width between the margins, so items are seen where they will print.
        painter.setPen(QPen(QColor(0xb0, 0xb0, 0xb0), 0, Qt::DotLine));
        painter.drawLine(QPointF(t.MarginsMm.left() * m_pixelsPerMm, top),
                         QPointF(t.MarginsMm.left() * m_pixelsPerMm, area.bottom()));
        painter.drawLine(QPointF(width - t.MarginsMm.right() * m_pixelsPerMm, top),
                         QPointF(width - t.MarginsMm.right() * m_pixelsPerMm, area.bottom()));
        for (int i = 0; i < b.Items.size(); ++i)
            if (m_drag != TDrag::Move || TItemRef{band, i} != m_selected)
                paintItem({band, i}, band);
    }
    if (!m_design.Item(m_selected))
        return;
    // An item being dragged is drawn in the band it would land in, over that band's items.
    if (m_drag == TDrag::Move)
        paintItem(m_selected, m_dragBand);
    painter.setPen(QPen(QColor(0x20, 0x60, 0xe0), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(ItemRect(m_selected));
    painter.fillRect(handleRect(), QColor(0x20, 0x60, 0xe0));
}

void TReportDesignView::mousePressEvent(QMouseEvent *event)
{
    setFocus();
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF pos = event->position();
    m_pressPos = pos;
    const TReportItem *selected = m_design.Item(m_selected);
    if (selected && handleRect().contains(pos)) {
        m_drag = TDrag::Resize;
    } else if (const int edge = BandEdgeAt(pos); edge >= 0) {
        m_band = edge;
        Select({});
        m_drag = TDrag::BandHeight;
        m_dragBand = edge;
        m_pressHeight = m_design.Template().Bands.at(edge).Height;
        m_dragHeight = m_pressHeight;
        update();
        return;
    } else {
        const TItemRef hit = itemAt(pos);
        m_band = bandAt(pos.y());
        Select(hit);
        update();
        if (!m_design.Item(hit))
            return;
        m_drag = TDrag::Move;
    }
    m_dragBand = m_selected.Band;
    m_pressRect = m_design.Item(m_selected)->Rect;
    m_dragRect = m_pressRect;
}

void TReportDesignView::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    // Follows the press rather than event->buttons(), which synthetic events may leave empty.
    if (m_drag == TDrag::None) {
        const bool onEdge =
            BandEdgeAt(pos) >= 0 && !(m_design.Item(m_selected) && handleRect().contains(pos));
        if (onEdge)
            setCursor(Qt::SizeVerCursor);
        else
            unsetCursor();
        return;
    }
    const QPointF delta = (pos - m_pressPos) / m_pixelsPerMm;
    switch (m_drag) {
    case TDrag::None:
        break;
    case TDrag::BandHeight:
        m_dragHeight = std::max(0.0, m_design.Snapped(m_pressHeight + delta.y()));
        adjustSize();
        break;
    case TDrag::Move: {
        // The band under the pointer takes the item; over a caption strip it stays where it is.
        const int under = bandAt(pos.y());
        m_dragBand = under >= 0 ? under : m_selected.Band;
        const double shift = (bandTop(m_selected.Band) - bandTop(m_dragBand)) / m_pixelsPerMm;
        const QPointF at = m_design.Snapped(m_pressRect.topLeft() + delta + QPointF(0, shift));
        m_dragRect = m_pressRect;
        m_dragRect.moveTopLeft(QPointF(std::max(0.0, at.x()), std::max(0.0, at.y())));
        break;
    }
    case TDrag::Resize: {
        const QPointF size = m_design.Snapped(
            QPointF(m_pressRect.width() + delta.x(), m_pressRect.height() + delta.y()));
        m_dragRect = m_pressRect;
        m_dragRect.setSize(QSizeF(std::max(0.0, size.x()), std::max(0.0, size.y())));
        break;
    }
    }
    update();
}

void TReportDesignView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_drag == TDrag::None)
        return;
    mouseMoveEvent(event);
    const TDrag drag = m_drag;
    m_drag = TDrag::None;
    bool done = true;
    switch (drag) {
    case TDrag::None:
        break;
    case TDrag::BandHeight:
        if (m_dragHeight != m_pressHeight)
            done = m_design.SetBandHeight(m_dragBand, m_dragHeight);
        break;
    case TDrag::Move:
        if (m_dragBand != m_selected.Band) {
            const TItemRef moved =
                m_design.MoveItemToBand(m_selected, m_dragBand, m_dragRect.topLeft());
            done = moved.Band >= 0;
            if (done) {
                m_band = m_dragBand;
                Select(moved);
            }
        } else if (m_dragRect != m_pressRect) {
            done = m_design.MoveItem(m_selected, m_dragRect.topLeft());
        }
        break;
    case TDrag::Resize:
        if (m_dragRect != m_pressRect)
            done = m_design.ResizeItem(m_selected, m_dragRect.size());
        break;
    }
    updateGeometry();
    adjustSize();
    update();
    if (!done)
        emit Refused();
}

void TReportDesignView::keyPressEvent(QKeyEvent *event)
{
    const TReportItem *item = m_design.Item(m_selected);
    if (!item) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (event->key() == Qt::Key_Delete) {
        m_design.DeleteItem(m_selected);
        return;
    }
    const double step = m_design.Snapping() ? m_design.Grid() : 0.1;
    QPointF delta;
    switch (event->key()) {
    case Qt::Key_Left:
        delta = {-step, 0};
        break;
    case Qt::Key_Right:
        delta = {step, 0};
        break;
    case Qt::Key_Up:
        delta = {0, -step};
        break;
    case Qt::Key_Down:
        delta = {0, step};
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    // Shift with an arrow grows or shrinks the item instead of moving it.
    if (event->modifiers() & Qt::ShiftModifier)
        m_design.ResizeItem(m_selected, item->Rect.size() + QSizeF(delta.x(), delta.y()),
                            TEditStep::Nudge);
    else
        m_design.MoveItem(m_selected, item->Rect.topLeft() + delta, TEditStep::Nudge);
}

} // namespace print
