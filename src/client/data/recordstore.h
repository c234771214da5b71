// Column storage behind a client dataset: one typed vector per column, a null bit per cell and
// a UTF-8 arena per text column, addressed by slot (one version of one record). A record that
// is edited gets a new slot; its original slot stays for the change log.
#pragma once

#include "client/data/dbtypes.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QTime>
#include <QVariant>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace DataInternal {

enum class Storage : uint8_t { Int32, Int64, Double, Bool, Date, Time, DateTime, Text, Blob };

Storage storageFor(TFieldType type);

// Date-times are kept as milliseconds since the start of Julian day 0, local wall-clock time.
constexpr qint64 MsecsPerDay = 86400000;
inline qint64 packDateTime(const QDateTime &value)
{
    return value.date().toJulianDay() * MsecsPerDay + value.time().msecsSinceStartOfDay();
}
inline void unpackDateTime(qint64 packed, QDate &date, QTime &time)
{
    qint64 day = packed / MsecsPerDay;
    qint64 ms = packed % MsecsPerDay;
    if (ms < 0) {
        ms += MsecsPerDay;
        --day;
    }
    date = QDate::fromJulianDay(day);
    time = QTime::fromMSecsSinceStartOfDay(int(ms));
}
inline QDateTime unpackDateTime(qint64 packed)
{
    QDate date;
    QTime time;
    unpackDateTime(packed, date, time);
    return QDateTime(date, time);
}

class RecordStore
{
public:
    int addColumn(Storage kind);
    int columnCount() const { return int(m_columns.size()); }
    Storage kind(int column) const { return m_columns[column].kind; }
    void clear();      // drops every slot and column
    void clearSlots(); // drops every slot, keeps the columns
    void reserve(int count);
    // Gives back the room kept for growth (once a result has been read completely).
    void shrinkToFit();

    int newSlot();          // every cell null; reuses freed slots
    int copySlot(int from); // a new slot holding the same values
    void copyCells(int from, int to);
    void freeSlot(int slot);
    int slotCount() const { return m_slotCount; }
    int liveSlots() const { return m_slotCount - int(m_free.size()); }

    bool isNull(int column, int slot) const
    {
        const auto &nulls = m_columns[column].nulls;
        return (nulls[size_t(slot) >> 6] >> (slot & 63)) & 1;
    }
    void setNull(int column, int slot);

    qint32 int32(int column, int slot) const { return load<qint32>(column, slot); }
    qint64 int64(int column, int slot) const { return load<qint64>(column, slot); }
    double float64(int column, int slot) const { return load<double>(column, slot); }
    bool boolean(int column, int slot) const { return m_columns[column].cells[size_t(slot)] != 0; }
    QString text(int column, int slot) const;
    std::string_view utf8(int column, int slot) const;
    // utf8 of a cell known not to be null.
    std::string_view utf8Cell(int column, int slot) const
    {
        const TextRef ref = textRef(column, slot);
        return std::string_view(m_columns[size_t(column)].arena.data() + ref.offset, ref.length);
    }
    const QByteArray &blob(int column, int slot) const { return m_columns[column].blobs[slot]; }

    void setInt32(int column, int slot, qint32 value) { store(column, slot, value); }
    void setInt64(int column, int slot, qint64 value) { store(column, slot, value); }
    void setFloat64(int column, int slot, double value) { store(column, slot, value); }
    void setBoolean(int column, int slot, bool value);
    void setText(int column, int slot, QStringView value);
    void setUtf8(int column, int slot, const char *data, qsizetype size);
    void setBlob(int column, int slot, const QByteArray &value);

    // The cell as a variant of the column's natural type (invalid for null); date columns
    // give QDate, time columns QTime, date-time columns QDateTime.
    QVariant value(int column, int slot) const;
    // Stores a variant, converting it to the column's type; false when it does not convert.
    bool setValue(int column, int slot, const QVariant &value);

    // Order of two cells of one column; nulls first.
    int compare(int column, int a, int b, bool caseInsensitive) const;
    bool sameValue(int column, int a, int b) const;

    qint64 bytes() const;

private:
    struct TextRef
    {
        quint32 offset;
        quint32 length;
    };
    struct Column
    {
        Storage kind;
        int width;
        std::vector<unsigned char> cells;
        std::vector<quint64> nulls;
        std::string arena;
        qint64 garbage = 0;
        std::vector<QByteArray> blobs;
    };

    template<class T>
    T load(int column, int slot) const
    {
        T value;
        std::memcpy(&value, m_columns[column].cells.data() + size_t(slot) * sizeof(T), sizeof(T));
        return value;
    }
    template<class T>
    void store(int column, int slot, T value)
    {
        Column &c = m_columns[column];
        std::memcpy(c.cells.data() + size_t(slot) * sizeof(T), &value, sizeof(T));
        clearNullBit(c, slot);
    }
    static void clearNullBit(Column &c, int slot)
    {
        c.nulls[size_t(slot) >> 6] &= ~(quint64(1) << (slot & 63));
    }
    TextRef textRef(int column, int slot) const { return load<TextRef>(column, slot); }
    void releaseText(Column &c, int slot);
    void compact(Column &c);

    std::vector<Column> m_columns;
    std::vector<int> m_free;
    int m_slotCount = 0;
    int m_capacity = 0;
};

} // namespace DataInternal
