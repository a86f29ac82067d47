#include "ui/file_summary_window.h"

#include "store/query.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "ui/application_title.h"
#include "ui/document_host.h"
#include "ui/prompter.h"

#include <QLabel>
#include <QVBoxLayout>

namespace vlr::ui {

FileSummaryWindow::FileSummaryWindow(DocumentHost& host, const docs::DocumentKind& kind)
    : DocumentWindow(host, kind), summary_(new QLabel) {
    summary_->setAlignment(Qt::AlignCenter);
    summary_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
}

std::optional<int> FileSummaryWindow::countRecords() const {
    try {
        store::Query search(host().database(), store::ADOQuery_Search());
        QSqlQuery& rows = search.set(QStringLiteral("PFileNameId"), FileNameId()).open();
        int count = 0;
        while (rows.next())
            ++count;
        return count;
    } catch (const store::StoreError&) {
        return std::nullopt;
    }
}

bool FileSummaryWindow::OpenRows() {
    const std::optional<int> records = countRecords();
    if (!records) {
        host().prompter().error(this, QStringLiteral("Ошибка доступа к файлу!"));
        return false;
    }
    rowsOpen_ = true;
    showCount(*records);
    return true;
}

void FileSummaryWindow::closeRows() {
    rowsOpen_ = false;
}

void FileSummaryWindow::showCount(int records) {
    summary_->setText(QStringLiteral("%1\n\nЗаписей в файле: %2").arg(kind().caption).arg(records));
}

void FileSummaryWindow::tellNotYetAvailable(const QString& command) {
    host().prompter().tell(this,
                           QStringLiteral("Команда «%1» для файлов появится вместе с таблицей "
                                          "записей в следующей версии программы.")
                               .arg(command),
                           applicationTitle(), PromptIcon::Information);
}

void FileSummaryWindow::PrintDocument() {
    tellNotYetAvailable(QStringLiteral("Печать"));
}

void FileSummaryWindow::ExportDocument() {
    tellNotYetAvailable(QStringLiteral("Экспорт в Excel"));
}

DocumentWindow* createDocumentWindow(DocumentHost& host, const docs::DocumentKind& kind) {
    return new FileSummaryWindow(host, kind);
}

}  // namespace vlr::ui
