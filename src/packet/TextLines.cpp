#include "packet/TextLines.h"

namespace marvik::packet {

QByteArrayList TextLines::split(QByteArrayView bytes)
{
    QByteArrayList lines;
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(bytes.sliced(start, i - start).toByteArray());
        if (c == '\r' && i + 1 < size && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(bytes.sliced(start).toByteArray());
    return lines;
}

} // namespace marvik::packet
