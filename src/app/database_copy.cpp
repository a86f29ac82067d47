#include "app/database_copy.h"

#include "store/dialect.h"
#include "store/query.h"
#include "store/record_row.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "store/transaction.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace vlr::app {
namespace {

// A date-time value as stored text, whichever engine read it.
QVariant storedDateTime(const QVariant& value) {
    if (value.isNull())
        return QVariant();
    return store::toStoredDateTime(store::fromStoredDateTime(value));
}

// A prepared statement on the target, its failures in the target's words.
class TargetStatement {
public:
    TargetStatement(const store::Database& target, const QString& text)
        : target_(target), query_(target.connection()) {
        if (!query_.prepare(store::engineText(target, text)))
            throw target.failure(query_.lastError());
    }
    QSqlQuery& run(const QVariantList& values) {
        for (int i = 0; i < values.size(); ++i)
            query_.bindValue(i, values[i]);
        if (!query_.exec())
            throw target_.failure(query_.lastError());
        return query_;
    }

private:
    const store::Database& target_;
    QSqlQuery query_;
};

// The records' inserts into the target. A server gets 200 rows in one statement rather than a
// round trip each; a local file takes them one by one, within the host-parameter limit of any
// SQLite build.
class RecordInserts {
public:
    RecordInserts(const store::Database& target, const QStringList& fields)
        : target_(target),
          fields_(fields),
          rowsAtOnce_(target.isServer() ? 200 : 1),
          full_(target, text(rowsAtOnce_)) {}

    void add(const QVariantList& values) {
        pending_ << values;
        if (pending_.size() == rowsAtOnce_ * fields_.size()) {
            full_.run(pending_);
            pending_.clear();
        }
    }

    // Inserts the rows still waiting.
    void flush() {
        if (pending_.isEmpty())
            return;
        TargetStatement(target_, text(int(pending_.size() / fields_.size()))).run(pending_);
        pending_.clear();
    }

private:
    QString text(int rows) const {
        QStringList columns;
        for (const QString& field : fields_)
            columns << QLatin1Char('[') + field + QLatin1Char(']');
        const QString row =
            QLatin1Char('(') +
            QStringList(fields_.size(), QStringLiteral("?")).join(QLatin1Char(',')) +
            QLatin1Char(')');
        return QStringLiteral("insert into [Data] (%1) values %2")
            .arg(columns.join(QStringLiteral(", ")), QStringList(rows, row).join(QLatin1Char(',')));
    }

    const store::Database& target_;
    QStringList fields_;
    int rowsAtOnce_;
    TargetStatement full_;
    QVariantList pending_;
};

QStringList copiedDataFields() {
    QStringList fields = store::dataColumnNames();
    fields.removeAll(QStringLiteral("DataId"));
    return fields;
}

int copyFiles(const store::Database& source, const store::Database& target) {
    TargetStatement existing(target, QStringLiteral("select count(*) from [Catalog] where "
                                                    "FileSaved=1 and FileName=? and DataTime=?"));
    TargetStatement catalog(target, QStringLiteral("insert into [Catalog] (DataTime, DeviceListId, "
                                                   "FileName, FileSaved, Comment, Station) "
                                                   "values (?, ?, ?, 1, ?, ?)"));
    const QStringList fields = copiedDataFields();
    RecordInserts data(target, fields);

    store::Query files(source, store::ADOQuery_CatalogSearch());
    QSqlQuery& fileRows = files.open();
    int copied = 0;
    while (fileRows.next()) {
        const QString name = fileRows.value(QStringLiteral("FileName")).toString();
        const QVariant created = storedDateTime(fileRows.value(QStringLiteral("DataTime")));
        QSqlQuery& found = existing.run({name, created});
        if (found.next() && found.value(0).toInt() > 0)
            throw store::StoreError(
                QStringLiteral(
                    "в базе назначения уже есть файл \"%1\" от %2; ничего не скопировано")
                    .arg(name, created.toString()));
        found.finish();
        catalog.run({created, fileRows.value(QStringLiteral("DeviceListId")), name,
                     fileRows.value(QStringLiteral("Comment")),
                     fileRows.value(QStringLiteral("Station"))});
        // The new row's key, asked of the target's own insert.
        QSqlQuery last(target.connection());
        if (!last.exec(target.isServer() ? QStringLiteral("SELECT lastval()")
                                         : QStringLiteral("SELECT last_insert_rowid()")) ||
            !last.next())
            throw target.failure(last.lastError());
        const QVariant fileNameId = last.value(0);

        store::Query records(source, store::ADOQuery_Search());
        QSqlQuery& recordRows =
            records.set(QStringLiteral("PFileNameId"), fileRows.value(QStringLiteral("FileNameId")))
                .open();
        // Each field's column looked up once: a lookup by name copies the row's whole record.
        const QSqlRecord columns = recordRows.record();
        QVector<int> columnOfField;
        for (const QString& field : fields)
            columnOfField << columns.indexOf(field);
        while (recordRows.next()) {
            QVariantList values;
            for (int f = 0; f < fields.size(); ++f) {
                const QString& field = fields.at(f);
                if (field == QLatin1String("FileNameId"))
                    values << fileNameId;
                else if (field == QLatin1String("DateTime"))
                    values << storedDateTime(recordRows.value(columnOfField.at(f)));
                else
                    values << recordRows.value(columnOfField.at(f));
            }
            data.add(values);
        }
        data.flush();
        ++copied;
    }
    return copied;
}

}  // namespace

int copySavedFiles(const store::Database& source, const store::Database& target) {
    store::beginTransaction(target);
    try {
        const int copied = copyFiles(source, target);
        store::commitTransaction(target);
        return copied;
    } catch (...) {
        store::rollbackTransaction(target);
        throw;
    }
}

}  // namespace vlr::app
