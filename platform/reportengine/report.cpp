#include "reportengine/report.h"

#include "reportengine/expression.h"
#include "reportengine/pagebreaker.h"
#include "reportengine/textengine.h"

#include <algorithm>
#include <numeric>

namespace ofx::reportengine {

namespace {

constexpr double kEps = 1e-6;

struct CompiledSegment {
    enum class Kind { Literal, Field, Variable, Name, PageNumber, TotalPages };
    Kind kind = Kind::Literal;
    QString text;    // Literal: the text; Variable: its value; Name: the lower-case name
    int field = -1;  // Field: index in the dataset, -1 when the dataset lacks it
    std::optional<NumberFormat> format;
};

using CompiledText = std::vector<CompiledSegment>;

// One printed band, its objects placed relative to the band's top-left corner.
struct BandInstance {
    const Band* band = nullptr;
    int row = -1;
    double height = 0;
    bool attached = false;  // a child band: stays on the page of the band before it
    std::vector<PlacedObject> objects;
};

bool overlapsHorizontally(const ReportObject& a, const ReportObject& b)
{
    return a.left < b.left + b.width - kEps && b.left < a.left + a.width - kEps;
}

}  // namespace

class Builder {
public:
    Builder(const ReportTemplate& templ, const PageSetup& page, const Dataset* dataset,
            const QHash<QString, ScriptHandler>& handlers)
        : templ_(std::make_shared<ReportTemplate>(templ)), dataset_(dataset),
          handlers_(handlers), fonts_(std::make_shared<detail::FontCache>()), context_(*this)
    {
        templ_->page = page;
        detail::installFontSubstitutions();
    }

    Document run();

    // For BuildContext.
    double scriptValue(QStringView name) const
    {
        const auto it = scriptIndex_.constFind(name.toString().toLower());
        return it == scriptIndex_.constEnd() ? 0.0 : scriptValues_[static_cast<size_t>(*it)];
    }
    void setScriptValue(QStringView name, double value)
    {
        const QString key = name.toString().toLower();
        auto it = scriptIndex_.find(key);
        if (it == scriptIndex_.end()) {
            it = scriptIndex_.insert(key, static_cast<int>(scriptValues_.size()));
            scriptValues_.push_back(0.0);
        }
        scriptValues_[static_cast<size_t>(*it)] = value;
    }
    FieldValue field(QStringView name) const
    {
        if (!dataset_ || row_ < 0)
            return {};
        const int index = dataset_->fieldIndex(name);
        return index < 0 ? FieldValue{} : dataset_->value(row_, index);
    }
    QString variable(QStringView name) const { return variables_.value(name.toString().toLower()); }
    bool setObjectVisible(QStringView name, bool visible)
    {
        ReportObject* object = templ_->findObject(name);
        if (object)
            object->visible = visible;
        return object != nullptr;
    }

private:
    void runHandler(const ScriptHandler* handler, const QString& objectName)
    {
        if (!handler || !*handler)
            return;
        context_.object_ = objectName;
        (*handler)(context_);
    }
    const ScriptHandler* handler(const QString& name) const
    {
        if (name.isEmpty())
            return nullptr;
        const auto it = handlers_.constFind(name.toLower());
        return it == handlers_.constEnd() ? nullptr : &*it;
    }

    CompiledText compile(const QString& content) const;
    QString evaluate(const CompiledText& text, int page, int pages) const;
    BandInstance evaluateBand(size_t bandIndex, int row, bool attached, int page, int pages);
    void emitChain(size_t bandIndex, int row);
    void generate();
    void paginate(Document& doc);

    std::shared_ptr<ReportTemplate> templ_;
    const Dataset* dataset_;
    const QHash<QString, ScriptHandler>& handlers_;
    std::shared_ptr<detail::FontCache> fonts_;
    BuildContext context_;

    QHash<QString, QString> variables_;  // lower-case name -> evaluated value
    QHash<QString, int> scriptIndex_;    // lower-case name -> index in scriptValues_
    std::vector<double> scriptValues_;
    int row_ = -1;

    // Per band, per object: compiled text and after-print handler.
    std::vector<std::vector<CompiledText>> texts_;
    std::vector<std::vector<const ScriptHandler*>> afterPrint_;
    std::vector<int> childOf_;  // band index -> index of its child band, -1 when none

