#include "xls/compound_file.h"
#include "xls/xls_error.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>
#include <csignal>
#include <set>
#include <vector>

namespace vlr::xls {
namespace {

constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSect = 0xFFFFFFFD;
constexpr quint32 kDifSect = 0xFFFFFFFC;

// A strict reader of version-3 compound files, written from the published format alone so
// that it shares nothing with the writer. It follows every chain and reports the first
// inconsistency it meets in error.
class CompoundReader {
public:
    explicit CompoundReader(QByteArray file) : file_(std::move(file)) { parse(); }

    QString error;
    quint32 fatSectorCount = 0;
    quint32 difatSectorCount = 0;

    // The bytes of the named stream of the root storage, and whether it is in the mini stream.
    QByteArray stream(const QString& name, bool* inMiniStream = nullptr) {
        const int entry = findEntry(name);
        if (entry < 0) {
            fail(QStringLiteral("no stream ") + name);
            return {};
        }
        const quint32 start = u32(directory_, entry + 0x74);
        const quint32 size = u32(directory_, entry + 0x78);
        const bool mini = size < 4096;
        if (inMiniStream)
            *inMiniStream = mini;
        if (size == 0)
            return {};
        const QByteArray bytes =
            mini ? chain(start, miniFat_, 64, miniStream_) : chain(start, fat_, 512, QByteArray());
        const qint64 unit = mini ? 64 : 512;
        if (bytes.size() != (size + unit - 1) / unit * unit)
            fail(
                QStringLiteral("stream chain of %1 bytes for size %2").arg(bytes.size()).arg(size));
        return bytes.left(int(size));
    }

private:
    void fail(const QString& text) {
        if (error.isEmpty())
            error = text;
    }

