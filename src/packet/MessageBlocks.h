#pragma once

#include "packet/MessageHeader.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <optional>

namespace marvik::packet {

// MESSAGES.DAT read block by block with seek and read, so a packet of any
// size costs only the message at hand. Offsets come from index files and
// headers, so every one is checked against the file's real size.
class MessageBlocks
{
public:
    explicit MessageBlocks(QIODevice &device);

    // Whole and partial blocks in the file.
    qint64 blockCount() const { return m_blockCount; }

    // For a walk from block to block: headers are then read a large chunk at
    // a time, so a file of millions of blocks is not read 128 bytes a call.
    void setReadAhead(bool on);

    // The header at `block` (counted from 0; block 0 is the packet's own
    // header). No value, with `error` naming block and offset, when the block
    // is outside the file or is not a message header, which includes a block
    // count larger than the whole file.
    std::optional<MessageHeader> readHeader(qint64 block, QString *error);

    // Text bytes kept of one message: far beyond any real message, and small
    // enough that a hostile block count cannot fill memory.
    static constexpr qint64 MaxTextBytes = 4 * 1024 * 1024;

    // The raw text blocks of the message whose header is at `headerBlock`,
    // without the spaces and NULs that pad the last block. A text running
    // past the end of the file is cut there (`cut` set); one longer than
    // MaxTextBytes is cut at that size (`capped` set).
    QByteArray readTextBytes(qint64 headerBlock, const MessageHeader &header, bool *cut = nullptr,
        bool *capped = nullptr);

    // readTextBytes() decoded as CP437 (see decodeText()).
    QString readText(qint64 headerBlock, const MessageHeader &header, bool *cut = nullptr);

    // Text blocks to text: 0xE3 ends a line (CR LF), and so does a LF that
    // some doors write instead; trailing spaces and the NULs some doors pad
    // with are dropped; every other byte is its CP437 character.
    static QString decodeText(QByteArrayView bytes);

private:
    QIODevice &m_device;
    qint64 m_size = 0;
    qint64 m_blockCount = 0;
    QByteArray m_buffer;
    bool m_readAhead = false;
    QByteArray m_ahead;
    qint64 m_aheadStart = 0;
};

} // namespace marvik::packet
