#pragma once

#include <QString>
#include <QtGlobal>

namespace marvik::store {

// One row of each table as plain values. Text is Unicode; the store keeps it
// as UTF-8.

// Table QWKIDS, key QwkID.
struct SystemRecord
{
    QString qwkId, bbsName, bbsLocation, sysopName, yourName, mailDoor, mailDoorVersion, system,
        controlName, add, drop, request, receipt, mixedCase, fidoTag, reset, welcomeScreen,
        goodbyeScreen, newsletter, newFiles;
    int lastReply = 0;
    // The door's last packet came with a HEADERS.DAT / said it reads QWKE.
    bool headersFile = false;
    bool qwke = false;
};

// Table CONFS, key (Conference Number, QwkID).
struct ConferenceRecord
{
    int number = 0;
    QString qwkId;
    QString name;
    int totalMsgs = 0;
    int unreadMsgs = 0;
};

// Table MESSAGES, key Record Number.
struct MessageRecord
{
    qint64 recordNumber = 0; // assigned on append
    int conferenceNumber = 0;
    QString qwkId;
    int messageNumber = 0;
    QString status, date, time, to, from, subject;
    int referenceNumber = 0;
    bool read = false;
    QString text;
    bool personal = false;
    int replyConferenceNumber = 0;
    bool marked = false;
    // From the packet's HEADERS.DAT, when it had one; empty otherwise.
    QString messageId, inReplyTo;
};

// Table BULLETIN, key RecNo.
struct BulletinRecord
{
    qint64 recNo = 0;
    QString qwkId;
    int conferenceNumber = 0;
    int bulletinNumber = 0;
    QString text;
};

} // namespace marvik::store
