#include "link/record_decoder.h"

#include "link/frame_codec.h"
#include "link/record_tables.h"
#include "store/query.h"
#include "store/record_row.h"
#include "store/statements.h"

namespace vlr::link {

void handOffRecord(const RecordContext& record, const RecordFields& fields,
                   const store::Database& database) {
    store::Query insert(database, store::ADOQuery_CommAdd());
    insert.clear();
    insert.set(QStringLiteral("PDeviceListId"), record.DeviceListId)
        .set(QStringLiteral("PDeviceNArc"), record.CurrentArchive)
        .set(QStringLiteral("PN"), record.N);
    for (const auto& [name, value] : fields)
        insert.set(name, value);
    insert.exec();
}

QString storedDateTime(const std::uint8_t* payload, int position) {
    const DateTimeReading reading = ReadDateTime(payload, position);
    return store::toStoredDateTime(reading.date, reading.time);
}

RecordFields oskFields(const std::uint8_t* payload) {
    const int mode = payload[3] & 0x0C;
    QString modeText;
    if (mode == 0x0C)
        modeText = QStringLiteral("Определение d и H");
    else if (mode == 0x04)
        modeText = QStringLiteral("Определение d");
    else
        modeText = QStringLiteral("Определение H");
    return {
        {QStringLiteral("PT1"), tableText(oskDependencyNumbers(), payload[0])},
        {QStringLiteral("PT2"), tableText(oskReinforcementClasses(), payload[1])},
        {QStringLiteral("PT3"), tableText(oskProductTypes(), payload[2])},
        {QStringLiteral("PT4"), modeText},
        {QStringLiteral("PF1"), ScaledValue(ReadWord(payload, 4), 10)},
        {QStringLiteral("PF2"), ScaledValue(ReadWord(payload, 6), 10)},
        {QStringLiteral("PDateTime"), storedDateTime(payload, 8)},
    };
}

RecordOutcome DecodeOskRecord(const RecordContext& record, const store::Database& database) {
    if (record.payloadLength < OskRecordSize)
        return RecordOutcome::TooShort;
    handOffRecord(record, oskFields(record.payload), database);
    return RecordOutcome::Stored;
}

RecordOutcome DecodeVtrRecord(const RecordContext& record, const store::Database& database) {
    if (record.payloadLength < PressRecordSize)
        return RecordOutcome::TooShort;
    handOffRecord(record, vtrFields(record.payload, record.DeviceSubType), database);
    return RecordOutcome::Stored;
}

RecordOutcome DecodeVtraRecord(const RecordContext& record, const store::Database& database) {
    // Archive 0 holds strength tests, archive 1 asphalt tests; later archives have no layout.
    if (record.CurrentArchive > 1)
        return RecordOutcome::NotStored;
    if (record.payloadLength < PressRecordSize)
        return RecordOutcome::TooShort;
    const RecordFields fields = record.CurrentArchive == 0
                                    ? vtraStrengthFields(record.payload, record.DeviceSubType)
                                    : vtraAsphaltFields(record.payload, record.DeviceSubType);
    handOffRecord(record, fields, database);
    return RecordOutcome::Stored;
}

RecordOutcome decodeRecord(const RecordContext& record, const store::Database& database) {
    switch (record.DeviceListId) {
        case 1:
            return DecodeOskRecord(record, database);
        case 2:
        case 3:
        case 4:
            return DecodeVtrRecord(record, database);
        case 5:
            return DecodeVtraRecord(record, database);
        default:
            return RecordOutcome::NotStored;
    }
}

}  // namespace vlr::link
