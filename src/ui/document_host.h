#pragma once

#include "app/settings.h"

#include <QString>

namespace vlr::store {
class Database;
}

namespace vlr::ui {

class NamePrompt;
class Prompter;

// What the main window offers its document windows: the database connection, the prompts,
// the file operations and the shared close result.
class DocumentHost {
public:
    virtual ~DocumentHost() = default;

    virtual const store::Database& database() const = 0;
    virtual Prompter& prompter() = 0;
    virtual NamePrompt& namePrompt() = 0;

    // The file's saved state; false when it cannot be read.
    virtual bool IsFileSaved(int fileNameId) = 0;
    // Asks for a name and saves an unsaved file; true only when this call saved it.
    virtual bool SaveFileAs(int fileNameId, const QString& fileName) = 0;

    // Every document window reports here how it chose to close (None: it stays open). The main
    // window's close reads it right after asking each window.
    virtual void setLastDocCloseAction(app::CloseAction action) = 0;
    // Shows the user's manual at a section ("printing"), also over a modal window.
    virtual void showHelp(const QString& section) = 0;
    // A document window has closed: "Сохранить" has nothing to act on until one is activated.
    virtual void documentClosed() = 0;
};

}  // namespace vlr::ui
