#include "xlsx/sheet_name.h"

namespace vlr::xlsx {
namespace {

QString cut(QString name, int length) {
    if (name.size() <= length)
        return name;
    name.truncate(length);
    if (name.back().isHighSurrogate())
        name.chop(1);
    return name;
}

}  // namespace

QString sheetName(const QString& fileName, int index) {
    QString base = fileName.trimmed();
    if (base.isEmpty())
        return QStringLiteral("Лист%1").arg(index + 1);
    for (QChar& c : base) {
        if (QStringView(u"[]:*?/\\").contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    }
    const QString number = index == 0 ? QString() : QStringLiteral(" (%1)").arg(index + 1);
    QString name = cut(base, kSheetNameLength - int(number.size())) + number;
    if (name.startsWith(QLatin1Char('\'')))
        name[0] = QLatin1Char('_');
    if (name.endsWith(QLatin1Char('\'')))
        name.back() = QLatin1Char('_');
    // The spreadsheet keeps this name for a sheet of its own.
    if (name.compare(QLatin1String("History"), Qt::CaseInsensitive) == 0)
        name += QLatin1Char('_');
    return name;
}

}  // namespace vlr::xlsx
