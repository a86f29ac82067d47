#include "docs/independent_reader.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace vlr::docs {
namespace {

QString scriptPath() {
    return QStringLiteral(VLR_TEST_SOURCE_DIR "/xlrd_roundtrip.py");
}

QString shown(const QJsonValue& value) {
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 17);
    if (value.isString())
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    return QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact));
}

// A cell beyond the end of its row is empty.
bool sameCell(const QJsonValue& a, const QJsonValue& b) {
    if ((a.isNull() || a.isUndefined()) && (b.isNull() || b.isUndefined()))
        return true;
    if (a.isDouble() && b.isDouble())
        return a.toDouble() == b.toDouble();
    return a == b;
}

}  // namespace

ReaderView readWithIndependentReaders(const QString& path) {
    ReaderView view;
    QProcess python;
    // Debian's interpreter: the one that has xlrd and olefile installed.
    python.start(QStringLiteral("/usr/bin/python3"), {scriptPath(), path});
    if (!python.waitForFinished(600000) || python.exitStatus() != QProcess::NormalExit ||
        python.exitCode() != 0) {
        view.problem = QStringLiteral("the readers failed: ") +
                       QString::fromUtf8(python.readAllStandardError()).trimmed();
        return view;
    }
    QJsonParseError error{};
    const QJsonObject result =
        QJsonDocument::fromJson(python.readAllStandardOutput(), &error).object();
    if (error.error != QJsonParseError::NoError) {
        view.problem = QStringLiteral("unreadable reader output: ") + error.errorString();
        return view;
    }
    view.problem = result.value(QStringLiteral("log")).toString().trimmed();
    for (const QJsonValue& stream : result.value(QStringLiteral("streams")).toArray())
        view.streams << stream.toString();
    view.workbookSize = result.value(QStringLiteral("workbook_size")).toInteger(-1);
    for (const QJsonValue& sheet : result.value(QStringLiteral("sheets")).toArray()) {
        view.sheetNames << sheet.toObject().value(QStringLiteral("name")).toString();
        view.sheets.append(sheet.toObject().value(QStringLiteral("rows")));
    }
    return view;
}

QString firstDifference(const QJsonArray& actualRows, const QJsonArray& expectedRows) {
    const int rows = int(std::min(actualRows.size(), expectedRows.size()));
    for (int r = 0; r < rows; ++r) {
        const QJsonArray actual = actualRows[r].toArray();
        const QJsonArray expected = expectedRows[r].toArray();
        for (int c = 0; c < std::max(actual.size(), expected.size()); ++c) {
            if (!sameCell(actual.at(c), expected.at(c)))
                return QStringLiteral("row %1, column %2: got %3, expected %4")
                    .arg(r)
                    .arg(c)
                    .arg(shown(actual.at(c)), shown(expected.at(c)));
        }
    }
    if (actualRows.size() != expectedRows.size())
        return QStringLiteral("%1 rows, expected %2")
            .arg(actualRows.size())
            .arg(expectedRows.size());
    return QString();
}

}  // namespace vlr::docs
