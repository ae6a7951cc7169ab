// One running window per user: the first start listens on a local socket named from
// the user id; a later start connects, asks it to show its window and ends. A socket
// left behind by a crashed run answers nobody and is replaced.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace zb::app {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);

    // The socket's path: in $XDG_RUNTIME_DIR when set, else in the temporary folder,
    // named with the user id either way.
    static QString socketName();

    // True when a running instance took the request to show itself.
    static bool handOff(int timeoutMs = 2000);

    // Starts listening, replacing a stale socket. False when that fails.
    bool listen();

signals:
    void showRequested();

private:
    QLocalServer server_;
};

}  // namespace zb::app
