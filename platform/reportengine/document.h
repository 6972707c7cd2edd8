#pragma once
// A built report: every page laid out as placed objects in millimetres, ready to be painted on
// any QPainter device (preview, printer, PDF) or inspected without painting.
#include "reportengine/reporttemplate.h"

#include <QPageLayout>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <vector>

class QPainter;

namespace ofx::reportengine {

namespace detail {
class FontCache;
}

struct PlacedObject {
    const ReportObject* source = nullptr;  // the template object: font, alignment, rule style
    QRectF rect;  // mm from the paper's top-left corner; a rule's height is 0
    QString text; // the evaluated text (empty for a rule)
    int lines = 0;  // text lines as laid out (0 for an empty text)
    double textWidth = 0;  // mm, the natural width of the widest line

    const QString& name() const { return source->name; }
};

struct PlacedBand {
    const Band* band = nullptr;
    QRectF rect;   // mm from the paper's top-left corner
    int row = -1;  // the dataset row it printed for, -1 for page bands and empty reports
};

struct Page {
    std::vector<PlacedBand> bands;  // in print order; page header first, page footer last
    std::vector<PlacedObject> objects;
};

class Document {
public:
    Document();  // an empty document of no pages
    ~Document();
    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;

    int pageCount() const { return static_cast<int>(pages_.size()); }
    const Page& page(int index) const { return pages_[static_cast<size_t>(index)]; }
    const PageSetup& pageSetup() const;
    QSizeF paperSizeMm() const;
    QPageLayout pageLayout() const;

    // Paints page index with 1 unit = 1 mm in the painter's current coordinates, from the paper's
    // top-left corner; the caller scales (paintPageOnDevice does it for printers and PDF).
    void paintPage(int index, QPainter& painter) const;

    // The texts of a page, one object per line, in print order (for searching and tests).
    QString pageText(int index) const;

    // The next object after (page, object) whose text contains text (letter case ignored);
    // start with object -1 to search page from its first object. page -1 when nothing is found.
    struct Hit {
        int page = -1;
        int object = -1;
    };
    Hit find(const QString& text, Hit after) const;

private:
    friend class Builder;
    std::shared_ptr<const ReportTemplate> template_;  // placed objects point into it
    std::shared_ptr<detail::FontCache> fonts_;
    std::vector<Page> pages_;
};

}  // namespace ofx::reportengine
