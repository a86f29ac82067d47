#include "ui/grid_columns.h"

#include "docs/cell_text.h"

namespace vlr::ui {

grid::GridColumn gridColumn(const docs::GridColumn& column) {
    const docs::DisplayFormat format = column.format;
    return {column.field,
            column.title,
            column.width,
            column.alignment,
            column.titleAlignment,
            [format](const QVariant& value) { return docs::gridText(value, format); },
            column.hidden};
}

QFont gridFont(const docs::GridTable& table) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(table.fontHeight - 2);
    return font;
}

}  // namespace vlr::ui
