#pragma once

#include "docs/document_kind.h"
#include "docs/file_records.h"
#include "report/prepared_report.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPrinter;
class QScrollArea;

namespace vlr::store {
class Database;
}

namespace vlr::ui {

class Prompter;
class ReportPages;

// Lets the user choose the printer, the pages and the copies of a report of pageCount pages;
// false when the user cancelled. Tests supply one that sets the printer to a PDF file.
using PrinterChooser = std::function<bool(QPrinter& printer, int pageCount, QWidget* parent)>;

// The platform's print dialog.
PrinterChooser platformPrintDialog();

// The prepared pages of a report, with the commands zoom (fit page, fit width, the steps in
// between, Ctrl+wheel), print, find, help and close (Escape too). Pages are painted only as
// they come into view, so a report of hundreds of pages opens at once.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    ReportPreview(std::shared_ptr<const report::PreparedReport> report, Prompter& prompter,
                  PrinterChooser chooser, QWidget* parent = nullptr);
    ~ReportPreview() override;

    // 100 is the paper's own size on the screen.
    double zoomPercent() const;
    bool fitsWidth() const;
    // The cell the last find stopped at: its page (from 0) and its place in units; page -1
    // when there is none.
    int foundPage() const;
    QRect foundCell() const;
    // How many pages have been painted since the preview opened or the zoom last changed.
    int paintedPages() const;
    QScrollArea* pageArea() const { return area_; }
    QLineEdit* findField() const { return findText_; }
    // "Страница N из M    Масштаб P %": the page in the middle of the view (or the last match's
    // page) and the zoom.
    QLabel* positionLabel() const { return status_; }

    // The name the print job and a PDF file are given by default (the file's name); the
    // window's title when empty.
    void setDocumentName(const QString& name) { documentName_ = name; }

    // The manual's section about printing, as helpRequested names it.
    static QString helpSection();

public slots:
    void fitWidth();
    void fitPage();
    void zoomIn();
    void zoomOut();
    void print();
    void findNext();
    void showHelp();

signals:
    void helpRequested(const QString& section);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Fit { None, Width, Page };
    void setZoom(double percent, Fit fit);
    void applyFit();
    void showFoundCell();
    void showPosition();

    std::shared_ptr<const report::PreparedReport> report_;
    Prompter& prompter_;
    PrinterChooser chooser_;
    QScrollArea* area_;
    ReportPages* pages_;
    QLineEdit* findText_;
    QLabel* status_;
    QString documentName_;
    Fit fit_ = Fit::Width;
    QString searched_;
    int foundPage_ = -1;
    int foundIndex_ = -1;
    QRect foundCell_;
};

// The print command of a document window: the file's rows read in the grid's order, the
// report prepared and shown modally in the preview.
// "Не могу напечатать файл!" when the rows cannot be read; the engine's reason when the
// preparation fails. openHelp receives the preview's help requests.
void printDocument(const store::Database& database, int fileNameId, const docs::DocumentKind& kind,
                   const docs::RecordOrder& order, Prompter& prompter, QWidget* parent,
                   const PrinterChooser& chooser = platformPrintDialog(),
                   const std::function<void(const QString& section)>& openHelp = {});

}  // namespace vlr::ui
