#pragma once

#include "docs/document_kind.h"
#include "grid/grid_column.h"

namespace vlr::ui {

// A grid column as the kind's table describes it. Its cells show the value in the column's
// format; a number shows the decimal it stands for, so a received single such as 5204.7 is not
// shown as 5204.7001953125 (a file's decimals pass unchanged).
grid::GridColumn gridColumn(const docs::GridColumn& column);

}  // namespace vlr::ui
