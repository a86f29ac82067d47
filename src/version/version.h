#pragma once

#include <QString>

namespace vlr::version {

// The project's version number ("1.0").
QString number();
// The commit the programs were built from; empty when the sources were not a git checkout.
QString commit();
// The first line of a program's --version: its name, the product and the version, e.g.
// "vlr (Velaron Link) 1.0 (commit 0123456789ab)".
QString versionLine(const QString& program);

}  // namespace vlr::version
