#include "about_text.h"

#include <gtest/gtest.h>

namespace {

TEST(AboutText, BlankLinesAfterTheFieldsTheSignBeforeTheCopyrightAndABreakAfterEachFullStop) {
    const struct {
        const wchar_t *company, *comments, *description, *copyright, *text;
    } cases[] = {
        {L"Maker", L"Some controls", L"A collection", L"2026 Maker",
         L"Maker\r\n\r\nSome controls\r\n\r\nA collection\r\n\r\n\u00A92026 Maker"},
        {L"Maker Inc.", L"one.two", L"x", L"Copyright (C) 2026 Maker. All rights reserved.",
         L"Maker Inc.\r\n\r\n\r\none.\r\ntwo\r\n\r\nx\r\n\r\n"
         L"\u00A9Copyright (C) 2026 Maker.\r\n All rights reserved.\r\n"},
        {L"", L"", L"", L"", L"\r\n\r\n\r\n\r\n\r\n\r\n\u00A9"},
        {L"...", L"", L"", L"..", L".\r\n.\r\n.\r\n\r\n\r\n\r\n\r\n\r\n\r\n\u00A9.\r\n.\r\n"},
        // An ideographic full stop and a one-dot leader are not the full stop.
        {L"\u3002\u2024", L"", L"", L"\u00E9", L"\u3002\u2024\r\n\r\n\r\n\r\n\r\n\r\n\u00A9\u00E9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AboutText(c.company, c.comments, c.description, c.copyright), c.text) << c.company;
}

} // namespace
