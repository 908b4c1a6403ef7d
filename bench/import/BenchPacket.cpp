#include "BenchPacket.h"

#include "support/PacketWriter.h"

namespace marvik::bench {

namespace {

const char *const kWords[] = {"the", "modem", "board", "sysop", "message", "reply", "packet",
    "upload", "download", "door", "netmail", "echo", "conference", "baud", "carrier", "line",
    "weekend", "meeting", "radio", "antenna", "floppy", "drive", "memory", "driver", "and", "but",
    "with", "from", "about", "tonight", "tomorrow", "caf\x82", "na\x8Bve", "r\x82sum\x82"};

// Deterministic, so two runs time the same packet.
class Random
{
public:
    quint32 next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    int below(int n) { return int(next() % quint32(n)); }

private:
    quint32 m_state = 12345;
};

QByteArray body(Random &random)
{
    const int target = 1200 + random.below(600);
    QByteArray text;
    text.reserve(target + 80);
    qsizetype lineStart = 0;
    while (text.size() < target) {
        const char *word = kWords[random.below(int(std::size(kWords)))];
        if (text.size() - lineStart > 68) {
            text += '\n';
            lineStart = text.size();
            if (random.below(6) == 0)
                text += "> ";
        } else if (text.size() > lineStart) {
            text += ' ';
        }
        text += word;
    }
    return text + '\n';
}

} // namespace

bool BenchPacket::write(const QString &path, int messages, QString *error)
{
    testing::PacketWriter writer;
    writer.control().bbsName = "Benchmark BBS";
    writer.control().userName = UserName;
    for (int c = 0; c < Conferences; ++c)
        writer.addConference(c * 10, "Conference " + QByteArray::number(c * 10));

    Random random;
    testing::PacketWriter::Message m;
    for (int i = 0; i < messages; ++i) {
        m.conference = (i % Conferences) * 10;
        m.number = QByteArray::number(i + 1);
        m.to = i % 10 == 0 ? QByteArray(UserName) : QByteArray("ALL");
        m.from = "CALLER " + QByteArray::number(random.below(500));
        m.subject = "Topic " + QByteArray::number(random.below(2000));
        m.reference = i % 3 == 0 ? QByteArray::number(i) : QByteArray();
        m.text = body(random);
        writer.addMessage(m);
    }
    // Still deflated like a real packet, but quick to make.
    writer.setCompressionLevel(1);
    return writer.write(path, error);
}

} // namespace marvik::bench
