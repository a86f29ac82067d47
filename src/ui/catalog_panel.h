#pragma once

#include "app/file_catalog.h"

#include <QWidget>

#include <optional>

class QPushButton;

namespace vlr::grid {
class DataGrid;
}

namespace vlr::ui {

// The catalog panel: the list of saved files and the button "Закрыть". The open and delete
// commands act on the current row only, whatever else is selected.
class CatalogPanel : public QWidget {
    Q_OBJECT
public:
    explicit CatalogPanel(QWidget* parent = nullptr);

    void setEntries(const QVector<app::CatalogEntry>& entries);
    int rowCount() const;
    // The file of the current row; nothing when the list is empty.
    std::optional<app::CatalogEntry> currentEntry() const;

    grid::DataGrid* DBGridPro_Catalog() const { return grid_; }
    QPushButton* B_CloseCatalog() const { return close_; }

signals:
    void rowClicked();
    void rowDoubleClicked();
    void closeClicked();

private:
    // Shows the entries in the order of the sorted title, the catalog's own order otherwise.
    void showEntries();

    QVector<app::CatalogEntry> entries_;
    grid::DataGrid* grid_;
    QPushButton* close_;
};

}  // namespace vlr::ui
