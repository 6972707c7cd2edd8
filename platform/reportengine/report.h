#pragma once
// A report: a template, the dataset it reads, the values of its variables and the handlers of
// its script. build() lays every page out afresh from the template as stored, on the template's
// page setup or on one the caller passes in.
#include "reportengine/dataset.h"
#include "reportengine/document.h"
#include "reportengine/reporttemplate.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>

namespace ofx::reportengine {

class Builder;

// What a script handler sees during a build.
class BuildContext {
public:
    // The script's real numbers, by name without regard to letter case; a name not declared by
    // the template reads 0 and is declared by setting it.
    double scriptValue(QStringView name) const;
    void setScriptValue(QStringView name, double value);

    // A field of the current row (null when there is no current row or no such field).
    FieldValue field(QStringView name) const;
    // The same as arithmetic sees it: null, empty and unreadable texts count as 0.
    double fieldNumber(QStringView name) const;

    // A variable's value (its expression evaluated); empty when not declared.
    QString variable(QStringView name) const;

    // Shows or hides an object for this build only (meant for the start handler: objects
    // already printed are not changed). False when the template has no such object.
    bool setObjectVisible(QStringView name, bool visible);

    // The name of the object after which an after-print handler runs; empty at the start.
    const QString& objectName() const { return object_; }

private:
    friend class Builder;
    explicit BuildContext(Builder& b) : builder_(b) {}
    Builder& builder_;
    QString object_;
};

using ScriptHandler = std::function<void(BuildContext&)>;

class Report {
public:
    explicit Report(ReportTemplate templ);
    ~Report();

    const ReportTemplate& reportTemplate() const { return template_; }

    // The dataset the detail band runs over (not owned; nullptr: no rows). It must stay valid
    // while build() runs only.
    void setDataset(const Dataset* dataset) { dataset_ = dataset; }

    // Sets a variable's expression; the name is matched without regard to letter case, and one
    // the template lacks is added.
    void setVariable(const QString& name, const QString& expression);
    // The expression of a variable, empty when not declared.
    QString variableExpression(QStringView name) const;
    const std::vector<Variable>& variables() const { return template_.variables; }

    // The handler that the template's onStart or an object's afterPrint names.
    void setScriptHandler(const QString& name, ScriptHandler handler);

    // Lays out every page: runs the start handler, sets the script's values to 0, prints the
    // bands over the dataset's rows, then fills in the page numbers. The template's stored form
    // is not changed by the script (each build starts from it).
    Document build() const;
    // The same on another page size, orientation and margins (the document's pageSetup() is
    // then this one); the report itself is not changed.
    Document build(const PageSetup& page) const;

private:
    ReportTemplate template_;
    const Dataset* dataset_ = nullptr;
    QHash<QString, ScriptHandler> handlers_;  // by lower-case name
};

}  // namespace ofx::reportengine
