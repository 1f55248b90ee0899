#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

// A JACK server of its own on the dummy driver (Debian's jackd2), for as long
// as it lives, under one of a few names no other test uses meanwhile. Its name goes into JACK_DEFAULT_SERVER of this process, so
// that every JACK client made meanwhile here or in a child process joins it
// and never another test's server or the user's.
class JackServer {
public:
    JackServer();
    ~JackServer();

    // True once the server answers.
    bool isRunning() const { return running_; }

    // Ends the server at once, as a crash would (SIGKILL), and starts it
    // again under the same name; true once it answers.
    void kill();
    bool start();
    const QString& name() const { return name_; }

    // Waits until a port whose full name ("client:port") starts with prefix
    // exists, or, with a second port, until the two are connected.
    bool waitForPort(const QString& prefix, int timeoutMs = 10000) const;
    bool waitForConnection(const QString& port, const QString& other, int timeoutMs = 10000) const;

    // The lines of jack_lsp with these arguments.
    QStringList listPorts(const QStringList& arguments = {}) const;

    // A child started after this ends when the test process does, however
    // that ends: a JACK program left behind would run on for ever.
    static void endWithThisProcess(QProcess& child);

private:
    QString name_;
    int nameLock_ = -1;  // held while the server has the name
    QByteArray savedServer_;
    bool hadServer_ = false;
    QProcess jackd_;
    bool running_ = false;
};
