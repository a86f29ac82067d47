#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace vlr::sim {

enum class InstrumentKind { Osk, Vtr, Vtra };

// What each kind of instrument looks like on the wire by default.
struct KindProfile {
    InstrumentKind kind;
    const char* name;  // as given on the command line
    int deviceType;
    int defaultSubType;
    int archiveCount;
    int recordSize;  // payload bytes of one record
};

const std::vector<KindProfile>& kindProfiles();
// nullptr when the name is not a kind.
const KindProfile* findKind(const QString& name);
const KindProfile& profileOf(InstrumentKind kind);

using Archives = std::vector<std::vector<QByteArray>>;

// A deterministic archive: counts[i] records in archive i, plausible field values drawn from
// seed. The same kind, counts and seed always give the same bytes.
Archives generateArchives(InstrumentKind kind, const std::vector<int>& counts, std::uint32_t seed);

// Records from a text file: one record per line, the archive number then the payload bytes in
// hexadecimal, all separated by blanks ("0 03 01 00 00 00 F4 01 ..."). Empty lines and lines
// starting with '#' are skipped. archiveCount archives result; a line naming another archive
// or holding a malformed byte throws std::runtime_error with its line number.
Archives parseRecordsText(const QString& text, int archiveCount);

}  // namespace vlr::sim
