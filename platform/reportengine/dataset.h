#pragma once
// What a report reads: rows with named fields, each null, a text or a number. The engine knows
// nothing else of where the rows come from; callers adapt their tables to this.
#include <QString>
#include <QStringList>

#include <variant>
#include <vector>

namespace ofx::reportengine {

using FieldValue = std::variant<std::monostate, QString, double>;

class Dataset {
public:
    virtual ~Dataset() = default;
    virtual int rowCount() const = 0;
    // Index of the field named name (letter case ignored), -1 when there is none.
    virtual int fieldIndex(QStringView name) const = 0;
    // 0 <= row < rowCount(), field from fieldIndex().
    virtual FieldValue value(int row, int field) const = 0;
};

// Rows held in memory: for small reports, tests and benchmarks.
class TableDataset : public Dataset {
public:
    explicit TableDataset(QStringList fields) : fields_(std::move(fields)) {}
    void addRow(std::vector<FieldValue> values) { rows_.push_back(std::move(values)); }

    int rowCount() const override { return static_cast<int>(rows_.size()); }
    int fieldIndex(QStringView name) const override
    {
        for (int i = 0; i < fields_.size(); ++i)
            if (fields_[i].compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
    FieldValue value(int row, int field) const override
    {
        const auto& r = rows_[static_cast<size_t>(row)];
        return static_cast<size_t>(field) < r.size() ? r[static_cast<size_t>(field)] : FieldValue{};
    }

private:
    QStringList fields_;
    std::vector<std::vector<FieldValue>> rows_;
};

}  // namespace ofx::reportengine
