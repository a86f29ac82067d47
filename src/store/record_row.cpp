#include "store/record_row.h"

namespace vlr::store {
namespace {
const QString kStoredFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
}

QStringList recordRowCopiedFields() {
    QStringList fields{QStringLiteral("N"), QStringLiteral("DateTime")};
    for (const char* group : {"F", "T", "B"}) {
        for (int i = 1; i <= 10; ++i)
            fields << QString::fromLatin1(group) + QString::number(i);
    }
    return fields;
}

QStringList dataColumnNames() {
    QStringList columns{QStringLiteral("DataId"), QStringLiteral("FileNameId")};
    columns << recordRowCopiedFields() << QStringLiteral("Comment") << QStringLiteral("Printable");
    return columns;
}

QString toStoredDateTime(const QDateTime& value) {
    return value.toString(kStoredFormat);
}

QDateTime fromStoredDateTime(const QVariant& stored) {
    if (stored.isNull())
        return QDateTime();
    return QDateTime::fromString(stored.toString(), kStoredFormat);
}

}  // namespace vlr::store
