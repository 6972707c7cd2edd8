#include "widgets/dbtext.h"

#include "qtext/qtext.h"
#include "widgets/datasource.h"

namespace ofx::widgets {

DBText::DBText(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setStyleSheet(QStringLiteral("QLineEdit { background: #E2E2E2; border: 1px solid #515151;"
                                 " color: black; padding: 0 1px; }"
                                 "QLineEdit:disabled { background: #E2E2E2; color: black; }"));
}

void DBText::setDataSource(DataSource* source)
{
    if (connection_)
        disconnect(connection_);
    source_ = source;
    if (source)
        connection_ = connect(source, &DataSource::changed, this, [this](data::TableChange) { refresh(); });
    refresh();
}

void DBText::setDataField(std::string fieldName)
{
    field_ = std::move(fieldName);
    refresh();
}

void DBText::refresh()
{
    data::MemTable* table = source_ ? source_->table() : nullptr;
    if (table && table->controlsDisabled())
        return;
    if (!table || !table->active() || table->isEmpty() || table->fieldIndex(field_) < 0) {
        clear();
        return;
    }
    setText(qtext::fromCp1252(table->asText(field_)));
    setCursorPosition(0);
}

}  // namespace ofx::widgets
