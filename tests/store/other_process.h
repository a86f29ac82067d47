#pragma once

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace vlr::store::test {

// Work run in a child process of its own. SQLite's file locks belong to a process, so to the
// database the child is another program. The child and the test take turns: the child reports
// each step it reached and waits for the test's go before the next one. The child ends with
// _exit as a crash would: nothing it has open is closed, nothing of the test's is destroyed.
class OtherProcess {
public:
    explicit OtherProcess(const std::function<void(OtherProcess&)>& work) {
        if (::pipe(toParent_) != 0 || ::pipe(toChild_) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            work(*this);
            ::_exit(0);
        }
    }
    ~OtherProcess() {
        ::close(toChild_[1]);  // a child waiting for its go sees the end and returns
        finish();
        for (int fd : {toParent_[0], toParent_[1], toChild_[0]})
            ::close(fd);
    }
    OtherProcess(const OtherProcess&) = delete;
    OtherProcess& operator=(const OtherProcess&) = delete;

    bool started() const { return pid_ > 0; }

    // Test side: true once the child reported a step; false when it ended first.
    bool waitForStep() {
        char byte = 0;
        return ::read(toParent_[0], &byte, 1) == 1 && byte == 's';
    }
    bool go() { return writeByte(toChild_[1]); }
    // The child's exit status; -1 when it did not exit normally.
    int finish() {
        if (pid_ > 0) {
            int status = 0;
            ::waitpid(pid_, &status, 0);
            exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            pid_ = 0;
        }
        return exitStatus_;
    }

    // Child side.
    void reportStep() {
        if (!writeByte(toParent_[1]))
            ::_exit(3);
    }
    void waitForGo() {
        char byte = 0;
        if (::read(toChild_[0], &byte, 1) != 1)
            ::_exit(2);
    }
    [[noreturn]] void fail() { ::_exit(1); }
    [[noreturn]] void die() { ::_exit(0); }

private:
    static bool writeByte(int fd) {
        const char byte = 's';
        return ::write(fd, &byte, 1) == 1;
    }

    int toParent_[2] = {-1, -1};
    int toChild_[2] = {-1, -1};
    pid_t pid_ = -1;
    int exitStatus_ = -1;
};

}  // namespace vlr::store::test
