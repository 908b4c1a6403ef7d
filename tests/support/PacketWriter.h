#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QMap>
#include <QString>

namespace marvik::testing {

// Builds QWK packets the way mail doors write them, for tests, benchmarks and
// the demo packet. Every text is raw CP437 bytes so a test can put any byte in
// any field. members() gives the archive's files before they are zipped, so
// a test can break any of them on purpose and zip the result with writeZip().
class PacketWriter
{
public:
    PacketWriter();

    // Archive member name -> file content.
    using Members = QMap<QString, QByteArray>;

    enum class IndexNaming
    {
        Padded, // 000.NDX, 005.NDX, 1001.NDX: what most doors write
        Plain, // 0.NDX, 5.NDX
    };

    // CONTROL.DAT lines other than the conference list.
    struct Control
    {
        QByteArray bbsName = "Marvik Test BBS";
        QByteArray location = "Springfield, OR";
        QByteArray phone = "541-555-0142";
        QByteArray sysop = "Sam Sysop, Sysop";
        QByteArray serialLine = "00000,MYBBS";
        QByteArray dateLine = "03-14-1996,21:05:00";
        QByteArray userName = "JOHN SMITH";
        QByteArray menuLine = "";
        QByteArray netmailLine = "0";
        // Empty: the number of messages written.
        QByteArray messageCountLine;
        // Empty: the number of conferences minus one.
        QByteArray conferenceCountLine;
        QByteArray welcomeName = "HELLO";
        QByteArray newsName = "NEWS";
        QByteArray goodbyeName = "GOODBYE";
        // Lines some doors add after the screen names (a ^Z line, extras).
        QByteArrayList trailer;
    };

    struct Message
    {
        int conference = 0;
        char status = ' ';
        // Empty: the message's position in the packet, counted from 1.
        QByteArray number;
        QByteArray date = "03-14-96";
        QByteArray time = "20:15";
        QByteArray to = "ALL";
        QByteArray from = "SAM SYSOP";
        QByteArray subject = "Hello";
        QByteArray password;
        QByteArray reference;
        // Line ends "\n" or "\r\n" become 0xE3 unless rawText is set, in which
        // case the bytes go into the text blocks exactly as given.
        QByteArray text;
        bool rawText = false;
        // Byte that fills the last text block up to 128 bytes.
        char padding = ' ';
        // Empty: the true number of blocks, header included.
        QByteArray blockCount;
        char active = char(0xE1);
        quint16 logicalNumber = 0;
        char networkTag = ' ';
        // Whether the conference's index file points at this message.
        bool indexed = true;
        // Listed in PERSONAL.NDX whatever its To says (and even when not
        // indexed: doors that write no index for their e-mail conference).
        bool inPersonalIndex = false;
    };

    struct Bulletin
    {
        int conference = 0;
        int number = 1;
        QByteArray content;
    };

    static constexpr int BlockSize = 128;

    Control &control() { return m_control; }
    const Control &control() const { return m_control; }

    void setIndexNaming(IndexNaming naming) { m_indexNaming = naming; }
    // Some doors write every member name in lower case.
    void setLowerCaseNames(bool lower) { m_lowerCase = lower; }
    void setPersonalIndex(bool write) { m_personalIndex = write; }
    // The 128-byte first block of MESSAGES.DAT; readers skip it.
    void setPacketHeader(const QByteArray &text);

    void addConference(int number, const QByteArray &name);
    // Appends the message to MESSAGES.DAT and returns its header's block
    // number counted from 1 (the value its index record holds). PERSONAL.NDX
    // compares To with control().userName as it is now, so set that first.
    qint64 addMessage(const Message &message);
    int messageCount() const { return m_messageCount; }

    // A null content writes no member; an empty one writes a 0-byte member.
    void setDoorId(const QByteArray &content) { m_doorId = content; }
    void setWelcome(const QByteArray &content) { m_welcome = content; }
    void setNews(const QByteArray &content) { m_news = content; }
    void setGoodbye(const QByteArray &content) { m_goodbye = content; }
    void setNewFiles(const QByteArray &content) { m_newFiles = content; }
    void addBulletin(int conference, int number, const QByteArray &content);
    // A HEADERS.DAT section for the message whose header is at `headerBlock`
    // (as addMessage() returns it): `lines` such as "Subject: ...\r\n".
    void addHeadersSection(qint64 headerBlock, const QByteArray &lines);

    QByteArray controlDat() const;
    const QByteArray &messagesDat() const { return m_messagesDat; }
    QString indexName(int conference) const;
    Members members() const;

    // Deflate level 1 (fastest) to 9; 0 leaves libzip's default.
    void setCompressionLevel(int level) { m_compressionLevel = level; }

    bool write(const QString &path, QString *error = nullptr) const;
    static bool writeZip(const QString &path, const Members &members, QString *error = nullptr,
        int compressionLevel = 0);

    // Microsoft Binary Format single-precision real of a whole number, as the
    // index files hold block numbers.
    static QByteArray mbfEncode(quint32 value);
    static QByteArray indexRecord(quint32 block, int conference);
    // Line ends to 0xE3, as text blocks hold them.
    static QByteArray qwkText(const QByteArray &text);
    // The header and text blocks of one message.
    static QByteArray messageBlocks(const Message &message, const QByteArray &defaultNumber);
    // First `width` bytes of the text, padded with spaces.
    static QByteArray field(const QByteArray &text, int width);

private:
    QString memberName(const QString &name) const;

    Control m_control;
    QList<std::pair<int, QByteArray>> m_conferences;
    QByteArray m_messagesDat;
    QMap<int, QByteArray> m_indexes;
    QByteArray m_personal;
    int m_messageCount = 0;
    IndexNaming m_indexNaming = IndexNaming::Padded;
    bool m_lowerCase = false;
    bool m_personalIndex = true;
    int m_compressionLevel = 0;
    QByteArray m_doorId;
    QByteArray m_welcome;
    QByteArray m_news;
    QByteArray m_goodbye;
    QByteArray m_newFiles;
    QByteArray m_headersDat;
    QList<Bulletin> m_bulletins;
};

} // namespace marvik::testing
