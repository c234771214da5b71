// A workspace window with a tab in the main frame's tab bar: it takes the standard child
// geometry when shown, selects its tab when shown or activated, and removes it when closed.
#pragma once

#include "client/forms/rootform.h"

class TFrmAddTab : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TFrmAddTab(QWidget *parent = nullptr);

protected:
    void FormShow() override;
    void FormClose() override;
    void changeEvent(QEvent *event) override;

private:
    QString m_tabCaption; // the caption the tab shows; empty while there is no tab
};
