#pragma once

#include <QByteArray>
#include <QDate>

#include <vector>

namespace vlr::sim {

// What the simulated instrument is and holds.
struct InstrumentSetup {
    int deviceType = 2;
    int deviceSubType = 30;
    QDate firmwareDate{2010, 1, 15};
    // Record payloads of each archive, in the order the instrument sends them.
    std::vector<std::vector<QByteArray>> archives{{}};
};

// Faults to play; record numbers count every record of the read from 1, across archives.
struct InstrumentFaults {
    int damagedRecord = 0;      // this record's frame goes out with a wrong checksum
    int silentAfterRecord = 0;  // after sending this record the instrument answers nothing more
    int shortRecord = 0;        // this record's payload is cut to half its length
};

// The instrument's side of the conversation, without any port: each received letter gives the
// bytes to send back. 'Z' is echoed, 'V' gives the identification frame, 'n' the first record
// and 'O' the next one; after the last record 'O' gives nothing, as does any other letter.
class InstrumentModel {
public:
    explicit InstrumentModel(InstrumentSetup setup, InstrumentFaults faults = {});

    QByteArray answer(char letter);

    // Type, subtype, firmware date (year - 2000, month, day), two unused bytes, then per
    // archive its record count (little-endian) and two unused bytes.
    QByteArray identificationPayload() const;
    int recordCount() const { return static_cast<int>(records_.size()); }
    // 1-based number of the record sent last; 0 before the first.
    int lastRecordSent() const { return cursor_ + 1; }
    bool isSilent() const { return silent_; }

private:
    QByteArray recordFrame(int index) const;

    InstrumentSetup setup_;
    InstrumentFaults faults_;
    std::vector<QByteArray> records_;  // every archive's records, in sending order
    int cursor_ = -1;
    bool silent_ = false;
};

}  // namespace vlr::sim
