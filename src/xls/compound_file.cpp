#include "xls/compound_file.h"

#include "xls/xls_error.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>

namespace vlr::xls {
namespace {

constexpr int kSectorSize = 512;
constexpr int kMiniSectorSize = 64;
constexpr int kMiniStreamCutoff = 4096;
constexpr int kDirEntrySize = 128;
constexpr int kIdsPerSector = kSectorSize / 4;
constexpr int kHeaderDifatSlots = 109;
// The last slot of a DIFAT sector links to the next one.
constexpr int kIdsPerDifatSector = kIdsPerSector - 1;

constexpr quint32 kFreeSect = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSect = 0xFFFFFFFD;
constexpr quint32 kDifSect = 0xFFFFFFFC;
constexpr quint32 kNoStream = 0xFFFFFFFF;

qint64 ceilDiv(qint64 value, qint64 divisor) {
    return (value + divisor - 1) / divisor;
}

void put16(QByteArray& bytes, int offset, quint16 value) {
    bytes[offset] = char(value & 0xFF);
    bytes[offset + 1] = char(value >> 8);
}

void put32(QByteArray& bytes, int offset, quint32 value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
}

// Where every part of the file goes. The sectors are laid out in this order: the stream's data
// (or the mini stream holding it) first, then FAT, DIFAT, directory and mini FAT. Either way the
// stream's bytes start right after the header, so they can be written as they are made and
// the rest, which depends on their number, afterwards.
struct Layout {
    bool inMiniStream = false;
    qint64 streamSize = 0;
    qint64 miniSectors = 0;     // mini sectors of the stream
    qint64 miniFatSectors = 0;  // regular sectors of the mini FAT
    qint64 dataSectors = 0;     // regular sectors of the stream or of the mini stream
    qint64 fatSectors = 0;
    qint64 difatSectors = 0;

