#include "version/version.h"

// Only this file sees the generated header, so a new commit recompiles one file.
#include "build_info.h"

namespace vlr::version {

QString number() {
    return QStringLiteral(VLR_VERSION_NUMBER);
}

QString commit() {
    return QStringLiteral(VLR_COMMIT);
}

QString versionLine(const QString& program) {
    QString line = QStringLiteral("%1 (Velaron Link) %2").arg(program, number());
    if (!commit().isEmpty())
        line += QStringLiteral(" (commit %1)").arg(commit());
    return line;
}

}  // namespace vlr::version
