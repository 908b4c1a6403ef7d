#include "screens/BodyText.h"

namespace marvik::screens {

quint8 BodyLine::attributeAt(qsizetype position) const
{
    for (const BodyRun &run : runs) {
        if (position >= run.start && position < run.start + run.length)
            return run.attribute;
    }
    return 7;
}

QStringList RenderedBody::texts() const
{
    QStringList result;
    result.reserve(lines.size());
    for (const BodyLine &line : lines)
        result.append(line.text);
    return result;
}

} // namespace marvik::screens
