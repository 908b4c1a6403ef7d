#include "app/InstanceChannel.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace marvik::app {

namespace {

constexpr quint32 Magic = 0x4d52564b; // "MRVK"
constexpr int HeaderBytes = 8;
const QByteArray Answer = QByteArrayLiteral("OK");

QByteArray frameFor(const QStringList &files)
{
    const QByteArray body
        = QJsonDocument(QJsonArray::fromStringList(files)).toJson(QJsonDocument::Compact);
    QByteArray frame;
    QDataStream out(&frame, QIODevice::WriteOnly);
    out << Magic << quint32(body.size());
    frame += body;
    return frame;
}

} // namespace

InstanceChannel::InstanceChannel(QObject *parent)
    : QObject(parent)
{ }

InstanceChannel::~InstanceChannel() = default;

QString InstanceChannel::serverName(const QString &baseFolder)
{
    const QFileInfo info(baseFolder);
    QString folder = info.canonicalFilePath();
    if (folder.isEmpty())
        folder = QDir::cleanPath(info.absoluteFilePath());
    const QByteArray hash
        = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex().left(20);
    return QStringLiteral("marvik-%1-%2").arg(uint(getuid())).arg(QString::fromLatin1(hash));
}

bool InstanceChannel::handOver(const QString &name, const QStringList &files, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    socket.write(frameFor(files));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    }
    QByteArray answer;
    while (answer.size() < Answer.size()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
        answer += socket.read(Answer.size() - answer.size());
    }
    return answer == Answer;
}

bool InstanceChannel::listen(const QString &name, QString *error)
{
    delete m_server;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            readFrom(socket);
        }
    });
    if (m_server->listen(name))
        return true;
    // The store is ours, so whoever made that socket has gone.
    QLocalServer::removeServer(name);
    if (m_server->listen(name))
        return true;
    if (error)
        *error = m_server->errorString();
    delete m_server;
    m_server = nullptr;
    return false;
}

bool InstanceChannel::isListening() const
{
    return m_server && m_server->isListening();
}

void InstanceChannel::readFrom(QLocalSocket *socket)
{
    if (socket->bytesAvailable() < HeaderBytes)
        return;
    QDataStream header(socket->peek(HeaderBytes));
    quint32 magic = 0;
    quint32 length = 0;
    header >> magic >> length;
    if (magic != Magic || length > MaxFrameBytes) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < HeaderBytes + qint64(length))
        return;
    socket->skip(HeaderBytes);
    const QJsonDocument document = QJsonDocument::fromJson(socket->read(length));
    if (!document.isArray()) {
        socket->abort();
        return;
    }
    QStringList files;
    for (const QJsonValue &value : document.array()) {
        if (value.isString() && !value.toString().isEmpty())
            files << value.toString();
    }
    socket->write(Answer);
    socket->flush();
    socket->disconnectFromServer();
    Q_EMIT filesHandedOver(files);
}

} // namespace marvik::app
