// The picture store of the goods and employee forms.
#include "client/forms/procblobobj.h"

#include "client/data/centraldata.h"
#include "client/data/serveraccess.h"
#include "client/widgets/messagebox.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>

#include <stdexcept>

namespace {

void refuse(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString tooLarge(const QString &file, qint64 size)
{
    return QStringLiteral("图片文件“%1”有 %2 字节，图片不能超过 %3 MB（%4 字节）！")
        .arg(file)
        .arg(size)
        .arg(MaxPictureFileSize / (1024 * 1024))
        .arg(MaxPictureFileSize);
}

// The canonical extension of a format, for a file whose own does not fit the Ext column.
QString canonicalExt(TPictureFormat format)
{
    switch (format) {
    case TPictureFormat::Jpeg:
        return QStringLiteral(".jpg");
    case TPictureFormat::Png:
        return QStringLiteral(".png");
    case TPictureFormat::Bmp:
        return QStringLiteral(".bmp");
    case TPictureFormat::Unknown:
        break;
    }
    return {};
}

} // namespace

std::optional<TPictureFile> ReadPictureFile(const QString &fileName, QString *error)
{
    const QFileInfo info(fileName);
    const QString shown = info.fileName().isEmpty() ? fileName : info.fileName();
    QFile file(fileName);
    if (fileName.isEmpty() || !info.isFile() || !file.open(QIODevice::ReadOnly)) {
        refuse(error, QStringLiteral("无法读取图片文件“%1”！").arg(shown));
        return std::nullopt;
    }
    if (file.size() > MaxPictureFileSize) {
        refuse(error, tooLarge(shown, file.size()));
        return std::nullopt;
    }
    // Read one byte past the limit: a file that grows while it is read is refused as well.
    TPictureFile picture;
    picture.Bytes = file.read(MaxPictureFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        refuse(error, QStringLiteral("无法读取图片文件“%1”！").arg(shown));
        return std::nullopt;
    }
    if (picture.Bytes.size() > MaxPictureFileSize) {
        refuse(error, tooLarge(shown, picture.Bytes.size()));
        return std::nullopt;
    }
    picture.Format = PictureFormatOf(picture.Bytes);
    if (picture.Format == TPictureFormat::Unknown) {
        refuse(
            error,
            QStringLiteral("“%1”不是图片文件，只能保存 JPEG、PNG 或 BMP 格式的图片！").arg(shown));
        return std::nullopt;
    }
    picture.Image = QImage::fromData(picture.Bytes, PictureFormatName(picture.Format).toLatin1());
    if (picture.Image.isNull()) {
        refuse(error, QStringLiteral("图片文件“%1”已损坏，无法读出图片！").arg(shown));
        return std::nullopt;
    }
    if (!info.suffix().isEmpty())
        picture.Ext = QLatin1Char('.') + info.suffix().toLower();
    return picture;
}

std::optional<qint64> PictureOwnerId(const QString &ownerId)
{
    bool ok = false;
    const qint64 id = ownerId.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return id;
}

TProcBlobObj::TProcBlobObj(const QString &pictTable)
    : PictTable(pictTable)
    , QueryDataSet(&Data().Tmp())
    , PictDataSet(Data().FindDataSet(pictTable))
{
    Q_ASSERT_X(
        QRegularExpression(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$")).match(pictTable).hasMatch(),
        "TProcBlobObj", "the picture table is a plain table name");
    if (!PictDataSet) {
        m_ownPictDataSet = NewScratchDataSet(Data().Tmp());
        PictDataSet = m_ownPictDataSet.get();
    }
}

TProcBlobObj::~TProcBlobObj() = default;

bool TProcBlobObj::Delete(const QString &OwnerID)
{
    const auto owner = PictureOwnerId(OwnerID);
    if (!owner)
        return false;
    if (ExecSQL(QStringLiteral("delete from ") + PictTable + QStringLiteral(" where  ygid=") +
                QString::number(*owner)))
        return true;
    ShowMessage(QStringLiteral("删除图片失败！"));
    return false;
}

bool TProcBlobObj::Save(const QString &OwnerID, const QString &fileName)
{
    const auto owner = PictureOwnerId(OwnerID);
    if (!owner)
        return false;
    QString error;
    const auto file = ReadPictureFile(fileName, &error);
    if (!file) {
        MessageBox(error, QStringLiteral("提示"), TMsgIcon::Warning);
        return false;
    }
    if (!storeRow(*owner, *file)) {
        ShowMessage(QStringLiteral("保存图片失败！"));
        return false;
    }
    return true;
}

bool TProcBlobObj::storeRow(qint64 owner, const TPictureFile &file)
{
    TClientDataSet &ds = *PictDataSet;
    // A rejected row means the save failed, which the store says itself: the module's
    // reconcile dialog stays out of it.
    const TReconcileErrorEvent reconcile = ds.OnReconcileError;
    ds.OnReconcileError = nullptr;
    const auto restore = qScopeGuard([&ds, &reconcile] {
        try {
            ds.Close(); // drops what a refused apply left in the change log
        } catch (const std::exception &) {
        }
        ds.OnReconcileError = reconcile;
    });
    try {
        stageRows(owner, &file);
        return ds.ApplyUpdates(0) == 0;
    } catch (const std::exception &) {
        return false;
    }
}

void TProcBlobObj::stageRows(qint64 owner, const TPictureFile *file)
{
    TClientDataSet &ds = *PictDataSet;
    qint64 id = 0;
    if (file) {
        id = QueryValue(QStringLiteral("select iif(isnull(max(ID)), 1, max(ID)+1) "
                                       "as picid from ") +
                        PictTable)
                 .toLongLong();
        if (id <= 0)
            throw std::runtime_error("no picture ID");
    }
    ds.Close();
    ds.SetCommandText(QStringLiteral("select * from ") + PictTable +
                      QStringLiteral(" where ygid=") + QString::number(owner));
    ds.Open();
    // The old pictures leave in the same apply that brings the new one.
    while (!ds.IsEmpty())
        ds.Delete();
    if (!file)
        return;
    ds.Append();
    ds.FieldByName(QStringLiteral("id"))->SetAsLargeInt(id);
    ds.FieldByName(QStringLiteral("ygid"))->SetAsLargeInt(owner);
    ds.FieldByName(QStringLiteral("pict"))->SetAsBytes(file->Bytes);
    TField *ext = ds.FieldByName(QStringLiteral("Ext"));
    const bool fits = ext->Size() <= 0 || file->Ext.size() <= ext->Size();
    ext->SetAsString(fits ? file->Ext : canonicalExt(file->Format));
    ds.Post();
}

bool TProcBlobObj::Stage(const QString &OwnerID, const TPictureFile *file)
{
    const auto owner = PictureOwnerId(OwnerID);
    if (!owner)
        return false;
    try {
        stageRows(*owner, file);
        return true;
    } catch (const std::exception &) {
        Unstage();
        return false;
    }
}

void TProcBlobObj::Unstage()
{
    try {
        PictDataSet->Close();
    } catch (const std::exception &) {
    }
}

bool TProcBlobObj::Load(const QString &OwnerID, TImage *image)
{
    if (!image)
        return false;
    image->Clear();
    const QByteArray bytes = Bytes(OwnerID);
    if (bytes.isEmpty() || !image->SetPictureBytes(bytes))
        return false;
    image->setVisible(true);
    return true;
}

QByteArray TProcBlobObj::Bytes(const QString &OwnerID)
{
    const auto owner = PictureOwnerId(OwnerID);
    if (!owner)
        return {};
    TClientDataSet &ds = *QueryDataSet;
    const auto close = qScopeGuard([&ds] {
        try {
            ds.Close();
        } catch (const std::exception &) {
        }
    });
    try {
        if (!RunSQL(ds,
                    QStringLiteral("select * from ") + PictTable + QStringLiteral(" where ygid =") +
                        QString::number(*owner),
                    true) ||
            ds.IsEmpty())
            return {};
        return ds.FieldByName(QStringLiteral("pict"))->AsBytes();
    } catch (const std::exception &) {
        return {};
    }
}
