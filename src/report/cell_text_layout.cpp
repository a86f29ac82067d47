#include "report/cell_text_layout.h"

#include <QFont>
#include <QHash>

#include <memory>
#include <vector>

namespace vlr::report {
namespace {

// The font of a cell, unhinted: its glyphs are measured and painted at their design metrics.
QFont cellFont(const CellFont& font) {
    QFont result(font.family);
    result.setPointSizeF(font.pointSize);
    result.setBold(font.bold);
    result.setHintingPreference(QFont::PreferNoHinting);
    result.setKerning(false);
    return result;
}

// Glyphs are measured at a large pixel size with the font's design metrics, where advances
// grow in proportion to the size.
constexpr double kMeasurePixels = 1000;

// Widths in units, from each character's glyph advance: a report measures every text it
// prints, and shaping each one would cost more than everything else the report does. The
// report's texts need no shaping: no ligatures, no kerning.
class UnitMetrics {
public:
    explicit UnitMetrics(const CellFont& font)
        : raw_(cellRawFont(font, kMeasurePixels)),
          unitsPerPixel_(font.pointSize / 72 * kUnitsPerInch / kMeasurePixels),
          glyphs_(0x10000, 0),
          advances_(0x10000, -1) {}

    double width(const QString& text) const {
        double sum = 0;
        for (const QChar c : text)
            sum += advance(c);
        return sum;
    }
    // The glyphs of a text and where each starts along the line.
    void place(const QString& text, QVector<quint32>& glyphs, QVector<double>& offsets) const {
        glyphs.reserve(text.size());
        offsets.reserve(text.size());
        double x = 0;
        for (const QChar c : text) {
            const double step = advance(c);
            glyphs.push_back(glyphs_[c.unicode()]);
            offsets.push_back(x);
            x += step;
        }
    }
    double ascent() const { return raw_.ascent() * unitsPerPixel_; }
    double height() const { return (raw_.ascent() + raw_.descent()) * unitsPerPixel_; }

private:
    double advance(QChar c) const {
        double& known = advances_[c.unicode()];
        if (known < 0) {
            const QVector<quint32> glyph = raw_.glyphIndexesForString(QString(c));
            glyphs_[c.unicode()] = glyph.value(0);
            known = raw_.advancesForGlyphIndexes(glyph, QRawFont::UseDesignMetrics).value(0).x() *
                    unitsPerPixel_;
        }
        return known;
    }

    QRawFont raw_;
    double unitsPerPixel_;
    mutable std::vector<quint32> glyphs_;
    mutable std::vector<double> advances_;
};

const UnitMetrics& metricsFor(const CellFont& font) {
    // Kept to the end of the process: glyphs must not be released after the application's fonts.
    static auto& cache = *new QHash<QString, std::shared_ptr<UnitMetrics>>();
    // Cells of one font follow each other: the last one found is asked again first.
    static CellFont lastFont;
    static const UnitMetrics* last = nullptr;
    if (last != nullptr && lastFont.family == font.family && lastFont.pointSize == font.pointSize &&
        lastFont.bold == font.bold)
        return *last;
    const QString key = font.family + QLatin1Char('/') + QString::number(font.pointSize) +
                        (font.bold ? QLatin1String("b") : QLatin1String(""));
    auto found = cache.find(key);
    if (found == cache.end())
        found = cache.insert(key, std::make_shared<UnitMetrics>(font));
    lastFont = font;
    last = found->get();
    return *last;
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

QRawFont cellRawFont(const CellFont& font, double pixelSize) {
    QRawFont raw = QRawFont::fromFont(cellFont(font));
    raw.setPixelSize(pixelSize);
    return raw;
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
        CellLine line{lines[i], QPointF(x, top + i * step + metrics.ascent()), width, {}, {}};
        metrics.place(line.text, line.glyphs, line.offsets);
        result.push_back(line);
    }
    return result;
}

}  // namespace vlr::report