    static constexpr qint64 firstData() { return 0; }
    qint64 firstFat() const { return dataSectors; }
    qint64 firstDifat() const { return firstFat() + fatSectors; }
    qint64 directorySector() const { return firstDifat() + difatSectors; }
    qint64 firstMiniFat() const { return directorySector() + 1; }
    qint64 totalSectors() const { return firstMiniFat() + miniFatSectors; }
};

Layout planLayout(qint64 streamSize) {
    Layout layout;
    layout.streamSize = streamSize;
    layout.inMiniStream = streamSize < kMiniStreamCutoff;
    if (layout.inMiniStream) {
        layout.miniSectors = ceilDiv(streamSize, kMiniSectorSize);
        layout.miniFatSectors = ceilDiv(layout.miniSectors, kIdsPerSector);
        layout.dataSectors = ceilDiv(layout.miniSectors * kMiniSectorSize, kSectorSize);
    } else {
        layout.dataSectors = ceilDiv(streamSize, kSectorSize);
    }
    // The FAT must also describe its own sectors and the DIFAT sectors that list it: grow
    // both until they cover everything.
    const qint64 others = 1 + layout.miniFatSectors + layout.dataSectors;
    for (;;) {
        const qint64 needed = others + layout.fatSectors + layout.difatSectors;
        const qint64 fat = ceilDiv(needed, kIdsPerSector);
        const qint64 difat =
            fat > kHeaderDifatSlots ? ceilDiv(fat - kHeaderDifatSlots, kIdsPerDifatSector) : 0;
        if (fat == layout.fatSectors && difat == layout.difatSectors)
            break;
        layout.fatSectors = fat;
        layout.difatSectors = difat;
    }
    // Sector numbers are 32-bit and the top values are markers.
    if (layout.totalSectors() >= qint64(0xFFFFFFFA))
        throw XlsError(QStringLiteral("CreateStream error %1").arg(EFBIG));
    return layout;
}

void putChain(QByteArray& fat, qint64 first, qint64 count) {
    for (qint64 i = 0; i < count; ++i) {
        const quint32 next = i + 1 < count ? quint32(first + i + 1) : kEndOfChain;
        put32(fat, int((first + i) * 4), next);
    }
}

QByteArray header(const Layout& layout) {
    QByteArray bytes(kSectorSize, '\0');
    const unsigned char signature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(bytes.data(), signature, sizeof signature);
    put16(bytes, 0x18, 0x003E);  // minor version
    put16(bytes, 0x1A, 0x0003);  // major version 3: 512-byte sectors
    put16(bytes, 0x1C, 0xFFFE);  // little-endian
    put16(bytes, 0x1E, 9);       // sector shift: 2^9
    put16(bytes, 0x20, 6);       // mini sector shift: 2^6
    put32(bytes, 0x2C, quint32(layout.fatSectors));
    put32(bytes, 0x30, quint32(layout.directorySector()));
    put32(bytes, 0x38, kMiniStreamCutoff);
    put32(bytes, 0x3C, layout.miniFatSectors > 0 ? quint32(layout.firstMiniFat()) : kEndOfChain);
    put32(bytes, 0x40, quint32(layout.miniFatSectors));
    put32(bytes, 0x44, layout.difatSectors > 0 ? quint32(layout.firstDifat()) : kEndOfChain);
    put32(bytes, 0x48, quint32(layout.difatSectors));
    for (int slot = 0; slot < kHeaderDifatSlots; ++slot)
        put32(bytes, 0x4C + slot * 4,
              slot < layout.fatSectors ? quint32(layout.firstFat() + slot) : kFreeSect);
    return bytes;
}

QByteArray fat(const Layout& layout) {
    QByteArray bytes(int(layout.fatSectors * kSectorSize), '\xFF');  // all FREESECT
    for (qint64 i = 0; i < layout.fatSectors; ++i)
        put32(bytes, int((layout.firstFat() + i) * 4), kFatSect);
    for (qint64 i = 0; i < layout.difatSectors; ++i)
        put32(bytes, int((layout.firstDifat() + i) * 4), kDifSect);
    putChain(bytes, layout.directorySector(), 1);
    putChain(bytes, layout.firstMiniFat(), layout.miniFatSectors);
    putChain(bytes, layout.firstData(), layout.dataSectors);
    return bytes;
}

// The FAT sectors beyond the header's 109 slots, 127 to a sector, each sector linking on.
QByteArray difat(const Layout& layout) {
    QByteArray bytes(int(layout.difatSectors * kSectorSize), '\xFF');
    qint64 fatSector = kHeaderDifatSlots;
    for (qint64 s = 0; s < layout.difatSectors; ++s) {
        const int base = int(s * kSectorSize);
        for (int slot = 0; slot < kIdsPerDifatSector && fatSector < layout.fatSectors; ++slot)
            put32(bytes, base + slot * 4, quint32(layout.firstFat() + fatSector++));
        const bool last = s + 1 == layout.difatSectors;
        put32(bytes, base + kIdsPerDifatSector * 4,
              last ? kEndOfChain : quint32(layout.firstDifat() + s + 1));
    }
    return bytes;
}

void putNoLinks(QByteArray& sector, int base, quint32 child) {
    put32(sector, base + 0x44, kNoStream);  // left sibling
    put32(sector, base + 0x48, kNoStream);  // right sibling
    put32(sector, base + 0x4C, child);
}

void putEntry(QByteArray& sector, int index, const QString& name, quint8 type, quint32 child,
              quint32 start, qint64 size) {
    const int base = index * kDirEntrySize;
    for (int i = 0; i < name.size(); ++i)
        put16(sector, base + i * 2, name.at(i).unicode());
    put16(sector, base + 0x40, quint16((name.size() + 1) * 2));  // with the terminating zero
    sector[base + 0x42] = char(type);
    sector[base + 0x43] = 1;  // black: a one-node tree is trivially balanced
    putNoLinks(sector, base, child);
    put32(sector, base + 0x74, start);
    put32(sector, base + 0x78, quint32(size));
}

QByteArray directory(const Layout& layout, const QString& streamName) {
    QByteArray sector(kSectorSize, '\0');
    const bool hasMiniStream = layout.inMiniStream && layout.miniSectors > 0;
    putEntry(sector, 0, QStringLiteral("Root Entry"), 5, 1,
             hasMiniStream ? quint32(layout.firstData()) : kEndOfChain,
             layout.miniSectors * kMiniSectorSize);
    quint32 streamStart = kEndOfChain;
    if (layout.streamSize > 0)
        streamStart = layout.inMiniStream ? 0 : quint32(layout.firstData());
    putEntry(sector, 1, streamName, 2, kNoStream, streamStart, layout.streamSize);
    for (int unused = 2; unused < kSectorSize / kDirEntrySize; ++unused)
        putNoLinks(sector, unused * kDirEntrySize, kNoStream);
    return sector;
}

// The mini stream's sectors hold the stream in one chain.
QByteArray miniFat(const Layout& layout) {
    QByteArray bytes(int(layout.miniFatSectors * kSectorSize), '\xFF');
    putChain(bytes, 0, layout.miniSectors);
    return bytes;
}

// The sector before the stream's bytes, and everything after them: the zeros that complete
// the last data sector, then FAT, DIFAT, directory and mini FAT.
struct Frame {
    QByteArray header;
    QByteArray tail;
};

void checkStreamName(const QString& streamName) {
    // A directory entry holds 31 characters and the terminator.
    if (streamName.isEmpty() || streamName.size() > 31)
        throw XlsError(QStringLiteral("CreateStream error %1").arg(EINVAL));
}

Frame frame(const QString& streamName, qint64 streamSize) {
    checkStreamName(streamName);
    const Layout layout = planLayout(streamSize);
    Frame result;
    result.header = header(layout);
    result.tail = QByteArray(int(layout.dataSectors * kSectorSize - streamSize), '\0') +
                  fat(layout) + difat(layout) + directory(layout, streamName) + miniFat(layout);
    return result;
}

[[noreturn]] void failCreate(int error) {
    throw XlsError(QStringLiteral("StgCreateDocFile error %1").arg(error));
}

[[noreturn]] void failStream(int error) {
    throw XlsError(QStringLiteral("CreateStream error %1").arg(error));
}

// Writes a file front to back. Each piece is handed to the disk as soon as it is written, so
// the closing fsync waits for the last piece only instead of the whole file.
class SequentialWriter {
public:
    explicit SequentialWriter(int fd) : fd_(fd) {}

