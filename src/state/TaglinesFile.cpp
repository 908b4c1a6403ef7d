#include "state/TaglinesFile.h"

#include "state/LocalText.h"

#include <QFile>

namespace marvik::state {

namespace {

bool isBlank(QChar ch)
{
    return ch.unicode() <= 0x20 || ch.isSpace() || ch.category() == QChar::Other_Control;
}

} // namespace

QStringList TaglinesFile::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.readAll());
}

QStringList TaglinesFile::parse(QByteArrayView bytes)
{
    QStringList taglines;
    for (const QString &line : LocalText::lines(LocalText::decode(bytes))) {
        const QString tagline = trimmed(line);
        if (!tagline.isEmpty())
            taglines.append(tagline);
    }
    return taglines;
}

QString TaglinesFile::trimmed(const QString &line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && isBlank(line[begin]))
        ++begin;
    while (end > begin && isBlank(line[end - 1]))
        --end;
    return line.mid(begin, end - begin);
}

} // namespace marvik::state
