#include "ui/report_preview.h"

#include "docs/document_report.h"
#include "report/page_painter.h"
#include "store/store_error.h"
#include "ui/busy_work.h"
#include "ui/prompter.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vlr::ui {

namespace {

constexpr int kGap = 12;  // pixels around and between the pages
constexpr int kCachedPages = 8;
constexpr int kProgressAfterMs = 500;  // shorter jobs show no progress dialog
const double kZoomSteps[] = {10, 25, 50, 75, 100, 125, 150, 200, 300, 400};

}  // namespace

// The pages one below the other, each painted into an image when it first comes into view at
// the current zoom; a few of them are kept for scrolling back.
class ReportPages : public QWidget {
public:
    ReportPages(std::shared_ptr<const report::PreparedReport> report, QWidget* parent)
        : QWidget(parent), report_(std::move(report)) {}

    // Zoom as the resolution the pages are painted at.
    void setDotsPerInch(int dotsPerInch) {
        dotsPerInch_ = std::max(dotsPerInch, 4);
        images_.clear();
        order_.clear();
        painted_ = 0;
        const QSize page = pageSize();
        resize(page.width() + 2 * kGap, report_->pageCount() * (page.height() + kGap) + kGap);
        update();
    }
    int dotsPerInch() const { return dotsPerInch_; }
    double pixelsPerUnit() const { return dotsPerInch_ / report::kUnitsPerInch; }

    QSize pageSize() const {
        const QSize units = report_->layout().page.sizeInUnits();
        return QSize(int(std::ceil(units.width() * pixelsPerUnit())),
                     int(std::ceil(units.height() * pixelsPerUnit())));
    }
    QRect pageRect(int page) const {
        const QSize size = pageSize();
        return QRect(QPoint(kGap, kGap + page * (size.height() + kGap)), size);
    }
    QRect cellRect(int page, const QRect& units) const {
        const double scale = pixelsPerUnit();
        return QRectF(units.x() * scale, units.y() * scale, units.width() * scale,
                      units.height() * scale)
            .toAlignedRect()
            .translated(pageRect(page).topLeft());
    }

    void setHighlight(const QString& text, int foundPage, const QRect& foundCell) {
        highlight_ = text;
        foundPage_ = foundPage;
        foundCell_ = foundCell;
        update();
    }
    int paintedPages() const { return painted_; }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().color(QPalette::Dark));
        const int step = pageSize().height() + kGap;
        const int first = std::max(0, (event->rect().top() - kGap) / step);
        const int last = std::min(report_->pageCount() - 1, event->rect().bottom() / step);
        for (int page = first; page <= last; ++page) {
            const QRect rect = pageRect(page);
            painter.drawImage(rect.topLeft(), pageImage(page));
            painter.setPen(Qt::black);
            painter.drawRect(rect.adjusted(-1, -1, 0, 0));
            paintMatches(painter, page);
        }
    }

private:
    const QImage& pageImage(int page) {
        auto found = images_.find(page);
        if (found != images_.end())
            return *found;
        if (order_.size() >= kCachedPages)
            images_.remove(order_.takeFirst());
        QImage image(pageSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        const int dotsPerMeter = int(std::lround(dotsPerInch_ / 0.0254));
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        report::paintPage(*report_, page, painter);
        painter.end();
        ++painted_;
        order_.append(page);
        return *images_.insert(page, image);
    }

    void paintMatches(QPainter& painter, int page) {
        if (highlight_.isEmpty())
            return;
        for (const report::PlacedText& placed : report_->pageTexts(page)) {
            if (placed.text.contains(highlight_, Qt::CaseInsensitive))
                painter.fillRect(cellRect(page, placed.rect), QColor(255, 230, 0, 90));
        }
        if (foundPage_ == page) {
            painter.setPen(QPen(QColor(230, 100, 0), 2));
            painter.drawRect(cellRect(page, foundCell_));
        }
    }

    std::shared_ptr<const report::PreparedReport> report_;
    int dotsPerInch_ = 96;
    QHash<int, QImage> images_;
    QList<int> order_;
    int painted_ = 0;
    QString highlight_;
    int foundPage_ = -1;
    QRect foundCell_;
};

