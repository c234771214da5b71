#include "client/forms/picturecolumn.h"

#include "client/widgets/image.h"
#include "client/widgets/messagebox.h"

#include <QBoxLayout>
#include <QPushButton>

QPushButton *NewSmallButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

TPictureColumn AddPictureColumn(QWidget *parent, QBoxLayout *layout, QSize imageSize,
                                std::function<void()> upload, std::function<void()> clear,
                                std::function<void()> zoom)
{
    TPictureColumn column;
    auto *box = new QVBoxLayout;
    column.Image = new TImage(parent);
    column.Image->setObjectName(QStringLiteral("Image1"));
    column.Image->setFixedSize(imageSize);
    column.Image->setFrameShape(QFrame::Box);
    box->addWidget(column.Image);
    auto *buttons = new QHBoxLayout;
    column.Upload = NewSmallButton(parent, "btnUpload", QStringLiteral("上传"));
    column.Clear = NewSmallButton(parent, "btnClearPicture", QStringLiteral("清空"));
    column.Zoom = NewSmallButton(parent, "btnZoom", QStringLiteral("放大"));
    const std::pair<QPushButton *, std::function<void()>> actions[] = {
        {column.Upload, std::move(upload)},
        {column.Clear, std::move(clear)},
        {column.Zoom, zoom},
    };
    for (const auto &[button, action] : actions) {
        buttons->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, button, [action] { Guarded(action); });
    }
    column.Image->OnDblClick = [zoom](TImage &) {
        Guarded(zoom);
    };
    box->addLayout(buttons);
    box->addStretch(1);
    layout->addLayout(box);
    return column;
}
