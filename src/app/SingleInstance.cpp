// The request is one line, "show"; the running instance answers "ok" so the second
// start knows it was heard before it ends.
#include "app/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <unistd.h>

namespace zb::app {

namespace {
const QByteArray kShowRequest = "show\n";
const QByteArray kAnswer = "ok\n";
}  // namespace

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) return;
                if (socket->readLine() == kShowRequest) {
                    socket->write(kAnswer);
                    socket->flush();
                    emit showRequested();
                }
                socket->disconnectFromServer();
            });
        }
    });
}

QString SingleInstance::socketName() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("zipbackup-%1.socket").arg(getuid()));
}

bool SingleInstance::handOff(int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(socketName());
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    // A running instance answers; a socket that accepts and says nothing is not one.
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs)) return false;
    }
    return socket.readLine() == kAnswer;
}

bool SingleInstance::listen() {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (server_.listen(socketName())) return true;
    // Nobody answered before we got here, so what is there is left from a crash.
    QLocalServer::removeServer(socketName());
    return server_.listen(socketName());
}

}  // namespace zb::app