namespace {

// A PDF file the print dialog names is written beside its place and put there only when it is
// complete: a job stopped or failed half-way leaves what was there before. Printers pass.
class PdfPutInPlace {
public:
    explicit PdfPutInPlace(QPrinter& printer)
        : path_(printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName()
                                                              : QString()),
          partial_(path_ + QStringLiteral(".XXXXXX")) {
        if (path_.isEmpty() || !partial_.open())
            return;
        // Readable by others as a file written in place would be, not private as a temporary.
        partial_.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                QFileDevice::ReadGroup | QFileDevice::ReadOther);
        printer.setOutputFileName(partial_.fileName());
    }
    // False when the file beside cannot be made.
    bool ready() const { return path_.isEmpty() || partial_.isOpen(); }
    // After a complete job: the file replaces the one at its place in one step.
    bool place() {
        return path_.isEmpty() || std::rename(QFile::encodeName(partial_.fileName()).constData(),
                                              QFile::encodeName(path_).constData()) == 0;
    }

private:
    QString path_;
    QTemporaryFile partial_;
};

}  // namespace

PrinterChooser platformPrintDialog() {
    return [](QPrinter& printer, int pageCount, QWidget* parent) {
        QPrintDialog dialog(&printer, parent);
        dialog.setMinMax(1, pageCount);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange);
        return dialog.exec() == QDialog::Accepted;
    };
}

ReportPreview::ReportPreview(std::shared_ptr<const report::PreparedReport> report,
                             Prompter& prompter, PrinterChooser chooser, QWidget* parent)
    : QDialog(parent),
      report_(std::move(report)),
      prompter_(prompter),
      chooser_(std::move(chooser)),
      area_(new QScrollArea(this)),
      pages_(new ReportPages(report_, area_)),
      findText_(new QLineEdit(this)),
      status_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Предварительный просмотр"));
    setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
    resize(960, 680);

    auto* tools = new QToolBar(this);
    const auto command = [this, tools](const QString& text, QKeySequence key, auto slot) {
        QAction* action = tools->addAction(text, this, slot);
        action->setShortcut(key);
        addAction(action);
        return action;
    };
    command(QStringLiteral("Страница целиком"), QKeySequence(), &ReportPreview::fitPage);
    command(QStringLiteral("По ширине"), QKeySequence(), &ReportPreview::fitWidth);
    command(QStringLiteral("Уменьшить"), QKeySequence::ZoomOut, &ReportPreview::zoomOut);
    command(QStringLiteral("Увеличить"), QKeySequence::ZoomIn, &ReportPreview::zoomIn);
    tools->addSeparator();
    command(QStringLiteral("Печать..."), QKeySequence::Print, &ReportPreview::print);
    tools->addSeparator();
    findText_->setPlaceholderText(QStringLiteral("Найти"));
    findText_->setMaximumWidth(200);
    tools->addWidget(findText_);
    command(QStringLiteral("Найти далее"), QKeySequence::FindNext, &ReportPreview::findNext);
    connect(findText_, &QLineEdit::returnPressed, this, &ReportPreview::findNext);
    auto* findField = new QAction(this);
    findField->setShortcut(QKeySequence::Find);
    connect(findField, &QAction::triggered, findText_, [this] {
        findText_->setFocus(Qt::ShortcutFocusReason);
        findText_->selectAll();
    });
    addAction(findField);
    tools->addSeparator();
    command(QStringLiteral("Справка"), QKeySequence::HelpContents, &ReportPreview::showHelp);
    command(QStringLiteral("Закрыть"), QKeySequence(Qt::Key_Escape), &QDialog::reject);

    area_->setWidget(pages_);
    area_->setAlignment(Qt::AlignHCenter);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    area_->viewport()->installEventFilter(this);
    area_->verticalScrollBar()->setSingleStep(40);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(area_, 1);
    layout->addWidget(status_);
    connect(area_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &ReportPreview::showPosition);
    applyFit();
}

