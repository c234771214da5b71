// Framing cost of a packet of 2000 rows against encoding the same CBOR value alone.
#include "benchutil.h"
#include "wire/frame.h"

#include <QCborArray>
#include <QCborValue>

int main()
{
    QCborArray rows;
    for (int r = 0; r < 2000; ++r) {
        QCborArray row;
        for (int c = 0; c < 20; ++c)
            row.append(c % 2 ? QCborValue(r * 1.5 + c)
                             : QCborValue(QStringLiteral("商品%1").arg(r)));
        rows.append(row);
    }
    QCborMap packet;
    packet[QStringLiteral("rows")] = rows;

    const double baseline = bench::medianMs([&] {
        for (int i = 0; i < 20; ++i)
            (void)QCborValue(packet).toCbor();
    });
    const double subject = bench::medianMs([&] {
        for (int i = 0; i < 20; ++i) {
            wire::FrameReader reader;
            reader.append(wire::encodeFrame(packet));
            QCborMap decoded;
            reader.next(decoded);
        }
    });
    bench::reportRatio("wire: frame encode+decode vs CBOR encode", subject, baseline, 4.0);
    return 0;
}
