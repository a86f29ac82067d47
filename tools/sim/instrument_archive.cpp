#include "sim/instrument_archive.h"

#include <QStringList>

#include <random>
#include <stdexcept>

namespace vlr::sim {
namespace {

// Draws bytes and words; mt19937 output is the same on every platform.
class FieldSource {
public:
    explicit FieldSource(std::uint32_t seed) : engine_(seed) {}
    int below(int limit) { return static_cast<int>(engine_() % static_cast<unsigned>(limit)); }
    void byte(QByteArray& out, int limit) { out.append(char(below(limit))); }
    void word(QByteArray& out, int limit) {
        const int value = below(limit);
        out.append(char(value & 0xFF));
        out.append(char(value >> 8));
    }
    // Seconds, minutes, hours, day, month, two-digit year: always a valid date.
    void dateTime(QByteArray& out) {
        byte(out, 60);
        byte(out, 60);
        byte(out, 24);
        out.append(char(1 + below(28)));
        out.append(char(1 + below(12)));
        out.append(char(5 + below(20)));
    }

private:
    std::mt19937 engine_;
};

QByteArray oskRecord(FieldSource& source) {
    static const char modes[] = {4, 8, 12};
    QByteArray record;
    source.byte(record, 12);  // dependency number
    source.byte(record, 7);   // reinforcement class
    source.byte(record, 11);  // product type
    record.append(modes[source.below(3)]);
    source.word(record, 600);   // d x 10
    source.word(record, 1200);  // H x 10
    source.dateTime(record);
    return record;
}

QByteArray pressRecord(FieldSource& source) {
    QByteArray record;
    source.byte(record, 256);    // series
    source.byte(record, 256);    // specimen
    source.byte(record, 13);     // material
    source.byte(record, 3);      // shape
    source.byte(record, 5);      // test method
    source.word(record, 3000);   // A x 10
    source.word(record, 3000);   // B x 10
    source.word(record, 3000);   // C x 10
    source.word(record, 65536);  // load
    source.word(record, 10000);  // strength x 100
    source.byte(record, 101);    // coefficient x 100
    record.append('\0');
    source.byte(record, 3);     // rate unit
    source.word(record, 5000);  // rate x 1000 (asphalt: work x 100)
    source.dateTime(record);
    return record;
}

}  // namespace

const std::vector<KindProfile>& kindProfiles() {
    static const std::vector<KindProfile> profiles{
        {InstrumentKind::Osk, "osk", 1, 0, 1, 14},
        {InstrumentKind::Vtr, "vtr", 2, 30, 1, 26},
        {InstrumentKind::Vtra, "vtra", 2, 41, 2, 26},
    };
    return profiles;
}

const KindProfile* findKind(const QString& name) {
    for (const KindProfile& profile : kindProfiles()) {
        if (name == QLatin1String(profile.name))
            return &profile;
    }
    return nullptr;
}

const KindProfile& profileOf(InstrumentKind kind) {
    for (const KindProfile& profile : kindProfiles()) {
        if (profile.kind == kind)
            return profile;
    }
    throw std::logic_error("unknown instrument kind");
}

Archives generateArchives(InstrumentKind kind, const std::vector<int>& counts, std::uint32_t seed) {
    FieldSource source(seed);
    Archives archives;
    for (int count : counts) {
        std::vector<QByteArray> archive;
        for (int i = 0; i < count; ++i)
            archive.push_back(kind == InstrumentKind::Osk ? oskRecord(source)
                                                          : pressRecord(source));
        archives.push_back(std::move(archive));
    }
    return archives;
}

Archives parseRecordsText(const QString& text, int archiveCount) {
    Archives archives(archiveCount);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const auto fail = [&](const char* what) {
            throw std::runtime_error(
                QStringLiteral("line %1: %2").arg(i + 1).arg(QLatin1String(what)).toStdString());
        };
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool ok = false;
        const int archive = fields[0].toInt(&ok);
        if (!ok || archive < 0 || archive >= archiveCount)
            fail("no such archive for this kind");
        QByteArray record;
        for (int f = 1; f < fields.size(); ++f) {
            const uint value = fields[f].toUInt(&ok, 16);
            if (!ok || value > 0xFF || fields[f].size() > 2)
                fail("not a hexadecimal byte");
            record.append(char(value));
        }
        archives[archive].push_back(record);
    }
    return archives;
}

}  // namespace vlr::sim
