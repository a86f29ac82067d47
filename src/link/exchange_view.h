#pragma once

#include <QString>

namespace vlr::link {

// The tabs of the receive view, one per kind of rows shown.
enum class CommTab { Osk = 0, Vtr = 1, Asphalt = 2 };

enum class MessageIcon { Error, Information };

// Where the conversation with the instrument stands.
enum class ExchangeState {
    Probing,      // looking for an instrument, port after port
    Identifying,  // 'V' sent, the identification frame awaited
    Connected,    // an instrument identified; kept alive with 'Z'
    Reading,      // an archive read running
};

// How far a read has come. While a read runs, reading is set and received counts up from 0 to
// expected; once it ends, one more report comes with reading cleared.
struct ReadProgress {
    bool reading = false;
    int received = 0;  // records received in this read, stored or not
    int expected = 0;  // records the instrument holds in all its archives
    int archive = 0;   // the archive being read: DeviceNArc of the rows being written
};

// How a read ended, or why an identified instrument cannot be read.
enum class ReadResult {
    Complete,           // every record of every archive received
    EmptyArchive,       // the instrument holds no records
    TransmissionError,  // a damaged record ended the read
    NoInstrument,       // the instrument stopped answering during the read
    UnknownInstrument,  // an instrument answered but is not in DeviceList
    UnknownFirmware,    // identified, but its firmware is newer than the program knows
    PortLost,           // the port failed or went away during the read
    DatabaseLost,       // the database server went away: no later record could be stored
};

struct ReadOutcome {
    ReadResult result = ReadResult::Complete;
    int received = 0;
    int expected = 0;
    int notStored = 0;        // records of this read the database refused; the others are stored
    QString databaseFailure;  // DatabaseLost: the server's name and the reason
};

// What the exchange needs of the receive view. The desktop window, `vlr read` and the tests
// implement it.
class ExchangeView {
public:
    virtual ~ExchangeView() = default;

    // Status bar: panel 0 progress and messages, 1 the port state, 2 the instrument's name.
    virtual void setStatusText(int panel, const QString& text) = 0;
    // Makes a tab visible with the caption; a tab once shown stays shown.
    virtual void showTab(CommTab tab, const QString& caption) = 0;
    // The commands "Считать архив" and "COM-порт".
    virtual void setReadArchiveEnabled(bool enabled) = 0;
    virtual void setCommOptionsEnabled(bool enabled) = 0;
    // The view's reload timer, running while an archive is read.
    virtual void startRefreshTimer() = 0;
    virtual void stopRefreshTimer() = 0;
    // Reloads the rows the view shows.
    virtual void RefreshCommView() = 0;
    // A modal message box; returns when the user has closed it.
    virtual void showMessage(const QString& text, const QString& caption, MessageIcon icon) = 0;

    // The values beside the texts above. They come in the middle of the exchange's steps: a
    // view that acts on the exchange in turn (starts a read) does so from the event loop.
    // Every change of state.
    virtual void setExchangeState(ExchangeState state) = 0;
    // When a read starts, after every record and when the read ends.
    virtual void setReadProgress(const ReadProgress& progress) = 0;
    // Once per read, after its last progress report; and when an identification leaves nothing
    // to read (EmptyArchive, UnknownInstrument, UnknownFirmware).
    virtual void readEnded(const ReadOutcome& outcome) = 0;
};

}  // namespace vlr::link
