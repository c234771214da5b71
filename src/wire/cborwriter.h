// A CBOR encoder that appends straight to a byte array: the item kinds the protocol uses, with
// no device in between, since a packet of rows writes tens of thousands of values.
#pragma once

#include <QByteArray>
#include <QString>
#include <QVarLengthArray>
#include <QtCborCommon>

#include <cstdint>
#include <cstring>

namespace wire {

class CborWriter
{
public:
    explicit CborWriter(QByteArray &out)
        : m_out(out)
    {}

    void appendNull() { m_out.append(char(0xf6)); }
    void append(bool value) { m_out.append(char(value ? 0xf5 : 0xf4)); }
    void append(qint64 value)
    {
        if (value >= 0)
            head(0, quint64(value));
        else
            head(1, quint64(-1 - value));
    }
    void append(quint64 value) { head(0, value); }
    void append(double value)
    {
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        char bytes[9];
        bytes[0] = char(0xfb);
        for (int i = 0; i < 8; ++i)
            bytes[1 + i] = char(bits >> (56 - 8 * i));
        m_out.append(bytes, 9);
    }
    void append(QCborTag tag) { head(6, quint64(tag)); }
    void appendTextString(const char *utf8, qsizetype size)
    {
        head(3, quint64(size));
        m_out.append(utf8, size);
    }
    void append(const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        appendTextString(utf8.constData(), utf8.size());
    }
    void append(QLatin1StringView text)
    {
        // The protocol's keys are ASCII, which is its own UTF-8.
        for (const char c : text) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                append(QString(text));
                return;
            }
        }
        appendTextString(text.data(), text.size());
    }
    void appendByteString(const char *data, qsizetype size)
    {
        head(2, quint64(size));
        m_out.append(data, size);
    }
    void append(const QByteArray &bytes) { appendByteString(bytes.constData(), bytes.size()); }

    // Containers: without a count they are of indefinite length and end with a break.
    void startArray() { open(0x9f); }
    void startArray(quint64 count) { open(4, count); }
    void endArray() { close(); }
    void startMap() { open(0xbf); }
    void startMap(quint64 count) { open(5, count); }
    void endMap() { close(); }

private:
    void head(int major, quint64 value)
    {
        char bytes[9];
        const char type = char(major << 5);
        if (value < 24) {
            m_out.append(char(type | char(value)));
            return;
        }
        int length;
        if (value <= 0xff) {
            bytes[0] = char(type | 24);
            length = 1;
        } else if (value <= 0xffff) {
            bytes[0] = char(type | 25);
            length = 2;
        } else if (value <= 0xffffffffu) {
            bytes[0] = char(type | 26);
            length = 4;
        } else {
            bytes[0] = char(type | 27);
            length = 8;
        }
        for (int i = 0; i < length; ++i)
            bytes[1 + i] = char(value >> (8 * (length - 1 - i)));
        m_out.append(bytes, 1 + length);
    }
    void open(unsigned char indefinite)
    {
        m_out.append(char(indefinite));
        m_indefinite.append(true);
    }
    void open(int major, quint64 count)
    {
        head(major, count);
        m_indefinite.append(false);
    }
    void close()
    {
        if (m_indefinite.isEmpty())
            return;
        if (m_indefinite.last())
            m_out.append(char(0xff));
        m_indefinite.removeLast();
    }

    QByteArray &m_out;
    QVarLengthArray<bool, 16> m_indefinite;
};

} // namespace wire
