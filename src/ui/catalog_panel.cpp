#include "ui/catalog_panel.h"

#include "docs/cell_text.h"
#include "grid/data_grid.h"
#include "store/text_collation.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vlr::ui {
namespace {

const QStringList kFields{QStringLiteral("FileNameId"), QStringLiteral("FileName"),
                          QStringLiteral("DeviceListId"), QStringLiteral("DataTime"),
                          QStringLiteral("Station")};

std::vector<grid::GridColumn> catalogColumns() {
    grid::GridColumn name;
    name.field = QStringLiteral("FileName");
    name.title = QStringLiteral("Имя файла");
    name.width = 97;
    grid::GridColumn created;
    created.field = QStringLiteral("DataTime");
    created.title = QStringLiteral("Дата/ Время");
    created.width = 96;
    created.alignment = Qt::AlignCenter;
    created.text = [](const QVariant& value) {
        return docs::gridText(value, docs::DisplayFormat::None);
    };
    // Saved files belong to the lab; this says at which station each was saved.
    grid::GridColumn station;
    station.field = QStringLiteral("Station");
    station.title = QStringLiteral("Станция");
    station.width = 96;
    return {name, created, station};
}

}  // namespace

CatalogPanel::CatalogPanel(QWidget* parent)
    : QWidget(parent),
      grid_(new grid::DataGrid),
      close_(new QPushButton(QStringLiteral("Закрыть"))) {
    setObjectName(QStringLiteral("Panel_Catalog"));
    grid_->setObjectName(QStringLiteral("DBGridPro_Catalog"));
    grid_->setAccessibleName(QStringLiteral("Каталог файлов"));
    grid_->setColumns(catalogColumns());
    grid_->setKeyField(QStringLiteral("FileNameId"));
    grid_->setTitleLines(2);
    grid_->setRowLines(2);
    grid_->setTitleSort(grid::DataGrid::TitleSort::Single);

    close_->setObjectName(QStringLiteral("B_CloseCatalog"));
    close_->setFixedSize(75, 25);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 4, 4);
    layout->addWidget(grid_);
    layout->addLayout(buttonRow);

    connect(grid_, &grid::DataGrid::clicked, this, &CatalogPanel::rowClicked);
    connect(grid_, &grid::DataGrid::rowDoubleClicked, this, &CatalogPanel::rowDoubleClicked);
    connect(grid_, &grid::DataGrid::titleStateChanged, this, &CatalogPanel::showEntries);
    connect(close_, &QPushButton::clicked, this, &CatalogPanel::closeClicked);
}

void CatalogPanel::setEntries(const QVector<app::CatalogEntry>& entries) {
    // The list is read again every few seconds: unchanged, the grid keeps its row and scroll.
    if (entries == entries_ && grid_->rowCount() == entries.size())
        return;
    entries_ = entries;
    showEntries();
}

void CatalogPanel::showEntries() {
    QVector<app::CatalogEntry> shown = entries_;
    for (const auto& [column, state] : grid_->sortedColumns()) {
        const bool byName = grid_->columns().at(column).field == QLatin1String("FileName");
        const bool descending = state == grid::SortState::Descending;
        const auto before = [byName](const app::CatalogEntry& a, const app::CatalogEntry& b) {
            return byName ? store::compareTexts(a.fileName, b.fileName) < 0
                          : a.dataTime < b.dataTime;
        };
        std::stable_sort(shown.begin(), shown.end(),
                         [&](const app::CatalogEntry& a, const app::CatalogEntry& b) {
                             return descending ? before(b, a) : before(a, b);
                         });
    }
    std::vector<QVariantList> rows;
    rows.reserve(shown.size());
    for (const app::CatalogEntry& entry : shown)
        rows.push_back(
            {entry.fileNameId, entry.fileName, entry.deviceListId, entry.dataTime, entry.station});
    grid_->setRows(kFields, std::move(rows));
}

int CatalogPanel::rowCount() const {
    return grid_->rowCount();
}

std::optional<app::CatalogEntry> CatalogPanel::currentEntry() const {
    const QVariant key = grid_->currentKey();
    for (const app::CatalogEntry& entry : entries_) {
        if (key.isValid() && entry.fileNameId == key.toInt())
            return entry;
    }
    return std::nullopt;
}

}  // namespace vlr::ui
