#pragma once

// Runs one side of a comparison in a process of its own, so that its peak resident memory is
// its own. The child prints one JSON line {"seconds": work, "peak_kib": ...}, its peak taken
// from VmHWM: the system's maximum resident size of a child that was spawned also counts the
// parent's memory at the time of the spawn.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace vlr::bench {

inline long peakKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

struct ChildResult {
    double seconds = 0;  // as the child measured its work
    double wall = 0;     // the whole process, start-up included
    double cpu = 0;      // user and system time of the whole process
    long peakKiB = 0;    // the child's own peak resident memory, as it reported it
    bool ok = false;
};

inline ChildResult runChild(const std::vector<QByteArray>& arguments) {
    std::vector<char*> argv;
    for (const QByteArray& argument : arguments)
        argv.push_back(const_cast<char*>(argument.constData()));
    argv.push_back(nullptr);
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    // The other side's file must not be waiting for the disk: our save syncs its file, and on
    // a journalling file system that would also wait for the other file's unwritten pages.
    sync();
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    QByteArray output;
    char buffer[4096];
    for (ssize_t n; spawned == 0 && (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, int(n));
    close(pipeEnds[0]);
    if (spawned != 0)
        return {};
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    ChildResult result;
    result.wall = double(timer.nsecsElapsed()) / 1e9;
    const QJsonObject report = QJsonDocument::fromJson(output.trimmed()).object();
    result.seconds = report.value(QStringLiteral("seconds")).toDouble();
    result.peakKiB = report.value(QStringLiteral("peak_kib")).toInteger();
    result.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && !report.isEmpty();
    return result;
}

// The fastest of several runs by the child's own measure; a failed run fails them all.
inline ChildResult bestOf(const std::vector<ChildResult>& runs) {
    ChildResult best = runs.front();
    for (const ChildResult& run : runs) {
        if (!run.ok)
            return run;
        if (run.seconds < best.seconds)
            best = run;
    }
    return best;
}

}  // namespace vlr::bench
