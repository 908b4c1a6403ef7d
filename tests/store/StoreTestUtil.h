#pragma once

#include "store/MessageStore.h"
#include "store/Records.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace storetest {

using namespace marvik::store;

// A store in a fresh temporary folder, gone when the test ends.
struct TempStore
{
    QTemporaryDir dir;
    std::unique_ptr<MessageStore> store;

    TempStore()
        : store(std::make_unique<MessageStore>(path()))
    { }
    QString path() const { return dir.filePath(QStringLiteral("MARVIK.db")); }
    MessageStore &operator*() { return *store; }
    MessageStore *operator->() { return store.get(); }
};

inline MessageRecord message(
    const QString &qwkId, int conference, int number, bool read = false, bool personal = false)
{
    MessageRecord m;
    m.qwkId = qwkId;
    m.conferenceNumber = conference;
    m.messageNumber = number;
    m.read = read;
    m.personal = personal;
    m.subject = QStringLiteral("Subject %1").arg(number);
    m.text = QStringLiteral("Text of %1\r\n").arg(number);
    return m;
}

// The reserved rows an import writes first, then conferences 0..n-1.
inline void addSystem(MessageStore &store, const QString &qwkId, int conferences)
{
    SystemRecord system;
    system.qwkId = qwkId;
    system.yourName = QStringLiteral("JOHN DOE");
    store.saveSystem(system);
    store.saveConferenceName(-2, qwkId, QStringLiteral("Replies"));
    store.saveConferenceName(-1, qwkId, QStringLiteral("Personal"));
    for (int c = 0; c < conferences; ++c)
        store.saveConferenceName(c, qwkId, QStringLiteral("Conference %1").arg(c));
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace storetest
