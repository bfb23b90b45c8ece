#include "handover.h"

#include "platform.h"

#include <QLocalSocket>
#include <QTimer>

#include <algorithm>

namespace {

// A line is one percent-encoded path: a few KB at most, however long a name Linux allows.
constexpr qint64 kMaxLineBytes = 64 * 1024;
// A client that has not sent its line by then is dropped.
constexpr int kClientSilenceMs = 1000;
// What the running instance answers once it has taken a line, or refused it.
constexpr char kTaken[] = "ok\n";
constexpr char kRefused[] = "refused\n";

} // namespace

bool HandOverAcceptable(const QString& Video) {
    return std::none_of(Video.begin(), Video.end(),
                        [](QChar C) { return C.category() == QChar::Other_Control; });
}

THandOverServer::THandOverServer(const std::string& Name) : FName(Name) {
    connect(&FServer, &QLocalServer::newConnection, this, [this] { Accept(); });
}

bool THandOverServer::Listen() {
    const std::string Path = HandOverSocketPath(FName);
    if (Path.empty())
        return false;
    // Only the holder of the single-instance lock gets here, so a socket file left behind
    // by a crashed instance is stale and may go.
    QLocalServer::removeServer(QString::fromStdString(Path));
    FServer.setSocketOptions(QLocalServer::UserAccessOption);
    return FServer.listen(QString::fromStdString(Path));
}

void THandOverServer::Accept() {
    while (QLocalSocket* Client = FServer.nextPendingConnection()) {
        connect(Client, &QLocalSocket::disconnected, Client, &QObject::deleteLater);
        // Nothing a client sends may grow this process: the buffer holds one line at most,
        // and a client that keeps it waiting is cut off.
        Client->setReadBufferSize(kMaxLineBytes);
        QTimer::singleShot(kClientSilenceMs, Client, [Client] { Client->abort(); });
        // A line is complete at its newline; a client that goes away before sending one
        // hands over nothing.
        connect(Client, &QLocalSocket::readyRead, this, [this, Client] {
            if (!Client->canReadLine()) {
                if (Client->bytesAvailable() >= kMaxLineBytes)
                    Client->abort();
                return;
            }
            const QString Video =
                QString::fromUtf8(QByteArray::fromPercentEncoding(Client->readLine().trimmed()));
            const bool Taken = HandOverAcceptable(Video);
            Client->write(Taken ? kTaken : kRefused);
            Client->disconnectFromServer();
            // The socket may be gone by the time OnHandOver returns: it runs once this
            // handler has returned.
            if (Taken)
                QMetaObject::invokeMethod(
                    this,
                    [this, Video] {
                        if (OnHandOver)
                            OnHandOver(Video);
                    },
                    Qt::QueuedConnection);
        });
    }
}

THandOver HandOverToRunningInstance(const std::string& Name, const QString& Video, int TimeoutMs) {
    const std::string Path = HandOverSocketPath(Name);
    if (Path.empty())
        return THandOver::Unanswered;
    QLocalSocket Socket;
    Socket.connectToServer(QString::fromStdString(Path));
    if (!Socket.waitForConnected(TimeoutMs))
        return THandOver::Unanswered;
    // Percent-encoded, so that the line is one line whatever the file is called.
    Socket.write(Video.toUtf8().toPercentEncoding("/") + '\n');
    if (!Socket.waitForBytesWritten(TimeoutMs))
        return THandOver::Unanswered;
    // Handed over only once the running instance says it took the line.
    while (!Socket.canReadLine())
        if (!Socket.waitForReadyRead(TimeoutMs))
            return THandOver::Unanswered;
    const QByteArray Answer = Socket.readLine();
    return Answer == kTaken     ? THandOver::Taken
           : Answer == kRefused ? THandOver::Refused
                                : THandOver::Unanswered;
}
