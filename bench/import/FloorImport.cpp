#include "FloorImport.h"

#include "store/Schema.h"
#include "text/Cp437Codec.h"
#include "ui/Progress.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>

#include <algorithm>
#include <cmath>
#include <sqlite3.h>
#include <zip.h>

namespace marvik::bench {

namespace {

constexpr int kBlock = 128;

// Every member written to the folder, then the ones the import reads taken
// back, as the importer does.
bool unzipAll(
    const QString &path, const QString &folder, QMap<QString, QByteArray> &members, QString &error)
{
    int code = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive) {
        error = QStringLiteral("cannot open %1").arg(path);
        return false;
    }
    const QDir dir(folder);
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    QStringList names;
    char buffer[64 * 1024];
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &st) != 0)
            continue;
        zip_file_t *file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        if (!file)
            continue;
        const QString name = QString::fromLatin1(st.name);
        QFile out(dir.filePath(name));
        if (!out.open(QIODevice::WriteOnly)) {
            zip_fclose(file);
            continue;
        }
        for (;;) {
            const zip_int64_t got = zip_fread(file, buffer, sizeof buffer);
            if (got <= 0)
                break;
            out.write(buffer, got);
        }
        zip_fclose(file);
        names.append(name);
    }
    zip_discard(archive);
    for (const QString &name : std::as_const(names)) {
        const QString upper = name.toUpper();
        if (upper != QLatin1String("CONTROL.DAT") && upper != QLatin1String("MESSAGES.DAT")
            && !upper.endsWith(QLatin1String(".NDX")))
            continue;
        QFile in(dir.filePath(name));
        if (in.open(QIODevice::ReadOnly))
            members.insert(upper, in.readAll());
    }
    return true;
}

qint64 mbfValue(const char *p)
{
    const auto b = [p](int i) { return quint32(quint8(p[i])); };
    if (b(3) == 0)
        return 0;
    const quint32 m = ((b(2) & 0x7F) << 16) | (b(1) << 8) | b(0);
    const double value = (1.0 + m / 8388608.0) * std::ldexp(1.0, int(b(3)) - 129);
    return qint64((b(2) & 0x80) ? -value : value);
}

QByteArray trimmedField(const char *p, int width)
{
    return QByteArray(p, width).trimmed();
}

QString fieldText(const char *p, int width)
{
    return text::Cp437Codec::toUnicode(trimmedField(p, width));
}

int fieldInt(const char *p, int width, bool *ok)
{
    return trimmedField(p, width).toInt(ok);
}

class Insert
{
public:
    explicit Insert(sqlite3 *db, QString &error)
    {
        const QByteArray sql
            = "INSERT INTO MESSAGES (\"Conference Number\", \"QwkID\", "
              "\"Message Number\", \"Message Status\", \"Date\", \"Time\", \"To\", "
              "\"From\", \"Subject\", \"Reference Number\", \"Read Flag\", "
              "\"Message\", \"Personal\", \"Reply Conference Number\") "
              "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &m_statement, nullptr) != SQLITE_OK)
            error = QString::fromUtf8(sqlite3_errmsg(db));
    }
    ~Insert() { sqlite3_finalize(m_statement); }
    sqlite3_stmt *get() const { return m_statement; }

private:
    sqlite3_stmt *m_statement = nullptr;
};

