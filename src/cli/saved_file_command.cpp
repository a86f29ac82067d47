#include "cli/saved_file_command.h"

#include "cli/cli_database.h"

#include "store/database.h"
#include "store/query.h"
#include "store/record_row.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>

#include <algorithm>
#include <vector>

namespace vlr::cli {
namespace {

struct SavedFile {
    int id = 0;
    int deviceListId = 0;
};

SavedFile savedFileOf(QSqlQuery& rows) {
    return SavedFile{rows.value(QStringLiteral("FileNameId")).toInt(),
                     rows.value(QStringLiteral("DeviceListId")).toInt()};
}

SavedFile findById(const store::Database& database, const QString& idText) {
    bool ok = false;
    const int id = idText.toInt(&ok);
    if (!ok)
        throw CommandFailure{QStringLiteral("--id needs a whole number, not '%1'").arg(idText), 2};
    store::Query find(database, store::ADOQuery_FindFile());
    QSqlQuery& rows = find.set(QStringLiteral("PFileNameId"), id).open();
    if (!rows.next() || !rows.value(QStringLiteral("FileSaved")).toBool())
        throw CommandFailure{QStringLiteral("there is no saved file with id %1").arg(id), 1};
    return savedFileOf(rows);
}

// When a file was made, as the catalog stores it: a server's driver gives a date-time, which
// would read "2025-01-01T10:00:00.000".
QString createdText(const QVariant& dataTime) {
    return dataTime.typeId() == QMetaType::QDateTime
               ? store::toStoredDateTime(store::fromStoredDateTime(dataTime))
               : dataTime.toString();
}

int recordCount(const store::Database& database, int fileNameId) {
    QSqlQuery count(database.connection());
    count.prepare(QStringLiteral("SELECT count(*) FROM Data WHERE FileNameId = ?"));
    count.addBindValue(fileNameId);
    return count.exec() && count.next() ? count.value(0).toInt() : 0;
}

// Several saved files may share a name; the oldest one is meant, as the catalog lists it first.
// Which one that is, and which others there are, goes to the error stream, so that nobody
// takes one file for all of them.
SavedFile findByName(const store::Database& database, const QString& name, const QString& command,
                     QTextStream& err) {
    const CommandFailure missing{QStringLiteral("there is no saved file named '%1'").arg(name), 1};
    if (name.size() > store::ADOQuery_FindFileId().params.first().size)
        throw missing;
    store::Query find(database, store::ADOQuery_FindFileId());
    QSqlQuery& rows =
        find.set(QStringLiteral("PFileName"), name).set(QStringLiteral("PFileSaved"), true).open();
    struct Candidate {
        SavedFile file;
        QString created;
    };
    std::vector<Candidate> candidates;
    while (rows.next())
        candidates.push_back(
            {savedFileOf(rows), createdText(rows.value(QStringLiteral("DataTime")))});
    if (candidates.empty())
        throw missing;
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        return a.created != b.created ? a.created < b.created : a.file.id < b.file.id;
    });
    if (candidates.size() > 1) {
        const auto described = [&database](const Candidate& candidate) {
            return QStringLiteral("id %1 of %2 (%3 records)")
                .arg(candidate.file.id)
                .arg(candidate.created)
                .arg(recordCount(database, candidate.file.id));
        };
        err << "vlr " << command << ": " << candidates.size() << " saved files are named '" << name
            << "'; taking the oldest, " << described(candidates.front()) << ". The others:";
        for (size_t i = 1; i < candidates.size(); ++i)
            err << (i > 1 ? ", " : " ") << described(candidates[i]);
        err << " (choose one with --id N)\n";
    }
    return candidates.front().file;
}

