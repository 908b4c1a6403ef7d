#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QIODevice>

#include <functional>
#include <optional>

namespace marvik::packet {

// HEADERS.DAT, written by QWKE doors beside MESSAGES.DAT: one section per
// message, named in brackets by the hexadecimal byte offset of the message's
// header in MESSAGES.DAT ("[280]"), holding "Key: value" lines (and the
// UTF-8 mark as "Utf8 = true"). Only what
// the import uses is kept: the whole To, From (or Sender) and Subject, and
// whether the message is UTF-8.
class HeadersFile
{
public:
    struct Section
    {
        std::optional<QByteArray> to;
        std::optional<QByteArray> from;
        std::optional<QByteArray> subject;
        bool utf8 = false;
    };

    HeadersFile() = default;
    // Read line by line: only the values kept take memory. `tick` runs every
    // few thousand lines, so a long file does not hold the window still.
    explicit HeadersFile(QIODevice &device, const std::function<void()> &tick = {});
    explicit HeadersFile(const QByteArray &bytes);

    // The section of the header at `offset`, or none.
    const Section *section(qint64 offset) const;
    qsizetype size() const { return m_sections.size(); }

private:
    void parse(QIODevice &device, const std::function<void()> &tick);

    QHash<qint64, Section> m_sections;
};

} // namespace marvik::packet
