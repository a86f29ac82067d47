#pragma once

#include "docs/document_kind.h"
#include "grid/grid_column.h"

#include <QFont>

namespace vlr::ui {

// A grid column as the kind's table describes it. Its cells show the value in the column's
// format; a number shows the decimal it stands for, so a received single such as 5204.7 is not
// shown as 5204.7001953125 (a file's decimals pass unchanged).
grid::GridColumn gridColumn(const docs::GridColumn& column);

// The font a grid of the table is drawn in. The designed widths were made for a window font
// 13 px high (11 px in the asphalt windows) with an em 2 px smaller; the platform's usual font
// is wider, and the columns would cut their values. Liberation Sans (Arial's metrics) at that
// em holds them; its size is in device-independent pixels, so screen scaling enlarges it.
QFont gridFont(const docs::GridTable& table);

}  // namespace vlr::ui
