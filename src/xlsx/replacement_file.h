#pragma once

#include <QByteArray>
#include <QString>

namespace vlr::xlsx {

// A new file written beside a target, which takes the target's place only once it is
// complete: a failure at any point leaves the target as it was and no partial file behind.
class ReplacementFile {
public:
    // Reserves a new, empty file of an unused name in the target's folder. Throws XlsxError
    // with the system's reason when it cannot (no such folder, no permission, a read-only
    // target, a folder in the target's place).
    explicit ReplacementFile(const QString& target);
    // Removes the new file unless it was committed.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Where the new file is written, in the system's encoding of file names.
    const QByteArray& path() const { return path_; }

    // Waits until the new file is on the disk, then renames it over the target in one step.
    // Throws XlsxError when that fails; the new file is removed then.
    void commit();

private:
    QByteArray target_;
    QByteArray path_;
    bool committed_ = false;
};

}  // namespace vlr::xlsx
