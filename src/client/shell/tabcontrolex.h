// The tab bar of the open windows (TabControlEx1): painted by the frame itself, bottom of
// the frame, a close button on every tab but the workspace's.
#pragma once

#include <QTabBar>

class TTabControlEx : public QTabBar
{
    Q_OBJECT
public:
    static constexpr int BarHeight = 23;

    explicit TTabControlEx(QWidget *parent = nullptr);

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void tabInserted(int index) override;
    void paintEvent(QPaintEvent *event) override;
};
