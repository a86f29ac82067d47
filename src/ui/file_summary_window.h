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
    bool rowsOpen() const override { return rowsOpen_; }
    // Counted anew: records may have been added since the window showed its count.
    bool hasRows() const override { return countRecords().value_or(0) > 0; }
    void closeRows() override;

private:
    std::optional<int> countRecords() const;
    void showCount(int records);
    void tellNotYetAvailable(const QString& command);

    QLabel* summary_;
    bool rowsOpen_ = false;
};

}  // namespace vlr::ui
