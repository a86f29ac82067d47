#include "ui/report_preview.h"
#include "docs/document_kind.h"
#include "store/statements.h"
#include "support/scripted_prompter.h"
#include "support/temp_database.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QScrollArea>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>

namespace vlr::ui {
namespace {

class ReportPreviewTest : public test::TempDatabaseTest {
protected:
    // A saved cover-meter file of count records, each with the note "Запись <n>".
    int fileOf(int count) {
        const int file = createFile(QStringLiteral("Плиты"), 1, true);
        QSqlQuery insert(db_.connection());
        insert.prepare(
            QStringLiteral("INSERT INTO Data (FileNameId, N, F1, Comment) VALUES (?, ?, ?, ?)"));
        for (int n = 1; n <= count; ++n) {
            insert.addBindValue(file);
            insert.addBindValue(n);
            insert.addBindValue(n * 0.5);
            insert.addBindValue(QStringLiteral("Запись %1").arg(n));
            EXPECT_TRUE(insert.exec());
        }
        return file;
    }

    static void wheel(QWidget* target, Qt::KeyboardModifiers modifiers, int delta) {
        const QPointF centre(target->width() / 2.0, target->height() / 2.0);
        QWheelEvent event(centre, target->mapToGlobal(centre), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
    }

    static QString pdfText(const QString& path) {
        QProcess process;
        process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, "-"});
        process.waitForFinished(60000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    test::ScriptedPrompter prompter_;
};

// The document window's print command end to end: the preview's commands, then printing two
// of its pages through the print seam to a PDF, then Escape.
TEST_F(ReportPreviewTest, PreviewCommandsAndPrintingChosenPages) {
    const int file = fileOf(100);
    const QString pdf = dir_.filePath(QStringLiteral("printed.pdf"));
    const PrinterChooser toPdf = [&](QPrinter& printer, int pageCount, QWidget*) {
        EXPECT_EQ(pageCount, 7);
        EXPECT_EQ(printer.docName(), QStringLiteral("Плиты"));  // the default PDF's name
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(2, 3);
        return true;
    };
    QStringList helpSections;
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<ReportPreview*>(QApplication::activeModalWidget());
        ASSERT_NE(preview, nullptr);
        driven = true;
        preview->grab();
        EXPECT_TRUE(preview->fitsWidth());
        EXPECT_GE(preview->paintedPages(), 1);
        EXPECT_LE(preview->paintedPages(), 2);  // only what is in view

        const double width = preview->zoomPercent();
        preview->fitPage();
        const double page = preview->zoomPercent();
        EXPECT_LT(page, width);
        preview->zoomIn();
        EXPECT_GT(preview->zoomPercent(), page);
        const double stepped = preview->zoomPercent();
        wheel(preview->pageArea()->viewport(), Qt::ControlModifier, 120);
        EXPECT_GT(preview->zoomPercent(), stepped);
        wheel(preview->pageArea()->viewport(), Qt::ControlModifier, -120);
        EXPECT_DOUBLE_EQ(preview->zoomPercent(), stepped);
        wheel(preview->pageArea()->viewport(), Qt::NoModifier, 120);
        EXPECT_DOUBLE_EQ(preview->zoomPercent(), stepped);
        preview->fitWidth();
        EXPECT_DOUBLE_EQ(preview->zoomPercent(), width);
        EXPECT_EQ(preview->pageArea()->horizontalScrollBar()->maximum(), 0);
        EXPECT_EQ(preview->positionLabel()->text(),
                  QStringLiteral("Страница 1 из 7    Масштаб %1 %").arg(std::lround(width)));

        // "Запись 5" is record 5 on the first page, then records 50 to 59 on the fourth.
        preview->findField()->setText(QStringLiteral("запись 5"));
        preview->findNext();
        EXPECT_EQ(preview->foundPage(), 0);
        EXPECT_EQ(preview->foundCell(), QRect(723, 25 + 64 + 60 + 4 * 40, 181, 40));
        preview->findNext();
        EXPECT_EQ(preview->foundPage(), 3);
        // The match out of view comes to the middle of it: the page shown there is its page.
        EXPECT_TRUE(
            preview->positionLabel()->text().startsWith(QStringLiteral("Страница 4 из 7 ")));
        // A changed text that the current match still fits stays on it.
        const QRect record50 = preview->foundCell();
        preview->findField()->setText(QStringLiteral("запись"));
        preview->findNext();
        EXPECT_EQ(preview->foundCell(), record50);
        preview->findNext();
        EXPECT_EQ(preview->foundCell(), record50.translated(0, 40));
        preview->findField()->setText(QStringLiteral("нет такого"));
        preview->findNext();
        EXPECT_EQ(preview->foundPage(), -1);
        EXPECT_EQ(preview->positionLabel()->text(),
                  QStringLiteral("Текст \"нет такого\" не найден"));

        preview->showHelp();
        preview->print();

        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(preview, &escape);
    });
    printDocument(db_, file, docs::oskKind(), docs::RecordOrder(), prompter_, nullptr, toPdf,
                  [&](const QString& section) { helpSections << section; });

