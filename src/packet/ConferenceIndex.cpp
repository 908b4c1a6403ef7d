#include "packet/ConferenceIndex.h"

#include <cmath>

namespace marvik::packet {

std::optional<qint64> ConferenceIndex::decodeMbf(QByteArrayView fourBytes)
{
    if (fourBytes.size() < 4)
        return std::nullopt;
    const quint8 b0 = quint8(fourBytes[0]);
    const quint8 b1 = quint8(fourBytes[1]);
    const quint8 b2 = quint8(fourBytes[2]);
    const quint8 b3 = quint8(fourBytes[3]);
    if (b3 == 0)
        return 0;
    const int exponent = int(b3) - 129;
    // 2^40 blocks is far past any file; larger exponents are garbage.
    if (exponent > 40)
        return std::nullopt;
    const double mantissa = (b2 & 0x7F) * 65536.0 + b1 * 256.0 + b0;
    double value = std::ldexp(1.0 + mantissa / 8388608.0, exponent);
    if (b2 & 0x80)
        value = -value;
    return qint64(std::trunc(value));
}

QList<qint64> ConferenceIndex::blockNumbers(QByteArrayView bytes)
{
    const qsizetype count = bytes.size() / RecordSize;
    QList<qint64> blocks;
    blocks.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        blocks.append(decodeMbf(bytes.sliced(i * RecordSize, 4)).value_or(0));
    return blocks;
}

} // namespace marvik::packet
