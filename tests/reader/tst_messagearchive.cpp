// MessageArchive and MessageHeaderLines: the saved block, appending to the
// same file twice, and files that cannot take the message.
#include "reader/MessageArchive.h"
#include "reader/MessageHeaderLines.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using marvik::reader::DisplayedMessage;
using marvik::reader::MessageArchive;
using marvik::reader::MessageHeaderLines;

namespace {

DisplayedMessage sample(const QString &subject)
{
    DisplayedMessage m;
    m.conference = "General";
    m.messageNumber = "7";
    m.from = "ALICE";
    m.to = "ALL";
    m.subject = subject;
    m.date = "01-02-97 03:04";
    m.privateText = "No";
    m.refersTo = "None";
    m.lines = {"first", "", "\u2554\u2550\u2557 box"};
    return m;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_MessageArchive : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void headerLines_data()
    {
        QTest::addColumn<QString>("conference");
        QTest::addColumn<QString>("first");

        QTest::newRow("padded to 40")
            << "General"
            << "Conference: General" + QString(21, ' ') + "Message Number:   7";
        QTest::newRow("longer is not cut")
            << QString(40, 'C') << "Conference: " + QString(40, 'C') + "Message Number:   7";
        QTest::newRow("empty") << ""
                               << "Conference: " + QString(28, ' ') + "Message Number:   7";
    }
    void headerLines()
    {
        QFETCH(QString, conference);
        QFETCH(QString, first);
        DisplayedMessage m = sample("s");
        m.conference = conference;
        const QStringList lines = MessageHeaderLines::of(m);
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(0), first);
        QCOMPARE(lines.at(1), "From:       ALICE" + QString(23, ' ') + "To:               ALL");
        QCOMPARE(lines.at(3).mid(40), QStringLiteral("Reference Number: None"));
    }

    void savingTwiceAppends()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("SAVEEM.TXT");
        QString error;
        QVERIFY(MessageArchive::append(path, sample("one"), &error));
        QVERIFY(MessageArchive::append(path, sample("two"), &error));
        const QString text = QString::fromUtf8(readAll(path));
        const QStringList lines = text.split("\r\n");
        const QString rule(79, '=');
        QCOMPARE(lines.size(), 2 * 11 + 1);
        QCOMPARE(lines.mid(5, 6),
            QStringList({QString(79, '-'), "first", "", "\u2554\u2550\u2557 box", rule, ""}));
        QCOMPARE(lines.at(0), rule);
        QCOMPARE(lines.at(11), rule);
        QVERIFY(lines.at(3).contains("one") && lines.at(14).contains("two"));
    }

    void unwritableFileIsReported_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("a folder") << "folder";
        QTest::newRow("missing folder") << "nowhere/SAVEEM.TXT";
        QTest::newRow("read-only file") << "locked.txt";
    }
    void unwritableFileIsReported()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("folder");
        QFile locked(dir.filePath("locked.txt"));
        QVERIFY(locked.open(QIODevice::WriteOnly));
        locked.write("kept\r\n");
        locked.close();
        locked.setPermissions(QFileDevice::ReadOwner);
        if (name == "locked.txt" && QFile(locked.fileName()).open(QIODevice::Append))
            QSKIP("running with rights that ignore file permissions");

        QString error;
        QVERIFY(!MessageArchive::append(dir.filePath(name), sample("s"), &error));
        QVERIFY(error.contains(QDir::toNativeSeparators(dir.filePath(name))));
        QCOMPARE(readAll(locked.fileName()), QByteArray("kept\r\n"));
    }
};

QTEST_GUILESS_MAIN(tst_MessageArchive)
#include "tst_messagearchive.moc"