    EXPECT_TRUE(driven);
    EXPECT_EQ(helpSections, QStringList{ReportPreview::helpSection()});
    EXPECT_TRUE(prompter_.messages.isEmpty());
    const QString printed = pdfText(pdf);
    EXPECT_EQ(printed.count(QLatin1Char('\f')), 2);
    EXPECT_TRUE(printed.contains(QStringLiteral("Стр. 2 из 7")));
    EXPECT_TRUE(printed.contains(QStringLiteral("Стр. 3 из 7")));
    EXPECT_TRUE(printed.contains(QStringLiteral("Запись 15")));
    EXPECT_FALSE(printed.contains(QStringLiteral("ОСК-К8")));
}

// Printing shows its pages done of its pages with "Отмена"; the event loop's timers run
// between the pages (such a timer presses "Отмена" here), and a stopped job leaves the PDF
// that was there as it was, with nothing half-written beside it. Printed to the end, the file
// holds the pages chosen.
TEST_F(ReportPreviewTest, PrintingShowsItsProgressAndOtmenaStopsItCleanly) {
    const int file = fileOf(599);  // 40 pages
    const QString pdf = dir_.filePath(QStringLiteral("printed.pdf"));
    QFile earlier(pdf);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier print");
    earlier.close();
    int runs = 0;
    const PrinterChooser toPdf = [&](QPrinter& printer, int pageCount, QWidget*) {
        EXPECT_EQ(pageCount, 40);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        if (++runs == 2) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(36, 40);
        }
        return true;
    };
    QStringList seen;  // the progress texts a timer saw while the pages were printed
    QTimer watcher;
    watcher.setInterval(0);
    bool driven = false;
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<ReportPreview*>(QApplication::activeModalWidget());
        ASSERT_NE(preview, nullptr);
        QObject::connect(&watcher, &QTimer::timeout, [&seen, &runs, preview] {
            auto* progress = preview->findChild<QProgressDialog*>();
            if (!progress || progress->wasCanceled())
                return;
            seen << QStringLiteral("%1: %2").arg(runs).arg(progress->labelText());
            if (runs == 1 && progress->value() >= 3)
                progress->cancel();
        });
        watcher.start();
        preview->print();
        QStringList beside = QDir(dir_.path()).entryList({QStringLiteral("printed.pdf*")});
        EXPECT_EQ(beside, QStringList{QStringLiteral("printed.pdf")});
        ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
        EXPECT_EQ(earlier.readAll(), QByteArray("earlier print"));
        earlier.close();
        preview->print();
        watcher.stop();
        driven = true;
        preview->reject();
    });
    printDocument(db_, file, docs::oskKind(), docs::RecordOrder(), prompter_, nullptr, toPdf);

    ASSERT_TRUE(driven);
    EXPECT_TRUE(prompter_.messages.isEmpty());
    EXPECT_TRUE(seen.contains(QStringLiteral("1: Напечатано страниц: 3 из 40")));
    EXPECT_FALSE(seen.contains(QStringLiteral("1: Напечатано страниц: 5 из 40")));
    EXPECT_EQ(seen.last(), QStringLiteral("2: Напечатано страниц: 5 из 5"));
    const QString printed = pdfText(pdf);
    EXPECT_EQ(printed.count(QLatin1Char('\f')), 5);
    EXPECT_TRUE(printed.contains(QStringLiteral("Стр. 40 из 40")));
}

TEST_F(ReportPreviewTest, UnreadableRowsAreReportedWithoutAPreview) {
    const int file = fileOf(1);
    const docs::RecordOrder broken{{QStringLiteral("NoSuchField"), false}};
    printDocument(db_, file, docs::oskKind(), broken, prompter_, nullptr,
                  [](QPrinter&, int, QWidget*) { return false; });
    ASSERT_EQ(prompter_.messages.size(), 1);
    EXPECT_EQ(prompter_.messages[0].text, QStringLiteral("Не могу напечатать файл!"));
    EXPECT_EQ(prompter_.messages[0].caption, QStringLiteral("Ошибка"));
    EXPECT_EQ(prompter_.messages[0].icon, PromptIcon::Error);
}

}  // namespace
}  // namespace vlr::ui
