#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

namespace marvik::app {

// One Marvik per folder. The one running there listens on a local socket
// named after its folder; a later start in the same folder hands it the
// packets it was given (none: it only asks it to come to the front) and ends,
// instead of being refused because the store is in use.
//
// What travels is a small frame: a magic word, a length, and a JSON array of
// absolute paths. Only the same user can connect; a frame that is not ours,
// or too long, is dropped with its connection.
class InstanceChannel : public QObject
{
    Q_OBJECT

public:
    explicit InstanceChannel(QObject *parent = nullptr);
    ~InstanceChannel() override;

    // The socket name for a base folder: the same folder, however it is
    // spelled, gives the same name; another user's Marvik another one.
    static QString serverName(const QString &baseFolder);

    // Hands `files` to the Marvik listening on `name`. True once it has
    // answered that it took them; false when none listens, or it did not
    // answer within `timeoutMs`.
    static bool handOver(const QString &name, const QStringList &files, int timeoutMs);

    // Listens on `name`. Call it only while holding the folder's store: a
    // socket left by a Marvik that ended without closing it is replaced.
    bool listen(const QString &name, QString *error = nullptr);
    bool isListening() const;

    static constexpr qint64 MaxFrameBytes = 1024 * 1024;

Q_SIGNALS:
    // Another start handed these over; empty when it only asked for the window.
    void filesHandedOver(const QStringList &files);

private:
    void readFrom(QLocalSocket *socket);

    QLocalServer *m_server = nullptr;
};

} // namespace marvik::app
