#include "docs/wall_clock_date_time.h"

namespace vlr::docs {

std::pair<QDate, QTime> wallClockDateTime(QByteArrayView stored) {
    static constexpr char kPattern[] = "dddd-dd-dd dd:dd:dd";
    if (stored.size() != 19)
        return {};
    for (int i = 0; i < 19; ++i) {
        const char unit = stored[i];
        const bool digit = unit >= '0' && unit <= '9';
        if (kPattern[i] == 'd' ? !digit : unit != kPattern[i])
            return {};
    }
    const auto number = [stored](int from, int length) {
        int value = 0;
        for (int i = from; i < from + length; ++i)
            value = value * 10 + (stored[i] - '0');
        return value;
    };
    const QDate date(number(0, 4), number(5, 2), number(8, 2));
    const QTime time(number(11, 2), number(14, 2), number(17, 2));
    if (!date.isValid() || !time.isValid())
        return {};
    return {date, time};
}

}  // namespace vlr::docs
