#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>

#include <functional>
#include <limits>
#include <optional>
#include <vector>

namespace marvik::packet {

// HEADERS.DAT, written by QWKE doors beside MESSAGES.DAT: one section per
// message, named in brackets by the hexadecimal byte offset of the message's
// header in MESSAGES.DAT ("[280]"), holding "Key: value" lines (and the
// UTF-8 mark as "Utf8 = true"). Only what the import uses is kept: the whole
// To, From (or Sender) and Subject, whether the message is UTF-8, and the
// Message-ID and In-Reply-To that let a reader hang replies under what they
// answer.
//
// Whatever the file holds, its memory stays small: a section that names no
// header block of MESSAGES.DAT, or carries nothing kept, costs nothing; the
// values of one section live in one shared buffer; the sections kept and
// their values are capped, and a section named twice keeps its last copy.
class HeadersFile
{
public:
    struct Section
    {
        std::optional<QByteArray> to;
        std::optional<QByteArray> from;
        std::optional<QByteArray> subject;
        std::optional<QByteArray> messageId;
        std::optional<QByteArray> inReplyTo;
        bool utf8 = false;
    };

    // Far above a real packet's messages and their names; what lies beyond
    // is dropped and counted.
    static constexpr qsizetype MaxSections = 1000000;
    static constexpr qsizetype MaxValueBytes = 512;
    static constexpr qsizetype MaxTotalValueBytes = 32 * 1024 * 1024;

    HeadersFile() = default;
    // Reads the device in large chunks, never a copy per line. Sections
    // whose offset is not that of a block of a MESSAGES.DAT of
    // `messagesSize` bytes are left out. `tick` runs every few thousand
    // lines, so a long file does not hold the window still.
    explicit HeadersFile(QIODevice &device,
        qint64 messagesSize = std::numeric_limits<qint64>::max(),
        const std::function<void()> &tick = {});
    explicit HeadersFile(
        const QByteArray &bytes, qint64 messagesSize = std::numeric_limits<qint64>::max());

    // The offset a "[hex offset]" line names, or none for another line.
    static std::optional<qint64> sectionOffset(QByteArrayView line);

    // The section of the header at `offset`, or none.
    std::optional<Section> section(qint64 offset) const;
    qsizetype size() const { return qsizetype(m_entries.size()); }
    // Sections with something to keep that were dropped at a cap.
    qint64 sectionsDropped() const { return m_dropped; }

private:
    enum Field
    {
        To,
        From,
        Sender,
        Subject,
        MessageId,
        InReplyTo,
        FieldCount
    };
    static constexpr quint16 Absent = 0xffff;
    // One kept section, 24 bytes: its values lie one after another in
    // m_values from `at`, in Field order.
    struct Entry
    {
        quint32 block = 0; // the header's offset in blocks
        quint32 at = 0;
        quint16 length[FieldCount] = {Absent, Absent, Absent, Absent, Absent, Absent};
        bool utf8 = false;
    };

    void parse(QIODevice &device, qint64 messagesSize, const std::function<void()> &tick);
    void parseLine(QByteArrayView line, qint64 messagesSize);
    void finishSection();
    void take(Field field, QByteArrayView value);
    std::optional<QByteArray> valueOf(const Entry &entry, Field field) const;

    std::vector<Entry> m_entries; // by block once read
    QByteArray m_values;
    // The section being read: its values so far, as they came.
    bool m_inSection = false;
    quint32 m_block = 0;
    bool m_utf8 = false;
    QByteArray m_pending[FieldCount];
    bool m_has[FieldCount] = {};
    qint64 m_dropped = 0;
};

} // namespace marvik::packet
