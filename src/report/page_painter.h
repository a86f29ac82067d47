#pragma once

#include "report/prepared_report.h"

class QPainter;
class QPagedPaintDevice;

namespace vlr::report {

// Paints one prepared page. The painter's device has its origin at the paper's top-left
// corner; positions follow the device's resolution, so a unit is 1.015/93 inch on paper.
void paintPage(const PreparedReport& report, int page, QPainter& painter);

// The page layout to give a printer or a PDF writer: the report's paper and orientation with
// the whole sheet as paint area, the layout placing everything from the paper's edge itself.
QPageLayout paperLayout(const PageSetup& page);

// Prints the pages first to last (counted from 0) on a device already set to paperLayout.
// False when the device cannot be painted on or refuses a page.
bool printPages(const PreparedReport& report, QPagedPaintDevice& device, int first, int last);

}  // namespace vlr::report
