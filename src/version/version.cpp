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

QString versionText(const QString& program) {
    QString text = QStringLiteral("%1 (Velaron Link) %2").arg(program, number());
    if (!commit().isEmpty())
        text += QStringLiteral("\nCommit %1").arg(commit());
    return text;
}

}  // namespace vlr::version
