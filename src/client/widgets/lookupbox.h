// The floating look-up box: an edit with a drop-down list of a data source's records, which a
// form floats over a grid cell while the clerk types a code. The form filters the list as
// the text changes (OnKeyUp), takes a record on Enter (OnKeyPress) and writes it where it
// belongs; the box itself writes no field. Arrow and page keys move the list's current record
// while the edit keeps the focus, and the box hides when the focus leaves it.
#pragma once

#include "client/widgets/lookupcolumn.h"

#include <QFrame>
#include <QList>

#include <functional>

class QKeyEvent;
class QLineEdit;
class TDataSource;
class TDBGrid;

class TDBLookupBox : public QFrame
{
    Q_OBJECT
public:
    explicit TDBLookupBox(QWidget *parent);
    ~TDBLookupBox() override;

    TDataSource *ListSource() const { return m_listSource; }
    void SetListSource(TDataSource *source); // not owned
    const QList<TLookupColumn> &ListColumns() const { return m_listColumns; }
    void SetListColumns(const QList<TLookupColumn> &columns);
    // Rows the dropped-down list shows.
    int DropDownRows() const { return m_dropDownRows; }
    void SetDropDownRows(int rows);

    // Takes the rectangle (the parent's coordinates) two pixels higher, shows the box with its
    // text selected, focuses the edit and drops the list down under it.
    void ShowOver(const QRect &rect);
    void DropDown();
    void CloseUp();
    bool DroppedDown() const;

    QLineEdit *Editor() const { return m_edit; }
    TDBGrid *List() const { return m_list; }
    QString Text() const;
    void SetText(const QString &text);

    // Hands a key pressed elsewhere (the grid's first typed key) to the edit, as if typed
    // there; its release then reaches the edit, which has the focus by then.
    void SendKey(const QKeyEvent &event);

    // Keys typed into the box, before the edit sees them: Enter as '\r', Escape as 27,
    // Backspace as 8; a handler that sets Key to a null character swallows the key. Enter and
    // Escape go no further than the box: a form neither moves the focus on nor closes.
    std::function<void(TDBLookupBox &Sender, QChar &Key)> OnKeyPress;
    // Every key released in the box (Qt key code), after the edit took it.
    std::function<void(TDBLookupBox &Sender, int Key)> OnKeyUp;
    // The focus left the box; the box hides right after.
    std::function<void(TDBLookupBox &Sender)> OnExit;
    // A click on a list row, after the row became the list's current record.
    std::function<void(TDBLookupBox &Sender)> OnListClick;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    bool editKeyPress(QKeyEvent *event);
    void moveList(int distance);
    void leave();

    QLineEdit *m_edit;
    QFrame *m_popup; // a window of its own, so the list may reach past the form's edge
    TDBGrid *m_list;
    TDataSource *m_listSource = nullptr;
    QList<TLookupColumn> m_listColumns;
    int m_dropDownRows = 10;
    bool m_leaving = false;
};