    std::vector<BandInstance> stream_;
    std::vector<KeepGroup> keeps_;
};

double BuildContext::scriptValue(QStringView name) const { return builder_.scriptValue(name); }
void BuildContext::setScriptValue(QStringView name, double value)
{
    builder_.setScriptValue(name, value);
}
FieldValue BuildContext::field(QStringView name) const { return builder_.field(name); }
double BuildContext::fieldNumber(QStringView name) const { return numberOf(builder_.field(name)); }
QString BuildContext::variable(QStringView name) const { return builder_.variable(name); }
bool BuildContext::setObjectVisible(QStringView name, bool visible)
{
    return builder_.setObjectVisible(name, visible);
}

CompiledText Builder::compile(const QString& content) const
{
    CompiledText out;
    for (Segment& s : splitContent(content)) {
        CompiledSegment c;
        if (!s.expression) {
            c.text = std::move(s.literal);
            out.push_back(std::move(c));
            continue;
        }
        const Expression& e = *s.expression;
        c.format = e.format;
        switch (e.kind) {
        case Expression::Kind::PageNumber: c.kind = CompiledSegment::Kind::PageNumber; break;
        case Expression::Kind::TotalPages: c.kind = CompiledSegment::Kind::TotalPages; break;
        case Expression::Kind::Field:
            c.kind = CompiledSegment::Kind::Field;
            if (dataset_ && e.dataset.compare(templ_->datasetName, Qt::CaseInsensitive) == 0)
                c.field = dataset_->fieldIndex(e.name);
            break;
        case Expression::Kind::Name: {
            const QString key = e.name.toLower();
            if (const auto it = variables_.constFind(key); it != variables_.constEnd()) {
                c.kind = CompiledSegment::Kind::Variable;
                c.text = *it;
            } else {
                c.kind = CompiledSegment::Kind::Name;  // a script value, looked up when printed
                c.text = key;
            }
            break;
        }
        }
        out.push_back(std::move(c));
    }
    return out;
}

QString Builder::evaluate(const CompiledText& text, int page, int pages) const
{
    if (text.size() == 1 && text[0].kind == CompiledSegment::Kind::Literal)
        return text[0].text;
    QString out;
    for (const CompiledSegment& s : text) {
        FieldValue value;
        switch (s.kind) {
        case CompiledSegment::Kind::Literal:
            out += s.text;
            continue;
        case CompiledSegment::Kind::Field:
            if (s.field >= 0 && row_ >= 0)
                value = dataset_->value(row_, s.field);
            break;
        case CompiledSegment::Kind::Variable: value = s.text; break;
        case CompiledSegment::Kind::Name: {
            const auto it = scriptIndex_.constFind(s.text);
            if (it == scriptIndex_.constEnd())
                continue;  // an unknown name prints nothing
            value = scriptValues_[static_cast<size_t>(*it)];
            break;
        }
        case CompiledSegment::Kind::PageNumber: value = double(page); break;
        case CompiledSegment::Kind::TotalPages: value = double(pages); break;
        }
        out += s.format ? formatNumber(value, *s.format) : displayText(value);
    }
    return out;
}

BandInstance Builder::evaluateBand(size_t bandIndex, int row, bool attached, int page, int pages)
{
    const Band& band = templ_->bands[bandIndex];
    row_ = row;
    BandInstance inst;
    inst.band = &band;
    inst.row = row;
    inst.attached = attached;

    struct Sized {
        const ReportObject* object;
        double width, height, growth;
    };
    std::vector<Sized> sized;
    sized.reserve(band.objects.size());
    inst.objects.reserve(band.objects.size());
    const bool pageBand = band.kind == BandKind::PageHeader || band.kind == BandKind::PageFooter;

    for (size_t k = 0; k < band.objects.size(); ++k) {
        const ReportObject& o = band.objects[k];
        if (!o.visible)
            continue;
        PlacedObject placed;
        placed.source = &o;
        double width = o.width, height = o.height;
        if (o.kind == ReportObject::Kind::Text) {
            placed.text = evaluate(texts_[bandIndex][k], page, pages);
            if (!pageBand)
                runHandler(afterPrint_[bandIndex][k], o.name);
            const detail::TextStyle& style = fonts_->style(o.font);
            const detail::TextExtent extent =
                detail::measureText(style, placed.text, o.width - 2 * o.paddingX, detail::wrapOf(o));
            placed.lines = extent.lines;
            placed.textWidth = extent.widest;
            if (o.grows) {
                if (!o.wordWrap)
                    width = extent.widest + 2 * o.paddingX;
                height = std::max(o.height, extent.lines * style.lineHeight + 2 * o.paddingY);
            }
        } else {
            height = 0;
        }
        placed.rect = QRectF(o.left, o.top, width, height);
        sized.push_back({&o, width, height, o.kind == ReportObject::Kind::Text ? height - o.height : 0});
        inst.objects.push_back(std::move(placed));
    }

    // An object moves down by the growth of the objects above it that overlap it horizontally
    // (and of those it names in shiftWith), plus whatever moved those.
    std::vector<size_t> order(sized.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return sized[a].object->top < sized[b].object->top; });
    std::vector<double> shift(sized.size(), 0.0);
    for (size_t bi = 0; bi < order.size(); ++bi) {
        const size_t b = order[bi];
        const ReportObject& ob = *sized[b].object;
        for (size_t ai = 0; ai < bi; ++ai) {
            const size_t a = order[ai];
            const ReportObject& oa = *sized[a].object;
            const bool above = oa.top + oa.height <= ob.top + kEps;
            const bool pushes = above && (overlapsHorizontally(oa, ob) ||
                                          ob.shiftWith.contains(oa.name, Qt::CaseInsensitive));
            if (pushes)
                shift[b] = std::max(shift[b], shift[a] + sized[a].growth);
        }
    }
    double bottom = 0;
    for (size_t i = 0; i < inst.objects.size(); ++i) {
        inst.objects[i].rect.translate(0, shift[i]);
        bottom = std::max(bottom, inst.objects[i].rect.bottom());
    }
    inst.height = band.grows ? std::max(band.height, bottom) : band.height;
    return inst;
}

