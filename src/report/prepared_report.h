#pragma once

#include "report/report_layout.h"
#include "report/row_source.h"

#include <memory>

namespace vlr::report {

// A band as it sits on a prepared page.
struct PlacedBand {
    int band;  // index into the layout's bands
    int top;   // units from the paper's top edge
    int row;   // the data row a master data band shows; -1 for the other bands
};

// A cell's text at its place on the paper, as it prints.
struct PlacedText {
    QRect rect;  // units from the paper's top-left corner
    QString text;
    const TextCell* cell;
};

// The pages of a report laid out over its rows, ready to be painted. The texts of the rows
// are kept, so the row set may be closed once preparation is over.
class PreparedReport {
public:
    const ReportLayout& layout() const { return layout_; }
    int pageCount() const { return int(pages_.size()); }
    const QVector<PlacedBand>& bands(int page) const { return pages_[page]; }

    // A cell of a placed band with its fields and page tokens filled in.
    QString cellText(int page, const PlacedBand& band, int cell) const;
    // Every cell of a page in the order it is painted.
    QVector<PlacedText> pageTexts(int page) const;

private:
    friend class ReportPreparer;

    struct TextPart {
        enum Kind { Literal, Field, PageNumber, TotalPages } kind;
        QString literal;
        int field = -1;  // the row source's field
        int slot = -1;   // where the row's text of this field is kept
    };

    ReportLayout layout_;
    QVector<QVector<QVector<TextPart>>> parts_;  // per band, per cell
    QVector<QVector<PlacedBand>> pages_;
    QVector<QString> fieldTexts_;  // slotsPerRow_ texts per row
    int slotsPerRow_ = 0;
    int rowCount_ = 0;
};

// The outcome of preparing a report: the pages, or why there are none.
struct Preparation {
    std::shared_ptr<const PreparedReport> report;
    QString error;

    bool succeeded() const { return report != nullptr; }
};

// Lays out the report over the rows in two passes: the first walks the rows and places the
// bands, counting the pages; the second fills the page tokens once the total is known (as the
// pages are painted). Fails for a field the rows do not have, a field reference outside the
// master data band, a band taller than a page, or rows that fail while they are read.
Preparation prepareReport(const ReportLayout& layout, RowSource& rows);

}  // namespace vlr::report
