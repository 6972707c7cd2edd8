#pragma once
// A data-bound, display-only text field: shows one field of its data source's current row and
// follows the table's cursor. While the table's controls are disabled it shows nothing new;
// enabling them brings it up to date. Texts in the table are CP1252.
//
// Look: background #E2E2E2, a flat #515151 frame, black text also while the field is disabled
// (the windows keep these fields disabled, so they never take the focus).
#include <QLineEdit>
#include <QPointer>

#include <string>

namespace ofx::widgets {

class DataSource;

class DBText : public QLineEdit {
    Q_OBJECT
public:
    explicit DBText(QWidget* parent = nullptr);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return source_; }
    void setDataField(std::string fieldName);
    const std::string& dataField() const { return field_; }

    // Reads the field again (nothing when the table is closed, empty, or its controls are
    // disabled, or the field is unknown).
    void refresh();

private:
    QPointer<DataSource> source_;
    QMetaObject::Connection connection_;
    std::string field_;
};

}  // namespace ofx::widgets
