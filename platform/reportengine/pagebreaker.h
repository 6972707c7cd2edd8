#pragma once
// Where the body's pages start: band heights, kept-together groups and the body's height in,
// the index of the first band of every page out. No fonts, no painting: the heights are known.
#include <cstddef>
#include <span>
#include <vector>

namespace ofx::reportengine {

// One printed band of the body, in print order.
struct BandBox {
    double height = 0;      // mm, as laid out (grown bands included)
    bool attached = false;  // a child band: kept on the page of the band before it
};

// Bands [first, last] printed on one page when they fit on one. A group too tall for any page
// keeps only its lead [first, leadEnd] (its header chain and first data row) together and
// breaks inside.
struct KeepGroup {
    size_t first = 0;
    size_t last = 0;
    size_t leadEnd = 0;
};

class PageBreaker {
public:
    explicit PageBreaker(double bodyHeight) : bodyHeight_(bodyHeight) {}

    double bodyHeight() const { return bodyHeight_; }

    // The first band of each page, from 0 and rising; one page when there are no bands. Rules,
    // band by band:
    // - a band goes on the page when it fits in what is left of the body (to a millionth of a
    //   millimetre), or when the page holds nothing of any height yet; a band taller than the
    //   body therefore gets a page of its own and runs past its bottom, it is never cut;
    // - a band and the child bands after it move to a new page together when they do not fit
    //   but would fit on an empty page; a chain taller than the body breaks between its bands;
    // - at the first band of a kept group that does not fit: a new page when the group would
    //   fit on an empty one, or else when its lead does not fit where it is. Groups may come
    //   in any order; an end past the last band counts as the last band.
    std::vector<size_t> pageStarts(std::span<const BandBox> bands,
                                   std::vector<KeepGroup> keeps) const;

private:
    double bodyHeight_;
};

}  // namespace ofx::reportengine
