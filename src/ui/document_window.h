#pragma once

#include "app/settings.h"
#include "docs/document_kind.h"
#include "docs/file_records.h"
#include "store/statement.h"

#include <QVariantList>
#include <QWidget>

namespace vlr::grid {
class DataGrid;
}

namespace vlr::ui {

class DocumentHost;

// The window of one file's records, an MDI child of the main window. The three kinds of file
// share it: they differ only in their kind's table (caption, grid columns, the receive view's
// grid they take rows from). The main window sets the file (FileNameId, FileName) and the
// caption, then calls OpenRows; it dispatches "Печать" and "Экспорт в Excel" to the active one,
// enables the file commands when one becomes active, and asks each to close when the program
// ends. Every change to the records goes to the database at once; saving only names the file.
class DocumentWindow : public QWidget {
    Q_OBJECT
public:
    DocumentWindow(DocumentHost& host, const docs::DocumentKind& kind, QWidget* parent = nullptr);

    int FileNameId() const { return fileNameId_; }
    const QString& FileName() const { return fileName_; }
    // Set once by the creator, before OpenRows.
    void setFile(int fileNameId, const QString& fileName);
    const docs::DocumentKind& kind() const { return kind_; }

    // Opens the file's rows. On failure the window has told the user ("Ошибка доступа к
    // файлу!") and returns false; the creator then destroys it.
    bool OpenRows();
    // Reads the rows again, the first one current; a failure leaves the rows closed and the
    // grid empty, without a message.
    void ReloadRows();
    // Orders the rows by the title sort states, in column order, and reads them again.
    void ApplySortOrder();
    // Shows the rows' report, in the grid's order, in the modal preview to print from.
    void PrintDocument();
    // Writes the rows, in the grid's order, to a workbook the user names: .xls or .xlsx, as
    // the chosen filter or the typed suffix says.
    void ExportDocument();

    grid::DataGrid& grid() const { return *grid_; }
    // The order of the rows as the grid, the report and the export show them, and the search
    // statement of that order.
    const docs::RecordOrder& recordOrder() const { return order_; }
    const store::Statement& searchStatement() const { return search_; }
    bool rowsOpen() const { return rowsOpen_; }
    // Shows the window and makes it the active one, leaving it maximised or normal as it is.
    void bringForward();

protected:
    // A saved file, or an unsaved one without records, closes without a question; an unsaved
    // file with records asks "Сохранить NAME?" (Yes saves through the name dialog and stays
    // open when that does not happen, No closes, Cancel stays open). The records are counted
    // in the database, so the question comes also when the rows could not be read again. The chosen
    // action goes to the main window's LastDocCloseAction.
    void closeEvent(QCloseEvent* event) override;

private:
    bool readRows();
    bool acceptsDrop(const QString& source) const;
    void dropRows(const QVariantList& receivedIds);
    void editCurrentNote();
    void deleteRows(const QVariantList& dataIds);
    bool hasRecords() const;
    app::CloseAction chooseCloseAction();

    DocumentHost& host_;
    const docs::DocumentKind& kind_;
    grid::DataGrid* grid_;
    QStringList fields_;  // read for the grid: the record key and the columns' fields
    int fileNameId_ = 0;
    QString fileName_;
    docs::RecordOrder order_;
    store::Statement search_;
    bool rowsOpen_ = false;
};

// The window of a kind, not yet showing a file.
DocumentWindow* createDocumentWindow(DocumentHost& host, const docs::DocumentKind& kind);

// The caption of a file's window: its name, then " - " and the kind's caption.
QString documentCaption(const QString& fileName, const docs::DocumentKind& kind);

}  // namespace vlr::ui
