#pragma once

#include <QString>

namespace vlr::version {

// The project's version number ("1.0").
QString number();
// The commit the programs were built from; empty when the sources were not a git checkout.
QString commit();
// What a program prints on --version: its name, the product and the version, then the commit
// on a line of its own when there is one ("vlr (Velaron Link) 1.0\nCommit 0123456789ab"). The
// first line alone is what help2man reads.
QString versionText(const QString& program);

}  // namespace vlr::version
