#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace marvik::packet {

struct ReplyMessage;

// HEADERS.DAT for a reply packet, the file HeadersFile reads: a section per
// reply named by the hexadecimal byte offset of its header in the message
// file ("[80]"), with the whole Subject, To and (as "Sender") From that the
// header cuts to 25 bytes, and In-Reply-To naming the message answered.
// Values are CP437 like the rest of the packet; no door tried reads a UTF-8
// mark in a reply.
class HeadersFileWriter
{
public:
    // Takes the sections of an older packet's HEADERS.DAT that name a header
    // inside its message file of `messageBytes`; one naming a block beyond
    // it would name a new reply, so it goes.
    void keep(QByteArrayView existing, qint64 messageBytes);
    // A section for the reply whose header is at `headerOffset`.
    void add(qint64 headerOffset, const ReplyMessage &reply, const QString &inReplyTo = {});

    bool isEmpty() const { return m_bytes.isEmpty(); }
    // Kept sections first, then the added ones, lines ended by CR LF.
    QByteArray bytes() const { return m_bytes; }

    // A value as it goes into a line: CP437, line breaks and other control
    // characters as blanks, trimmed.
    static QByteArray value(const QString &text);

private:
    QByteArray m_bytes;
};

} // namespace marvik::packet
