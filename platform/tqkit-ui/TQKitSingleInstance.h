#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QStringList>

// One running Sonvale per user. The first launch takes a lock file and listens on a local socket
// beside it; a later launch finds the lock taken, sends its arguments over the socket and ends.
// The lock of a process that died is taken over. Main thread only.
//
// Wire format: one QDataStream QStringList per connection; the running instance answers one byte
// once it has handed the list on.
class TQKitSingleInstance final : public QObject {
    Q_OBJECT

public:
    // `socketPath`: the socket to use; the lock file is the same path with ".lock" appended.
    explicit TQKitSingleInstance(const QString& socketPath, QObject* parent = nullptr);
    ~TQKitSingleInstance() override;

    // The per-user socket: "sonvale-<uid>.socket" in the user's runtime folder.
    static QString defaultSocketPath();

    // True when this process is now the running instance and listens for later launches; false
    // when another instance runs (then hand it the arguments with forward()).
    bool becomeRunningInstance();

    // Sends `arguments` to the running instance and waits until it has taken them; false (with a
    // message on stderr) when it cannot be reached.
    bool forward(const QStringList& arguments);

Q_SIGNALS:
    // Arguments of a later launch (may be empty: it was launched without any).
    void argumentsReceived(const QStringList& arguments);

private:
    void readRequest(class QLocalSocket* socket);

    QString socketPath_;
    QLockFile lock_;
    QLocalServer server_;
};
