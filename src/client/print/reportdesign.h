// The template being designed and every change made to it. Each change is one step on an undo
// stack and is checked by the same rules as a loaded file, so the designer never holds (or
// saves) a template that would not load again. The view and the tests drive it alike.
#pragma once

#include "client/print/reporttemplate.h"

#include <QObject>
#include <QPointF>
#include <QSizeF>
#include <QUndoStack>

#include <optional>

namespace print {

// An item by its band's index and its index within the band.
struct TItemRef
{
    int Band = -1;
    int Item = -1;
    bool operator==(const TItemRef &) const = default;
};

// The nearest grid line; a grid of 0 or less leaves the value as it is.
double SnapToGrid(double mm, double grid);

// A picture file kept in a template: every template carrying it repeats its bytes, so it is kept
// small.
constexpr qint64 MaxPictureBytes = 1024 * 1024;
// The bytes of a PNG or JPEG file no larger than MaxPictureBytes. False, with a message that
// names the file and says what is wrong, for anything else.
bool ReadPictureFile(const QString &fileName, QByteArray &bytes, QString *error);

// Whether a change may be folded into the step before it: the arrow keys nudge an item a grid
// step at a time, and a run of nudges to one item is undone at once.
enum class TEditStep { Separate, Nudge };

class TReportDesign : public QObject
{
    Q_OBJECT
public:
    // Edits report in place; it must outlive the design.
    explicit TReportDesign(TReportTemplate &report, QObject *parent = nullptr);

    const TReportTemplate &Template() const { return m_report; }
    QUndoStack &UndoStack() { return m_undo; }
    const TReportItem *Item(TItemRef ref) const;

    // Positions and sizes given to MoveItem and ResizeItem land on the grid while snapping.
    double Grid() const { return m_grid; }
    bool Snapping() const { return m_snapping; }
    void SetSnapping(bool on) { m_snapping = on; }
    QPointF Snapped(QPointF mm) const;
    double Snapped(double mm) const;

    // Each change is one undo step (a run of nudges to one item, one step together). False,
    // with the reason in LastError(), when the reference is stale or the result would not be a
    // valid template; the template is then unchanged.
    bool MoveItem(TItemRef ref, QPointF topLeft, TEditStep step = TEditStep::Separate);
    bool ResizeItem(TItemRef ref, QSizeF size, TEditStep step = TEditStep::Separate);
    // Takes the item out of its band and puts it on top of band's items at topLeft, which is
    // relative to that band. The item's new reference, or an invalid one when refused.
    TItemRef MoveItemToBand(TItemRef ref, int band, QPointF topLeft);
    bool SetItem(TItemRef ref, const TReportItem &item);
    // The new item's reference, or an invalid one when refused.
    TItemRef AddItem(int band, const TReportItem &item);
    bool DeleteItem(TItemRef ref);
    bool SetBandHeight(int band, double height);
    const QString &LastError() const { return m_error; }

    // The change an undo command applies: replaces the whole template.
    void Replace(const TReportTemplate &report);

    // What a nudge changed, so the next one folds into its step only when it changes the same.
    struct TNudge
    {
        TItemRef Ref;
        bool Resize = false;
        bool operator==(const TNudge &) const = default;
    };

signals:
    void Changed();

private:
    bool apply(const TReportTemplate &changed, const QString &text,
               std::optional<TNudge> nudge = std::nullopt);

    TReportTemplate &m_report;
    QUndoStack m_undo;
    double m_grid = 1.0;
    bool m_snapping = true;
    QString m_error;
};

} // namespace print
