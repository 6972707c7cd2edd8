// Where pages start, from band heights (mm), kept groups and the body's height alone.
#include "reportengine/pagebreaker.h"

#include <gtest/gtest.h>

using namespace ofx::reportengine;

namespace {

constexpr bool child = true;

struct Case {
    const char* reason;
    std::vector<BandBox> bands;
    std::vector<KeepGroup> keeps;  // {first, last, leadEnd}
    std::vector<size_t> starts;
};

}  // namespace

TEST(PageBreaker, StartsPagesWhereTheBandsAndGroupsSay)
{
    // A body of 100 mm throughout.
    const Case cases[] = {
        {"no bands still make one page", {}, {}, {0}},
        {"bands that end exactly at the body's bottom stay on the page", {{40}, {60}}, {}, {0}},
        {"less than a millionth of a millimetre past the bottom is rounding, not a break",
         {{40}, {60.0000005}}, {}, {0}},
        {"a band that does not fit in what is left starts the next page",
         {{60}, {50}, {50}}, {}, {0, 1}},
        {"a band taller than the body gets a page of its own, uncut, and the next band another",
         {{30}, {150}, {20}}, {}, {0, 1, 2}},
        {"a band of no height leaves the page empty, so a tall band after it stays",
         {{0}, {150}}, {}, {0}},
        {"a child band goes to the next page with the band before it",
         {{50}, {30}, {30, child}}, {}, {0, 1}},
        {"the same heights without the child: only the band that does not fit moves",
         {{50}, {30}, {30}}, {}, {0, 2}},
        {"a chain taller than the body breaks between its bands",
         {{50}, {60}, {60, child}}, {}, {0, 1, 2}},
        {"a kept group that fits on an empty page but not in what is left starts the next page",
         {{20}, {30}, {30}, {30}}, {{1, 3, 2}}, {0, 1}},
        {"the same bands without the group break at the band that does not fit",
         {{20}, {30}, {30}, {30}}, {}, {0, 3}},
        {"a group's end past the last band counts as the last band",
         {{20}, {30}, {30}, {30}}, {{1, 9, 9}}, {0, 1}},
        {"a group too tall for any page stays where its lead fits and breaks inside",
         {{20}, {30}, {30}, {30}, {30}}, {{1, 4, 2}}, {0, 3}},
        {"a group too tall for any page whose lead does not fit starts the next page",
         {{50}, {30}, {30}, {30}, {30}}, {{1, 4, 2}}, {0, 1, 4}},
        {"a group at the top of an empty page stays there even when too tall",
         {{60}, {60}, {60}}, {{0, 2, 1}}, {0, 1, 2}},
        {"inner groups are kept inside an outer one too tall for a page, given in any order",
         {{50}, {10}, {10}, {30}, {30}, {10}, {30}, {30}},
         {{5, 7, 6}, {1, 7, 3}, {2, 4, 3}},
         {0, 2, 5}},
    };
    const PageBreaker breaker(100);
    for (const Case& c : cases)
        EXPECT_EQ(breaker.pageStarts(c.bands, c.keeps), c.starts) << c.reason;
}

TEST(PageBreaker, TheBodyHeightDecides)
{
    const std::vector<BandBox> bands{{40}, {40}, {40}};
    EXPECT_EQ(PageBreaker(120).pageStarts(bands, {}), (std::vector<size_t>{0}));
    EXPECT_EQ(PageBreaker(80).pageStarts(bands, {}), (std::vector<size_t>{0, 2}));
    EXPECT_EQ(PageBreaker(39).pageStarts(bands, {}), (std::vector<size_t>{0, 1, 2}));
}
