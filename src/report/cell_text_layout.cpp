#include "report/cell_text_layout.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>

#include <memory>

namespace vlr::report {
namespace {

// Text is measured as on a 1200 dpi device, where advances no longer depend on hinting.
constexpr double kMeasureDpi = 1200;
constexpr double kUnitsPerMeasurePixel = kUnitsPerInch / kMeasureDpi;

const QImage& measureDevice() {
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_Mono);
        const int dotsPerMeter = int(kMeasureDpi / 0.0254 + 0.5);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }();
    return device;
}

// Metrics in units; a report uses a handful of fonts, measured over and over.
class UnitMetrics {
public:
    explicit UnitMetrics(const CellFont& font) : metrics_(cellFont(font), &measureDevice()) {}
    double width(const QString& text) const {
        return metrics_.horizontalAdvance(text) * kUnitsPerMeasurePixel;
    }
    double ascent() const { return metrics_.ascent() * kUnitsPerMeasurePixel; }
    double height() const { return metrics_.height() * kUnitsPerMeasurePixel; }

private:
    QFontMetricsF metrics_;
};

const UnitMetrics& metricsFor(const CellFont& font) {
    static QHash<QString, std::shared_ptr<UnitMetrics>> cache;
    const QString key = font.family + QLatin1Char('/') + QString::number(font.pointSize) +
                        (font.bold ? QLatin1String("b") : QLatin1String(""));
    auto found = cache.find(key);
    if (found == cache.end())
        found = cache.insert(key, std::make_shared<UnitMetrics>(font));
    return **found;
}

// The longest start of a word that fits, at least one character so that the text advances.
int fittingPrefix(const UnitMetrics& metrics, const QString& word, double available) {
    int length = 1;
    while (length < word.size() && metrics.width(word.left(length + 1)) <= available)
        ++length;
    return length;
}

QStringList wrappedLines(const UnitMetrics& metrics, const QString& paragraph, double available) {
    QStringList lines;
    QString current;
    for (QString word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString candidate = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
        if (metrics.width(candidate) <= available) {
            current = candidate;
            continue;
        }
        if (!current.isEmpty())
            lines << current;
        while (word.size() > 1 && metrics.width(word) > available) {
            const int length = fittingPrefix(metrics, word, available);
            lines << word.left(length);
            word = word.mid(length);
        }
        current = word;
    }
    lines << current;
    return lines;
}

}  // namespace

QFont cellFont(const CellFont& font) {
    QFont result(font.family);
    result.setPointSizeF(font.pointSize);
    result.setBold(font.bold);
    result.setHintingPreference(QFont::PreferNoHinting);
    result.setKerning(false);
    return result;
}

QVector<CellLine> layoutCellText(const TextCell& cell, const QString& text) {
    QVector<CellLine> result;
    if (text.isEmpty())
        return result;
    const UnitMetrics& metrics = metricsFor(cell.font);
    const QRectF inner = QRectF(QPointF(0, 0), QSizeF(cell.rect.size()))
                             .adjusted(cell.padding.left(), cell.padding.top(),
                                       -cell.padding.right(), -cell.padding.bottom());
    QStringList lines;
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString& paragraph : plain.split(QLatin1Char('\n'))) {
        if (cell.wordWrap && metrics.width(paragraph) > inner.width())
            lines << wrappedLines(metrics, paragraph, inner.width());
        else
            lines << paragraph;
    }
    const double step = metrics.height() + cell.lineSpacing;
    int fitting = 1;
    while (fitting < lines.size() && (fitting + 1) * step - cell.lineSpacing <= inner.height())
        ++fitting;
    const double blockHeight = fitting * step - cell.lineSpacing;
    double top = inner.top();
    if (blockHeight < inner.height()) {
        if (cell.alignment & Qt::AlignVCenter)
            top += (inner.height() - blockHeight) / 2;
        else if (cell.alignment & Qt::AlignBottom)
            top += inner.height() - blockHeight;
    }
    for (int i = 0; i < fitting; ++i) {
        const double width = metrics.width(lines[i]);
        double x = inner.left();
        if (cell.alignment & Qt::AlignHCenter)
            x += (inner.width() - width) / 2;
        else if (cell.alignment & Qt::AlignRight)
            x += inner.width() - width;
        result.push_back(CellLine{lines[i], QPointF(x, top + i * step + metrics.ascent()), width});
    }
    return result;
}

}  // namespace vlr::report