// The typed order as the sorted columns of the kind's grid: only the kind's own field names
// are accepted, so no typed text reaches a statement.
docs::RecordOrder recordOrderFor(const docs::DocumentKind& kind, const QString& sortText) {
    if (sortText.isNull())
        return {};
    docs::RecordOrder sorted;
    for (const QString& term : sortText.split(QLatin1Char(','))) {
        const QStringList words = term.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const bool descending =
            words.size() == 2 && words[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
        const bool ascending =
            words.size() == 2 && words[1].compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0;
        const docs::ExportColumn* column = words.isEmpty() ? nullptr : kind.column(words[0]);
        if (column == nullptr || (words.size() == 2 && !descending && !ascending) ||
            words.size() > 2) {
            QStringList fields;
            for (const docs::ExportColumn& known : kind.columns)
                fields << known.field;
            throw CommandFailure{
                QStringLiteral("cannot sort by '%1': use the fields %2, each optionally "
                               "followed by DESC")
                    .arg(term.trimmed(), fields.join(QStringLiteral(", "))),
                2};
        }
        sorted.push_back(store::SortColumn{column->field, descending});
    }
    return sorted;
}

QString outputPath(const QString& out, const QString& suffix) {
    return QFileInfo(out).suffix().isEmpty() ? out + QLatin1Char('.') + suffix : out;
}

}  // namespace

int runSavedFileCommand(const SavedFileCommand& command, const QStringList& args, CliStreams& io) {
    QCommandLineParser parser;
    const QCommandLineOption help(QStringLiteral("help"));
    const QCommandLineOption file(QStringLiteral("file"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption id(QStringLiteral("id"), QString(), QStringLiteral("N"));
    const QCommandLineOption out(QStringLiteral("out"), QString(), QStringLiteral("PATH"));
    const QCommandLineOption sort(QStringLiteral("sort"), QString(), QStringLiteral("ORDER"));
    parser.addOptions({help, file, id, out, sort});
    try {
        if (!parser.parse(QStringList{QStringLiteral("vlr ") + command.name} + args))
            throw CommandFailure{parser.errorText(), 2};
        if (parser.isSet(help)) {
            io.out << command.usage;
            return 0;
        }
        if (!parser.positionalArguments().isEmpty())
            throw CommandFailure{QStringLiteral("unexpected argument '%1'")
                                     .arg(parser.positionalArguments().first()),
                                 2};
        if (parser.isSet(file) == parser.isSet(id))
            throw CommandFailure{QStringLiteral("give either --file NAME or --id N"), 2};
        if (parser.value(out).isEmpty())
            throw CommandFailure{
                QStringLiteral("give the file to write with --out PATH.%1").arg(command.suffix), 2};

        if (toolDatabaseFileMissing())
            throw CommandFailure{QStringLiteral("there is no %1 in %2")
                                     .arg(store::Database::fileName(), QDir::currentPath()),
                                 1};
        store::Database database;
        if (const auto failure = openToolDatabase(database))
            throw CommandFailure{
                failure->userText + QStringLiteral(" (") + failure->reason + QLatin1Char(')'), 1};
        const SavedFile saved =
            parser.isSet(id) ? findById(database, parser.value(id))
                             : findByName(database, parser.value(file), command.name, io.err);
        const docs::DocumentKind* kind = docs::documentKindFor(saved.deviceListId);
        if (kind == nullptr)
            throw CommandFailure{QStringLiteral("file %1 is of the unknown instrument kind %2")
                                     .arg(saved.id)
                                     .arg(saved.deviceListId),
                                 1};
        const docs::RecordOrder order =
            recordOrderFor(*kind, parser.isSet(sort) ? parser.value(sort) : QString());
        io.out << command.write(database, saved.id, *kind, order,
                                outputPath(parser.value(out), command.suffix))
               << '\n';
        return 0;
    } catch (const CommandFailure& failure) {
        io.err << "vlr " << command.name << ": " << failure.text << '\n';
        if (failure.code == 2)
            io.err << "Run 'vlr " << command.name << " --help' for the options.\n";
        return failure.code;
    } catch (const store::StoreError& error) {
        io.err << "vlr " << command.name << ": " << error.message() << '\n';
        return 1;
    }
}

}  // namespace vlr::cli
