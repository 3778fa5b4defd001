#include "shell/single_instance.h"

#include <QLocalSocket>
#include <unistd.h>

CSingleInstance::CSingleInstance(const std::string& name)
    : name_(QString::fromStdString(name + "-" + std::to_string(getuid()))) {}

bool CSingleInstance::OtherIsRunning() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(500))
        return false;
    socket.write("raise\n");
    socket.waitForBytesWritten(500);
    return true;
}

void CSingleInstance::Listen(std::function<void()> raise) {
    QLocalServer::removeServer(name_); // a socket left by a program that did not end cleanly
    server_.listen(name_);
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this, raise] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            raise();
        }
    });
}
