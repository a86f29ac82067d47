#include "sim/pty_instrument_server.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <algorithm>

namespace vlr::sim {
namespace {

[[noreturn]] void fail(const char* step) {
    throw std::runtime_error(std::string(step) + ": " + std::strerror(errno));
}

}  // namespace

PtyInstrumentServer::PtyInstrumentServer(InstrumentModel& model, LinePacing pacing, QObject* parent)
    : QObject(parent), model_(model), pacing_(pacing) {
    sender_.setTimerType(Qt::PreciseTimer);
    sender_.setInterval(1);
    connect(&sender_, &QTimer::timeout, this, &PtyInstrumentServer::sendDue);
    clock_.start();
}

PtyInstrumentServer::~PtyInstrumentServer() {
    close();
}

void PtyInstrumentServer::open() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        close();
        fail("grantpt/unlockpt");
    }
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        close();
        fail("ptsname");
    }
    devicePath_ = QString::fromLocal8Bit(name);
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0) {
        close();
        fail("open slave");
    }
    termios raw{};
    if (::tcgetattr(slave_, &raw) != 0) {
        close();
        fail("tcgetattr");
    }
    ::cfmakeraw(&raw);
    ::cfsetspeed(&raw, B9600);
    if (::tcsetattr(slave_, TCSANOW, &raw) != 0) {
        close();
        fail("tcsetattr");
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    readable_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(readable_, &QSocketNotifier::activated, this, &PtyInstrumentServer::readLetters);
}

void PtyInstrumentServer::close() {
    sender_.stop();
    delete readable_;
    readable_ = nullptr;
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
    pending_.clear();
    dueNs_.clear();
}

void PtyInstrumentServer::readLetters() {
    char letters[256];
    const ssize_t count = ::read(master_, letters, sizeof letters);
    for (ssize_t i = 0; i < count; ++i) {
        received_.append(letters[i]);
        const QByteArray answer = model_.answer(letters[i]);
        if (onExchange)
            onExchange(letters[i], answer);
        if (answer.isEmpty())
            continue;
        if (pacing_.answerDelayMs > 0)
            QTimer::singleShot(pacing_.answerDelayMs, this,
                               [this, answer] { queueAnswer(answer); });
        else
            queueAnswer(answer);
    }
}

void PtyInstrumentServer::queueAnswer(const QByteArray& answer) {
    if (master_ < 0)
        return;
    pending_.append(answer);
    if (pacing_.bitsPerSecond <= 0) {
        dueNs_.insert(dueNs_.end(), answer.size(), 0);
    } else {
        const qint64 characterNs =
            1'000'000'000LL * pacing_.bitsPerCharacter / pacing_.bitsPerSecond;
        // A pseudo-terminal hands over the request letter at once; on a real line it has only
        // fully arrived one character time later, and the answer cannot start before that.
        lineFreeNs_ = std::max(lineFreeNs_, clock_.nsecsElapsed() + characterNs);
        for (int i = 0; i < answer.size(); ++i) {
            lineFreeNs_ += characterNs;
            dueNs_.push_back(lineFreeNs_);
        }
    }
    sendDue();
}

void PtyInstrumentServer::sendDue() {
    const qint64 now = clock_.nsecsElapsed();
    int due = 0;
    while (due < pending_.size() && dueNs_[due] <= now)
        ++due;
    if (due > 0) {
        const ssize_t written = ::write(master_, pending_.constData(), due);
        if (written > 0) {
            pending_.remove(0, written);
            dueNs_.erase(dueNs_.begin(), dueNs_.begin() + written);
        }
    }
    if (pending_.isEmpty())
        sender_.stop();
    else if (!sender_.isActive())
        sender_.start();
}

}  // namespace vlr::sim
