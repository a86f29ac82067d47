#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>

#include <gtest/gtest.h>

namespace vlr::test {

// The rows of a workbook's first sheet as python3-xlrd reads them, through the export tests'
// reader script: a reader that shares no code with the writer.
inline QJsonArray firstSheetRows(const QString& path) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(VLR_TEST_SOURCE_DIR "/../docs/xlrd_roundtrip.py"), path});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        ADD_FAILURE() << python.readAllStandardError().toStdString();
        return {};
    }
    const QJsonObject read = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    return read[QStringLiteral("sheets")][0][QStringLiteral("rows")].toArray();
}

}  // namespace vlr::test
