#pragma once

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <vector>

namespace vlr::xls {

// Where a workbook stream goes while it is written. Records are appended to buffer(); when a
// pass-on function is given, the front of the buffer is handed to it in pieces whenever the
// writer calls passOnIfFull(), so a stream of tens of megabytes never has to be held whole.
// Positions are those of the whole stream. Bytes written earlier are changed with patch(),
// which also reaches bytes already passed on: those changes are kept in latePatches() for the
// receiver to apply.
class StreamSink {
public:
    using PassOn = std::function<void(const char* data, qsizetype size)>;
    // Without a pass-on function the whole stream stays in buffer().
    explicit StreamSink(PassOn passOn = {}, qsizetype pieceSize = 4 * 1024 * 1024);

    QByteArray& buffer() { return buffer_; }
    std::int64_t position() const { return passedOn_ + buffer_.size(); }

    void patch(std::int64_t position, const char* data, qsizetype size);
    void patchU32(std::int64_t position, std::uint32_t value);

    // Hands the buffer on once it holds a piece; only where no pointer into it is held.
    void passOnIfFull();
    // Hands on what is left.
    void passOnAll();

    // Changes to bytes that had been passed on, in the order they were made.
    struct LatePatch {
        std::int64_t position;
        QByteArray bytes;
    };
    const std::vector<LatePatch>& latePatches() const { return latePatches_; }

private:
    PassOn passOn_;
    qsizetype pieceSize_;
    QByteArray buffer_;
    std::int64_t passedOn_ = 0;
    std::vector<LatePatch> latePatches_;
};

}  // namespace vlr::xls
