#include "packet/TextFile.h"

#include "text/Cp437Codec.h"

namespace marvik::packet {

QString TextFile::decode(QByteArrayView bytes, const std::function<void()> &afterLine)
{
    const qsizetype size = bytes.size();
    // Worst case, every byte ends a line and becomes CR LF.
    qsizetype lineEnds = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == size || bytes[i + 1] != '\n')))
            ++lineEnds;
    }
    const bool lastLineOpen = size > 0 && bytes[size - 1] != '\n' && bytes[size - 1] != '\r';
    QString text;
    text.reserve(size + lineEnds + (lastLineOpen ? 2 : 0));
    qsizetype start = 0;
    const auto emitLine = [&](qsizetype end) {
        for (qsizetype i = start; i < end; ++i)
            text += text::Cp437Codec::toUnicode(quint8(bytes[i]));
        text += QLatin1String("\r\n");
        if (afterLine)
            afterLine();
    };
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        emitLine(i);
        if (c == '\r' && i + 1 < size && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        emitLine(size);
    return text;
}

} // namespace marvik::packet
