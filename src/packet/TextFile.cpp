#include "packet/TextFile.h"

#include "packet/TextLines.h"
#include "text/Cp437Codec.h"

#include <QFile>

namespace marvik::packet {

QString TextFile::decode(QByteArrayView bytes, const std::function<void()> &afterLine)
{
    QString text;
    text.reserve(bytes.size() + 2);
    for (const QByteArray &line : TextLines::split(bytes)) {
        text += text::Cp437Codec::toUnicode(line);
        text += QLatin1String("\r\n");
        if (afterLine)
            afterLine();
    }
    return text;
}

QString TextFile::read(const QString &path, bool *opened, const std::function<void()> &afterLine)
{
    QFile file(path);
    const bool ok = !path.isEmpty() && file.open(QIODevice::ReadOnly);
    if (opened)
        *opened = ok;
    if (!ok)
        return {};
    return decode(file.readAll(), afterLine);
}

} // namespace marvik::packet
