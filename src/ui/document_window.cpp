#include "ui/document_window.h"

#include "docs/document_export.h"
#include "docs/document_records.h"
#include "docs/export_format.h"
#include "docs/file_records.h"
#include "grid/data_grid.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "ui/application_title.h"
#include "ui/busy_work.h"
#include "ui/document_host.h"
#include "ui/grid_columns.h"
#include "ui/name_prompt.h"
#include "ui/prompter.h"
#include "ui/record_rows.h"
#include "ui/report_preview.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVBoxLayout>

#include <algorithm>

namespace vlr::ui {
namespace {

const QString kKeyField = QStringLiteral("DataId");
const QString kNoteField = QStringLiteral("Comment");

docs::ColumnSort columnSort(grid::SortState state) {
    switch (state) {
        case grid::SortState::Ascending:
            return docs::ColumnSort::Ascending;
        case grid::SortState::Descending:
            return docs::ColumnSort::Descending;
        case grid::SortState::None:
            break;
    }
    return docs::ColumnSort::None;
}

QVector<int> integers(const QVariantList& values) {
    QVector<int> result;
    result.reserve(values.size());
    for (const QVariant& value : values)
        result.append(value.toInt());
    return result;
}

}  // namespace

DocumentWindow::DocumentWindow(DocumentHost& host, const docs::DocumentKind& kind, QWidget* parent)
    : QWidget(parent),
      host_(host),
      kind_(kind),
      grid_(new grid::DataGrid(this)),
      search_(store::ADOQuery_Search()) {
    resize(696, 480);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid_);

    grid_->setObjectName(kind.grid.name);
    grid_->setFont(gridFont(kind.grid));
    std::vector<grid::GridColumn> columns;
    fields_ = QStringList{kKeyField};
    for (const docs::GridColumn& column : kind.grid.columns) {
        columns.push_back(gridColumn(column));
        if (!fields_.contains(column.field))
            fields_ << column.field;
    }
    grid_->setColumns(std::move(columns));
    grid_->setKeyField(kKeyField);
    grid_->setTitleLines(kind.grid.titleLines);
    grid_->setTitleSort(grid::DataGrid::TitleSort::Several);
    grid_->setDropAcceptance([this](const QString& source) { return acceptsDrop(source); });

    connect(grid_, &grid::DataGrid::titleStateChanged, this, &DocumentWindow::ApplySortOrder);
    connect(grid_, &grid::DataGrid::rowsDropped, this,
            [this](const QString&, const QVariantList& keys) { dropRows(keys); });
    connect(grid_, &grid::DataGrid::rowDoubleClicked, this, &DocumentWindow::editCurrentNote);
    connect(grid_, &grid::DataGrid::deleteRequested, this, &DocumentWindow::deleteRows);
}

void DocumentWindow::setFile(int fileNameId, const QString& fileName) {
    fileNameId_ = fileNameId;
    fileName_ = fileName;
}

bool DocumentWindow::readRows() {
    try {
        grid_->setSource(fields_, std::make_unique<RecordRows>(std::make_unique<docs::FileRecords>(
                                      host_.database(), fileNameId_, order_, fields_)));
        rowsOpen_ = true;
    } catch (const store::StoreError&) {
        grid_->clearRows();
        rowsOpen_ = false;
    }
    return rowsOpen_;
}

bool DocumentWindow::OpenRows() {
    if (readRows())
        return true;
    host_.prompter().error(this, QStringLiteral("Ошибка доступа к файлу!"));
    return false;
}

void DocumentWindow::ReloadRows() {
    readRows();
}

void DocumentWindow::ApplySortOrder() {
    QVector<docs::ColumnSortState> states;
    for (int column = 0; column < static_cast<int>(grid_->columns().size()); ++column)
        states.append({grid_->columns()[column].field, columnSort(grid_->sortState(column))});
    order_ = docs::recordOrder(states);
    search_ = store::documentSearchStatement(store::orderByLine(order_));
    ReloadRows();
}

void DocumentWindow::PrintDocument() {
    if (rowsOpen_)
        printDocument(host_.database(), fileNameId_, kind_, order_, host_.prompter(), this,
                      platformPrintDialog(),
                      [this](const QString& section) { host_.showHelp(section); });
}

void DocumentWindow::ExportDocument() {
    if (!rowsOpen_)
        return;
    // The platform's dialog keeps its question before replacing a file.
    SaveFileRequest request{QString(), QString(), {}, true};
    for (const docs::ExportFormatInfo& format : docs::exportFormats())
        request.filters.append({format.filter, format.suffix});
    const SaveFileChoice choice = host_.prompter().saveFileName(this, request);
    if (choice.path.isEmpty())
        return;
    const docs::ExportTarget target = docs::exportTarget(
        choice.path,
        docs::exportFormats().value(choice.filter, docs::exportFormats().first()).format);
    try {
        BusyWork busy;
        docs::exportDocumentAs(target.format, host_.database(), fileNameId_, kind_, order_,
                               target.path, [&busy] { busy.turn(); });
    } catch (const store::StoreError&) {
        host_.prompter().error(this, docs::exportFailedText());
        return;
    } catch (const docs::ExportWriteError& failure) {
        host_.prompter().error(this, failure.message());
        return;
    }
    host_.prompter().tell(this, docs::exportSucceededText(target.path),
                          QStringLiteral("Экспорт в Excel"), PromptIcon::Information);
}

