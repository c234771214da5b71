// The server address dialog of the start-up: the address of the application server ("host" or
// "host:port"), offered from SysConfig.ini and written back there on OK.
#pragma once

#include "client/forms/rootform.h"

class QLineEdit;
class QPushButton;

class TFrmSeverAdress : public TFrmRoot
{
    Q_OBJECT
public:
    explicit TFrmSeverAdress(QWidget *parent = nullptr);

    QLineEdit *EditSeverAddress;
    QPushButton *btnOK;
    QPushButton *btnCancel;

protected:
    void FormShow() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void btnOKClick();

    QPoint m_dragFrom; // null unless the background is being dragged
};
