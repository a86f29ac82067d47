#include "xls/stream_sink.h"

#include "xls/large_array.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <utility>

namespace vlr::xls {

StreamSink::StreamSink(PassOn passOn, qsizetype pieceSize)
    : passOn_(std::move(passOn)), pieceSize_(pieceSize) {
    if (passOn_) {
        buffer_.reserve(pieceSize_ + pieceSize_ / 4);
        adviseLargePages(buffer_.data(), size_t(buffer_.capacity()));
    }
}

void StreamSink::patch(std::int64_t position, const char* data, qsizetype size) {
    // The part before the buffer has been passed on already.
    const qsizetype late = qsizetype(std::clamp<std::int64_t>(passedOn_ - position, 0, size));
    if (late > 0)
        latePatches_.push_back(LatePatch{position, QByteArray(data, late)});
    if (late < size)
        std::memcpy(buffer_.data() + (position + late - passedOn_), data + late,
                    size_t(size - late));
}

void StreamSink::patchU32(std::int64_t position, std::uint32_t value) {
    const std::uint32_t le = qToLittleEndian(value);
    patch(position, reinterpret_cast<const char*>(&le), sizeof le);
}

void StreamSink::passOnIfFull() {
    if (passOn_ && buffer_.size() >= pieceSize_)
        passOnAll();
}

void StreamSink::passOnAll() {
    if (!passOn_ || buffer_.isEmpty())
        return;
    passOn_(buffer_.constData(), buffer_.size());
    passedOn_ += buffer_.size();
    buffer_.resize(0);  // keeps the room for the next piece
}

}  // namespace vlr::xls
