#include "packet/ControlFile.h"

#include "packet/QwkField.h"
#include "packet/TextLines.h"

namespace marvik::packet {

ControlFile::ControlFile(QByteArrayView bytes)
{
    const QByteArrayList raw = TextLines::split(bytes);
    m_lines.reserve(raw.size());
    for (const QByteArray &line : raw)
        m_lines.append(QwkField::text(line));
}

QString ControlFile::line(qint64 index) const
{
    return index >= 0 && index < m_lines.size() ? m_lines.at(index) : QString();
}

QString ControlFile::sysopName() const
{
    const QString sysop = line(3);
    const qsizetype comma = sysop.indexOf(u',');
    return QwkField::trimmedText(comma >= 0 ? sysop.left(comma) : sysop).toUpper();
}

QString ControlFile::yourName() const
{
    return line(6).toUpper();
}

std::optional<qint64> ControlFile::conferenceCount(QString *error) const
{
    const std::optional<int> value = QwkField::decimalText(line(10));
    if (!value || *value < -1) {
        if (error)
            *error = QStringLiteral("CONTROL.DAT line 11: \"%1\" is not a conference count")
                         .arg(line(10));
        return std::nullopt;
    }
    return qint64(*value) + 1;
}

std::optional<ControlFile::Conference> ControlFile::conference(qint64 i, QString *error) const
{
    const qint64 numberLine = 11 + 2 * i;
    if (i < 0 || numberLine + 1 >= m_lines.size()) {
        if (error)
            *error = QStringLiteral("CONTROL.DAT is shorter than its conference count: conference "
                                    "%1 is missing")
                         .arg(i + 1);
        return std::nullopt;
    }
    const std::optional<int> number = QwkField::decimalText(m_lines.at(numberLine));
    if (!number) {
        if (error)
            *error = QStringLiteral("CONTROL.DAT line %1: \"%2\" is not a conference number")
                         .arg(numberLine + 1)
                         .arg(m_lines.at(numberLine));
        return std::nullopt;
    }
    return Conference {*number, m_lines.at(numberLine + 1)};
}

} // namespace marvik::packet
