#pragma once

#include "xls/stream_sink.h"

#include <QByteArray>

#include <cstring>
#include <functional>

namespace vlr::xls::test {

// The stream a writer makes when its sink passes it on in small pieces, put together the way
// a file receives it: the pieces in order, then the changes made to bytes already passed on.
inline QByteArray streamPassedOnInPieces(const std::function<void(StreamSink&)>& write,
                                         const QByteArray& prefix = {}, qsizetype pieceSize = 97) {
    QByteArray received;
    StreamSink sink([&received](const char* data, qsizetype size) { received.append(data, size); },
                    pieceSize);
    sink.buffer() = prefix;
    write(sink);
    sink.passOnAll();
    for (const StreamSink::LatePatch& patch : sink.latePatches())
        std::memcpy(received.data() + patch.position, patch.bytes.constData(),
                    size_t(patch.bytes.size()));
    return received;
}

}  // namespace vlr::xls::test
