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
    QString text(size + lineEnds + (lastLineOpen ? 2 : 0), Qt::Uninitialized);
    char16_t *const begin = reinterpret_cast<char16_t *>(text.data());
    char16_t *out = begin;
    qsizetype start = 0;
    const auto emitLine = [&](qsizetype end) {
        for (qsizetype i = start; i < end; ++i)
            *out++ = text::Cp437Codec::toUnicode(quint8(bytes[i])).unicode();
        *out++ = u'\r';
        *out++ = u'\n';
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
    text.truncate(out - begin);
    return text;
}

} // namespace marvik::packet
