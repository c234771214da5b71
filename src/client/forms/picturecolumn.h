// The picture column of an edit form (goods, employees): the picture over its buttons
// "上传", "清空" and "放大"; a double click on the picture enlarges it as "放大" does.
#pragma once

#include <QSize>
#include <QString>

#include <functional>

class QBoxLayout;
class QPushButton;
class QWidget;
class TImage;

// A push button that never takes Return from the form's OK button.
QPushButton *NewSmallButton(QWidget *parent, const char *name, const QString &caption);

struct TPictureColumn
{
    TImage *Image = nullptr;
    QPushButton *Upload = nullptr;
    QPushButton *Clear = nullptr;
    QPushButton *Zoom = nullptr;
};

// Builds the column in parent at the end of layout and runs the actions, each guarded (an
// exception shows as a message), when the buttons are clicked.
TPictureColumn AddPictureColumn(QWidget *parent, QBoxLayout *layout, QSize imageSize,
                                std::function<void()> upload, std::function<void()> clear,
                                std::function<void()> zoom);
