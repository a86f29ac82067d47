#pragma once

#include <QString>

#include <memory>

namespace vlr::app {
class SettingsStore;
}

namespace vlr::ui {

class Prompter;
class TForm_Comm;
class TForm_CommOptions;
class TForm_Main;
class TForm_NewName;

// The program's long-lived windows, built in the entry sequence's order while the splash window
// shows: the main window (settings, database, clean-up, catalog), the receive view with the
// run's instrument link (which looks at the ports present from then on), the port options
// dialog and the name dialog. The desktop executable and the end-to-end tests both start the
// program through it.
class DesktopProgram {
public:
    DesktopProgram(app::SettingsStore& settings, Prompter& prompter);
    ~DesktopProgram();
    DesktopProgram(const DesktopProgram&) = delete;
    DesktopProgram& operator=(const DesktopProgram&) = delete;

    // False when the database of the working directory cannot be used: the user has been told,
    // and the program ends without running. The splash window is gone when this returns,
    // whichever step failed.
    // databaseOption: the --database of the command line, empty when absent.
    bool start(const QString& workingDirectory, const QString& databaseOption = QString());

    TForm_Main& mainWindow() const { return *mainWindow_; }
    TForm_Comm& commView() const { return *commView_; }
    TForm_CommOptions& optionsDialog() const { return *optionsDialog_; }
    TForm_NewName& nameDialog() const { return *nameDialog_; }

private:
    app::SettingsStore& settings_;
    Prompter& prompter_;
    std::unique_ptr<TForm_Main> mainWindow_;
    TForm_Comm* commView_ = nullptr;  // owned by the main window's MDI area
    std::unique_ptr<TForm_CommOptions> optionsDialog_;
    std::unique_ptr<TForm_NewName> nameDialog_;
};

}  // namespace vlr::ui
