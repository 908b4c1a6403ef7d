#pragma once

#include <QByteArrayView>
#include <QList>

#include <optional>

namespace marvik::packet {

// A conference index (*.NDX): 5-byte records whose first four bytes are the
// message's header block, counted from 1, as a Microsoft Binary Format real.
class ConferenceIndex
{
public:
    static constexpr int RecordSize = 5;

    // The real truncated to an integer. No value when its exponent puts it
    // far beyond any block number a file could have.
    static std::optional<qint64> decodeMbf(QByteArrayView fourBytes);

    // One entry per whole record; a record that decodes to no value gives 0,
    // which is never a message's block. A trailing partial record is ignored.
    static QList<qint64> blockNumbers(QByteArrayView bytes);
};

} // namespace marvik::packet