    bool write(const char* data, qint64 size) {
        constexpr qint64 kPiece = 4 * 1024 * 1024;
        while (size > 0) {
            const qint64 piece = std::min(size, kPiece);
            if (!writeAll(data, piece))
                return false;
#ifdef SYNC_FILE_RANGE_WRITE
            // Only starts the writing; a failure of it surfaces at the fsync.
            ::sync_file_range(fd_, offset_, piece, SYNC_FILE_RANGE_WRITE);
#endif
            offset_ += piece;
            data += piece;
            size -= piece;
        }
        return true;
    }

private:
    bool writeAll(const char* data, qint64 size) {
        while (size > 0) {
            const ssize_t written = ::write(fd_, data, size_t(size));
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            data += written;
            size -= written;
        }
        return true;
    }

    int fd_;
    qint64 offset_ = 0;
};

// A new file beside the target, with a name no other file has.
std::pair<int, QByteArray> createTemporary(const QFileInfo& target) {
    const QString folder = target.absolutePath();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            QStringLiteral("%1/.%2.%3.tmp")
                .arg(folder, target.fileName())
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const QByteArray path = QFile::encodeName(name);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return {fd, path};
        if (errno != EEXIST)
            failCreate(errno);
    }
    failCreate(EEXIST);
}

}  // namespace

QByteArray buildCompoundFile(const QString& streamName, const QByteArray& stream) {
    const Frame parts = frame(streamName, stream.size());
    return parts.header + stream + parts.tail;
}

void saveCompoundFile(const QString& path, const QString& streamName,
                      const std::function<void(StreamSink&)>& writeStream) {
    checkStreamName(streamName);
    // Saving over a link replaces the file it points to and keeps the link, as writing in place
    // would.
    const QFileInfo given(path);
    const QFileInfo target(given.isSymLink() ? given.symLinkTarget() : path);
    const QByteArray targetPath = QFile::encodeName(target.absoluteFilePath());
    // A read-only file stays as it is, as the system would keep it when written in place.
    if (target.exists() && ::access(targetPath.constData(), W_OK) != 0)
        failCreate(errno);
    if (target.isDir())
        failCreate(EISDIR);

    const auto [fd, temporary] = createTemporary(target);
    bool descriptorOpen = true;
    try {
        SequentialWriter file(fd);
        const auto write = [&file](const char* data, qsizetype size) {
            if (!file.write(data, size))
                failStream(errno);
        };
        // The header depends on the stream's length: its place is kept and it comes last.
        write(QByteArray(kSectorSize, '\0').constData(), kSectorSize);
        StreamSink sink(write);
        writeStream(sink);
        sink.passOnAll();
        const Frame parts = frame(streamName, sink.position());
        write(parts.tail.constData(), parts.tail.size());
        const auto writeAt = [fd = fd](qint64 offset, const QByteArray& bytes) {
            if (::pwrite(fd, bytes.constData(), size_t(bytes.size()), offset) != bytes.size())
                failStream(errno == 0 ? EIO : errno);
        };
        writeAt(0, parts.header);
        for (const StreamSink::LatePatch& patch : sink.latePatches())
            writeAt(kSectorSize + patch.position, patch.bytes);
        if (::fsync(fd) != 0)
            failStream(errno);
        descriptorOpen = false;  // even a failed close releases it
        if (::close(fd) != 0)
            failStream(errno);
    } catch (...) {
        if (descriptorOpen)
            ::close(fd);
        ::unlink(temporary.constData());
        throw;
    }
    // Only a completely written file takes the target's place, in one step.
    if (::rename(temporary.constData(), targetPath.constData()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.constData());
        failCreate(renameError);
    }
}

void saveCompoundFile(const QString& path, const QString& streamName, const QByteArray& stream) {
    saveCompoundFile(path, streamName, [&stream](StreamSink& sink) {
        sink.buffer().append(stream);
        sink.passOnIfFull();
    });
}

}  // namespace vlr::xls
