#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace vlr::test {

// A PostgreSQL 15 server of the test binary's own: made with initdb in a temporary folder at its
// first use and listening only on a Unix socket there (no TCP port). As root (CI) the server runs
// as the unprivileged user nobody, since initdb refuses root. The global environment of
// test_main stops it and removes its folder at the end, whatever the tests did.
class PgServer {
public:
    // The running server; a missing installation or a failing start throws std::runtime_error
    // saying so (the tests then fail, never skip).
    static PgServer& instance();
    // Stops the server when it was started and removes its folder.
    static void shutDown();

    // A new empty database; its libpq URL over the socket.
    QString createDatabase();
    // Stops the server at once (as a crash would) and starts it again.
    void stop();
    void start();
    QString socketFolder() const { return folder_.path(); }

    ~PgServer();

private:
    PgServer();
    void run(const QString& program, const QStringList& arguments) const;

    QTemporaryDir folder_;
    int databases_ = 0;
    bool running_ = false;
};

}  // namespace vlr::test
