#include "widgets/datasource.h"

namespace ofx::widgets {

DataSource::DataSource(data::MemTable* table, QObject* parent) : QObject(parent)
{
    setTable(table);
}

DataSource::~DataSource()
{
    setTable(nullptr);
}

void DataSource::setTable(data::MemTable* table)
{
    if (table_ && listener_ >= 0)
        table_->removeListener(listener_);
    table_ = table;
    listener_ = -1;
    if (table_)
        listener_ = table_->addListener([this](data::TableChange change) { emit changed(change); });
    emit changed(data::TableChange::Reset);
}

}  // namespace ofx::widgets
