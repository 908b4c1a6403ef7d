// Writes the demo packet a newcomer opens first: a small BBS with a few
// conferences, personal mail, quoted replies, box drawing, ANSI screens, and
// messages in colour (ANSI and the BBS colour codes) and with FidoNet kludges.

#include "support/PacketWriter.h"
#include "text/Cp437Codec.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QList>

#include <cstdio>
#include <cstdlib>

using marvik::testing::PacketWriter;
using marvik::text::Cp437Codec;

namespace {

// The source is UTF-8; the packet is CP437. A character CP437 lacks is a
// mistake in this file, so it stops the program rather than becoming "?".
QByteArray cp(const QString &text)
{
    bool lossless = true;
    const QByteArray out = Cp437Codec::fromUnicode(text, &lossless);
    if (!lossless) {
        std::fprintf(stderr, "not CP437: %s\n", qPrintable(text));
        std::exit(2);
    }
    return out;
}

QByteArray cp(const char *utf8)
{
    return cp(QString::fromUtf8(utf8));
}

QByteArray sgr(const char *codes)
{
    return QByteArray("\x1b[") + codes + "m";
}

struct Span
{
    const char *colour;
    QString text;
};

// One row of the welcome box: a border on each side, the spans between,
// padded to the box's inner width so the right border lines up.
QByteArray boxRow(const QList<Span> &spans, int inner = 76)
{
    QByteArray out = sgr("0;1;36") + cp("║");
    int width = 0;
    for (const Span &s : spans) {
        out += sgr(s.colour) + cp(s.text);
        width += int(s.text.size());
    }
    out += sgr("0") + QByteArray(qMax(0, inner - width), ' ');
    out += sgr("0;1;36") + cp("║") + sgr("0") + "\r\n";
    return out;
}

QByteArray welcomeScreen()
{
    const QString rule = QString(76, QChar(0x2550));
    QByteArray s = "\x1b[2J\x1b[H";
    s += sgr("0;1;36") + cp(QStringLiteral("╔") + rule + QStringLiteral("╗")) + "\r\n";
    s += boxRow({{"0;1;33", QStringLiteral("      ▄█▄")}});
    s += boxRow({{"0;1;33", QStringLiteral("     ▐███▌")},
        {"0;1;37", QStringLiteral("        H A R B O R   L I G H T S   B B S")}});
    s += boxRow({{"0;1;37", QStringLiteral("      ███")}});
    s += boxRow({{"0;31", QStringLiteral("      ▓▓▓")},
        {"0;36", QStringLiteral("         Port Alder, Washington · Since 1991")}});
    s += boxRow({{"0;1;37", QStringLiteral("      ███")}});
    s += boxRow({{"0;31", QStringLiteral("      ▓▓▓")},
        {"0;37", QStringLiteral("         Sysop: Sam Sysop   ·   2 nodes   ·   28.8k")}});
    s += boxRow({{"0;1;37", QStringLiteral("     ▄███▄")}});
    s += boxRow({{"0;34", QStringLiteral("  ≈≈≈≈≈≈≈≈≈≈≈≈≈")}, {"0;1;34", QStringLiteral("≈≈≈≈≈")},
        {"0;34", QStringLiteral("≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈≈")}});
    s += sgr("0;1;36") + cp(QStringLiteral("╟") + QString(76, QChar(0x2500)) + QStringLiteral("╢"))
        + "\r\n";
    s += boxRow({{"0;1;32", QStringLiteral("  Welcome aboard, JOHN SMITH!")}});
    s += boxRow({});
    s += boxRow({{"0;37", QStringLiteral("  Your mail is packed. New this month:")}});
    s += boxRow({{"0;1;33", QStringLiteral("    ■ ")},
        {"0;37", QStringLiteral("Ham Radio conference, moderated by Tom Baker (KD7QRT)")}});
    s += boxRow({{"0;1;33", QStringLiteral("    ■ ")},
        {"0;37", QStringLiteral("FidoNet netmail through our hub, 1:343/77")}});
    s += boxRow({{"0;1;33", QStringLiteral("    ■ ")},
        {"0;37", QStringLiteral("A second 28.8k line: (360) 555-0178")}});
    s += boxRow({});
    s += boxRow(
        {{"0;35", QStringLiteral("  Be kind, quote lightly, and keep your taglines short.")}});
    s += sgr("0;1;36") + cp(QStringLiteral("╚") + rule + QStringLiteral("╝")) + sgr("0") + "\r\n";
    return s;
}

QByteArray newsletter()
{
    QByteArray s = sgr("0;1;37;44")
        + cp("  HARBOR LIGHTS GAZETTE                            Issue 37 · March 1996  ")
        + sgr("0") + "\r\n\r\n";
    s += sgr("1;33") + cp("HARD DRIVE ARRIVED") + sgr("0") + "\r\n";
    s += cp("The new 1.2 GB drive is in and the file areas have moved over. If a\r\n"
            "download fails with \"file not found\", leave me a note in Main Board and\r\n"
            "I'll chase it down. Thanks to everyone who chipped in for it!\r\n\r\n");
    s += sgr("1;33") + cp("FIELD DAY") + sgr("0") + "\r\n";
    s += cp("Tom is organising a Field Day station at Alder Point park. Sign-up is in\r\n"
            "the Ham Radio conference; no licence needed to come and log contacts.\r\n\r\n");
    s += sgr("1;33") + cp("MEET-UP") + sgr("0") + "\r\n";
    s += cp("Pizza at Gino's, Saturday the 23rd, 6 pm. Bring a floppy full of your\r\n"
            "favourite shareware to swap.\r\n\r\n");
    s += sgr("36") + cp("── Sam") + sgr("0") + "\r\n";
    return s;
}

QByteArray goodbyeScreen()
{
    QByteArray s = "\r\n";
    s += sgr("0;1;36") + cp("   ░▒▓█ ") + sgr("1;37") + cp("Thanks for calling Harbor Lights!")
        + sgr("1;36") + cp(" █▓▒░") + sgr("0") + "\r\n\r\n";
    s += sgr("0;37") + cp("   Upload your replies next call. Fair winds, JOHN SMITH.") + sgr("0")
        + "\r\n\r\n";
    s += sgr("0;34") + cp("   NO CARRIER") + sgr("0") + "\r\n";
    return s;
}

QByteArray newFiles()
{
    return cp("New files since your last call\r\n"
              "==============================\r\n"
              "\r\n"
              "Area 3: Communications\r\n"
              "TERMPRO5.ZIP   412,877  03-09-96  Terminal program with ZMODEM and a\r\n"
              "                                  phone book for 200 numbers.\r\n"
              "QWKTIPS.TXT     18,240  03-11-96  Sam's notes on reading mail offline.\r\n"
              "\r\n"
              "Area 7: Ham Radio\r\n"
              "LOGBK21.ZIP    233,019  03-12-96  Contest logger, dupe checking, Cabrillo.\r\n"
              "PROPCHRT.GIF    61,502  03-12-96  HF propagation chart for this spring.\r\n"
              "\r\n"
              "Area 9: Retro\r\n"
              "MEMMAP.TXT      11,006  03-13-96  Ken's annotated 486 memory map.\r\n");
}

QByteArray rulesBulletin()
{
    return cp("┌──────────────────────────────────────────────┐\r\n"
              "│          HARBOR LIGHTS · HOUSE RULES         │\r\n"
              "└──────────────────────────────────────────────┘\r\n"
              "\r\n"
              " 1. Use your real name. Handles are fine in the games.\r\n"
              " 2. No flames. Disagree with the post, not the person.\r\n"
              " 3. Quote only what you answer.\r\n"
              " 4. One hour a day per caller, so the lines stay open.\r\n"
              " 5. Upload something now and then; the ratio is 1:10.\r\n");
}

QByteArray hoursBulletin()
{
    return cp("Calling hours and lines\r\n"
              "\r\n"
              "Node 1  (360) 555-0142  28.8k   24 hours\r\n"
              "Node 2  (360) 555-0178  28.8k   24 hours\r\n"
              "\r\n"
              "The board goes down for backups Sundays 4:00-4:30 am.\r\n"
              "Netmail is exchanged with the hub at 3 am every night.\r\n");
}

QByteArray doorId()
{
    return "DOOR = HarborMail\r\n"
           "VERSION = 2.10\r\n"
           "SYSTEM = WaveRider BBS 3.02\r\n"
           "CONTROLNAME = HARBMAIL\r\n"
           "CONTROLTYPE = ADD\r\n"
           "CONTROLTYPE = DROP\r\n"
           "CONTROLTYPE = REQUEST\r\n"
           "RECEIPT\r\n"
           "MIXEDCASE = YES\r\n";
}

struct Post
{
    int conference;
    char status;
    const char *date;
    const char *time;
    const char *from;
    const char *to;
    const char *subject;
    const char *reference;
    const char *text;
};

// Message numbers are given per post so the replies can name what they answer.
const Post kPosts[] = {
    {0, ' ', "03-10-96", "09:12", "SAM SYSOP", "ALL", "New drive is in", "",
        "Hi all,\n\n"
        "The 1.2 GB drive went in last night and the file areas are moved over.\n"
        "Downloads should be a good deal quicker now that the old drive isn't\n"
        "grinding away.\n\n"
        "If anything looks missing, tell me here.\n\n"
        "Sam\n"},
    {0, ' ', "03-10-96", "18:40", "DAVE WILSON", "SAM SYSOP", "Re: New drive is in", "101",
        "> The 1.2 GB drive went in last night and the file areas are moved over.\n"
        "> Downloads should be a good deal quicker now that the old drive isn't\n"
        "> grinding away.\n\n"
        "They are! Grabbed the new terminal program in under ten minutes.\n\n"
        "> If anything looks missing, tell me here.\n\n"
        "The GIF area shows 0 files for me, though.\n\n"
        "Dave\n"},
    {0, '*', "03-11-96", "07:55", "MARY JONES", "JOHN SMITH", "Saturday pizza", "",
        "John,\n\n"
        "Are you still bringing the spare modem to Gino's on Saturday? My\n"
        "brother-in-law wants to get online and I told him you might part with it.\n\n"
        "Mary\n"},
    {1, ' ', "03-11-96", "12:03", "LINDA PARK", "ALL", "Weekend weather", "",
        "The radio says rain Friday, clearing Saturday afternoon. Anyone up for a\n"
        "walk along the breakwater if it holds?\n"},
    {1, ' ', "03-11-96", "19:27", "BOB MARTIN", "LINDA PARK", "Re: Weekend weather", "104",
        "LP> The radio says rain Friday, clearing Saturday afternoon. Anyone up\n"
        "LP> for a walk along the breakwater if it holds?\n\n"
        "Count me in. I'll bring the thermos. Two o'clock at the lighthouse lot?\n\n"
        "Bob\n"},
    {1, ' ', "03-12-96", "08:15", "LINDA PARK", "john smith", "Re: Fishing trip", "98",
        "JS> I've got room for one more on the boat Sunday.\n\n"
        "I'd love to come along if the offer still stands. What do I need to bring\n"
        "besides a warm coat?\n"},
    {2, ' ', "03-12-96", "22:48", "KEN ADAMS", "ALL", "Memory map of my 486", "",
        "Since a few of you asked how I got 620K free with the network drivers\n"
        "loaded, here's the map of the upper memory on my 486DX2:\n\n"
        "┌─────────────┬──────────────────────────────┐\n"
        "│ Segment     │ Used by                      │\n"
        "├─────────────┼──────────────────────────────┤\n"
        "│ A000-BFFF   │ VGA                          │\n"
        "│ C000-C7FF   │ video BIOS                   │\n"
        "│ C800-CFFF   │ UMB: mouse, SMARTDRV         │\n"
        "│ D000-DFFF   │ EMS page frame               │\n"
        "│ E000-EFFF   │ UMB: packet driver, SHARE    │\n"
        "│ F000-FFFF   │ system BIOS                  │\n"
        "└─────────────┴──────────────────────────────┘\n\n"
        "The trick is the I=E000-EFFF on the EMM386 line. Your mileage may vary\n"
        "if your network card wants that range for its boot ROM.\n\n"
        "Ken\n"},
    {2, ' ', "03-13-96", "10:02", "JOHN SMITH", "KEN ADAMS", "Re: Memory map of my 486", "107",
        "KA> The trick is the I=E000-EFFF on the EMM386 line.\n\n"
        "That did it! 614K free here, up from 571K. Thanks, Ken.\n"},
    {2, '*', "03-13-96", "13:30", "RITA GOMEZ", "JOHN SMITH", "Spare 3.5\" floppies", "",
        "Hi John,\n\n"
        "I found a box of fifty 1.44 MB disks while cleaning the shop. Yours for\n"
        "the asking; I'll leave them with Sam at the meet-up.\n\n"
        "Rita\n"},
    {5, ' ', "03-13-96", "17:45", "TOM BAKER", "ALL", "Field Day sign-up", "",
        "Field Day is June 22-23. We'll run two stations from Alder Point park:\n\n"
        "  20 m SSB   - needs two operators per shift\n"
        "  40 m CW    - needs one operator and a logger\n\n"
        "Reply here with the shifts you can take. Newcomers welcome; we'll pair\n"
        "you with someone licensed.\n\n"
        "73, Tom KD7QRT\n"},
    {5, ' ', "03-14-96", "06:58", "SAM SYSOP", "TOM BAKER", "Re: Field Day sign-up", "110",
        "TB> Reply here with the shifts you can take.\n\n"
        "Put me down for Saturday night on 40 m. I can bring the generator too.\n\n"
        "TB> Newcomers welcome; we'll pair you with someone licensed.\n\n"
        "John Smith said he'd like to log, so that's your second body.\n\n"
        "Sam\n"},
    {1001, '*', "03-14-96", "03:10", "ANNA LEE", "JOHN SMITH", "Your QWK door question", "",
        "\x01MSGID: 1:343/12 5f3a9c01\n"
        "\x01PID: HarborMail 2.10\n"
        "Hello John,\n\n"
        "Yes, the netmail conference works from the offline reader. Address the\n"
        "reply as usual and the door routes it through the hub overnight.\n\n"
        "Regards,\n"
        "Anna\n\n"
        "--- HarborMail 2.10\n"
        " * Origin: Lee's Landing, Tacoma (1:343/12)\n"
        "SEEN-BY: 343/1 12\n"
        "\x01PATH: 343/12\n"},
    {0, ' ', "03-14-96", "20:30", "SAM SYSOP", "ALL", "Colour in messages", "",
        "\x1b[1;33mColour\x1b[0m is on in the \x1b[1;36mnew\x1b[0m message base: "
        "\x1b[1;37;41m NEW \x1b[0m\n\n"
        "Readers without colour see the plain text.\n"
        "\x1b[1;32m-- Sam\x1b[0m\n"},
    {2, ' ', "03-14-96", "20:41", "KEN ADAMS", "ALL", "Colour codes test", "",
        "PCBoard: @X0Ebright yellow@X07, @X1Fwhite on blue@X07 and back.\n"
        "Pipe codes: |09blue |10green |12red|07 and grey.\n"
        "Synchronet: \x01"
        "h\x01"
        "cbright cyan\x01n, \x01r\x01hbright red\x01n.\n"
        "WWIV: \x03"
        "1cyan\x03"
        "2yellow\x03"
        "0.\n\n"
        "Photos of the 486 at https://example.org/ken/486 or mail ken@example.org.\n"},
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString argument = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (argument == QLatin1String("--help") || argument == QLatin1String("-h")
        || argument.startsWith(QLatin1Char('-')) || argc > 2) {
        std::fprintf(argument == QLatin1String("--help") || argument == QLatin1String("-h")
                ? stdout
                : stderr,
            "usage: make_demo_packet [FILE]\n"
            "Writes the demo packet of Harbor Lights BBS to FILE (default: %s).\n",
            MARVIK_DEMO_PACKET);
        return argument == QLatin1String("--help") || argument == QLatin1String("-h") ? 0 : 2;
    }
    const QString path = argument.isEmpty() ? QStringLiteral(MARVIK_DEMO_PACKET) : argument;

    PacketWriter w;
    PacketWriter::Control &c = w.control();
    c.bbsName = "Harbor Lights BBS";
    c.location = "Port Alder, WA";
    c.phone = "360-555-0142";
    c.sysop = "Sam Sysop, Sysop";
    c.serialLine = "4471,HARBOR";
    c.dateLine = "03-14-1996,21:05:33";
    c.userName = "JOHN SMITH";
    c.welcomeName = "HELLO";
    c.newsName = "NEWS";
    c.goodbyeName = "GOODBYE";
    w.setPacketHeader("Produced by HarborMail 2.10 for Harbor Lights BBS");

    w.addConference(0, "Main Board");
    w.addConference(1, "Local Chat");
    w.addConference(2, "Retro Computing");
    w.addConference(5, "Ham Radio");
    w.addConference(1001, "FidoNet Netmail");

    int number = 101;
    for (const Post &p : kPosts) {
        PacketWriter::Message m;
        m.conference = p.conference;
        m.status = p.status;
        m.number = QByteArray::number(number++);
        m.date = p.date;
        m.time = p.time;
        m.from = p.from;
        m.to = p.to;
        m.subject = cp(p.subject);
        m.reference = p.reference;
        m.text = cp(p.text);
        w.addMessage(m);
    }

    w.setDoorId(doorId());
    w.setWelcome(welcomeScreen());
    w.setNews(newsletter());
    w.setGoodbye(goodbyeScreen());
    w.setNewFiles(newFiles());
    w.addBulletin(0, 1, rulesBulletin());
    w.addBulletin(0, 2, hoursBulletin());

    QDir().mkpath(QFileInfo(path).absolutePath());
    QString error;
    if (!w.write(path, &error)) {
        std::fprintf(stderr, "make_demo_packet: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s: %d messages\n", qPrintable(path), w.messageCount());
    return 0;
}
