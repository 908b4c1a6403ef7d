#include "packet/ControlFile.h"

#include "packet/QwkField.h"

namespace marvik::packet {

ControlFile::ControlFile(QByteArrayView bytes)
{
    // Split as DOS programs read text: CR LF, LF or a lone CR ends a line, and
    // a last line without an end still counts. Done in place, line by line,
    // so no list of raw copies is built first.
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    const auto take = [&](qsizetype end) {
        if (m_lines.size() >= MaxLines) {
            m_linesDropped = true;
            return false;
        }
        m_lines.append(QwkField::text(bytes.sliced(start, end - start)));
        return true;
    };
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        if (!take(i))
            return;
        if (c == '\r' && i + 1 < size && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        take(size);
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

QString ControlFile::bbsId() const
{
    const QString serialLine = line(4);
    const qsizetype comma = serialLine.indexOf(u',');
    if (comma < 0)
        return {};
    const QString id = QwkField::trimmedText(serialLine.mid(comma + 1)).toUpper();
    if (id.isEmpty() || id.size() > 8)
        return {};
    for (const QChar c : id) {
        if (!((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')))
            return {};
    }
    return id;
}

std::optional<qint64> ControlFile::conferenceCount(QString *error) const
{
    const std::optional<int> value = QwkField::decimalText(line(10));
    if (!value || *value < -1) {
        if (error)
            *error = QStringLiteral("line 11 of CONTROL.DAT reads %1, not a number of conferences")
                         .arg(QwkField::quoted(line(10)));
        return std::nullopt;
    }
    return qint64(*value) + 1;
}

std::optional<ControlFile::Conference> ControlFile::conference(qint64 i, QString *error) const
{
    const qint64 numberLine = 11 + 2 * i;
    if (i < 0 || numberLine + 1 >= m_lines.size()) {
        if (error)
            *error = QStringLiteral("CONTROL.DAT ends before conference %1 of those it announces")
                         .arg(i + 1);
        return std::nullopt;
    }
    const std::optional<int> number = QwkField::decimalText(m_lines.at(numberLine));
    if (!number) {
        if (error)
            *error = QStringLiteral("line %1 of CONTROL.DAT reads %2 where a conference number "
                                    "belongs")
                         .arg(numberLine + 1)
                         .arg(QwkField::quoted(m_lines.at(numberLine)));
        return std::nullopt;
    }
    return Conference {*number, m_lines.at(numberLine + 1)};
}

// Some packet generators write the names alone, one line each.
bool ControlFile::isNamesOnlyList(qint64 count) const
{
    if (count <= 0 || 11 + count > m_lines.size())
        return false;
    for (qint64 i = 0; i < count; ++i) {
        if (QwkField::decimalText(m_lines.at(11 + i)))
            return false;
    }
    return true;
}

ControlFile::ConferenceList ControlFile::conferenceList() const
{
    ConferenceList list;
    QString error;
    const std::optional<qint64> count = conferenceCount(&error);
    if (!count) {
        // Without a count, the pairs are read while they look like pairs.
        list.problems.append(QStringLiteral("CONTROL.DAT does not say how many conferences the "
                                            "BBS has; they were read as far as they look right "
                                            "(%1).")
                                 .arg(error));
        qint64 i = 0;
        for (; 11 + 2 * i + 1 < m_lines.size(); ++i) {
            const std::optional<int> number = QwkField::decimalText(m_lines.at(11 + 2 * i));
            if (!number)
                break;
            list.conferences.append({*number, m_lines.at(12 + 2 * i)});
        }
        list.firstScreenLine = 11 + 2 * i;
        return list;
    }
    if (*count == 0)
        list.problems.append(QStringLiteral("CONTROL.DAT lists no conferences; messages go into "
                                            "conferences named after their numbers."));
    list.firstScreenLine = 11 + 2 * *count;
    for (qint64 i = 0; i < *count; ++i) {
        const std::optional<Conference> conf = conference(i, &error);
        if (conf) {
            list.conferences.append(*conf);
            continue;
        }
        if (i == 0 && isNamesOnlyList(*count)) {
            for (qint64 n = 0; n < *count; ++n)
                list.conferences.append({int(n), m_lines.at(11 + n)});
            list.firstScreenLine = 11 + *count;
            list.problems.append(*count == 1
                    ? QStringLiteral("CONTROL.DAT lists its conference without its number; it was "
                                     "numbered 0, which may not be the BBS's own number.")
                    : QStringLiteral("CONTROL.DAT lists its conferences without their numbers; "
                                     "they were numbered 0 to %1 in order, which may not be the "
                                     "BBS's own numbers.")
                          .arg(*count - 1));
            return list;
        }
        list.problems.append(QStringLiteral("Only %1 of %2 conferences were read from CONTROL.DAT "
                                            "(%3); messages of the others go into conferences "
                                            "named after their numbers.")
                                 .arg(i)
                                 .arg(*count)
                                 .arg(error));
        break;
    }
    return list;
}

} // namespace marvik::packet