bool DocumentWindow::acceptsDrop(const QString& source) const {
    return rowsOpen_ && source == kind_.receiveGrid.name;
}

void DocumentWindow::dropRows(const QVariantList& receivedIds) {
    try {
        docs::copyReceivedRows(host_.database(), fileNameId_, integers(receivedIds));
    } catch (const store::StoreError& failure) {
        host_.prompter().error(
            this, QStringLiteral("Не могу добавить записи в файл!\n%1").arg(failure.message()));
    }
    ReloadRows();
    bringForward();
}

// Maximised stays maximised: only a minimised window is restored.
void DocumentWindow::bringForward() {
    auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (frame && frame->mdiArea()) {
        if (frame->isMinimized())
            frame->showNormal();
        frame->show();
        frame->mdiArea()->setActiveSubWindow(frame);
    } else {
        show();
        raise();
        activateWindow();
    }
}

void DocumentWindow::editCurrentNote() {
    if (!rowsOpen_ || grid_->rowCount() == 0)
        return;
    const int dataId = grid_->currentKey().toInt();
    QString note = grid_->currentValue(kNoteField).toString();
    for (;;) {
        const std::optional<QString> answer =
            host_.namePrompt().askName(this, QStringLiteral("Примечание"), note);
        if (!answer)
            return;
        note = *answer;
        if (docs::noteFits(note))
            break;
        // Cut short, the note would lose what the user wrote: ask again with the whole text.
        host_.prompter().error(this, docs::noteTooLongText(note));
    }
    try {
        docs::editNote(host_.database(), dataId, note);
    } catch (const store::StoreError&) {
        // The record keeps its old note, as the reload shows.
    }
    ReloadRows();
    grid_->locateKey(dataId);
}

void DocumentWindow::deleteRows(const QVariantList& dataIds) {
    if (dataIds.isEmpty())
        return;
    const QString question =
        dataIds.size() == 1 ? QStringLiteral("Удалить запись?") : QStringLiteral("Удалить строки?");
    if (host_.prompter().ask(this, {question,
                                    applicationTitle(),
                                    PromptIcon::Question,
                                    {PromptButton::Ok, PromptButton::Cancel}}) != PromptButton::Ok)
        return;
    const int current = grid_->currentRow();
    try {
        docs::deleteRecords(host_.database(), integers(dataIds));
    } catch (const store::StoreError& failure) {
        host_.prompter().error(
            this, QStringLiteral("Не могу удалить записи!\n%1").arg(failure.message()));
    }
    ReloadRows();
    // The row after the deleted ones stays in view, as after a deletion in place.
    if (grid_->rowCount() > 0)
        grid_->setCurrentRow(std::min(std::max(current, 0), grid_->rowCount() - 1));
}

bool DocumentWindow::hasRecords() const {
    // Counted in the database, not in the grid: a re-read that failed shows no rows, and the
    // file's records must still be offered for saving. When even the count fails the question
    // is asked rather than the records left unsaved unasked.
    try {
        return docs::fileHasRecords(host_.database(), fileNameId_);
    } catch (const store::StoreError&) {
        return true;
    }
}

app::CloseAction DocumentWindow::chooseCloseAction() {
    if (host_.IsFileSaved(fileNameId_))
        return app::CloseAction::Free;
    if (!hasRecords())
        return app::CloseAction::Free;
    const PromptButton answer =
        host_.prompter().ask(this, {QStringLiteral("Сохранить %1?").arg(fileName_),
                                    applicationTitle(),
                                    PromptIcon::Question,
                                    {PromptButton::Yes, PromptButton::No, PromptButton::Cancel}});
    switch (answer) {
        case PromptButton::No:
            return app::CloseAction::Free;
        case PromptButton::Yes:
            return host_.SaveFileAs(fileNameId_, fileName_) ? app::CloseAction::Free
                                                            : app::CloseAction::None;
        case PromptButton::Ok:
        case PromptButton::Cancel:
            break;
    }
    return app::CloseAction::None;
}

void DocumentWindow::closeEvent(QCloseEvent* event) {
    const app::CloseAction action = chooseCloseAction();
    if (action == app::CloseAction::None) {
        event->ignore();
    } else {
        // Whatever the action, an MDI child that lets go is closed and freed: one left
        // minimised would still hold its file.
        grid_->clearRows();
        rowsOpen_ = false;
        host_.documentClosed();
        event->accept();
    }
    host_.setLastDocCloseAction(action);
}

DocumentWindow* createDocumentWindow(DocumentHost& host, const docs::DocumentKind& kind) {
    return new DocumentWindow(host, kind);
}

QString documentCaption(const QString& fileName, const docs::DocumentKind& kind) {
    return fileName + QStringLiteral(" - ") + kind.caption;
}

}  // namespace vlr::ui
