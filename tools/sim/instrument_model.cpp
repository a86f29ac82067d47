#include "sim/instrument_model.h"

#include "link/frame_codec.h"

namespace vlr::sim {

InstrumentModel::InstrumentModel(InstrumentSetup setup, InstrumentFaults faults)
    : setup_(std::move(setup)), faults_(faults) {
    for (const std::vector<QByteArray>& archive : setup_.archives)
        records_.insert(records_.end(), archive.begin(), archive.end());
}

QByteArray InstrumentModel::identificationPayload() const {
    QByteArray payload;
    payload.append(char(setup_.deviceType));
    payload.append(char(setup_.deviceSubType));
    payload.append(char(setup_.firmwareDate.year() - 2000));
    payload.append(char(setup_.firmwareDate.month()));
    payload.append(char(setup_.firmwareDate.day()));
    payload.append(2, '\0');
    for (const std::vector<QByteArray>& archive : setup_.archives) {
        const auto count = static_cast<quint16>(archive.size());
        payload.append(char(count & 0xFF));
        payload.append(char(count >> 8));
        payload.append(2, '\0');
    }
    return payload;
}

QByteArray InstrumentModel::recordFrame(int index) const {
    const int number = index + 1;
    QByteArray payload = records_[index];
    if (number == faults_.shortRecord)
        payload.truncate(payload.size() / 2);
    QByteArray frame = link::encodeShortFrame(payload);
    if (number == faults_.damagedRecord && frame.size() > 2) {
        // Flip one payload nibble: still a well-formed frame, but the checksum no longer fits.
        frame[1] = char(frame[1] == '0' ? '1' : '0');
    }
    return frame;
}

QByteArray InstrumentModel::answer(char letter) {
    if (silent_)
        return {};
    switch (letter) {
        case 'Z':
            return QByteArrayLiteral("Z");
        case 'V':
            return link::encodeLongFrame(identificationPayload());
        case 'n':
            cursor_ = -1;
            [[fallthrough]];
        case 'O': {
            if (cursor_ + 1 >= recordCount())
                return {};
            ++cursor_;
            if (cursor_ + 1 == faults_.silentAfterRecord)
                silent_ = true;
            return recordFrame(cursor_);
        }
        default:
            return {};
    }
}

}  // namespace vlr::sim
