// The navigator: buttons that move through a data source's dataset and edit it, enabled as
// the dataset's position and state allow.
#pragma once

#include "client/data/datasource.h"

#include <QList>
#include <QStringList>
#include <QWidget>

#include <functional>

class QToolButton;

enum TNavigateBtn {
    nbFirst,
    nbPrior,
    nbNext,
    nbLast,
    nbInsert,
    nbDelete,
    nbEdit,
    nbPost,
    nbCancel,
    nbRefresh
};

class TDBNavigator : public QWidget
{
    Q_OBJECT
public:
    explicit TDBNavigator(QWidget *parent = nullptr);
    ~TDBNavigator() override;

    TDataSource *DataSource() const { return m_link.DataSource(); }
    void SetDataSource(TDataSource *dataSource);

    void SetVisibleButtons(const QList<TNavigateBtn> &buttons);
    // Tool tips in button order (first, prior, next, last, insert, ...).
    void SetHints(const QStringList &hints);
    bool ConfirmDelete() const { return m_confirmDelete; }
    void SetConfirmDelete(bool on) { m_confirmDelete = on; }
    QToolButton *Button(TNavigateBtn button) const { return m_buttons[button]; }

    // Runs a button's action as a click would.
    void BtnClick(TNavigateBtn button);

    // Before the action; a handler that raises (Abort()) cancels it.
    std::function<void(TDBNavigator &Sender, TNavigateBtn Button)> BeforeAction;
    std::function<void(TDBNavigator &Sender, TNavigateBtn Button)> OnClick;

protected:
    void changeEvent(QEvent *event) override;

private:
    class Link : public TDataLink
    {
    public:
        explicit Link(TDBNavigator *navigator)
            : m_navigator(navigator)
        {}

    protected:
        void ActiveChanged() override { m_navigator->updateButtons(); }
        void DataSetChanged() override { m_navigator->updateButtons(); }
        void EditingChanged() override { m_navigator->updateButtons(); }

    private:
        TDBNavigator *m_navigator;
    };

    void updateButtons();

    Link m_link{this};
    QToolButton *m_buttons[nbRefresh + 1];
    bool m_confirmDelete = true;
};
