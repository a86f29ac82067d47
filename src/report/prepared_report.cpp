#include "report/prepared_report.h"

#include <QRegularExpression>

#include <exception>
#include <stdexcept>

namespace vlr::report {

// Thrown inside preparation only; prepareReport turns it into a failed Preparation.
class LayoutFault : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ReportPreparer {
public:
    ReportPreparer(const ReportLayout& layout, RowSource& rows)
        : report_(std::make_shared<PreparedReport>()), rows_(rows) {
        report_->layout_ = layout;
    }

    std::shared_ptr<const PreparedReport> prepare() {
        compileTexts();
        placeBands();
        return report_;
    }

private:
    using TextPart = PreparedReport::TextPart;

    static LayoutFault fault(const QString& text) { return LayoutFault(text.toStdString()); }

    void compileTexts() {
        static const QRegularExpression reference(
            QStringLiteral(R"re(\[(PAGE#|TOTALPAGES)\]|\[([^\[\]"]+)\."([^"]+)"\])re"));
        const ReportLayout& layout = report_->layout_;
        for (const Band& band : layout.bands) {
            QVector<QVector<TextPart>> cells;
            for (const TextCell& cell : band.cells) {
                QVector<TextPart> parts;
                int from = 0;
                for (auto match = reference.globalMatch(cell.text); match.hasNext();) {
                    const QRegularExpressionMatch found = match.next();
                    if (found.capturedStart() > from)
                        parts.push_back(
                            {TextPart::Literal, cell.text.mid(from, found.capturedStart() - from)});
                    from = found.capturedEnd();
                    if (found.captured(1) == QLatin1String("PAGE#"))
                        parts.push_back({TextPart::PageNumber, {}});
                    else if (found.captured(1) == QLatin1String("TOTALPAGES"))
                        parts.push_back({TextPart::TotalPages, {}});
                    else
                        parts.push_back(fieldPart(band, found.captured(2), found.captured(3)));
                }
                if (from < cell.text.size())
                    parts.push_back({TextPart::Literal, cell.text.mid(from)});
                cells.push_back(parts);
            }
            report_->parts_.push_back(cells);
        }
    }

    TextPart fieldPart(const Band& band, const QString& dataSet, const QString& field) {
        const QString name = dataSet + QStringLiteral(".\"") + field + QLatin1Char('"');
        if (band.kind != BandKind::MasterData)
            throw fault(QStringLiteral("the field %1 is outside the master data band").arg(name));
        if (dataSet != report_->layout_.dataSet)
            throw fault(QStringLiteral("the field %1 is not of the bound rows %2")
                            .arg(name, report_->layout_.dataSet));
        const int index = rows_.fieldIndex(field);
        if (index < 0)
            throw fault(QStringLiteral("the rows have no field %1").arg(field));
        TextPart part{TextPart::Field, {}};
        part.field = index;
        part.slot = report_->slotsPerRow_++;
        return part;
    }

    int bandIndex(BandKind kind) const {
        const QVector<Band>& bands = report_->layout_.bands;
        for (int i = 0; i < bands.size(); ++i) {
            if (bands[i].kind == kind)
                return i;
        }
        return -1;
    }
    int heightOf(int band) const { return band < 0 ? 0 : report_->layout_.bands[band].height; }

    void place(int band, int row) {
        if (band < 0)
            return;
        report_->pages_.back().push_back(PlacedBand{band, top_, row});
        top_ += heightOf(band);
    }

    void startPage(bool first) {
        report_->pages_.push_back({});
        top_ = report_->layout_.page.margins.top();
        if (first)
            place(bandIndex(BandKind::ReportTitle), -1);
        place(bandIndex(BandKind::PageHeader), -1);
    }

    void endPage(int footer, int footerTop) {
        top_ = footerTop;
        place(footer, -1);
    }

    void keepFieldTexts(int dataBand) {
        const Band& band = report_->layout_.bands[dataBand];
        const auto& cells = report_->parts_[dataBand];
        for (int c = 0; c < cells.size(); ++c) {
            for (const TextPart& part : cells[c]) {
                if (part.kind != TextPart::Field)
                    continue;
                const QVariant value = rows_.value(part.field);
                const ValueFormat& format = band.cells[c].format;
                report_->fieldTexts_.push_back(format ? format(value) : value.toString());
            }
        }
    }

    void placeBands() {
        const ReportLayout& layout = report_->layout_;
        const int pageHeight = layout.page.sizeInUnits().height();
        const int footer = bandIndex(BandKind::PageFooter);
        const int footerTop = pageHeight - layout.page.margins.bottom() - heightOf(footer);
        const int data = bandIndex(BandKind::MasterData);

        startPage(true);
        if (top_ > footerTop)
            throw fault(QStringLiteral("the title and page bands are taller than the page"));
        if (data >= 0) {
            const int rowHeight = heightOf(data);
            if (layout.page.margins.top() + heightOf(bandIndex(BandKind::PageHeader)) + rowHeight >
                footerTop)
                throw fault(QStringLiteral("the master data band is taller than a page"));
            while (rows_.next()) {
                if (top_ + rowHeight > footerTop) {
                    endPage(footer, footerTop);
                    startPage(false);
                }
                keepFieldTexts(data);
                place(data, report_->rowCount_++);
            }
        }
        endPage(footer, footerTop);
    }

    std::shared_ptr<PreparedReport> report_;
    RowSource& rows_;
    int top_ = 0;
};

QString PreparedReport::cellText(int page, const PlacedBand& band, int cell) const {
    QString text;
    for (const TextPart& part : parts_[band.band][cell]) {
        switch (part.kind) {
            case TextPart::Literal:
                text += part.literal;
                break;
            case TextPart::Field:
                text += fieldTexts_[band.row * slotsPerRow_ + part.slot];
                break;
            case TextPart::PageNumber:
                text += QString::number(page + 1);
                break;
            case TextPart::TotalPages:
                text += QString::number(pageCount());
                break;
        }
    }
    return text;
}

QVector<PlacedText> PreparedReport::pageTexts(int page) const {
    QVector<PlacedText> texts;
    for (const PlacedBand& placed : pages_[page]) {
        const QVector<TextCell>& cells = layout_.bands[placed.band].cells;
        for (int c = 0; c < cells.size(); ++c) {
            texts.push_back(PlacedText{cells[c].rect.translated(0, placed.top),
                                       cellText(page, placed, c), &cells[c]});
        }
    }
    return texts;
}

Preparation prepareReport(const ReportLayout& layout, RowSource& rows) {
    try {
        return Preparation{ReportPreparer(layout, rows).prepare(), QString()};
    } catch (const std::exception& error) {
        return Preparation{nullptr, QString::fromStdString(error.what())};
    }
}

}  // namespace vlr::report
