#include "text/cp1252.h"

#include <gtest/gtest.h>

namespace {

using ofx::text::cp1252ToUtf8;
using ofx::text::utf8ToCp1252;

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = cp1252ToUtf8(all);
    EXPECT_EQ(utf8ToCp1252(utf8), all);
}

struct Mapping {
    const char* what;
    std::string cp1252;
    std::string utf8;
};

TEST(Cp1252, BytesMapToTheirCharacters) {
    const Mapping cases[] = {
        {"plain ASCII unchanged", "NO_LOTE = 7|", "NO_LOTE = 7|"},
        {"euro sign, first of the 0x80 row", "\x80", "\u20AC"},
        {"Portuguese letters of the Latin-1 half", "Lan\xE7\x61mento pre\xE7o n\xE3o",
         "Lançamento preço não"},
        {"curly quotes and dash of the 0x90 row", "\x93x\x94\x96", "\u201Cx\u201D\u2013"},
        {"undefined byte 0x81 keeps its C1 control", "\x81", "\xC2\x81"},
        {"undefined byte 0x9D keeps its C1 control", "\x9D", "\xC2\x9D"},
        {"last byte of the 0x80 row", "\x9F", "\u0178"},
        {"no-break space and y with diaeresis", "\xA0\xFF", "\u00A0\u00FF"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cp1252ToUtf8(c.cp1252), c.utf8) << c.what;
        EXPECT_EQ(utf8ToCp1252(c.utf8), c.cp1252) << c.what;
    }
}

TEST(Cp1252, WhatTheCodePageCannotHoldBecomesQuestionMarks) {
    const Mapping cases[] = {
        {"CJK character", "a?b", "a\u65E5b"},
        {"character outside the BMP", "?", "\U0001F600"},
        {"C1 control that CP1252 uses for a letter", "?", "\xC2\x80"},
        {"truncated sequence: one ? per byte", "??", "\xE2\x82"},
        {"stray continuation byte", "a?", "a\x80"},
        {"overlong slash", "??", "\xC0\xAF"},
        {"encoded surrogate", "???", "\xED\xA0\x80"},
        {"beyond U+10FFFF", "????", "\xF4\x90\x80\x80"},
        {"invalid lead byte between letters", "x?y", "x\xFFy"},
    };
    for (const auto& c : cases) EXPECT_EQ(utf8ToCp1252(c.utf8), c.cp1252) << c.what;
}

}  // namespace
