#include "StoreGenerator.h"

#include "store/MessageStore.h"
#include "store/StoreError.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <algorithm>
#include <cmath>
#include <sqlite3.h>

namespace marvik::bench {

namespace {

// Deterministic, so two runs build the same store.
class Random
{
public:
    quint64 next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }
    int below(int n) { return int(next() % quint64(n)); }
    double unit() { return double(next() >> 11) / double(1ull << 53); }

private:
    quint64 m_state = 0x9E3779B97F4A7C15ull;
};

const char *const common[] = {"the", "and", "to", "of", "a", "in", "is", "it", "you", "that", "for",
    "on", "with", "was", "have", "this", "be", "at", "but", "not", "are", "from", "or", "they",
    "one", "all", "we", "my", "there", "can", "an", "about", "what", "if", "just", "so", "board",
    "message", "reply", "file", "system", "drive", "disk", "memory", "modem", "modems", "mode",
    "model", "module", "modify", "modular", "modest", "card", "driver", "sysop", "upload",
    "download", "door", "netmail", "echo", "baud", "carrier", "weekend", "meeting", "radio",
    "antenna", "floppy", "printer", "monitor", "keyboard", "network", "software", "program",
    "caf\u00e9", "na\u00efve", "r\u00e9sum\u00e9"};

const char *const syllables[] = {"ka", "lo", "mi", "ne", "ra", "su", "ti", "vo", "ba", "de", "fi",
    "gu", "ho", "ja", "ke", "li", "mo", "nu", "pa", "re", "so", "tu", "va", "we", "yo", "za", "an",
    "er", "in", "on", "ul", "st", "tr", "pl", "gr", "ch"};

class Vocabulary
{
public:
    explicit Vocabulary(Random &random)
    {
        for (const char *word : common)
            m_words.append(QByteArray(word));
        while (m_words.size() < 30000) {
            QByteArray word;
            const int parts = 2 + random.below(3);
            for (int i = 0; i < parts; ++i)
                word += syllables[random.below(int(std::size(syllables)))];
            m_words.append(word);
        }
        // Zipf: the word of rank r comes in proportion to 1/r.
        double sum = 0;
        for (qsizetype r = 0; r < m_words.size(); ++r) {
            sum += 1.0 / double(r + 1);
            m_cumulative.append(sum);
        }
        for (double &c : m_cumulative)
            c /= sum;
    }

    const QByteArray &pick(Random &random) const
    {
        const double u = random.unit();
        const auto it = std::lower_bound(m_cumulative.cbegin(), m_cumulative.cend(), u);
        return m_words.at(std::min<qsizetype>(it - m_cumulative.cbegin(), m_words.size() - 1));
    }

private:
    QList<QByteArray> m_words;
    QList<double> m_cumulative;
};

QByteArray body(Random &random, const Vocabulary &vocabulary)
{
    const int target = 1200 + random.below(600);
    QByteArray text;
    text.reserve(target + 100);
    qsizetype lineStart = 0;
    const int plant = random.below(300);
    while (text.size() < target) {
        if (text.size() - lineStart > 68) {
            text += "\r\n";
            lineStart = text.size();
            if (random.below(6) == 0)
                text += "> ";
        } else if (text.size() > lineStart) {
            text += ' ';
        }
        text += vocabulary.pick(random);
        if (text.size() > target / 2 && plant < 3) {
            text += plant == 0 ? " scsi card" : " scsi";
            text += ' ';
            text += vocabulary.pick(random);
        }
    }
    return text + "\r\n";
}

bool check(sqlite3 *db, int rc, QString *error)
{
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW)
        return true;
    *error = QString::fromUtf8(sqlite3_errmsg(db));
    return false;
}

} // namespace

