#include "singleinstance.h"

#include <unistd.h>
#include <QLocalSocket>

namespace {

constexpr int ConnectTimeoutMs = 1000;

}  // namespace

SingleInstance::SingleInstance(const QString& key)
    : name_(key + QStringLiteral("-") + QString::number(::getuid())) {
    QLocalSocket first;
    first.connectToServer(name_);
    if (first.waitForConnected(ConnectTimeoutMs)) {
        first.write("activate\n");
        first.waitForBytesWritten(ConnectTimeoutMs);
        first.disconnectFromServer();
        alreadyRunning_ = true;
        return;
    }
    // Nobody answers: a server left behind by a program that crashed is removed first.
    QLocalServer::removeServer(name_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(name_)) {
        // Another start got there at the same moment: it is the first.
        QLocalSocket again;
        again.connectToServer(name_);
        if (again.waitForConnected(ConnectTimeoutMs)) {
            again.write("activate\n");
            again.waitForBytesWritten(ConnectTimeoutMs);
            alreadyRunning_ = true;
            return;
        }
    }
    QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
        while (QLocalSocket* second = server_.nextPendingConnection()) {
            QObject::connect(second, &QLocalSocket::disconnected, second,
                             &QLocalSocket::deleteLater);
            if (activate_) {
                activate_();
            }
        }
    });
}

void SingleInstance::onActivationRequest(std::function<void()> activate) {
    activate_ = std::move(activate);
}
