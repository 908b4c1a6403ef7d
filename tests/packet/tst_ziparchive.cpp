#include "packet/ZipArchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <zip.h>

#include <csignal>

using marvik::packet::ZipArchive;

namespace {

struct Entry
{
    QByteArray name;
    QByteArray data;
    quint32 unixMode = 0; // 0: leave libzip's default
    bool encrypt = false;
};

bool makeZip(const QString &path, const QList<Entry> &entries)
{
    int code = 0;
    zip_t *archive
        = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive)
        return false;
    for (const Entry &entry : entries) {
        // libzip takes ownership of the copy; an empty member needs none.
        void *copy = nullptr;
        if (!entry.data.isEmpty()) {
            copy = malloc(size_t(entry.data.size()));
            memcpy(copy, entry.data.constData(), size_t(entry.data.size()));
        }
        zip_source_t *source
            = zip_source_buffer(archive, copy, zip_uint64_t(entry.data.size()), copy ? 1 : 0);
        const zip_int64_t index = zip_file_add(archive, entry.name.constData(), source, 0);
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
        if (entry.unixMode)
            zip_file_set_external_attributes(
                archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, entry.unixMode << 16);
        if (entry.encrypt
            && zip_file_set_encryption(archive, zip_uint64_t(index), ZIP_EM_TRAD_PKWARE, "secret")
                != 0) {
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &data)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

// Every file below `root`, relative to it, sorted.
QStringList filesUnder(const QString &root)
{
    QStringList found;
    QDirIterator it(root, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(QDir(root).relativeFilePath(it.next()));
    found.sort();
    return found;
}

// Patches every declared uncompressed size (local and central headers) so a
// member claims less than it holds.
void patchDeclaredSizes(QByteArray &zip, quint32 size)
{
    auto put32 = [&](qsizetype at) {
        for (int i = 0; i < 4; ++i)
            zip[at + i] = char((size >> (8 * i)) & 0xFF);
    };
    for (qsizetype at = 0; (at = zip.indexOf("PK\x03\x04", at)) >= 0; at += 4)
        put32(at + 22);
    for (qsizetype at = 0; (at = zip.indexOf("PK\x01\x02", at)) >= 0; at += 4)
        put32(at + 24);
}

} // namespace

class TestZipArchive : public QObject
{
    Q_OBJECT

private slots:
    void safeBaseName_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "CONTROL.DAT"
                               << "CONTROL.DAT";
        QTest::newRow("folder dropped") << "dir/sub/000.NDX"
                                        << "000.NDX";
        QTest::newRow("dos folder dropped") << "dir\\000.NDX"
                                            << "000.NDX";
        QTest::newRow("dots inside a name") << "A..B"
                                            << "A..B";
        QTest::newRow("parent") << "../evil"
                                << "";
        QTest::newRow("parent deeper") << "a/../../evil"
                                       << "";
        QTest::newRow("dos parent") << "..\\evil"
                                    << "";
        QTest::newRow("absolute") << "/etc/passwd"
                                  << "";
        QTest::newRow("dos absolute") << "\\evil"
                                      << "";
        QTest::newRow("drive") << "C:evil"
                               << "";
        QTest::newRow("drive path") << "c:\\x\\evil"
                                    << "";
        QTest::newRow("folder entry") << "dir/"
                                      << "";
        QTest::newRow("dot") << "a/."
                             << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void safeBaseName()
    {
        QFETCH(QString, member);
        QFETCH(QString, expected);
        QCOMPARE(ZipArchive::safeBaseName(member), expected);
    }

    // Hostile names and entry kinds are skipped; the good members around them
    // still arrive, and nothing lands outside the destination.
    void extractSkipsHostileMembers()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("a/b/dest")));
        const QString zip = root.filePath(QStringLiteral("hostile.qwk"));
        QVERIFY(makeZip(zip,
            {
                {"../evil1", "x"},
                {"../../evil2", "x"},
                {"sub/../../../evil3", "x"},
                {"/tmp/marvik-evil4", "x"},
                {"C:evil5", "x"},
                {"..\\evil6", "x"},
                {"LINK", "/etc/passwd", S_IFLNK | 0777},
                {"DEVICE", "", S_IFCHR | 0644},
                {"FIFO", "", S_IFIFO | 0644},
                {"folder/", ""},
                {"CONTROL.DAT", "control", S_IFREG | 0644},
                {"deep/dir/MESSAGES.DAT", "messages"},
                {"EMPTY.NDX", ""},
            }));
        const QString dest = root.filePath(QStringLiteral("a/b/dest"));
        QString error;
        QStringList items;
        QList<int> percents;
        QVERIFY2(ZipArchive::extractAll(
                     zip, dest,
                     [&](const QString &item, int percent) {
                         items.append(item);
                         percents.append(percent);
                     },
                     &error),
            qPrintable(error));
        QCOMPARE(filesUnder(root.path()),
            QStringList({"a/b/dest/CONTROL.DAT", "a/b/dest/EMPTY.NDX", "a/b/dest/MESSAGES.DAT",
                "hostile.qwk"}));
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/marvik-evil4")));
        QCOMPARE(readAll(dest + "/MESSAGES.DAT"), QByteArray("messages"));
        QVERIFY(items.contains("CONTROL.DAT"));
        QCOMPARE(percents.last(), 100);
        for (int i = 1; i < percents.size(); ++i)
            QVERIFY(percents.at(i) >= percents.at(i - 1));
    }

    // A link already in the folder must not redirect a member's bytes.
    void extractReplacesLinkInDestination()
    {
        QTemporaryDir root;
        const QString outside = root.filePath(QStringLiteral("outside"));
        writeAll(outside, "keep");
        QVERIFY(QDir(root.path()).mkdir(QStringLiteral("dest")));
        QVERIFY(QFile::link(outside, root.filePath(QStringLiteral("dest/CONTROL.DAT"))));
        const QString zip = root.filePath(QStringLiteral("p.zip"));
        QVERIFY(makeZip(zip, {{"CONTROL.DAT", "new"}}));
        QString error;
        QVERIFY(ZipArchive::extractAll(zip, root.filePath("dest"), {}, &error));
        QCOMPARE(readAll(outside), QByteArray("keep"));
        QVERIFY(!QFileInfo(root.filePath("dest/CONTROL.DAT")).isSymLink());
        QCOMPARE(readAll(root.filePath("dest/CONTROL.DAT")), QByteArray("new"));
    }

    // Archives that cannot be trusted fail with a reason and leave no member
    // (and no half-written temporary) in the destination.
    void extractFailsCleanly_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("not a zip") << "garbage";
        QTest::newRow("empty file") << "empty";
        QTest::newRow("corrupt data") << "corrupt";
        QTest::newRow("encrypted member") << "encrypted";
        QTest::newRow("sizes understated") << "understated";
        QTest::newRow("bomb-sized declaration") << "huge";
        QTest::newRow("missing file") << "missing";
    }
    void extractFailsCleanly()
    {
        QFETCH(QString, damage);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkdir(QStringLiteral("dest")));
        const QString zip = root.filePath(QStringLiteral("p.qwk"));
        QByteArray big;
        for (int i = 0; i < 20000; ++i)
            big += QByteArray::number(i * 7919) + ' ';
        QList<Entry> entries {{"MESSAGES.DAT", big}};
        if (damage == "encrypted")
            entries.append({"SECRET.DAT", "hidden", 0, true});
        if (damage == "huge") // two members of nearly 4 GiB each
            entries.append({"SECOND.DAT", big});
        QVERIFY(makeZip(zip, entries));
        QByteArray bytes = readAll(zip);
        if (damage == "truncated")
            bytes.chop(bytes.size() / 3);
        else if (damage == "garbage")
            bytes = QByteArray(200, 'x');
        else if (damage == "empty")
            bytes.clear();
        else if (damage == "corrupt")
            for (int i = 60; i < 160; ++i)
                bytes[i] = char(bytes[i] ^ 0x5A);
        else if (damage == "understated")
            patchDeclaredSizes(bytes, 100);
        else if (damage == "huge")
            patchDeclaredSizes(bytes, 0xFFFFFFF0u);
        if (damage == "missing")
            QFile::remove(zip);
        else
            writeAll(zip, bytes);

        QString error;
        QVERIFY(!ZipArchive::extractAll(zip, root.filePath("dest"), {}, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(filesUnder(root.filePath("dest")), QStringList());
    }

    void extractRefusesTooManyMembers()
    {
        QTemporaryDir root;
        const QString zip = root.filePath(QStringLiteral("many.zip"));
        int code = 0;
        zip_t *archive = zip_open(QFile::encodeName(zip).constData(), ZIP_CREATE, &code);
        QVERIFY(archive);
        for (qint64 i = 0; i <= ZipArchive::MaxMembers; ++i) {
            zip_source_t *source = zip_source_buffer(archive, "", 0, 0);
            QVERIFY(zip_file_add(archive, QByteArray::number(i).constData(), source, 0) >= 0);
        }
        QCOMPARE(zip_close(archive), 0);
        QString error;
        QVERIFY(!ZipArchive::extractAll(zip, root.path(), {}, &error));
        QVERIFY(error.contains(QString::number(ZipArchive::MaxMembers)));
        QCOMPARE(filesUnder(root.path()), QStringList({"many.zip"}));
    }

    // Refused before anything is written: an archive that expands far beyond
    // what text deflates to, once it is big; or one the disk has no room for.
    void refusal_data()
    {
        constexpr qint64 MB = 1024 * 1024;
        QTest::addColumn<qint64>("archive");
        QTest::addColumn<qint64>("unpacked");
        QTest::addColumn<qint64>("free");
        QTest::addColumn<QString>("expected"); // "" = may be unpacked
        QTest::newRow("a real packet") << 2 * MB << 9 * MB << 1000 * MB << "";
        QTest::newRow("small, however packed") << qint64(10 * 1024) << 60 * MB << 1000 * MB << "";
        QTest::newRow("big, packed 100 times") << 40 * MB << 4000 * MB << 8000 * MB << "";
        QTest::newRow("zip bomb")
            << 4 * MB << 3900 * MB << 8000 * MB
            << "P.QWK would unpack to 3.8 GB from only 4.0 MB, far more than a QWK packet holds: "
               "it is damaged, or made to fill the disk.";
        QTest::newRow("over the hard bound")
            << 100 * MB * 1024 << 5000 * MB << -1LL << "P.QWK would unpack to 4.9 GB";
        QTest::newRow("no room on the disk")
            << 20 * MB << 100 * MB << 90 * MB
            << "P.QWK unpacks to 100.0 MB, but the disk holding /t/TEMP has only 90.0 MB free. "
               "Free some space on it and try again.";
        QTest::newRow("room unknown") << 20 * MB << 100 * MB << -1LL << "";
    }
    void refusal()
    {
        QFETCH(qint64, archive);
        QFETCH(qint64, unpacked);
        QFETCH(qint64, free);
        QFETCH(QString, expected);
        const QString text = ZipArchive::refusal("P.QWK", archive, unpacked, "/t/TEMP", free);
        if (expected.isEmpty())
            QCOMPARE(text, QString());
        else
            QVERIFY2(text.startsWith(expected), qPrintable(text));
    }

    void addFilesCreatesAndUpdates()
    {
        QTemporaryDir root;
        QDir(root.path()).mkpath("in/one");
        QDir(root.path()).mkpath("in/two");
        QDir(root.path()).mkdir("out");
        writeAll(root.filePath("in/one/MYBBS.MSG"), "first reply");
        writeAll(root.filePath("in/two/DOOR.ID"), "DOOR = X");
        const QString zip = root.filePath("MYBBS.REP");
        QString error;
        int lastPercent = -1;
        QVERIFY2(ZipArchive::addFiles(
                     zip, {root.filePath("in/one/MYBBS.MSG")}, 6,
                     [&](const QString &, int p) { lastPercent = p; }, &error),
            qPrintable(error));
        QCOMPARE(lastPercent, 100);
        // A new archive is as readable as any new file (not only by its owner);
        // an updated one keeps the permissions it had.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        struct stat created
        {
        };
        QCOMPARE(::stat(QFile::encodeName(zip).constData(), &created), 0);
        QCOMPARE(int(created.st_mode & 0777), int(0666 & ~mask));
        QCOMPARE(::chmod(QFile::encodeName(zip).constData(), 0640), 0);

        // Update: a same-named member is replaced, the others stay.
        writeAll(root.filePath("in/two/MYBBS.MSG"), "second reply");
        QVERIFY2(ZipArchive::addFiles(zip,
                     {root.filePath("in/two/MYBBS.MSG"), root.filePath("in/two/DOOR.ID")}, 0, {},
                     &error),
            qPrintable(error));
        QVERIFY(ZipArchive::extractAll(zip, root.filePath("out"), {}, &error));
        QCOMPARE(filesUnder(root.filePath("out")), QStringList({"DOOR.ID", "MYBBS.MSG"}));
        QCOMPARE(readAll(root.filePath("out/MYBBS.MSG")), QByteArray("second reply"));
        QCOMPARE(readAll(root.filePath("out/DOOR.ID")), QByteArray("DOOR = X"));

        struct stat updated
        {
        };
        QCOMPARE(::stat(QFile::encodeName(zip).constData(), &updated), 0);
        QCOMPARE(int(updated.st_mode & 0777), 0640);

        // Members are stored without folders.
        int code = 0;
        zip_t *archive = zip_open(QFile::encodeName(zip).constData(), ZIP_RDONLY, &code);
        QVERIFY(archive);
        QCOMPARE(zip_get_num_entries(archive, 0), zip_int64_t(2));
        for (zip_uint64_t i = 0; i < 2; ++i)
            QVERIFY(!QByteArray(zip_get_name(archive, i, 0)).contains('/'));
        zip_discard(archive);
        // Nothing left beside it.
        QCOMPARE(QDir(root.path()).entryList(QDir::Files), QStringList({"MYBBS.REP"}));
    }

    // A failed update leaves the archive exactly as it was.
    void addFilesFailureKeepsArchive_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::newRow("missing input file") << "missing";
        QTest::newRow("existing archive damaged") << "damaged";
        // A full disk cannot be made here; a file size limit of 0 fails the
        // writes the same way.
        QTest::newRow("no room to write") << "no room";
    }
    void addFilesFailureKeepsArchive()
    {
        QFETCH(QString, damage);
        const bool corruptArchive = damage == "damaged";
        QTemporaryDir root;
        const QString zip = root.filePath("MYBBS.REP");
        QVERIFY(makeZip(zip, {{"MYBBS.MSG", "kept"}}));
        if (corruptArchive) {
            QByteArray bytes = readAll(zip);
            bytes.chop(10);
            writeAll(zip, bytes);
        }
        writeAll(root.filePath("NEW.MSG"), "new");
        const QByteArray before = readAll(zip);
        const QStringList files = corruptArchive
            ? QStringList {root.filePath("NEW.MSG")}
            : QStringList {root.filePath("NEW.MSG"), root.filePath("GONE.MSG")};
        QString error;
        rlimit saved {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (damage == "no room") {
            rlimit none = saved;
            none.rlim_cur = 0;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &none), 0);
        }
        const bool added = ZipArchive::addFiles(zip, files, 6, {}, &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!added);
        QVERIFY(!error.isEmpty());
        if (damage == "no room") {
            // Once, with the reason: the archive the user knows, not a scratch file.
            QCOMPARE(error, "Cannot write " + zip + ": File too large");
        }
        QCOMPARE(readAll(zip), before);
        QCOMPARE(QDir(root.path()).entryList(QDir::Files), QStringList({"MYBBS.REP", "NEW.MSG"}));
    }

    // The disk running out part-way says why in the system's words, never
    // Qt's "Unknown error", whichever write meets it. A file size limit
    // fails writes as a full disk does (with "File too large").
    void writesCutShortSayWhy_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("memberBytes");
        QTest::addColumn<int>("limit");
        QTest::newRow("unpacking, at the first byte") << "extract" << 200000 << 0;
        QTest::newRow("unpacking, in a large member") << "extract" << 200000 << 70000;
        QTest::newRow("unpacking, in a small member") << "extract" << 3000 << 1000;
        QTest::newRow("zipping anew") << "create" << 200000 << 5000;
        QTest::newRow("zipping, copying the old archive") << "update" << 200000 << 5000;
        QTest::newRow("zipping, small old archive") << "update" << 3000 << 1000;
    }
    void writesCutShortSayWhy()
    {
        QFETCH(QString, operation);
        QFETCH(int, memberBytes);
        QFETCH(int, limit);
        QTemporaryDir root;
        QDir(root.path()).mkdir("out");
        // Bytes that do not compress, so the archive is as large as they are.
        QByteArray data(memberBytes, Qt::Uninitialized);
        quint32 x = 12345;
        for (char &c : data) {
            x = x * 1103515245u + 12345u;
            c = char(x >> 24);
        }
        const QString zip = root.filePath("MYBBS.QWK");
        if (operation != "create")
            QVERIFY(makeZip(zip, {{"MESSAGES.DAT", data}}));
        writeAll(root.filePath("NEW.MSG"), data);

        rlimit saved {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit cut = saved;
        cut.rlim_cur = rlim_t(limit);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &cut), 0);
        QString error;
        const bool done = operation == "extract"
            ? ZipArchive::extractAll(zip, root.filePath("out"), {}, &error)
            : ZipArchive::addFiles(zip, {root.filePath("NEW.MSG")}, 0, {}, &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!done);
        QVERIFY2(error.endsWith(": File too large"), qPrintable(error));
        QVERIFY2(!error.contains("Unknown error"), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestZipArchive)
#include "tst_ziparchive.moc"