ReportPreview::~ReportPreview() = default;

double ReportPreview::zoomPercent() const {
    return pages_->dotsPerInch() * 100.0 / logicalDpiX();
}

bool ReportPreview::fitsWidth() const {
    return fit_ == Fit::Width;
}

int ReportPreview::foundPage() const {
    return foundPage_;
}

QRect ReportPreview::foundCell() const {
    return foundCell_;
}

int ReportPreview::paintedPages() const {
    return pages_->paintedPages();
}

QString ReportPreview::helpSection() {
    return QStringLiteral("printing");
}

void ReportPreview::fitWidth() {
    fit_ = Fit::Width;
    applyFit();
}

void ReportPreview::fitPage() {
    fit_ = Fit::Page;
    applyFit();
}

void ReportPreview::zoomIn() {
    const double now = zoomPercent();
    for (const double step : kZoomSteps) {
        if (step > now + 0.5) {
            setZoom(step, Fit::None);
            return;
        }
    }
}

void ReportPreview::zoomOut() {
    const double now = zoomPercent();
    for (auto it = std::rbegin(kZoomSteps); it != std::rend(kZoomSteps); ++it) {
        if (*it < now - 0.5) {
            setZoom(*it, Fit::None);
            return;
        }
    }
}

void ReportPreview::setZoom(double percent, Fit fit) {
    fit_ = fit;
    // The place in the report shown at the top stays there.
    QScrollBar* bar = area_->verticalScrollBar();
    const double position = pages_->height() > 0 ? double(bar->value()) / pages_->height() : 0;
    // A fitted page is rounded down: a pixel too many would bring a useless scroll bar.
    const double dotsPerInch = percent * logicalDpiX() / 100;
    pages_->setDotsPerInch(
        int(fit == Fit::None ? std::lround(dotsPerInch) : std::floor(dotsPerInch)));
    bar->setValue(int(std::lround(position * pages_->height())));
    showPosition();
}

void ReportPreview::applyFit() {
    const QSize units = report_->layout().page.sizeInUnits();
    const QSize view = area_->viewport()->size() - QSize(2 * kGap, 2 * kGap);
    const double paperWidth = units.width() / report::kUnitsPerInch * logicalDpiX() / 100;
    const double paperHeight = units.height() / report::kUnitsPerInch * logicalDpiY() / 100;
    double percent = view.width() / paperWidth;
    if (fit_ == Fit::Page)
        percent = std::min(percent, view.height() / paperHeight);
    if (fit_ != Fit::None)
        setZoom(std::clamp(percent, kZoomSteps[0], 400.0), fit_);
}