void bindText(sqlite3_stmt *s, int column, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(s, column, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

} // namespace

FloorImport::Result FloorImport::run(const QString &packetPath, const QString &databasePath,
    const QString &tempFolder, ui::Progress &progress)
{
    Result result;
    QElapsedTimer timer;
    timer.start();
    QMap<QString, QByteArray> members;
    if (!unzipAll(packetPath, tempFolder, members, result.error))
        return result;

    const QList<QByteArray> control = members.value(QStringLiteral("CONTROL.DAT")).split('\n');
    const QString userName = control.size() > 6
        ? text::Cp437Codec::toUnicode(control.at(6).trimmed()).toUpper()
        : QString();
    const QString qwkId = QStringLiteral("BENCH");
    const QByteArray dat = members.value(QStringLiteral("MESSAGES.DAT"));
    const qint64 blocks = dat.size() / kBlock;

    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(databasePath).constData(), &db) != SQLITE_OK) {
        result.error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return result;
    }
    // Same journal settings as the store, and its tables and indexes as it
    // declares them.
    QByteArrayList setup {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = NORMAL"};
    for (const QString &statement : store::Schema::createStatements())
        setup << statement.toUtf8();
    for (const QByteArray &sql : setup) {
        if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            result.error = QString::fromUtf8(sqlite3_errmsg(db));
            sqlite3_close(db);
            return result;
        }
    }

    {
        Insert insert(db, result.error);
        sqlite3_stmt *s = insert.get();
        sqlite3_stmt *lookup = nullptr;
        sqlite3_prepare_v2(db,
            "SELECT 1 FROM MESSAGES INDEXED BY \"MessagesByNumber\" WHERE \"QwkID\" = ? AND "
            "\"Conference Number\" = ? AND \"Message Number\" = ? AND \"Date\" = ? AND "
            "\"Time\" = ? AND \"From\" = ? AND \"To\" = ? AND \"Subject\" = ? LIMIT 1",
            -1, &lookup, nullptr);
        if (!s || !lookup) {
            sqlite3_finalize(lookup);
            sqlite3_close(db);
            return result;
        }
        qint64 total = 0;
        for (auto it = members.cbegin(); it != members.cend(); ++it) {
            if (it.key().endsWith(QLatin1String(".NDX")))
                total += it.value().size() / 5;
        }
        progress.start(QStringLiteral("Importing Messages"));
        QElapsedTimer shown;
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        QByteArray text;
        for (auto it = members.cbegin(); it != members.cend(); ++it) {
            if (!it.key().endsWith(QLatin1String(".NDX"))
                || it.key() == QLatin1String("PERSONAL.NDX"))
                continue;
            bool ok = false;
            const int conference = it.key().section(QLatin1Char('.'), 0, 0).toInt(&ok);
            if (!ok)
                continue;
            const QByteArray &index = it.value();
            for (qsizetype r = 0; r + 5 <= index.size(); r += 5) {
                const qint64 header = mbfValue(index.constData() + r) - 1;
                if (header < 1 || header >= blocks)
                    continue;
                const char *h = dat.constData() + header * kBlock;
                bool numberOk = false, referenceOk = false, countOk = false;
                const int number = fieldInt(h + 1, 7, &numberOk);
                const QByteArray referenceText = trimmedField(h + 108, 8);
                const int reference
                    = referenceText.isEmpty() ? 0 : referenceText.toInt(&referenceOk);
                const int count = fieldInt(h + 116, 6, &countOk);
                if (!numberOk || (!referenceText.isEmpty() && !referenceOk) || !countOk)
                    continue;
                const qint64 textBlocks = std::clamp<qint64>(count - 1, 0, blocks - header - 1);

                // Every 0xE3 may become two bytes.
                text.resize(textBlocks * kBlock * 2);
                char *out = text.data();
                const char *p = h + kBlock;
                const char *end = p + textBlocks * kBlock;
                for (; p < end; ++p) {
                    if (quint8(*p) == 0xE3) {
                        *out++ = '\r';
                        *out++ = '\n';
                    } else {
                        *out++ = *p;
                    }
                }
                qsizetype keep = out - text.data();
                while (keep > 0 && (text.at(keep - 1) == ' ' || text.at(keep - 1) == '\0'))
                    --keep;
                text.truncate(keep);

                const QString to = fieldText(h + 21, 25);
                const QString from = fieldText(h + 46, 25);
                const QString subject = fieldText(h + 71, 25);
                const QString date = fieldText(h + 8, 8);
                const QString time = fieldText(h + 16, 5);
                // The text line is set as often as the importer sets it.
                if (!shown.isValid() || shown.elapsed() >= 25 || result.messages + 1 == total) {
                    shown.start();
                    progress.setText(QStringLiteral("Importing %1 of %2 messages.")
                                         .arg(result.messages + 1)
                                         .arg(total));
                }
                progress.processEvents();
                bindText(lookup, 1, qwkId);
                sqlite3_bind_int(lookup, 2, conference);
                sqlite3_bind_int(lookup, 3, number);
                bindText(lookup, 4, date);
                bindText(lookup, 5, time);
                bindText(lookup, 6, from);
                bindText(lookup, 7, to);
                bindText(lookup, 8, subject);
                const bool held = sqlite3_step(lookup) == SQLITE_ROW;
                sqlite3_reset(lookup);
                if (held)
                    continue;
                sqlite3_bind_int(s, 1, conference);
                bindText(s, 2, qwkId);
                sqlite3_bind_int(s, 3, number);
                bindText(s, 4, text::Cp437Codec::toUnicode(QByteArrayView(h, 1)));
                bindText(s, 5, date);
                bindText(s, 6, time);
                bindText(s, 7, to);
                bindText(s, 8, from);
                bindText(s, 9, subject);
                sqlite3_bind_int(s, 10, reference);
                sqlite3_bind_int(s, 11, 0);
                bindText(s, 12, text::Cp437Codec::toUnicode(text));
                sqlite3_bind_int(s, 13, to.toUpper() == userName ? 1 : 0);
                sqlite3_bind_int(s, 14, 0);
                if (sqlite3_step(s) != SQLITE_DONE) {
                    result.error = QString::fromUtf8(sqlite3_errmsg(db));
                    sqlite3_reset(s);
                    break;
                }
                sqlite3_reset(s);
                ++result.messages;
            }
        }
        if (result.error.isEmpty()
            && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            result.error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_finalize(lookup);
        progress.hide();
    }
    result.seconds = timer.nsecsElapsed() / 1e9;
    sqlite3_close(db);
    result.ok = result.error.isEmpty();
    return result;
}

} // namespace marvik::bench
