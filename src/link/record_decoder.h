#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

#include <cstdint>
#include <utility>

namespace vlr::store {
class Database;
}

namespace vlr::link {

// What a record decoder is given by the exchange.
struct RecordContext {
    const std::uint8_t* payload = nullptr;  // decoded bytes of the record frame
    int payloadLength = 0;
    int DeviceListId = 0;
    int DeviceSubType = 0;
    int CurrentArchive = 0;
    int N = 1;  // the record's 1-based position within its archive
};

enum class RecordOutcome {
    Stored,     // one row written
    NotStored,  // an archive with no layout: counted, no row
    TooShort,   // fewer bytes than the layout holds: a transmission error, nothing stored
};

// The row fields of one record as ADOQuery_CommAdd parameters, in the order they are set;
// PDateTime last.
using RecordFields = QVector<std::pair<QString, QVariant>>;

// Payload sizes of the record layouts.
constexpr int OskRecordSize = 14;
constexpr int PressRecordSize = 26;

// Each decoder checks the payload size, decodes the fields and hands the row to Data_Comm
// (ADOQuery_CommAdd: every parameter null, then the kind, archive and N, then the fields).
// An insert failure throws store::StoreError for the exchange to show.
RecordOutcome DecodeOskRecord(const RecordContext& record, const store::Database& database);
RecordOutcome DecodeVtrRecord(const RecordContext& record, const store::Database& database);
RecordOutcome DecodeVtraRecord(const RecordContext& record, const store::Database& database);

// The decoder of the record's DeviceListId (1; 2 to 4; 5). Other kinds store nothing.
RecordOutcome decodeRecord(const RecordContext& record, const store::Database& database);

// Field decoding without the store, for the decoders above; the payload must hold the layout.
RecordFields oskFields(const std::uint8_t* payload);
RecordFields vtrFields(const std::uint8_t* payload, int deviceSubType);
RecordFields vtraStrengthFields(const std::uint8_t* payload, int deviceSubType);
RecordFields vtraAsphaltFields(const std::uint8_t* payload, int deviceSubType);

// PDateTime of the instrument's clock reading at position, as the stored text: a wall-clock
// reading never passes through this computer's time zone.
QString storedDateTime(const std::uint8_t* payload, int position);

// Writes one Data_Comm row.
void handOffRecord(const RecordContext& record, const RecordFields& fields,
                   const store::Database& database);

}  // namespace vlr::link
