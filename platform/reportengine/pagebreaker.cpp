#include "reportengine/pagebreaker.h"

#include <algorithm>

namespace ofx::reportengine {

namespace {
constexpr double kEps = 1e-6;
}

std::vector<size_t> PageBreaker::pageStarts(std::span<const BandBox> bands,
                                            std::vector<KeepGroup> keeps) const
{
    // By first band. Among groups that start at the same band the order does not matter: once
    // one of them starts a new page, the page is empty and the others are on it.
    std::sort(keeps.begin(), keeps.end(),
              [](const KeepGroup& a, const KeepGroup& b) { return a.first < b.first; });

    // Indices past the last band are taken as the last band.
    const size_t lastBand = bands.empty() ? 0 : bands.size() - 1;
    std::erase_if(keeps, [&](const KeepGroup& k) { return bands.empty() || k.first > lastBand; });
    for (KeepGroup& k : keeps) {
        k.last = std::clamp(k.last, k.first, lastBand);
        k.leadEnd = std::clamp(k.leadEnd, k.first, k.last);
    }

    std::vector<double> prefix(bands.size() + 1, 0.0);  // prefix[i]: height of bands before i
    for (size_t i = 0; i < bands.size(); ++i)
        prefix[i + 1] = prefix[i] + bands[i].height;
    auto span = [&](size_t first, size_t last) { return prefix[last + 1] - prefix[first]; };

    std::vector<size_t> starts{0};
    double used = 0;
    bool empty = true;  // nothing of any height on the page yet
    auto newPage = [&](size_t at) {
        starts.push_back(at);
        used = 0;
        empty = true;
    };
    auto fitsOrFresh = [&](double height) {
        return empty || height <= bodyHeight_ - used + kEps;
    };

    size_t keep = 0;
    for (size_t i = 0; i < bands.size(); ++i) {
        for (; keep < keeps.size() && keeps[keep].first == i; ++keep) {
            const KeepGroup& k = keeps[keep];
            const double whole = span(k.first, k.last);
            if (fitsOrFresh(whole))
                continue;
            if (whole <= bodyHeight_ + kEps || !fitsOrFresh(span(k.first, k.leadEnd)))
                newPage(i);
        }
        if (!bands[i].attached) {
            size_t last = i;
            while (last + 1 < bands.size() && bands[last + 1].attached)
                ++last;
            const double unit = span(i, last);
            if (!fitsOrFresh(unit) && unit <= bodyHeight_ + kEps)
                newPage(i);
        }
        if (!fitsOrFresh(bands[i].height))
            newPage(i);
        used += bands[i].height;
        if (bands[i].height > kEps)
            empty = false;
    }
    return starts;
}

}  // namespace ofx::reportengine
