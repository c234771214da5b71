// The design page's drawing: the bands one under another at their heights, each under a strip
// with its name, and their items drawn as printed with placeholders as written. Items are
// picked by a click, moved by dragging (into another band too) or the arrow keys, resized by the
// corner handle; a band's bottom edge drags its height.
#pragma once

#include "client/print/reportdesign.h"

#include <QWidget>

namespace print {

QString BandCaption(TBandKind kind);

class TReportDesignView : public QWidget
{
    Q_OBJECT
public:
    explicit TReportDesignView(TReportDesign &design, QWidget *parent = nullptr);

    TItemRef Selected() const { return m_selected; }
    // The band picked last, with or without an item: where new items go.
    int CurrentBand() const { return m_band; }
    void Select(TItemRef ref);
    double PixelsPerMm() const { return m_pixelsPerMm; }
    // Where an item is drawn, in the view's pixels; empty for a stale reference.
    QRectF ItemRect(TItemRef ref) const;
    QSize sizeHint() const override;

    // A band's body (under its caption strip) in the view's pixels, at its height as dragged.
    QRectF BandRect(int band) const;
    // The band whose bottom edge is under pos, or -1.
    int BandEdgeAt(QPointF pos) const;

signals:
    void SelectionChanged();
    // A drag the design refused; its LastError() says why.
    void Refused();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    enum class TDrag { None, Move, Resize, BandHeight };

    double bandHeight(int band) const; // millimetres, as being dragged
    double bandTop(int band) const;    // pixels, below the band's caption strip
    int bandAt(double y) const;
    TItemRef itemAt(QPointF pos) const;
    QRectF handleRect() const;
    QRectF toPixels(int band, const QRectF &mm) const;

    TReportDesign &m_design;
    TItemRef m_selected;
    int m_band = -1;
    double m_pixelsPerMm = 96 / 25.4;
    TDrag m_drag = TDrag::None;
    QPointF m_pressPos;
    QRectF m_pressRect;  // the item's millimetres when the drag began
    QRectF m_dragRect;   // where the drag would put it
    int m_dragBand = -1; // the band the dragged item or height is in
    double m_pressHeight = 0;
    double m_dragHeight = 0;
};

} // namespace print
