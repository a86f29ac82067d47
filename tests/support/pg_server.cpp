#include "support/pg_server.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <pwd.h>
#include <unistd.h>

#include <stdexcept>

namespace vlr::test {
namespace {

const QString kBinaries = QStringLiteral("/usr/lib/postgresql/15/bin/");
const QString kAdmin = QStringLiteral("vlr-test-admin");

std::unique_ptr<PgServer>& server() {
    static std::unique_ptr<PgServer> instance;
    return instance;
}

bool runsAsRoot() {
    return ::geteuid() == 0;
}

}  // namespace

PgServer& PgServer::instance() {
    if (!server())
        server().reset(new PgServer());
    return *server();
}

void PgServer::shutDown() {
    server().reset();
}

PgServer::PgServer() {
    if (!QFileInfo::exists(kBinaries + QStringLiteral("initdb")) ||
        !QFileInfo::exists(kBinaries + QStringLiteral("pg_ctl")))
        throw std::runtime_error(
            "PostgreSQL 15 is not installed (no /usr/lib/postgresql/15/bin/initdb): run "
            "scripts/install-deps.sh");
    if (!folder_.isValid())
        throw std::runtime_error("cannot make a temporary folder for the PostgreSQL server");
    if (runsAsRoot()) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody || ::chown(QFile::encodeName(folder_.path()).constData(), nobody->pw_uid,
                               nobody->pw_gid) != 0)
            throw std::runtime_error("cannot give the server's folder to the user nobody");
    }
    run(kBinaries + QStringLiteral("initdb"),
        {QStringLiteral("-D"), folder_.filePath(QStringLiteral("data")), QStringLiteral("-A"),
         QStringLiteral("trust"), QStringLiteral("-U"), kAdmin, QStringLiteral("-E"),
         QStringLiteral("UTF8"), QStringLiteral("--no-locale"), QStringLiteral("--no-sync")});
    start();
}

PgServer::~PgServer() {
    if (running_) {
        try {
            run(kBinaries + QStringLiteral("pg_ctl"),
                {QStringLiteral("-D"), folder_.filePath(QStringLiteral("data")),
                 QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"),
                 QStringLiteral("stop")});
        } catch (const std::exception&) {
            // The folder goes anyway; a server left without it ends at its next check.
        }
    }
}

void PgServer::run(const QString& program, const QStringList& arguments) const {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder_.path());
    if (runsAsRoot())
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), QStringLiteral("nobody"),
                                  QStringLiteral("--"), program} +
                          arguments);
    else
        process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        throw std::runtime_error(QStringLiteral("%1 failed: %2")
                                     .arg(program, QString::fromLocal8Bit(process.readAll()))
                                     .toStdString());
}

void PgServer::start() {
    run(kBinaries + QStringLiteral("pg_ctl"),
        {QStringLiteral("-D"), folder_.filePath(QStringLiteral("data")), QStringLiteral("-l"),
         folder_.filePath(QStringLiteral("server.log")), QStringLiteral("-w"), QStringLiteral("-o"),
         QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1' -c fsync=off "
                        "-c full_page_writes=off")
             .arg(folder_.path()),
         QStringLiteral("start")});
    running_ = true;
}

void PgServer::stop() {
    run(kBinaries + QStringLiteral("pg_ctl"),
        {QStringLiteral("-D"), folder_.filePath(QStringLiteral("data")), QStringLiteral("-m"),
         QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
    running_ = false;
}

QString PgServer::createDatabase() {
    const QString name = QStringLiteral("vlr_test_%1").arg(++databases_);
    const QString connection = QStringLiteral("vlr-test-admin-%1").arg(databases_);
    QString failure;
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        admin.setHostName(folder_.path());
        admin.setUserName(kAdmin);
        admin.setDatabaseName(QStringLiteral("postgres"));
        if (!admin.open()) {
            failure = QStringLiteral("cannot connect to the test server in %1").arg(folder_.path());
        } else {
            QSqlQuery query(admin);
            if (!query.exec(QStringLiteral("CREATE DATABASE %1").arg(name)))
                failure = QStringLiteral("cannot create the test database %1").arg(name);
        }
    }
    QSqlDatabase::removeDatabase(connection);
    if (!failure.isEmpty())
        throw std::runtime_error(failure.toStdString());
    return QStringLiteral("postgresql://%1@/%2?host=%3")
        .arg(kAdmin, name, QString::fromUtf8(QUrl::toPercentEncoding(folder_.path())));
}

}  // namespace vlr::test