bool StoreGenerator::write(const QString &path, int messages, QString *error)
{
    QFile::remove(path);
    try {
        store::MessageStore made(path); // the program's own tables and indexes
    } catch (const store::StoreError &e) {
        *error = e.message();
        return false;
    }
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close(db);
        return false;
    }
    // Back to what the first program wrote: no index, no later columns,
    // version 1.
    const char *setup
        = "ALTER TABLE MESSAGES DROP COLUMN \"Marked\"; "
          "ALTER TABLE MESSAGES DROP COLUMN \"Message-ID\"; "
          "ALTER TABLE MESSAGES DROP COLUMN \"In-Reply-To\"; "
          "DROP TRIGGER MessagesSearchDelete; DROP TRIGGER MessagesSearchUpdate; "
          "ALTER TABLE QWKIDS DROP COLUMN \"Headers File\"; "
          "ALTER TABLE QWKIDS DROP COLUMN \"QWKE\"; DROP TABLE PACKING; "
          "DROP TABLE MESSAGES_FTS; DROP TABLE SEARCH_STATE; PRAGMA user_version = 1; "
          "PRAGMA synchronous = OFF; BEGIN";
    bool ok = check(db, sqlite3_exec(db, setup, nullptr, nullptr, nullptr), error);
    sqlite3_stmt *system = nullptr;
    sqlite3_stmt *conference = nullptr;
    sqlite3_stmt *insert = nullptr;
    ok = ok
        && check(db,
            sqlite3_prepare_v2(db,
                "INSERT INTO QWKIDS (\"QwkID\", \"BBS Name\", \"Your Name\", \"Last Reply\") "
                "VALUES (?, ?, 'JOHN SMITH', 0)",
                -1, &system, nullptr),
            error)
        && check(db,
            sqlite3_prepare_v2(db,
                "INSERT INTO CONFS (\"Conference Number\", \"QwkID\", \"Conference Name\", "
                "\"Total Msgs\", \"Unread Msgs\") VALUES (?, ?, ?, 0, 0)",
                -1, &conference, nullptr),
            error)
        && check(db,
            sqlite3_prepare_v2(db,
                "INSERT INTO MESSAGES (\"Conference Number\", \"QwkID\", \"Message Number\", "
                "\"Message Status\", \"Date\", \"Time\", \"To\", \"From\", \"Subject\", "
                "\"Reference Number\", \"Read Flag\", \"Message\", \"Personal\", "
                "\"Reply Conference Number\") VALUES (?, ?, ?, ' ', ?, ?, ?, ?, ?, 0, 0, ?, ?, 0)",
                -1, &insert, nullptr),
            error);
    for (int s = 1; ok && s <= Systems; ++s) {
        const QByteArray id = "SYS" + QByteArray::number(s);
        sqlite3_bind_text(system, 1, id.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(system, 2, ("Benchmark BBS " + id).constData(), -1, SQLITE_TRANSIENT);
        ok = check(db, sqlite3_step(system), error);
        sqlite3_reset(system);
        for (int c = -2; ok && c < Conferences; ++c) {
            const QByteArray name = c == -2 ? QByteArray("Replies")
                : c == -1                   ? QByteArray("Personal")
                                            : "Conference " + QByteArray::number(c);
            sqlite3_bind_int(conference, 1, c);
            sqlite3_bind_text(conference, 2, id.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(conference, 3, name.constData(), -1, SQLITE_TRANSIENT);
            ok = check(db, sqlite3_step(conference), error);
            sqlite3_reset(conference);
        }
    }
    Random random;
    const Vocabulary vocabulary(random);
    QList<QByteArray> names;
    for (int i = 0; i < 300; ++i)
        names.append(vocabulary.pick(random).toUpper() + ' ' + vocabulary.pick(random).toUpper());
    for (int i = 0; ok && i < messages; ++i) {
        const QByteArray id = "SYS" + QByteArray::number(i % Systems + 1);
        const QByteArray date = QByteArray::number(100 + i % 12 + 1).right(2) + '-'
            + QByteArray::number(100 + i % 28 + 1).right(2) + "-96";
        const bool personal = i % 10 == 0;
        const QByteArray to = personal ? QByteArray("JOHN SMITH") : names.at(random.below(300));
        const QByteArray &from = names.at(random.below(300));
        QByteArray subject;
        for (int w = 0, n = 2 + random.below(4); w < n; ++w)
            subject += (w ? " " : "") + vocabulary.pick(random);
        const QByteArray text = body(random, vocabulary);
        sqlite3_bind_int(insert, 1, (i / Systems) % Conferences);
        sqlite3_bind_text(insert, 2, id.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 3, i / Systems + 1);
        sqlite3_bind_text(insert, 4, date.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, "18:05", -1, SQLITE_STATIC);
        sqlite3_bind_text(insert, 6, to.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 7, from.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 8, subject.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 9, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 10, personal ? 1 : 0);
        ok = check(db, sqlite3_step(insert), error);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(system);
    sqlite3_finalize(conference);
    sqlite3_finalize(insert);
    const char *counts
        = "UPDATE CONFS SET \"Total Msgs\" = n, \"Unread Msgs\" = n FROM (SELECT \"QwkID\" AS q, "
          "\"Conference Number\" AS c, COUNT(*) AS n FROM MESSAGES GROUP BY 1, 2) WHERE "
          "CONFS.\"QwkID\" = q AND CONFS.\"Conference Number\" = c; COMMIT";
    ok = ok && check(db, sqlite3_exec(db, counts, nullptr, nullptr, nullptr), error);
    if (!ok)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return ok;
}

} // namespace marvik::bench
