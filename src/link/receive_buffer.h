#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace vlr::link {

// The exchange's receive buffer: characters accumulated from index 0, decoded in place.
// Fixed capacity; an append that does not fit is refused, never written past the end.
class ReceiveBuffer {
public:
    static constexpr int Capacity = 0x40000;

    ReceiveBuffer() : bytes_(Capacity) {}

    int length() const { return length_; }
    void clear() { length_ = 0; }
    // Appends count bytes; false (and nothing written) when they do not fit.
    bool append(const char* data, int count);

    std::uint8_t* data() { return bytes_.data(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    // The last index holding a received character; -1 when empty.
    int highestIndex() const { return length_ - 1; }

private:
    std::vector<std::uint8_t> bytes_;
    int length_ = 0;
};

}  // namespace vlr::link
