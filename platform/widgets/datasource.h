#pragma once
// A data source: the link between one MemTable and the controls bound to it. It listens to the
// table's change notifications and re-emits them as a Qt signal, so that controls connect to it
// and are disconnected automatically when either side goes away.
//
// Lifetime: the source must not outlive its table. Declare it after the table (so that it is
// destroyed first) or call setTable(nullptr) before the table goes.
#include "data/memtable.h"

#include <QObject>

namespace ofx::widgets {

class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(data::MemTable* table = nullptr, QObject* parent = nullptr);
    ~DataSource() override;

    void setTable(data::MemTable* table);
    data::MemTable* table() const { return table_; }

signals:
    // Not emitted while the table's controls are disabled; enabling them gives one Reset.
    void changed(ofx::data::TableChange change);

private:
    data::MemTable* table_ = nullptr;
    int listener_ = -1;
};

}  // namespace ofx::widgets
