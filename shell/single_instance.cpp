#include "shell/single_instance.h"

#include <QLocalSocket>
#include <unistd.h>

namespace {

// The message: "raise", then each document, every part ended by a NUL (the
// one byte no path holds).
constexpr char kRaise[] = "raise";

} // namespace

CSingleInstance::CSingleInstance(const std::string& name)
    : name_(QString::fromStdString(name + "-" + std::to_string(getuid()))) {}

bool CSingleInstance::OtherIsRunning(const std::vector<std::string>& documents) {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(500))
        return false;
    QByteArray message(kRaise, sizeof kRaise);
    for (const std::string& document : documents)
        message.append(document.c_str(), static_cast<qsizetype>(document.size() + 1));
    socket.write(message);
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(2000)) {
    }
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(2000);
    return true;
}

void CSingleInstance::Listen(Handoff handoff) {
    QLocalServer::removeServer(name_); // a socket left by a program that did not end cleanly
    server_.listen(name_);
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this, handoff] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            // The whole message is there once the second start has hung up.
            QObject::connect(socket, &QLocalSocket::disconnected, socket, [socket, handoff] {
                const QList<QByteArray> parts = socket->readAll().split('\0');
                socket->deleteLater();
                if (parts.isEmpty() || parts.front() != kRaise)
                    return;
                std::vector<std::string> documents;
                for (qsizetype i = 1; i < parts.size(); ++i)
                    if (!parts[i].isEmpty())
                        documents.push_back(parts[i].toStdString());
                handoff(documents);
            });
        }
    });
}
