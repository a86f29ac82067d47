#pragma once

#include <QString>

#include <cstdint>

namespace vlr::xls {

// Page setup of a worksheet; margins in inches.
struct TvteXLSPageSetup {
    bool BlackAndWhite = false;
    QString FooterCenter;
    QString HeaderCenter;
    bool CenterHorizontally = false;
    bool CenterVertically = false;
    bool Draft = false;
    std::int32_t FirstPageNumber = 1;
    std::int32_t FitHeight = 1;
    std::int32_t FitWidth = 1;
    QString FooterLeft;
    QString HeaderLeft;
    std::uint8_t PageOrder = 0;    // 1: across, then down
    std::uint8_t Orientation = 0;  // 0 portrait, anything else landscape
    std::uint8_t PaperSize = 9;    // A4
    bool PrintGridlines = false;
    bool PrintHeadings = false;
    bool PrintNotes = false;
    QString FooterRight;
    QString HeaderRight;
    double LeftMargin = 2.0;
    double RightMargin = 2.0;
    double TopMargin = 2.5;
    double BottomMargin = 2.5;
    double FooterMargin = 0.0;
    double HeaderMargin = 0.0;
    std::int32_t Scale = 100;
    std::int32_t Copies = 0;
};

}  // namespace vlr::xls
