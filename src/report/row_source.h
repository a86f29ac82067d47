#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <utility>

namespace vlr::report {

// The open rows a report's master data band walks, from the first to the last. The caller
// fills it from its statement; a failure while reading throws a std::exception whose what()
// says why, and preparation reports it.
class RowSource {
public:
    virtual ~RowSource() = default;
    // The field of that name; -1 when the rows have none.
    virtual int fieldIndex(const QString& name) const = 0;
    // Moves to the next row (the first on the first call); false after the last.
    virtual bool next() = 0;
    // The current row's value of a field; a null QVariant for null.
    virtual QVariant value(int field) const = 0;
};

// The rows of another source, with a call before each row is read: the caller's event loop
// gets its turns there while a long report is prepared.
class WatchedRows : public RowSource {
public:
    WatchedRows(RowSource& rows, std::function<void()> beforeRow)
        : rows_(rows), beforeRow_(std::move(beforeRow)) {}
    int fieldIndex(const QString& name) const override { return rows_.fieldIndex(name); }
    bool next() override {
        beforeRow_();
        return rows_.next();
    }
    QVariant value(int field) const override { return rows_.value(field); }

private:
    RowSource& rows_;
    std::function<void()> beforeRow_;
};

}  // namespace vlr::report