    static quint32 u32(const QByteArray& bytes, qint64 at) {
        if (at < 0 || at + 4 > bytes.size())
            return kEndOfChain;
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + at);
        return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
    }
    static quint16 u16(const QByteArray& bytes, qint64 at) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData() + at);
        return quint16(p[0] | p[1] << 8);
    }

    QByteArray sector(quint32 index) {
        const qint64 at = (qint64(index) + 1) * 512;
        if (at + 512 > file_.size()) {
            fail(QStringLiteral("sector %1 beyond the file").arg(index));
            return QByteArray(512, '\0');
        }
        return file_.mid(at, 512);
    }

    // Follows a chain through a table; source empty means regular sectors of the file.
    QByteArray chain(quint32 first, const std::vector<quint32>& table, int unit,
                     const QByteArray& source) {
        QByteArray bytes;
        std::set<quint32> seen;
        for (quint32 at = first; at != kEndOfChain;) {
            if (at >= table.size() || !seen.insert(at).second) {
                fail(QStringLiteral("broken chain at %1").arg(at));
                break;
            }
            if (source.isEmpty())
                bytes += sector(at);
            else
                bytes += source.mid(qint64(at) * unit, unit);
            at = table[at];
        }
        return bytes;
    }

    void parse() {
        const QByteArray signature = QByteArray::fromHex("D0CF11E0A1B11AE1");
        if (!file_.startsWith(signature) || file_.size() % 512 != 0 || file_.size() < 1024)
            return fail(QStringLiteral("not a compound file of whole sectors"));
        if (u16(file_, 0x1A) != 3 || u16(file_, 0x1C) != 0xFFFE || u16(file_, 0x1E) != 9 ||
            u16(file_, 0x20) != 6 || u32(file_, 0x38) != 4096 || u32(file_, 0x28) != 0)
            return fail(QStringLiteral("unexpected header fields"));
        fatSectorCount = u32(file_, 0x2C);
        difatSectorCount = u32(file_, 0x48);

        std::vector<quint32> fatSectors;
        for (quint32 i = 0; i < std::min<quint32>(fatSectorCount, 109); ++i)
            fatSectors.push_back(u32(file_, 0x4C + i * 4));
        std::vector<quint32> difatSectors;
        for (quint32 at = u32(file_, 0x44); at != kEndOfChain && difatSectors.size() <= 10000;) {
            difatSectors.push_back(at);
            const QByteArray bytes = sector(at);
            for (int slot = 0; slot < 127 && fatSectors.size() < fatSectorCount; ++slot)
                fatSectors.push_back(u32(bytes, slot * 4));
            at = u32(bytes, 127 * 4);
        }
        if (difatSectors.size() != difatSectorCount || fatSectors.size() != fatSectorCount)
            return fail(QStringLiteral("DIFAT does not list every FAT sector"));
        for (quint32 index : fatSectors) {
            const QByteArray bytes = sector(index);
            for (int i = 0; i < 128; ++i)
                fat_.push_back(u32(bytes, i * 4));
        }
        for (quint32 index : fatSectors) {
            if (index >= fat_.size() || fat_[index] != kFatSect)
                return fail(QStringLiteral("FAT sector %1 not marked in the FAT").arg(index));
        }
        for (quint32 index : difatSectors) {
            if (index >= fat_.size() || fat_[index] != kDifSect)
                return fail(QStringLiteral("DIFAT sector %1 not marked in the FAT").arg(index));
        }
        directory_ = chain(u32(file_, 0x30), fat_, 512, QByteArray());
        if (directory_.isEmpty() || directory_.at(0x42) != 5)
            return fail(QStringLiteral("no root entry"));
        const quint32 miniFatCount = u32(file_, 0x40);
        const QByteArray miniFatBytes =
            miniFatCount > 0 ? chain(u32(file_, 0x3C), fat_, 512, QByteArray()) : QByteArray();
        if (miniFatBytes.size() != qint64(miniFatCount) * 512)
            return fail(QStringLiteral("mini FAT length differs from the header"));
        for (int i = 0; i + 4 <= miniFatBytes.size(); i += 4)
            miniFat_.push_back(u32(miniFatBytes, i));
        const quint32 rootSize = u32(directory_, 0x78);
        if (rootSize > 0)
            miniStream_ = chain(u32(directory_, 0x74), fat_, 512, QByteArray()).left(rootSize);
        if (miniStream_.size() != qint64(rootSize))
            fail(QStringLiteral("mini stream shorter than the root entry says"));
    }

    int findEntry(const QString& name) const {
        for (int entry = 0; entry + 128 <= directory_.size(); entry += 128) {
            const int nameBytes = u16(directory_, entry + 0x40);
            if (directory_.at(entry + 0x42) != 2 || nameBytes < 2 || nameBytes > 64)
                continue;
            const QString entryName = QString::fromUtf16(
                reinterpret_cast<const char16_t*>(directory_.constData() + entry),
                nameBytes / 2 - 1);
            if (entryName == name)
                return entry;
        }
        return -1;
    }

    QByteArray file_;
    std::vector<quint32> fat_;
    std::vector<quint32> miniFat_;
    QByteArray directory_;
    QByteArray miniStream_;
};

QByteArray pattern(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + i / 509) & 0xFF);
    return bytes;
}

QString olefileScript() {
    return QStringLiteral(VLR_TEST_SOURCE_DIR "/olefile_roundtrip.py");
}

// What the independent reader sees: "size md5 mini|regular" of the stream, or its complaint.
QString olefileView(const QString& path, const QString& streamName) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {olefileScript(), path, streamName});
    if (!python.waitForFinished(120000))
        return QStringLiteral("python did not finish");
    return QString::fromUtf8(python.readAllStandardOutput() + python.readAllStandardError())
        .trimmed();
}

QString expectedView(const QByteArray& stream) {
    return QStringLiteral("%1 %2 %3")
        .arg(stream.size())
        .arg(QString::fromLatin1(QCryptographicHash::hash(stream, QCryptographicHash::Md5).toHex()))
        .arg(stream.size() < 4096 ? QStringLiteral("mini") : QStringLiteral("regular"));
}

