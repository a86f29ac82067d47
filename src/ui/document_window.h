#pragma once

#include "app/settings.h"
#include "docs/document_kind.h"

#include <QWidget>

namespace vlr::ui {

class DocumentHost;

// A window showing the records of one file, as an MDI child of the main window. The main window
// sets the file (FileNameId, FileName), then calls OpenRows; it dispatches "Печать" and
// "Экспорт в Excel" to the active one, enables the file commands when one becomes active, and
// asks each to close when the program ends. The close protocol lives here; a kind's window
// supplies its row set.
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
    virtual bool OpenRows() = 0;
    virtual void PrintDocument() = 0;
    virtual void ExportDocument() = 0;

protected:
    // The row set as the close protocol sees it.
    virtual bool rowsOpen() const = 0;
    virtual bool hasRows() const = 0;
    virtual void closeRows() = 0;

    DocumentHost& host() const { return host_; }

    // A saved file, or an unsaved one without records, closes without a question; an unsaved
    // file with records asks "Сохранить NAME?" (Yes saves through the name dialog and stays
    // open when that does not happen, No closes, Cancel stays open). The chosen action goes to
    // the main window's LastDocCloseAction.
    void closeEvent(QCloseEvent* event) override;

private:
    app::CloseAction chooseCloseAction();

    DocumentHost& host_;
    const docs::DocumentKind& kind_;
    int fileNameId_ = 0;
    QString fileName_;
};

// The window of a kind, not yet showing a file.
DocumentWindow* createDocumentWindow(DocumentHost& host, const docs::DocumentKind& kind);

// The caption of a file's window: its name, then " - " and the kind's caption.
QString documentCaption(const QString& fileName, const docs::DocumentKind& kind);

}  // namespace vlr::ui