bool ReportPreview::eventFilter(QObject* watched, QEvent* event) {
    // A fitted zoom follows the room the pages have.
    if (watched == area_->viewport() && event->type() == QEvent::Resize)
        applyFit();
    if (watched == area_->viewport() && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (wheel->angleDelta().y() > 0)
                zoomIn();
            else if (wheel->angleDelta().y() < 0)
                zoomOut();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ReportPreview::print() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageLayout(report::paperLayout(report_->layout().page));
    printer.setDocName(documentName_.isEmpty() ? windowTitle() : documentName_);
    if (!chooser_(printer, report_->pageCount(), this))
        return;
    int first = 0;
    int last = report_->pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::clamp(printer.fromPage() - 1, 0, last);
        last = std::clamp(printer.toPage() - 1, first, last);
    }
    PdfPutInPlace pdf(printer);
    if (!pdf.ready()) {
        prompter_.error(this, docs::printFailedText());
        return;
    }
    const int pages = last - first + 1;
    QProgressDialog progress(this);
    progress.setWindowTitle(QStringLiteral("Печать"));
    progress.setCancelButtonText(QStringLiteral("Отмена"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(kProgressAfterMs);
    progress.setAutoReset(false);
    progress.setRange(0, pages);
    const auto showDone = [&progress, pages](int done) {
        progress.setLabelText(QStringLiteral("Напечатано страниц: %1 из %2").arg(done).arg(pages));
        progress.setValue(done);
    };
    showDone(0);
    const report::PrintResult result =
        report::printPages(*report_, printer, first, last, [&](int done) {
            showDone(done);
            // Between pages the link's timers run on and "Отмена" is heard.
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        });
    if (result == report::PrintResult::Failed ||
        (result == report::PrintResult::Printed && !pdf.place()))
        prompter_.error(this, docs::printFailedText());
}

void ReportPreview::findNext() {
    const QString text = findText_->text().trimmed();
    if (text.isEmpty())
        return;
    const int pageCount = report_->pageCount();
    int page = std::max(foundPage_, 0);
    // A changed text is looked for from the current match on, which it may still fit; the same
    // text again moves past it.
    int from = foundPage_ < 0 ? 0 : foundIndex_ + (text == searched_ ? 1 : 0);
    searched_ = text;
    // Every page once, from the last match on, and round to it again.
    for (int visited = 0; visited <= pageCount; ++visited) {
        const QVector<report::PlacedText> texts = report_->pageTexts(page);
        for (int i = from; i < texts.size(); ++i) {
            if (texts[i].text.contains(text, Qt::CaseInsensitive)) {
                foundPage_ = page;
                foundIndex_ = i;
                foundCell_ = texts[i].rect;
                pages_->setHighlight(text, page, foundCell_);
                showFoundCell();
                return;
            }
        }
        page = (page + 1) % pageCount;
        from = 0;
    }
    foundPage_ = -1;
    pages_->setHighlight(QString(), -1, QRect());
    status_->setText(QStringLiteral("Текст \"%1\" не найден").arg(text));
}

// A match outside the view is brought to its middle, so the rows around it show too; one
// already in view stays where it is.
void ReportPreview::showFoundCell() {
    const QRect cell = pages_->cellRect(foundPage_, foundCell_);
    const QRect shown(-pages_->pos(), area_->viewport()->size());
    if (!shown.contains(cell))
        area_->ensureVisible(cell.center().x(), cell.center().y(), cell.width() / 2 + kGap,
                             area_->viewport()->height() / 2);
    showPosition();
}

// The page in the middle of the view (or the found cell's page right after a find) and the zoom.
void ReportPreview::showPosition() {
    const int step = pages_->pageSize().height() + kGap;
    const int middle = area_->verticalScrollBar()->value() + area_->viewport()->height() / 2;
    const int page = std::clamp(middle / std::max(step, 1), 0, report_->pageCount() - 1);
    status_->setText(QStringLiteral("Страница %1 из %2    Масштаб %3 %")
                         .arg(page + 1)
                         .arg(report_->pageCount())
                         .arg(std::lround(zoomPercent())));
}

void ReportPreview::showHelp() {
    emit helpRequested(helpSection());
}

void printDocument(const store::Database& database, int fileNameId, const docs::DocumentKind& kind,
                   const docs::RecordOrder& order, Prompter& prompter, QWidget* parent,
                   const PrinterChooser& chooser,
                   const std::function<void(const QString& section)>& openHelp) {
    report::Preparation prepared;
    try {
        BusyWork busy;
        prepared = docs::prepareDocumentReport(database, fileNameId, kind, order,
                                               [&busy] { busy.turn(); });
    } catch (const store::StoreError&) {
        prompter.error(parent, docs::printFailedText());
        return;
    }
    if (!prepared.succeeded()) {
        prompter.error(parent, QStringLiteral("Не могу подготовить отчёт: ") + prepared.error);
        return;
    }
    ReportPreview preview(prepared.report, prompter, chooser, parent);
    preview.setDocumentName(docs::printDocumentName(database, fileNameId));
    if (openHelp)
        QObject::connect(&preview, &ReportPreview::helpRequested, &preview, openHelp);
    preview.exec();
}

}  // namespace vlr::ui