// Sizes at each boundary the layout has: empty, within one mini sector, the last mini size,
// the first regular size, one regular sector more, and enough FAT sectors to need DIFAT
// sectors (109 FAT sectors describe 13,952 sectors, about 6.8 MB).
TEST(CompoundFile, StreamsOfEverySizeReadBackExactly) {
    for (int size : {0, 1, 64, 65, 4095, 4096, 4097, 512 * 300 + 7, 7500000, 8 * 1024 * 1024}) {
        SCOPED_TRACE(size);
        const QByteArray stream = pattern(size);
        CompoundReader reader(buildCompoundFile(QStringLiteral("Workbook"), stream));
        bool mini = false;
        const QByteArray back = reader.stream(QStringLiteral("Workbook"), &mini);
        EXPECT_TRUE(reader.error.isEmpty()) << reader.error.toStdString();
        EXPECT_TRUE(back == stream) << "stream bytes differ";
        EXPECT_EQ(mini, size < 4096);
        EXPECT_EQ(reader.difatSectorCount > 0, size >= 7500000);
    }
}

TEST(CompoundFile, IndependentReaderAgreesAcrossTheBoundaries) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (int size : {180, 4095, 4096, 100000, 7500000}) {
        SCOPED_TRACE(size);
        const QByteArray stream = pattern(size);
        const QString path = dir.filePath(QStringLiteral("s%1.xls").arg(size));
        saveCompoundFile(path, QStringLiteral("Workbook"), stream);
        EXPECT_EQ(olefileView(path, QStringLiteral("Workbook")), expectedView(stream));
    }
}

// A stream written piece by piece, with its first bytes changed after they went to the file,
// must arrive as if it had been written whole.
TEST(CompoundFile, AStreamPassedOnInPiecesArrivesWithItsLateChanges) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("pieces.xls"));
    QByteArray expected = pattern(9 * 1024 * 1024 + 3);
    expected.replace(0, 4, "HEAD");
    expected.replace(5 * 1024 * 1024, 4, "MIDL");
    saveCompoundFile(path, QStringLiteral("Workbook"), [&](StreamSink& sink) {
        const QByteArray stream = pattern(int(expected.size()));
        for (qsizetype at = 0; at < stream.size(); at += 100000) {
            sink.buffer().append(stream.mid(at, 100000));
            sink.passOnIfFull();
        }
        sink.patch(0, "HEAD", 4);
        sink.patch(5 * 1024 * 1024, "MIDL", 4);
    });
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    CompoundReader reader(file.readAll());
    const QByteArray back = reader.stream(QStringLiteral("Workbook"));
    EXPECT_TRUE(reader.error.isEmpty()) << reader.error.toStdString();
    EXPECT_TRUE(back == expected) << "stream bytes differ";
    EXPECT_EQ(olefileView(path, QStringLiteral("Workbook")), expectedView(expected));
}

TEST(CompoundFile, RefusesNamesADirectoryEntryCannotHold) {
    EXPECT_THROW(buildCompoundFile(QString(), "x"), XlsError);
    EXPECT_THROW(buildCompoundFile(QString(32, QLatin1Char('a')), "x"), XlsError);
    CompoundReader reader(buildCompoundFile(QString(31, QLatin1Char('a')), "xyz"));
    EXPECT_EQ(reader.stream(QString(31, QLatin1Char('a'))), QByteArray("xyz"));
}

QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const XlsError& error) {
        return error.message();
    }
    return QString();
}

QStringList folderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

class SafeSave : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString path(const QString& name) const { return dir_.filePath(name); }
    // A file already at the place a save goes to.
    QString existingFile(const QString& name, const QByteArray& contents) const {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
        return file.fileName();
    }
    static QByteArray read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
};

TEST_F(SafeSave, ReplacesAnExistingFileAndLeavesNothingElse) {
    const QString target = existingFile(QStringLiteral("export.xls"), QByteArray(100000, 'o'));

    const QByteArray stream = pattern(5000);
    saveCompoundFile(target, QStringLiteral("Workbook"), stream);
    EXPECT_EQ(read(target), buildCompoundFile(QStringLiteral("Workbook"), stream));
    EXPECT_EQ(folderEntries(dir_.path()), QStringList{QStringLiteral("export.xls")});
}

