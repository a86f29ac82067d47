// Start-up to the shown main window, with a catalog of 200 saved files and sixteen present
// ports.
#include "app/settings_store.h"
#include "link/com_port_names.h"
#include "link/link_session.h"
#include "store/database.h"
#include "store/store_error.h"
#include "ui/comm_view.h"
#include "ui/desktop_program.h"
#include "ui/main_window.h"
#include "ui/prompter.h"

#include "qt_benchmark_main.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <memory>
#include <stdexcept>

namespace {

constexpr int kSavedFiles = 200;

// Sixteen pseudo-terminals standing in for COM1..COM16.
class PseudoTerminals {
public:
    PseudoTerminals() {
        for (int i = 0; i < vlr::link::kComPortCount; ++i) {
            const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
            if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
                throw std::runtime_error("cannot open a pseudo-terminal");
            masters_[i] = master;
            table_[i] = QString::fromLocal8Bit(::ptsname(master));
        }
    }
    ~PseudoTerminals() {
        for (const int master : masters_)
            ::close(master);
    }
    const vlr::link::ComPortTable& table() const { return table_; }

private:
    std::array<int, vlr::link::kComPortCount> masters_{};
    vlr::link::ComPortTable table_;
};

// Answers nothing: the start-up shows no message when all goes well.
class SilentPrompter : public vlr::ui::Prompter {
public:
    vlr::ui::PromptButton ask(QWidget*, const vlr::ui::PromptMessage& message) override {
        throw std::runtime_error("unexpected message: " + message.text.toStdString());
    }
    vlr::ui::SaveFileChoice saveFileName(QWidget*, const vlr::ui::SaveFileRequest&) override {
        return {};
    }
};

void fillCatalog(const QString& folder) {
    vlr::store::Database db;
    db.open(folder + QStringLiteral("/VelaronLink.mdb"));
    QSqlQuery query(db.connection());
    if (!query.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                                   "FROM n WHERE i < %1) INSERT INTO Catalog (FileName, "
                                   "FileSaved, DeviceListId) SELECT 'Протокол ' || i, 1, 2 FROM n")
                        .arg(kSavedFiles)))
        throw vlr::store::StoreError(QStringLiteral("cannot fill the catalog"));
}

// The whole entry sequence as the desktop executable runs it: splash, main window with its
// database and catalog, receive view with its link and its first look at COM1..COM16 (sixteen
// pseudo-terminals, named to the program as VLR_COM1..VLR_COM16), options dialog, name dialog, and
// the main window shown.
void BM_StartupToShownMainWindow(benchmark::State& state) {
    QTemporaryDir work;
    QTemporaryDir config;
    fillCatalog(work.path());
    PseudoTerminals ports;
    for (int i = 0; i < vlr::link::kComPortCount; ++i)
        qputenv(QStringLiteral("VLR_COM%1").arg(i + 1).toLatin1().constData(),
                QFile::encodeName(ports.table()[static_cast<size_t>(i)]));
    SilentPrompter prompter;
    int present = 0;
    for (auto _ : state) {
        vlr::app::SettingsStore settings(std::make_unique<QSettings>(
            config.filePath(QStringLiteral("vlr.ini")), QSettings::IniFormat));
        QElapsedTimer timer;
        timer.start();
        {
            vlr::ui::DesktopProgram program(settings, prompter);
            if (!program.start(work.path()))
                throw std::runtime_error("the database cannot be opened");
            program.mainWindow().show();
            QApplication::processEvents();
            state.SetIterationTime(timer.nsecsElapsed() / 1e9);
            const vlr::link::PresentPorts& probed =
                program.commView().linkSession()->exchange().PresentPorts();
            present = static_cast<int>(std::count(probed.begin(), probed.end(), true));
        }
    }
    state.counters["ports_present"] = present;
}
BENCHMARK(BM_StartupToShownMainWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return vlr::bench::runQtBenchmarks(argc, argv, vlr::bench::QtNeeds::Widgets);
}
