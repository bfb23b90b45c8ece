#include "handover.h"

#include "platform.h"

#include <QLocalSocket>

THandOverServer::THandOverServer(const std::string& Name) : FName(Name) {
    connect(&FServer, &QLocalServer::newConnection, this, [this] { Accept(); });
}

bool THandOverServer::Listen() {
    // Only the holder of the single-instance lock gets here, so a socket file left behind
    // by a crashed instance is stale and may go.
    const QString Path = QString::fromStdString(HandOverSocketPath(FName));
    QLocalServer::removeServer(Path);
    FServer.setSocketOptions(QLocalServer::UserAccessOption);
    return FServer.listen(Path);
}

void THandOverServer::Accept() {
    while (QLocalSocket* Client = FServer.nextPendingConnection()) {
        connect(Client, &QLocalSocket::disconnected, Client, &QObject::deleteLater);
        // A line is complete at its newline; a client that goes away before sending one
        // hands over nothing.
        connect(Client, &QLocalSocket::readyRead, this, [this, Client] {
            if (!Client->canReadLine())
                return;
            const QString Video = QString::fromUtf8(QByteArray::fromPercentEncoding(Client->readLine().trimmed()));
            Client->disconnectFromServer();
            if (OnHandOver)
                OnHandOver(Video);
        });
    }
}

bool HandOverToRunningInstance(const std::string& Name, const QString& Video, int TimeoutMs) {
    QLocalSocket Socket;
    Socket.connectToServer(QString::fromStdString(HandOverSocketPath(Name)));
    if (!Socket.waitForConnected(TimeoutMs))
        return false;
    // Percent-encoded, so that the line is one line whatever the file is called.
    Socket.write(Video.toUtf8().toPercentEncoding("/") + '\n');
    const bool Sent = Socket.waitForBytesWritten(TimeoutMs);
    Socket.disconnectFromServer();
    return Sent;
}
