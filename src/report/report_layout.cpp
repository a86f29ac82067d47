#include "report/report_layout.h"

#include <cmath>

namespace vlr::report {

QSize PageSetup::sizeInUnits() const {
    const QSizeF millimetres = QPageLayout(QPageSize(paper), orientation, QMarginsF())
                                   .fullRect(QPageLayout::Millimeter)
                                   .size();
    const auto units = [](double mm) {
        return int(std::lround(std::round(mm * 10) * 91.6256 / 254));
    };
    return QSize(units(millimetres.width()), units(millimetres.height()));
}

const Band* ReportLayout::band(BandKind kind) const {
    for (const Band& candidate : bands) {
        if (candidate.kind == kind)
            return &candidate;
    }
    return nullptr;
}

}  // namespace vlr::report
