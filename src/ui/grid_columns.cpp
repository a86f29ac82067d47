#include "ui/grid_columns.h"

#include "docs/cell_text.h"
#include "store/single_decimal.h"

namespace vlr::ui {

grid::GridColumn gridColumn(const docs::GridColumn& column) {
    const docs::DisplayFormat format = column.format;
    grid::GridColumn::TextFunction text;
    if (docs::fieldTypeOf(column.field) == docs::FieldType::Number) {
        text = [format](const QVariant& value) {
            return value.isNull()
                       ? QString()
                       : docs::gridText(store::decimalOfSingle(value.toDouble()), format);
        };
    } else {
        text = [format](const QVariant& value) { return docs::gridText(value, format); };
    }
    return {column.field,          column.title, column.width, column.alignment,
            column.titleAlignment, text,         column.hidden};
}

QFont gridFont(const docs::GridTable& table) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(table.fontHeight - 2);
    return font;
}

}  // namespace vlr::ui
