#include "ui/comm_view.h"

#include "docs/document_kind.h"
#include "docs/grid_rows.h"
#include "grid/data_grid.h"
#include "link/link_session.h"
#include "link/tick_timer.h"
#include "store/statements.h"
#include "ui/grid_columns.h"
#include "ui/prompter.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QResizeEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include <exception>

namespace vlr::ui {
namespace {

constexpr int kPanelCount = 4;
constexpr int kProgressPanel = 3;  // left empty by the exchange
constexpr int kStatusBarHeight = 21;

// The status bar: panel 0 takes four sevenths of the client width, the others one seventh
// each, whenever the bar is resized.
class CommStatusBar : public QFrame {
public:
    explicit CommStatusBar(QWidget* parent) : QFrame(parent) {
        setObjectName(QStringLiteral("StatusBar_Comm"));
        setFixedHeight(kStatusBarHeight);
        for (QLabel*& panel : panels) {
            panel = new QLabel(this);
            panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            panel->setTextFormat(Qt::PlainText);
        }
    }
    std::array<QLabel*, kPanelCount> panels{};

protected:
    void resizeEvent(QResizeEvent* event) override {
        QFrame::resizeEvent(event);
        const QRect client = contentsRect();
        const int seventh = client.width() / 7;
        int left = client.left();
        for (int i = 0; i < kPanelCount; ++i) {
            const int width = i == 0 ? 4 * client.width() / 7 : seventh;
            panels[static_cast<size_t>(i)]->setGeometry(left, client.top(), width, client.height());
            left += width;
        }
    }
};

// Reads the received rows of one kind and archive, only the fields the grid shows and its key.
void loadReceivedRows(grid::DataGrid& grid, const store::Database& database, int deviceListId,
                      int archive) {
    QStringList fields{grid.keyField()};
    for (const grid::GridColumn& column : grid.columns()) {
        if (!fields.contains(column.field))
            fields.append(column.field);
    }
    docs::GridRows rows = docs::readReceivedRows(database, deviceListId, archive, fields);
    grid.setRows(rows.fields, std::move(rows.rows));
}

PromptIcon promptIcon(link::MessageIcon icon) {
    return icon == link::MessageIcon::Error ? PromptIcon::Error : PromptIcon::Information;
}

}  // namespace

TForm_Comm::TForm_Comm(const store::Database& database, Prompter& prompter,
                       std::unique_ptr<link::TickTimer> refreshTimer, QWidget* parent)
    : QWidget(parent),
      database_(database),
      prompter_(prompter),
      Timer_refresh_(std::move(refreshTimer)) {
    setObjectName(QStringLiteral("Form_Comm"));
    setWindowTitle(QStringLiteral("Прием данных"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildPages();
    buildStatusBar();
    layout->addWidget(PageControl_Comm_, 1);
    layout->addStretch(0);
    layout->addWidget(panels_[0]->parentWidget());
    buildMenus();
    Timer_refresh_->onTick = [this] { Timer_refreshTimer(); };
}

TForm_Comm::~TForm_Comm() {
    Timer_refresh_->onTick = nullptr;
}

void TForm_Comm::buildPages() {
    PageControl_Comm_ = new QTabWidget(this);
    PageControl_Comm_->setObjectName(QStringLiteral("PageControl_Comm"));
    const QVector<const docs::DocumentKind*> kinds = docs::documentKinds();
    for (size_t tab = 0; tab < grids_.size(); ++tab) {
        const docs::DocumentKind& kind = *kinds.at(static_cast<int>(tab));
        auto* grid = new grid::DataGrid(PageControl_Comm_);
        grid->setObjectName(kind.receiveGrid.name);
        grid->setFont(gridFont(kind.receiveGrid));
        std::vector<grid::GridColumn> columns;
        for (const docs::GridColumn& column : kind.receiveGrid.columns)
            columns.push_back(gridColumn(column));
        grid->setColumns(std::move(columns));
        grid->setKeyField(QStringLiteral("DataId"));
        grid->setTitleLines(kind.receiveGrid.titleLines);
        grid->setSourceIdentity(kind.receiveGrid.name);
        grids_[tab] = grid;
        const int index = PageControl_Comm_->addTab(grid, kind.caption);
        PageControl_Comm_->setTabVisible(index, false);
    }
    connect(PageControl_Comm_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && PageControl_Comm_->isTabVisible(index))
            TabShow(index);
    });
    // With every tab hidden there is nothing to show until an instrument is identified.
    PageControl_Comm_->hide();
}

void TForm_Comm::buildStatusBar() {
    auto* bar = new CommStatusBar(this);
    panels_ = bar->panels;
    readProgress_ = new QProgressBar(panels_[kProgressPanel]);
    readProgress_->setObjectName(QStringLiteral("ProgressBar_Read"));
    readProgress_->setFormat(QStringLiteral("%v из %m"));
    readProgress_->setAccessibleName(QStringLiteral("Принято записей"));
    readProgress_->hide();
    auto* progressLayout = new QVBoxLayout(panels_[kProgressPanel]);
    progressLayout->setContentsMargins(1, 1, 1, 1);
    progressLayout->addWidget(readProgress_);
}

void TForm_Comm::buildMenus() {
    operationsMenu_ = new QMenu(QStringLiteral("Операции"), this);
    A_ReadArc_ = operationsMenu_->addAction(QStringLiteral("Считать архив"));
    A_ReadArc_->setObjectName(QStringLiteral("A_ReadArc"));
    A_ReadArc_->setShortcut(Qt::Key_F5);
    A_ReadArc_->setEnabled(false);
    connect(A_ReadArc_, &QAction::triggered, this, [this] { A_ReadArcExecute(); });

    settingsMenu_ = new QMenu(QStringLiteral("Настройки"), this);
    A_CommOptions_ = settingsMenu_->addAction(QStringLiteral("COM-порт"));
    A_CommOptions_->setObjectName(QStringLiteral("A_CommOptions"));
    connect(A_CommOptions_, &QAction::triggered, this, [this] { A_CommOptionsExecute(); });
    A_Database_ = settingsMenu_->addAction(QStringLiteral("База данных…"));
    A_Database_->setObjectName(QStringLiteral("A_Database"));
}

void TForm_Comm::hostLink(std::unique_ptr<link::LinkSession> session) {
    link_ = std::move(session);
}

grid::DataGrid* TForm_Comm::grid(link::CommTab tab) const {
    return grids_.at(static_cast<size_t>(tab));
}

void TForm_Comm::setStatusText(int panel, const QString& text) {
    QLabel* label = statusPanel(panel);
    label->setText(text);
    // Texts written in the middle of a long step are seen at once.
    label->repaint();
}

void TForm_Comm::showTab(link::CommTab tab, const QString& caption) {
    const int index = static_cast<int>(tab);
    PageControl_Comm_->setTabText(index, caption);
    grids_.at(static_cast<size_t>(index))->setAccessibleName(caption);
    const bool firstTab = PageControl_Comm_->isHidden();
    PageControl_Comm_->setTabVisible(index, true);
    PageControl_Comm_->show();
    // The first tab shown becomes the current one. When the tab is already the current one,
    // its rows follow the instrument identified now: the VTR tab then shows this kind's rows
    // rather than those of the instrument identified before.
    if (PageControl_Comm_->currentIndex() == index)
        TabShow(index);
    else if (firstTab)
        PageControl_Comm_->setCurrentIndex(index);
}

void TForm_Comm::setReadArchiveEnabled(bool enabled) {
    A_ReadArc_->setEnabled(enabled);
}

void TForm_Comm::setCommOptionsEnabled(bool enabled) {
    A_CommOptions_->setEnabled(enabled);
}

void TForm_Comm::startRefreshTimer() {
    Timer_refresh_->start();
}

void TForm_Comm::stopRefreshTimer() {
    Timer_refresh_->stop();
}

void TForm_Comm::RefreshCommView() {
    const int shown = PageControl_Comm_->currentIndex();
    for (size_t tab = 0; tab < grids_.size(); ++tab) {
        if (static_cast<int>(tab) != shown)
            grids_[tab]->clearRows();
    }
    if (shown < 0)
        return;
    grid::DataGrid& rowsGrid = *grids_.at(static_cast<size_t>(shown));
    try {
        loadReceivedRows(rowsGrid, database_, CommViewDeviceListId_, CommViewArc_);
    } catch (const std::exception& error) {
        rowsGrid.clearRows();
        prompter_.error(this, QString::fromStdString(error.what()));
    }
}

void TForm_Comm::showMessage(const QString& text, const QString& caption, link::MessageIcon icon) {
    prompter_.tell(this, text, caption, promptIcon(icon));
}

// The status texts tell the state; the view has nothing more to show for it.
void TForm_Comm::setExchangeState(link::ExchangeState) {}

// Received of expected records while a read runs, in the panel the exchange leaves empty.
void TForm_Comm::setReadProgress(const link::ReadProgress& progress) {
    readProgress_->setVisible(progress.reading);
    if (!progress.reading)
        return;
    readProgress_->setMaximum(progress.expected);
    readProgress_->setValue(progress.received);
    readProgress_->repaint();
}

// The exchange has shown the outcome already, in the status bar or in a message box.
void TForm_Comm::readEnded(const link::ReadOutcome&) {}

void TForm_Comm::TabShow(int index) {
    switch (static_cast<link::CommTab>(index)) {
        case link::CommTab::Osk:
            CommViewDeviceListId_ = 1;
            break;
        case link::CommTab::Vtr: {
            const int kind = link_ ? link_->exchange().DeviceListId() : 0;
            CommViewDeviceListId_ = kind >= 2 && kind <= 5 ? kind : 2;
            break;
        }
        case link::CommTab::Asphalt:
            CommViewDeviceListId_ = 5;
            break;
    }
    CommViewArc_ = index == static_cast<int>(link::CommTab::Asphalt) ? 1 : 0;
    RefreshCommView();
}

void TForm_Comm::Timer_refreshTimer() {
    if (link_ && CommViewDeviceListId_ == link_->exchange().DeviceListId() &&
        CommViewArc_ == link_->exchange().CurrentArchive())
        RefreshCommView();
}

void TForm_Comm::A_ReadArcExecute() {
    if (link_)
        link_->readArchive();
}

void TForm_Comm::A_CommOptionsExecute() {
    if (optionsDialog_)
        optionsDialog_->exec();
}

}  // namespace vlr::ui
