#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace marvik::packet {

// The 128-byte block that starts every message in MESSAGES.DAT. Text fields
// are CP437 and trimmed; the numbers stay raw until asked for, because a bad
// message number skips only that message while a bad block count means the
// block is not a header at all.
struct MessageHeader
{
    static constexpr int BlockSize = 128;

    QString status;
    QString date;
    QString time;
    QString to;
    QString from;
    QString subject;
    // The same three fields as trimmed bytes, for packets that mark their
    // texts as UTF-8.
    QByteArray toBytes;
    QByteArray fromBytes;
    QByteArray subjectBytes;
    QByteArray numberField;
    QByteArray referenceField;
    int blockCount = 0; // header included, at least 1
    quint16 conference = 0;

    // No value, with `error` set, when the block cannot be a header: short, or
    // a block count that is not a positive decimal number.
    static std::optional<MessageHeader> parse(QByteArrayView block, QString *error);

    std::optional<int> messageNumber() const;
    // A blank field means "refers to nothing".
    std::optional<int> referenceNumber() const;
};

} // namespace marvik::packet
