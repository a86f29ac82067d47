#pragma once

#include "report/prepared_report.h"

#include <functional>

class QPainter;
class QPagedPaintDevice;

namespace vlr::report {

// Paints one prepared page. The painter's device has its origin at the paper's top-left
// corner; positions follow the device's resolution, so a unit is 1.015/93 inch on paper.
void paintPage(const PreparedReport& report, int page, QPainter& painter);

// The page layout to give a printer or a PDF writer: the report's paper and orientation with
// the whole sheet as paint area, the layout placing everything from the paper's edge itself.
QPageLayout paperLayout(const PageSetup& page);

// Told after each page how many pages are done; false stops the printing before the next one.
using PageProgress = std::function<bool(int pagesDone)>;

enum class PrintResult { Printed, Stopped, Failed };

// Prints the pages first to last (counted from 0) on a device already set to paperLayout.
// Failed when the device cannot be painted on or refuses a page; Stopped when progress said
// so (the device is ended with the pages done so far).
PrintResult printPages(const PreparedReport& report, QPagedPaintDevice& device, int first, int last,
                       const PageProgress& progress = {});

}  // namespace vlr::report
