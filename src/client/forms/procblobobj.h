// The picture store: one picture per owning record (a goods record, an employee) in a picture
// table whose rows are id, ygid (the owner's ID), pict (the file's bytes) and Ext (the file's
// lower-cased extension with its dot). The goods forms keep theirs in "hp_pict", the employee
// forms in "Yg_Pict".
#pragma once

#include "client/widgets/image.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class TClientDataSet;

// Pictures larger than this are refused: they would only slow every list that shows them.
inline constexpr qint64 MaxPictureFileSize = 4 * 1024 * 1024;

// A picture file read and checked for the store.
struct TPictureFile
{
    QByteArray Bytes;
    QString Ext; // ".jpg": lower-cased, with the dot; empty for a name without extension
    TPictureFormat Format = TPictureFormat::Unknown;
    QImage Image;
};

// Reads a picture file: a JPEG, PNG or BMP file (told by its content, whatever its name) of
// at most MaxPictureFileSize bytes that decodes. Otherwise nothing, with the reason for the
// user in error.
std::optional<TPictureFile> ReadPictureFile(const QString &fileName, QString *error = nullptr);

// The owner's ID as the store puts it into SQL: an integer, or nothing for any other text, so
// that what reaches a statement is always a number the store wrote itself.
std::optional<qint64> PictureOwnerId(const QString &ownerId);

class TProcBlobObj
{
public:
    // The store of a picture table, on the central module's scratch dataset Tmp and on the
    // module's dataset named like the table (Hp_Pict for "hp_pict", Yg_Pict for "Yg_Pict").
    explicit TProcBlobObj(const QString &pictTable);
    ~TProcBlobObj();
    TProcBlobObj(const TProcBlobObj &) = delete;
    TProcBlobObj &operator=(const TProcBlobObj &) = delete;

    QString PictTable;
    TClientDataSet *QueryDataSet;
    // Saves go through it, so it has to be a dataset the server stores into PictTable: a
    // table's own dataset stores into that table whatever its command text reads. For a
    // table the module has no dataset of, the store makes a scratch dataset of its own.
    TClientDataSet *PictDataSet;

    // Removes the owner's picture; false when the server refused (a message has said so).
    // Nothing for an owner ID that is no integer.
    bool Delete(const QString &OwnerID);
    // Stores the file as the owner's only picture. The old picture's removal and the new row
    // go to the server in one apply: a refused save leaves the old picture in place. A file
    // ReadPictureFile refuses changes nothing and says why; a refused apply says
    // "保存图片失败！". False in all those cases and, silently, for an owner ID that is no
    // integer.
    bool Save(const QString &OwnerID, const QString &fileName);
    // Clears the image, then shows the owner's picture when there is one that decodes and
    // makes the image visible. True when a picture is shown.
    bool Load(const QString &OwnerID, TImage *image);
    // The owner's stored picture bytes; empty when there is none or the read failed.
    QByteArray Bytes(const QString &OwnerID);

    // Prepares the owner's picture change in PictDataSet's change log without sending it, for
    // a request that stores it together with the owner's record: the old picture deleted and,
    // with a file, the new one appended. False (nothing staged) when the rows could not be
    // read. Unstage drops a staged change, sent or not.
    bool Stage(const QString &OwnerID, const TPictureFile *file);
    void Unstage();

private:
    bool storeRow(qint64 owner, const TPictureFile &file);
    void stageRows(qint64 owner, const TPictureFile *file);

    std::unique_ptr<TClientDataSet> m_ownPictDataSet;
};