TEST_F(SafeSave, SavingOverALinkReplacesTheFileItPointsTo) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("real")));
    const QString real = existingFile(QStringLiteral("real/book.xls"), "old");
    const QString link = path(QStringLiteral("link.xls"));
    ASSERT_TRUE(QFile::link(real, link));

    saveCompoundFile(link, QStringLiteral("Workbook"), "new");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(read(real), buildCompoundFile(QStringLiteral("Workbook"), "new"));
    EXPECT_EQ(folderEntries(path(QStringLiteral("real"))), QStringList{QStringLiteral("book.xls")});
}

TEST_F(SafeSave, MissingOrImpossibleFolderIsACreateErrorWithTheSystemCode) {
    EXPECT_EQ(
        errorOf([&] { saveCompoundFile(path(QStringLiteral("no/such/a.xls")), "Workbook", "x"); }),
        QStringLiteral("StgCreateDocFile error %1").arg(ENOENT));
    QFile plain(path(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(
        errorOf([&] { saveCompoundFile(path(QStringLiteral("plain/a.xls")), "Workbook", "x"); }),
        QStringLiteral("StgCreateDocFile error %1").arg(ENOTDIR));
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.xls")));
    EXPECT_EQ(
        errorOf([&] { saveCompoundFile(path(QStringLiteral("folder.xls")), "Workbook", "x"); }),
        QStringLiteral("StgCreateDocFile error %1").arg(EISDIR));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("folder.xls"))).isDir());
    EXPECT_EQ(folderEntries(dir_.path()).size(), 2);
}

TEST_F(SafeSave, UnwritableFolderOrReadOnlyFileKeepsTheOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    const QString target = existingFile(QStringLiteral("kept.xls"), "old");

    QFile::setPermissions(target, QFile::ReadOwner);
    EXPECT_EQ(errorOf([&] { saveCompoundFile(target, "Workbook", "new"); }),
              QStringLiteral("StgCreateDocFile error %1").arg(EACCES));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_EQ(errorOf([&] { saveCompoundFile(target, "Workbook", "new"); }),
              QStringLiteral("StgCreateDocFile error %1").arg(EACCES));
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(read(target), QByteArray("old"));
    EXPECT_EQ(folderEntries(dir_.path()), QStringList{QStringLiteral("kept.xls")});
}

// A workbook refused after part of its stream went to the file changes nothing either.
TEST_F(SafeSave, AStreamAbandonedHalfWayKeepsTheOldFile) {
    const QString target = existingFile(QStringLiteral("kept.xls"), "old contents");

    const QString error = errorOf([&] {
        saveCompoundFile(target, "Workbook", [](StreamSink& sink) {
            sink.buffer().append(pattern(6 * 1024 * 1024));
            sink.passOnIfFull();
            throw XlsError(QStringLiteral("refused"));
        });
    });
    EXPECT_EQ(error, QStringLiteral("refused"));
    EXPECT_EQ(read(target), QByteArray("old contents"));
    EXPECT_EQ(folderEntries(dir_.path()), QStringList{QStringLiteral("kept.xls")});
}

// A write that fails half-way (here: the process may not write files this large) must keep
// the file being replaced and leave no partial file behind.
TEST_F(SafeSave, FailedWriteKeepsTheOldFileAndRemovesTheTemporary) {
    const QString target = existingFile(QStringLiteral("kept.xls"), "old contents");

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const QString error = errorOf([&] { saveCompoundFile(target, "Workbook", pattern(1000000)); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(error, QStringLiteral("CreateStream error %1").arg(EFBIG));
    EXPECT_EQ(read(target), QByteArray("old contents"));
    EXPECT_EQ(folderEntries(dir_.path()), QStringList{QStringLiteral("kept.xls")});
}

}  // namespace
}  // namespace vlr::xls