void Builder::emitChain(size_t bandIndex, int row)
{
    bool attached = false;
    for (int b = static_cast<int>(bandIndex); b >= 0; b = childOf_[static_cast<size_t>(b)]) {
        stream_.push_back(evaluateBand(static_cast<size_t>(b), row, attached, 0, 0));
        attached = true;
    }
}

void Builder::generate()
{
    const int rows = dataset_ ? dataset_->rowCount() : 0;
    if (rows == 0)
        return;  // no header, groups, data or footer: pages carry their page bands only

    // The body bands in template order; group footers paired with the nearest unpaired header.
    std::vector<size_t> headers, footers, groupHeaders;
    int detail = -1;
    std::vector<size_t> openGroups;
    std::vector<int> footerOfGroup;
    for (size_t i = 0; i < templ_->bands.size(); ++i) {
        switch (templ_->bands[i].kind) {
        case BandKind::Header: headers.push_back(i); break;
        case BandKind::Footer: footers.push_back(i); break;
        case BandKind::Detail: detail = static_cast<int>(i); break;
        case BandKind::GroupHeader:
            openGroups.push_back(groupHeaders.size());
            groupHeaders.push_back(i);
            footerOfGroup.push_back(-1);
            break;
        case BandKind::GroupFooter:
            if (!openGroups.empty()) {
                footerOfGroup[openGroups.back()] = static_cast<int>(i);
                openGroups.pop_back();
            }
            break;
        default: break;
        }
    }

    std::vector<CompiledText> conditions;
    for (size_t g : groupHeaders)
        conditions.push_back(compile(QLatin1Char('[') + templ_->bands[g].condition + QLatin1Char(']')));
    std::vector<QString> keys(groupHeaders.size());
    std::vector<size_t> keepStart(groupHeaders.size());
    std::vector<std::optional<size_t>> leadEnd(groupHeaders.size());

    auto closeGroups = [&](size_t from, int row) {
        for (size_t g = groupHeaders.size(); g-- > from;) {
            if (footerOfGroup[g] >= 0)
                emitChain(static_cast<size_t>(footerOfGroup[g]), row);
            if (templ_->bands[groupHeaders[g]].keepTogether)
                keeps_.push_back({keepStart[g], stream_.size() - 1,
                                  leadEnd[g].value_or(stream_.size() - 1)});
        }
    };

    for (size_t h : headers)
        emitChain(h, 0);
    for (int row = 0; row < rows; ++row) {
        row_ = row;
        size_t changed = groupHeaders.size();
        for (size_t g = 0; g < groupHeaders.size(); ++g) {
            QString key = evaluate(conditions[g], 0, 0);
            if ((row == 0 || key != keys[g]) && changed == groupHeaders.size())
                changed = g;
            keys[g] = std::move(key);
        }
        if (changed < groupHeaders.size()) {
            if (row > 0)
                closeGroups(changed, row - 1);
            for (size_t g = changed; g < groupHeaders.size(); ++g) {
                keepStart[g] = stream_.size();
                leadEnd[g].reset();
                emitChain(groupHeaders[g], row);
            }
        }
        if (detail >= 0) {
            emitChain(static_cast<size_t>(detail), row);
            for (auto& lead : leadEnd)
                if (!lead)
                    lead = stream_.size() - 1;
        }
    }
    closeGroups(0, rows - 1);
    for (size_t f : footers)
        emitChain(f, rows - 1);
}

