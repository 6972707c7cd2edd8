#pragma once
// The "PROPOSTA DE PREÇOS" report frrProposta: its template (report/proposta.json, compiled into
// the program's resources), its dataset wrapper fdsProposta over the report cursor, and its
// script (the letterhead rule and the running totals).
#include "data/memtable.h"
#include "reportengine/dataset.h"
#include "reportengine/report.h"

namespace ofx::report {

// The template as stored with the program. Throws std::runtime_error when the stored form is
// broken (a defect of the build, not of any user input).
reportengine::ReportTemplate propostaTemplate();

// fdsProposta: the report cursor's rows in its current order, as the report reads them. Texts are
// converted from CP1252; integers and decimals are numbers; empty fields are null.
class CursorDataset : public reportengine::Dataset {
public:
    explicit CursorDataset(const data::MemTable& cursor) : cursor_(cursor) {}
    int rowCount() const override;
    int fieldIndex(QStringView name) const override;
    reportengine::FieldValue value(int row, int field) const override;

private:
    const data::MemTable& cursor_;
};

// frrProposta bound to the report cursor (cdsBuscaItens), as the entry window holds it from its
// creation to its close. The cursor must outlive this object; it is read by build() only.
class PropostaReport {
public:
    explicit PropostaReport(const data::MemTable& reportCursor);

    reportengine::Report& report() { return report_; }
    const reportengine::Report& report() const { return report_; }

    // Builds afresh from the template, the cursor and the variables set on report().
    reportengine::Document build() const { return report_.build(); }

private:
    CursorDataset dataset_;
    reportengine::Report report_;
};

}  // namespace ofx::report
