// Arbitrary bytes as a receive buffer for both frame decoders, and as a payload that must
// survive encoding and decoding unchanged.
#include "link/frame_codec.h"

#include <cstdint>
#include <cstring>
#include <vector>

using namespace vlr::link;

namespace {

void decodeAsReceived(const std::uint8_t* data, size_t size) {
    if (size == 0)
        return;
    const int highest = static_cast<int>(size) - 1;
    std::vector<std::uint8_t> buffer(data, data + size);
    const int shortCount = DecodeShortFrame(buffer.data(), highest);
    if (shortCount < 0 || shortCount > static_cast<int>(size) / 2)
        __builtin_trap();
    buffer.assign(data, data + size);
    const int longCount = DecodeLongFrame(buffer.data(), highest);
    if (longCount < 0 || longCount > static_cast<int>(size) / 2)
        __builtin_trap();
    if (size >= 6) {
        (void)ReadDateTime(data, 0);
        (void)ReadVersionDate(data, 0);
        (void)DecimalText(ScaledValue(ReadWord(data, 0), 1000));
    }
}

void roundTrip(const std::uint8_t* data, size_t size) {
    const QByteArray payload(reinterpret_cast<const char*>(data), static_cast<int>(size));
    for (bool longFrame : {false, true}) {
        const QByteArray frame = longFrame ? encodeLongFrame(payload) : encodeShortFrame(payload);
        std::vector<std::uint8_t> buffer(frame.begin(), frame.end());
        const int highest = static_cast<int>(buffer.size()) - 1;
        const int count = longFrame ? DecodeLongFrame(buffer.data(), highest)
                                    : DecodeShortFrame(buffer.data(), highest);
        const int minimumPayload = longFrame ? 2 : 4;  // 11 characters with the checksum
        if (static_cast<int>(size) < minimumPayload) {
            if (count != 0)
                __builtin_trap();
            continue;
        }
        if (count != static_cast<int>(size) || std::memcmp(buffer.data(), data, size) != 0)
            __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    decodeAsReceived(data, size);
    roundTrip(data, size);
    return 0;
}