void Builder::paginate(Document& doc)
{
    const PageSetup& setup = templ_->page;
    const QSizeF paper = setup.paperSizeMm();
    std::vector<size_t> pageHeaders, pageFooters;
    double headerHeight = 0, footerHeight = 0;
    for (size_t i = 0; i < templ_->bands.size(); ++i) {
        const Band& b = templ_->bands[i];
        if (b.kind == BandKind::PageHeader) {
            pageHeaders.push_back(i);
            headerHeight += b.height;
        } else if (b.kind == BandKind::PageFooter) {
            pageFooters.push_back(i);
            footerHeight += b.height;
        }
    }
    const double bodyTop = setup.margins.top() + headerHeight;
    const double bodyBottom = paper.height() - setup.margins.bottom() - footerHeight;
    const double bodyHeight = bodyBottom - bodyTop;
    const double left = setup.margins.left();

    std::vector<BandBox> boxes;
    boxes.reserve(stream_.size());
    for (const BandInstance& inst : stream_)
        boxes.push_back({inst.height, inst.attached});
    std::vector<size_t> starts = PageBreaker(bodyHeight).pageStarts(boxes, std::move(keeps_));
    starts.push_back(stream_.size());

    std::vector<Page>& pages = doc.pages_;
    pages.resize(starts.size() - 1);
    const double bandWidth = paper.width() - setup.margins.left() - setup.margins.right();
    for (size_t p = 0; p + 1 < starts.size(); ++p) {
        Page& page = pages[p];
        double y = bodyTop;
        for (size_t i = starts[p]; i < starts[p + 1]; ++i) {
            BandInstance& inst = stream_[i];
            page.bands.push_back({inst.band, QRectF(left, y, bandWidth, inst.height), inst.row});
            for (PlacedObject& o : inst.objects) {
                o.rect.translate(left, y);
                page.objects.push_back(std::move(o));
            }
            y += inst.height;
        }
    }
    stream_.clear();

    // Page bands, now that the number of pages is known.
    const int total = static_cast<int>(pages.size());
    for (int p = 0; p < total; ++p) {
        Page body = std::move(pages[static_cast<size_t>(p)]);
        Page& page = pages[static_cast<size_t>(p)];
        page = Page{};
        auto place = [&](size_t bandIndex, double top) {
            BandInstance inst = evaluateBand(bandIndex, -1, false, p + 1, total);
            page.bands.push_back({inst.band, QRectF(left, top, bandWidth, inst.band->height), -1});
            for (PlacedObject& o : inst.objects) {
                o.rect.translate(left, top);
                page.objects.push_back(std::move(o));
            }
            return inst.band->height;
        };
        double top = setup.margins.top();
        for (size_t h : pageHeaders)
            top += place(h, top);
        page.bands.insert(page.bands.end(), body.bands.begin(), body.bands.end());
        std::move(body.objects.begin(), body.objects.end(), std::back_inserter(page.objects));
        top = bodyBottom;
        for (size_t f : pageFooters)
            top += place(f, top);
    }
}

Document Builder::run()
{
    for (const Variable& v : templ_->variables)
        variables_.insert(v.name.toLower(), evaluateConstant(v.expression));
    for (const QString& name : templ_->scriptValues)
        setScriptValue(name, 0.0);
    runHandler(handler(templ_->onStart), QString());

    const std::vector<Band>& bands = templ_->bands;
    texts_.resize(bands.size());
    afterPrint_.resize(bands.size());
    childOf_.assign(bands.size(), -1);
    for (size_t b = 0; b < bands.size(); ++b) {
        for (const ReportObject& o : bands[b].objects) {
            texts_[b].push_back(compile(o.text));
            afterPrint_[b].push_back(handler(o.afterPrint));
        }
        if (const Band* child = templ_->findBand(bands[b].child))
            childOf_[b] = static_cast<int>(child - bands.data());
    }

    generate();
    Document doc;
    paginate(doc);
    doc.template_ = templ_;
    doc.fonts_ = fonts_;
    return doc;
}

Report::Report(ReportTemplate templ) : template_(std::move(templ)) {}
Report::~Report() = default;

void Report::setVariable(const QString& name, const QString& expression)
{
    for (Variable& v : template_.variables)
        if (v.name.compare(name, Qt::CaseInsensitive) == 0) {
            v.expression = expression;
            return;
        }
    template_.variables.push_back({name, expression});
}

QString Report::variableExpression(QStringView name) const
{
    for (const Variable& v : template_.variables)
        if (v.name.compare(name, Qt::CaseInsensitive) == 0)
            return v.expression;
    return {};
}

void Report::setScriptHandler(const QString& name, ScriptHandler handler)
{
    handlers_.insert(name.toLower(), std::move(handler));
}

Document Report::build() const { return build(template_.page); }

Document Report::build(const PageSetup& page) const
{
    return Builder(template_, page, dataset_, handlers_).run();
}

}  // namespace ofx::reportengine
