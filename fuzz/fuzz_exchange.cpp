// The exchange driven by arbitrary events: chunks of bytes, ticks, read commands, port
// failures, and well-formed identification and record frames built from the input so that the
// fuzzer reaches the archive read. Records go to a real temporary database.
#include "link/frame_codec.h"
#include "link/link_fakes.h"
#include "link/link_session.h"
#include "store/database.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>

using namespace vlr;

namespace {

struct Harness {
    QCoreApplication* app = nullptr;
    QTemporaryDir dir;
    store::Database database;
};

Harness* harness = nullptr;

// Reads the input front to back; past the end it yields zeros.
class Input {
public:
    Input(const std::uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return position_ >= size_; }
    std::uint8_t byte() { return done() ? 0 : data_[position_++]; }
    QByteArray bytes(size_t count) {
        const size_t available = std::min(count, size_ - std::min(position_, size_));
        QByteArray out(reinterpret_cast<const char*>(data_ + position_),
                       static_cast<int>(available));
        position_ += available;
        return out;
    }

private:
    const std::uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// Type and subtype of the DeviceList rows, and one pair nobody knows.
const int knownDevices[][2] = {{1, 0}, {2, 30}, {2, 40}, {2, 50}, {2, 41}, {9, 9}};

QByteArray identificationPayload(Input& in) {
    const auto& device = knownDevices[in.byte() % 6];
    QByteArray payload;
    payload.append(static_cast<char>(device[0]));
    payload.append(static_cast<char>(device[1]));
    payload.append(static_cast<char>(in.byte() % 16));  // year
    payload.append(static_cast<char>(in.byte() % 14));  // month
    payload.append(static_cast<char>(in.byte() % 33));  // day
    payload += in.bytes(2);
    // Small archive counts keep reads short; the length may fall short of the archives.
    const int length = in.byte() % 12;
    for (int i = 0; i < length; ++i)
        payload.append(static_cast<char>(in.byte() % 4));
    return payload;
}

void checkInvariants(const link::ExchangeController& exchange, const test::FakeExchangeView& view) {
    if (exchange.ReceivedLength() < 0 || exchange.ReceivedLength() > link::ReceiveBuffer::Capacity)
        __builtin_trap();
    if (exchange.state() == link::ExchangeState::Reading &&
        (exchange.CurrentArchive() < 0 || exchange.CurrentArchive() >= exchange.DeviceNumArc()))
        __builtin_trap();
    if (exchange.ReceivedTotal() > exchange.ExpectedTotal() && exchange.ExpectedTotal() > 0)
        __builtin_trap();
    // The values the view is told agree with the exchange.
    const link::ExchangeState reported =
        view.states.empty() ? link::ExchangeState::Probing : view.states.back();
    if (reported != exchange.state())
        __builtin_trap();
    if (!view.progress.empty()) {
        const link::ReadProgress& progress = view.progress.back();
        if (progress.reading != (exchange.state() == link::ExchangeState::Reading) ||
            progress.received > progress.expected)
            __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    harness = new Harness;
    harness->app = new QCoreApplication(*argc, *argv);
    harness->database.open(harness->dir.filePath(store::Database::fileName()));
    QSqlQuery pragma(harness->database.connection());
    pragma.exec(QStringLiteral("PRAGMA synchronous=OFF"));
    pragma.exec(QStringLiteral("PRAGMA journal_mode=MEMORY"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    QSqlQuery(harness->database.connection()).exec(QStringLiteral("DELETE FROM Data_Comm"));
    Input in(data, size);
    test::FakeSerialLink port;
    test::FakeTickTimer timer;
    test::FakeExchangeView view;
    const link::PortSettings settings{(in.byte() & 1) != 0,
                                      QStringLiteral("COM %1").arg(in.byte())};
    const unsigned mask = in.byte() | (in.byte() << 8);
    for (int i = 0; i < 16; ++i)
        port.openable[static_cast<size_t>(i)] = (mask >> i) & 1;
    link::LinkSession link(port, timer, harness->database, view, settings, port.lookUp());
    link.lookUpPorts();

    while (!in.done()) {
        switch (in.byte() % 8) {
            case 0:
                timer.tick();
                break;
            case 1:
                port.receive(in.bytes(in.byte()));
                break;
            case 2:
                // A long burst, to reach the end of the receive buffer.
                port.receive(QByteArray(4096 * (1 + in.byte() % 64), static_cast<char>(in.byte())));
                break;
            case 3:
                link.readArchive();
                break;
            case 4:
                port.vanish();
                break;
            case 5:
                port.receive("Z");
                break;
            case 6:
                port.receive(link::encodeLongFrame(identificationPayload(in)));
                break;
            case 7:
                port.receive(link::encodeShortFrame(in.bytes(in.byte() % 32)));
                break;
        }
        checkInvariants(link.exchange(), view);
    }
    return 0;
}
