#include "ui/catalog_panel.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace vlr::ui {

// The saved files as two read-only columns: the name and the creation time.
class CatalogListModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(const QVector<app::CatalogEntry>& entries) {
        beginResetModel();
        entries_ = entries;
        endResetModel();
    }
    const QVector<app::CatalogEntry>& entries() const { return entries_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : entries_.size();
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : 2;
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        const app::CatalogEntry& entry = entries_.at(index.row());
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
            if (index.column() == 0)
                return entry.fileName;
            const QLocale locale;
            return locale.toString(entry.dataTime.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                   locale.toString(entry.dataTime.time(), QLocale::LongFormat);
        }
        if (role == Qt::TextAlignmentRole)
            return index.column() == 0 ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                       : int(Qt::AlignCenter);
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? QStringLiteral("Имя файла") : QStringLiteral("Дата/ Время");
    }

private:
    QVector<app::CatalogEntry> entries_;
};

CatalogPanel::CatalogPanel(QWidget* parent)
    : QWidget(parent),
      model_(new CatalogListModel(this)),
      grid_(new QTableView),
      close_(new QPushButton(QStringLiteral("Закрыть"))) {
    setObjectName(QStringLiteral("Panel_Catalog"));
    grid_->setObjectName(QStringLiteral("DBGridPro_Catalog"));
    grid_->setModel(model_);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setWordWrap(true);
    grid_->setStyleSheet(QStringLiteral("QTableView { gridline-color: silver; }"));
    grid_->verticalHeader()->hide();
    // Titles and rows are two lines high; the columns share the grid's width.
    const int twoLines = 2 * grid_->fontMetrics().lineSpacing() + 6;
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(twoLines);
    QHeaderView* titles = grid_->horizontalHeader();
    titles->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    titles->setFixedHeight(twoLines + 2);
    titles->setSectionResizeMode(QHeaderView::Stretch);
    titles->setSectionsMovable(false);
    titles->setHighlightSections(false);

    close_->setObjectName(QStringLiteral("B_CloseCatalog"));
    close_->setFixedSize(75, 25);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 4, 4);
    layout->addWidget(grid_);
    layout->addLayout(buttonRow);

    connect(grid_, &QTableView::clicked, this, &CatalogPanel::rowClicked);
    connect(grid_, &QTableView::doubleClicked, this, &CatalogPanel::rowDoubleClicked);
    connect(close_, &QPushButton::clicked, this, &CatalogPanel::closeClicked);
}

void CatalogPanel::setEntries(const QVector<app::CatalogEntry>& entries) {
    model_->setEntries(entries);
    if (!entries.isEmpty())
        grid_->setCurrentIndex(model_->index(0, 0));
}

int CatalogPanel::rowCount() const {
    return model_->rowCount();
}

std::optional<app::CatalogEntry> CatalogPanel::currentEntry() const {
    const QModelIndex current = grid_->currentIndex();
    if (!current.isValid())
        return std::nullopt;
    return model_->entries().at(current.row());
}

}  // namespace vlr::ui
