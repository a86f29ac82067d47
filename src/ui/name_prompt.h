#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace vlr::ui {

// Asks the user for a text (a file's name, a record's note) in the name dialog. The windows ask
// through this, so that window tests give the answer themselves.
class NamePrompt {
public:
    virtual ~NamePrompt() = default;
    // The confirmed text, possibly empty; nothing when the user cancelled.
    virtual std::optional<QString> askName(QWidget* parent, const QString& caption,
                                           const QString& text) = 0;
};

}  // namespace vlr::ui
