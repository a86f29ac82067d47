#pragma once

#include "ui/document_window.h"

#include <optional>

class QLabel;

namespace vlr::ui {

// The document window of every kind until the record grid arrives: it reads the file's records
// through the kind's search statement, shows how many there are, and takes part in the close
// protocol with them.
class FileSummaryWindow : public DocumentWindow {
    Q_OBJECT
public:
    FileSummaryWindow(DocumentHost& host, const docs::DocumentKind& kind);

    bool OpenRows() override;
    void PrintDocument() override;
    void ExportDocument() override;

protected:
    bool rowsOpen() const override { return recordCount_.has_value(); }
    bool hasRows() const override { return recordCount_.value_or(0) > 0; }
    void closeRows() override;

private:
    std::optional<int> countRecords() const;
    void showCount();
    void tellNotYetAvailable(const QString& command);

    QLabel* summary_;
    std::optional<int> recordCount_;
};

}  // namespace vlr::ui
