// The splash window of the start-up (and of the Help menu's "关于"): start.jpg beside the
// program when it exists, otherwise a picture drawn from the product texts.
#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;

class TfrmStart : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmStart(QWidget *parent = nullptr);

    // Closes on a mouse click (the About box); the splash of the start-up ignores clicks.
    void SetClickCloses(bool on) { m_clickCloses = on; }
    const QPixmap &Picture() const { return m_picture; }
    bool FromFile() const { return m_fromFile; }

    // Centres the window on the screen and paints it at once, before the start-up blocks.
    void ShowNow();

    // The picture the window shows when there is no start.jpg.
    static QPixmap BuiltInPicture(const QSize &size);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QLabel *m_image;
    QPixmap m_picture;
    bool m_fromFile = false;
    bool m_clickCloses = false;
};
