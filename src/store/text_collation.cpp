#include "store/text_collation.h"

#include "store/store_error.h"

#include <QCollator>
#include <QLocale>
#include <QRegularExpression>
#include <QString>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace vlr::store {
namespace {

// A collator is not shared between threads: each thread that compares has its own.
const QCollator& collator() {
    thread_local const QCollator russian = [] {
        QCollator made{QLocale(QLocale::Russian, QLocale::Russia)};
        made.setCaseSensitivity(Qt::CaseInsensitive);
        made.setNumericMode(false);
        made.setIgnorePunctuation(false);
        return made;
    }();
    return russian;
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

int compareBytes(QByteArrayView a, QByteArrayView b) {
    const size_t shorter = size_t(std::min(a.size(), b.size()));
    const int common = shorter == 0 ? 0 : std::memcmp(a.data(), b.data(), shorter);
    if (common != 0)
        return sign(common);
    return sign(int(a.size() > b.size()) - int(a.size() < b.size()));
}

int collate(void*, int aSize, const void* a, int bSize, const void* b) {
    return compareUtf8Texts(QByteArrayView(static_cast<const char*>(a), aSize),
                            QByteArrayView(static_cast<const char*>(b), bSize));
}

}  // namespace

bool sortsAsText(const QString& column) {
    static const QRegularExpression text(QStringLiteral("^(T([1-9]|10)|Comment|FileName)$"));
    return text.match(column).hasMatch();
}

int compareTexts(QStringView a, QStringView b) {
    const int collated = sign(collator().compare(a, b));
    if (collated != 0)
        return collated;
    return compareBytes(a.toUtf8(), b.toUtf8());
}

int compareUtf8Texts(QByteArrayView a, QByteArrayView b) {
    if (compareBytes(a, b) == 0)
        return 0;
    const int collated = sign(collator().compare(QString::fromUtf8(a), QString::fromUtf8(b)));
    return collated != 0 ? collated : compareBytes(a, b);
}

std::vector<int> rankTexts(const QStringList& texts) {
    struct Keyed {
        QCollatorSortKey key;
        QByteArray utf8;
        int index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(texts.size()));
    for (int i = 0; i < texts.size(); ++i)
        keyed.push_back({collator().sortKey(texts.at(i)), texts.at(i).toUtf8(), i});
    const auto order = [](const Keyed& a, const Keyed& b) {
        const int collated = a.key.compare(b.key);
        return collated != 0 ? collated < 0 : compareBytes(a.utf8, b.utf8) < 0;
    };
    std::sort(keyed.begin(), keyed.end(), order);
    std::vector<int> ranks(size_t(texts.size()));
    int rank = -1;
    for (size_t i = 0; i < keyed.size(); ++i) {
        if (i == 0 || keyed[i].utf8 != keyed[i - 1].utf8)
            ++rank;
        ranks[size_t(keyed[i].index)] = rank;
    }
    return ranks;
}

void addTextCollation(sqlite3* connection) {
    const int added = sqlite3_create_collation_v2(connection, kTextCollation, SQLITE_UTF8, nullptr,
                                                  collate, nullptr);
    if (added != SQLITE_OK)
        throw StoreError(QString::fromUtf8(sqlite3_errmsg(connection)));
}

}  // namespace vlr::store
