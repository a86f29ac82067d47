#include "store/statements.h"

#include "store/record_row.h"
#include "store/sqlite_library.h"
#include "store/text_collation.h"

#include <QRegularExpression>

#include <stdexcept>

namespace vlr::store {
namespace {

QString lines(std::initializer_list<const char*> parts) {
    QStringList result;
    for (const char* part : parts)
        result << QString::fromUtf8(part);
    return result.join(QLatin1Char('\n'));
}

ParamDecl param(const char* name, ParamType type, QVariant defaultValue = QVariant(),
                int size = 0) {
    return ParamDecl{QString::fromLatin1(name), type, size, std::move(defaultValue)};
}
ParamDecl textParam(const char* name, int size, QVariant defaultValue = QVariant()) {
    return ParamDecl{QString::fromLatin1(name), ParamType::Text, size, std::move(defaultValue)};
}

// The running station: Query gives it the database's station unless a caller sets another.
ParamDecl stationParam() {
    return ParamDecl{stationParameterName(), ParamType::Text, 50, QVariant()};
}

Statement command(const char* name, QVector<ParamDecl> params, QString text) {
    return Statement{QString::fromLatin1(name), std::move(params), std::move(text), false};
}
Statement rowSet(const char* name, QVector<ParamDecl> params, QString text) {
    return Statement{QString::fromLatin1(name), std::move(params), std::move(text), true};
}

// The copied fields as an insert's column list; DateTime is bracketed as in the original texts.
QString insertFieldList() {
    QStringList fields = recordRowCopiedFields();
    fields.replaceInStrings(QRegularExpression(QStringLiteral("^DateTime$")),
                            QStringLiteral("[DateTime]"));
    return fields.join(QStringLiteral(", "));
}

// One term of an order. Texts sort in the one text order; without its collation on the
// connection (a driver on a SQLite library of its own) they sort by their bytes.
QString orderTerm(const QString& field, bool descending = false) {
    QString term = field;
    if (sortsAsText(field) && driverSharesSqliteLibrary())
        term += QStringLiteral(" COLLATE ") + QLatin1String(kTextCollation);
    if (descending)
        term += QStringLiteral(" DESC");
    return term;
}

// Rows equal in every sorted column follow their key, so that every reader of one order
// shows them alike.
QString orderLine(QStringList terms, const QString& key) {
    terms << key;
    return QStringLiteral("order by ") + terms.join(QStringLiteral(", ")) + QLatin1Char(';');
}

QString defaultOrderBy(const QString& key) {
    return orderLine({orderTerm(QStringLiteral("N")), orderTerm(QStringLiteral("DateTime"))}, key);
}

}  // namespace

const Statement& ADOQuery_CommDeleteAll() {
    static const Statement s =
        command("ADOQuery_CommDeleteAll", {stationParam()},
                lines({"delete from Data_Comm", "where (Station=:PStation or Station is null);"}));
    return s;
}

const Statement& ADOQuery_TempDeleteData() {
    static const Statement s =
        command("ADOQuery_TempDeleteData", {stationParam()},
                lines({"DELETE", "FROM Data",
                       "WHERE FileNameId IN (select FileNameId from [Catalog] where FileSaved=0",
                       "  and (Station=:PStation or Station is null));"}));
    return s;
}

const Statement& ADOQuery_TempDelete() {
    static const Statement s =
        command("ADOQuery_TempDelete", {stationParam()},
                lines({"delete from [Catalog]",
                       "where FileSaved=0 and (Station=:PStation or Station is null);"}));
    return s;
}

const Statement& ADOQuery_CreateFile() {
    static const Statement s =
        command("ADOQuery_CreateFile",
                {textParam("PFileName", 50, QString()), param("PDeviceListId", ParamType::Long),
                 param("PFileSaved", ParamType::Bit, false), stationParam()},
                lines({"Insert into [Catalog] (FileName, DeviceListId, FileSaved, Station)",
                       "values (:PFileName, :PDeviceListId, :PFileSaved, :PStation);"}));
    return s;
}

const Statement& ADOQuery_FindFileId() {
    static const Statement s =
        rowSet("ADOQuery_FindFileId",
               {textParam("PFileName", 50, QString()), param("PFileSaved", ParamType::Bit, true)},
               lines({"Select *", "From [Catalog]",
                      "Where FileName=:PFileName and FileSaved=:PFileSaved"}));
    return s;
}

const Statement& ADOQuery_FindFile() {
    static const Statement s =
        rowSet("ADOQuery_FindFile", {param("PFileNameId", ParamType::Long, 0)},
               lines({"select *", "from [Catalog]", "where FileNameId=:PFileNameId;"}));
    return s;
}

const Statement& ADOQuery_SaveFile() {
    static const Statement s = command(
        "ADOQuery_SaveFile",
        {param("PFileNameId", ParamType::Long, 0), textParam("PFileName", 50, QString()),
         stationParam()},
        lines({"update [Catalog]", "set FileName=:PFileName, FileSaved=1, Station=:PStation",
               "where FileNameId=:PFileNameId;"}));
    return s;
}

const Statement& ADOQuery_DeleteData() {
    static const Statement s =
        command("ADOQuery_DeleteData", {param("PFileNameId", ParamType::Long, 0)},
                lines({"delete", "from [Data]", "where FileNameId=:PFileNameId;"}));
    return s;
}

const Statement& ADOQuery_DeleteFile() {
    static const Statement s =
        command("ADOQuery_DeleteFile", {param("PFileNameId", ParamType::Long, 0)},
                lines({"delete", "from [Catalog]", "where FileNameId=:PFileNameId;"}));
    return s;
}

const Statement& ADOQuery_CatalogSearch() {
    // Saved files by name; files of one name oldest first (ids break ties within one second).
    static const Statement s = rowSet(
        "ADOQuery_CatalogSearch", {},
        lines({"select *", "from [Catalog]", "where FileSaved=1"}) + QLatin1Char('\n') +
            orderLine(
                {orderTerm(QStringLiteral("FileName")), orderTerm(QStringLiteral("DataTime"))},
                QStringLiteral("FileNameId")));
    return s;
}

namespace {

// The start of a copy of received rows into a file: every field of the record row but Comment.
// F1..F10 are singles in Data_Comm: a received 5204.7 is held as 5204.7002, and rounding that to
// Data's 5 decimals would keep the noise. single_decimal gives the decimal the single stands for
// (5204.7); Data's triggers then round to 5 decimals. Where the engine has no such function the
// text is adapted (engineText).
QString copyIntoFile() {
    QStringList selected;
    for (const QString& field : recordRowCopiedFields()) {
        const QString column = QStringLiteral("Data_Comm.") + field;
        selected << (field.startsWith(QLatin1Char('F'))
                         ? QStringLiteral("single_decimal(%1)").arg(column)
                         : column);
    }
    selected << QStringLiteral(":PFileNameId");
    return QStringLiteral("INSERT INTO Data ( ") + insertFieldList() +
           QStringLiteral(", FileNameId )\n") + QStringLiteral("SELECT ") +
           selected.join(QStringLiteral(", ")) + QStringLiteral("\nFROM Data_Comm");
}

}  // namespace

const Statement& ADOQuery_CopyRec() {
    static const Statement s =
        command("ADOQuery_CopyRec",
                {param("PDataId", ParamType::Long), param("PFileNameId", ParamType::Long)},
                copyIntoFile() + QStringLiteral("\nWHERE Data_Comm.DataId=:PDataId;"));
    return s;
}

const Statement& ServerCopyReceivedRows() {
    // The ids as one array in the order given, duplicates kept: the rows are numbered in it.
    static const Statement s = command(
        "ServerCopyReceivedRows", {textParam("PDataIds", 0), param("PFileNameId", ParamType::Long)},
        copyIntoFile() +
            QStringLiteral("\nJOIN unnest(CAST(:PDataIds AS integer[])) WITH ORDINALITY AS "
                           "Dropped (DataId, Place) ON Data_Comm.DataId = Dropped.DataId\n"
                           "ORDER BY Dropped.Place;"));
    return s;
}

const Statement& ADOQuery_CommSearch() {
    static const Statement s =
        rowSet("ADOQuery_CommSearch",
               {param("PDeviceListId", ParamType::Long, 0),
                param("PDeviceNArc", ParamType::Long, 0), stationParam()},
               lines({"select *", "from Data_Comm",
                      "where (Data_Comm.DeviceListId=:PDeviceListId) and "
                      "(Data_Comm.DeviceNArc=:PDeviceNArc) and "
                      "(Data_Comm.Station=:PStation or Data_Comm.Station is null)"}) +
                   QLatin1Char('\n') + defaultOrderBy(QStringLiteral("DataId")));
    return s;
}

const Statement& ADOQuery_SearchDev() {
    static const Statement s =
        rowSet("ADOQuery_SearchDev",
               {param("PDevType", ParamType::Short, 0), param("PDevSubType", ParamType::Short, 0)},
               lines({"", "select *", "from DeviceList",
                      "where ((DeviceType=:PDevType) and (DeviceSubType=:PDevSubType));"}));
    return s;
}

const Statement& ADOQuery_CommDelete() {
    static const Statement s = command(
        "ADOQuery_CommDelete", {param("PDeviceListId", ParamType::Long), stationParam()},
        lines({"", "delete from Data_Comm",
               "where DeviceListId=:PDeviceListId and (Station=:PStation or Station is null);"}));
    return s;
}

const Statement& ADOQuery_CommAdd() {
    static const Statement s = [] {
        QVector<ParamDecl> params{param("PN", ParamType::Long),
                                  param("PDateTime", ParamType::DateTime),
                                  param("PDeviceListId", ParamType::Long)};
        for (int i = 1; i <= 10; ++i)
            params << ParamDecl{QStringLiteral("PF%1").arg(i), ParamType::IEEESingle, 0,
                                QVariant()};
        for (int i = 1; i <= 10; ++i)
            params << ParamDecl{QStringLiteral("PT%1").arg(i), ParamType::Text, 50, QVariant()};
        for (int i = 1; i <= 10; ++i)
            params << ParamDecl{QStringLiteral("PB%1").arg(i), ParamType::Bit, 0, QVariant()};
        params << textParam("PComment", 100) << param("PDeviceNArc", ParamType::Long, 0)
               << stationParam();

        QStringList columns{QStringLiteral("N"), QStringLiteral("[DateTime]"),
                            QStringLiteral("DeviceListId")};
        QStringList values{QStringLiteral(":PN"), QStringLiteral(":PDateTime"),
                           QStringLiteral(":PDeviceListId")};
        for (const QString& group :
             {QStringLiteral("F"), QStringLiteral("T"), QStringLiteral("B")}) {
            for (int i = 1; i <= 10; ++i) {
                columns << group + QString::number(i);
                values << QStringLiteral(":P") + group + QString::number(i);
            }
        }
        columns << QStringLiteral("Comment") << QStringLiteral("DeviceNArc")
                << QStringLiteral("Station");
        values << QStringLiteral(":PComment") << QStringLiteral(":PDeviceNArc")
               << QStringLiteral(":PStation");
        const QString text = QStringLiteral("INSERT INTO Data_Comm ( ") +
                             columns.join(QStringLiteral(", ")) + QStringLiteral(" )\nVALUES ( ") +
                             values.join(QStringLiteral(", ")) + QStringLiteral(");");
        return command("ADOQuery_CommAdd", params, text);
    }();
    return s;
}

const Statement& ADOQuery_Search() {
    static const Statement s =
        rowSet("ADOQuery_Search", {param("PFileNameId", ParamType::Long, 0)},
               lines({"select *", "from Data", "where FileNameId=:PFileNameId"}) +
                   QLatin1Char('\n') + defaultOrderBy(QStringLiteral("DataId")));
    return s;
}

const Statement& ADOQuery_Print() {
    static const Statement s = [] {
        Statement print = ADOQuery_Search();
        print.name = QStringLiteral("ADOQuery_Print");
        return print;
    }();
    return s;
}

const Statement& ADOQuery_Edit() {
    static const Statement s =
        command("ADOQuery_Edit",
                {param("PDataId", ParamType::Long, 0), textParam("PComment", 50, QString())},
                lines({"update Data", "set Comment=:PComment", "where DataId=:PDataId"}));
    return s;
}

QString orderByLine(const QVector<SortColumn>& sortedColumns) {
    const QString key = QStringLiteral("DataId");
    if (sortedColumns.isEmpty())
        return defaultOrderBy(key);
    const QStringList known = dataColumnNames();
    QStringList terms;
    for (const SortColumn& column : sortedColumns) {
        // Only names of Data's columns reach the text: a sort key is never free SQL.
        if (!known.contains(column.field))
            throw std::invalid_argument("unknown sort column: " + column.field.toStdString());
        terms << orderTerm(column.field, column.descending);
    }
    return orderLine(terms, key);
}

Statement documentSearchStatement(const QString& orderBy) {
    Statement search = ADOQuery_Search();
    search.text = lines({"select *", "from [Data]", "where FileNameId=:PFileNameId"}) +
                  QLatin1Char('\n') + orderBy;
    return search;
}

Statement printStatementFor(const Statement& search) {
    Statement print = ADOQuery_Print();
    print.text = search.text;
    return print;
}

}  // namespace vlr::store
