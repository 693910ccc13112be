// Numbers as people write them, and the requests of a command line.
#include <gtest/gtest.h>

#include "app/DialRequest.h"

namespace {

std::string Utf8(std::wstring_view Text) {
    std::string Out;
    for (wchar_t W : Text) {
        const auto C = static_cast<char32_t>(W);
        if (C < 0x80) {
            Out += static_cast<char>(C);
        } else if (C < 0x800) {
            Out += static_cast<char>(0xC0 | (C >> 6));
            Out += static_cast<char>(0x80 | (C & 0x3F));
        } else {
            Out += static_cast<char>(0xE0 | (C >> 12));
            Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
            Out += static_cast<char>(0x80 | (C & 0x3F));
        }
    }
    return Out;
}

struct TForm {
    const wchar_t* Where; // where such text comes from
    const wchar_t* Text;
    const wchar_t* Number; // nullptr: refused
};

// Copied from web pages, contact cards, spreadsheets and chat windows, typed by hand.
const TForm Forms[] = {
    {L"typed", L"12", L"12"},
    {L"typed, one digit", L"5", L"5"},
    {L"keypad codes", L"*31#", L"*31#"},
    {L"spaces", L"138 0013 8000", L"13800138000"},
    {L"dashes", L"010-1234-5678", L"01012345678"},
    {L"dots", L"010.1234.5678", L"01012345678"},
    {L"brackets", L"(010) 1234 5678", L"01012345678"},
    {L"slash", L"0755/8888 6666", L"075588886666"},
    {L"international", L"+86 10 1234 5678", L"00861012345678"},
    {L"international in brackets", L"(+86) 138-0013-8000", L"008613800138000"},
    {L"full-width digits", L"１３８００１３８０００", L"13800138000"},
    {L"full-width brackets and dash", L"（０１０）１２３４－５６７８", L"01012345678"},
    {L"full-width plus, star, hash", L"＋８６＊１＃", L"0086*1#"},
    {L"ideographic spaces", L"010\u30001234\u30005678", L"01012345678"},
    {L"no-break and thin spaces", L"010\u00a01234\u20095678", L"01012345678"},
    {L"en dash and minus sign", L"010\u20131234\u22125678", L"01012345678"},
    {L"direction marks of a phone's contact card", L"\u202a+86 138 0013 8000\u202c",
     L"008613800138000"},
    {L"zero-width space and soft hyphen", L"010\u200b1234\u00ad5678", L"01012345678"},
    {L"spreadsheet cell with its line end", L"13800138000\r\n", L"13800138000"},
    {L"surrounding blanks", L"\t (1) 2-3 \n", L"123"},
    {L"tel link", L"tel:12", L"12"},
    {L"tel link with separators", L"tel:1-2", L"12"},
    {L"tel link with extension", L"tel:+86-10-1234-5678;ext=9", L"00861012345678"},
    {L"tel link with context", L"tel:1234;phone-context=+86-10", L"1234"},
    {L"tel link, scheme in capitals", L"TEL:+1.800.555.0100", L"0018005550100"},
    {L"tel link with escaped space", L"tel:010%201234", L"0101234"},
    {L"tel link with escaped plus", L"tel:%2B8612", L"008612"},
    {L"tel link with escaped hash", L"tel:*31%23", L"*31#"},
    {L"tel link with escaped full-width digit", L"tel:%EF%BC%91%EF%BC%92", L"12"},
    {L"tel link with two slashes", L"tel://12", L"12"},
    {L"callto link", L"callto:12", L"12"},
    {L"callto link, Skype's form, with the browser's slash", L"callto://+4930123456/",
     L"004930123456"},
    {L"callto link in capitals", L"CallTo:12", L"12"},
    {L"32 characters", L"12345678901234567890123456789012", L"12345678901234567890123456789012"},
    {L"32 with the prefix", L"+123456789012345678901234567890",
     L"00123456789012345678901234567890"},

    {L"empty", L"", nullptr},
    {L"blanks only", L" \t\r\n", nullptr},
    {L"separators only", L"( ) - . /", nullptr},
    {L"plus alone", L"+", nullptr},
    {L"letters", L"call me", nullptr},
    {L"vanity number", L"1-800-FLOWERS", nullptr},
    {L"a label with the number", L"电话：010-12345678", nullptr},
    {L"extension after a comma", L"010 1234,56", nullptr},
    {L"plus inside", L"86+10", nullptr},
    {L"two pluses", L"++86", nullptr},
    {L"33 characters", L"123456789012345678901234567890123", nullptr},
    {L"33 with the prefix", L"+1234567890123456789012345678901", nullptr},
    {L"two spreadsheet cells", L"12\t34", nullptr},
    {L"two lines", L"12\r\n34", nullptr},
    {L"empty tel link", L"tel:", nullptr},
    {L"tel link of parameters only", L"tel:;ext=1", nullptr},
    {L"tel link with letters", L"tel:12abc", nullptr},
    {L"callto link with a Skype name", L"callto://echo123", nullptr},
    {L"broken escape", L"tel:12%2", nullptr},
    {L"escape that is no hex", L"tel:12%G0", nullptr},
    {L"escape that is no UTF-8", L"tel:12%FF", nullptr},
    {L"overlong UTF-8 escape", L"tel:%C0%B1", nullptr},
    {L"escape outside a link", L"12%2034", nullptr},
    {L"another scheme", L"sip:12@example.com", nullptr},
    {L"scheme without colon", L"tel12", nullptr},
};

} // namespace

TEST(NormalizeNumber, RealWorldForms) {
    for (const TForm& F : Forms) {
        const auto Got = NormalizeNumber(F.Text);
        SCOPED_TRACE(Utf8(F.Where));
        if (F.Number) {
            ASSERT_TRUE(Got.has_value()) << "refused: " << Utf8(F.Text);
            EXPECT_EQ(Utf8(*Got), Utf8(F.Number)) << Utf8(F.Text);
        } else {
            EXPECT_FALSE(Got.has_value()) << Utf8(F.Text) << " gave " << Utf8(Got.value_or(L""));
        }
    }
}

TEST(NormalizeNumber, WhatItGivesIsTakenAsItIs) {
    for (const TForm& F : Forms) {
        if (!F.Number) continue;
        EXPECT_EQ(NormalizeNumber(F.Number), std::wstring(F.Number)) << Utf8(F.Where);
    }
}

TEST(NormalizeNumber, TextLongerThanARequestIsRefusedWhateverItHolds) {
    const std::wstring Number = L"12";
    EXPECT_EQ(NormalizeNumber(std::wstring(MaxRequestLength - Number.size(), L' ') + Number),
              Number);
    EXPECT_FALSE(
        NormalizeNumber(std::wstring(MaxRequestLength + 1 - Number.size(), L' ') + Number));
}

TEST(ParseRequest, SwitchesInAnyCaseAndAlone) {
    const std::pair<const wchar_t*, TRequestKind> Switches[] = {
        {L"/answer", TRequestKind::Answer},     {L"/ANSWER", TRequestKind::Answer},
        {L"/hangup", TRequestKind::Hangup},     {L"/HangUp", TRequestKind::Hangup},
        {L"/show", TRequestKind::Show},         {L" /show ", TRequestKind::Show},
        {L"/register", TRequestKind::Register}, {L"/unregister", TRequestKind::Unregister},
    };
    for (const auto& [Text, Kind] : Switches) {
        const TDialRequest R = ParseRequest(Text);
        EXPECT_EQ(R.Kind, Kind) << Utf8(Text);
        EXPECT_TRUE(R.Number.empty());
    }
    for (const wchar_t* Text :
         {L"/answer 12", L"/ans", L"/answers", L"answer", L"-answer", L"/help", L"/show /show"})
        EXPECT_EQ(ParseRequest(Text).Kind, TRequestKind::Refused) << Utf8(Text);
}

TEST(ParseRequest, NumbersInEveryForm) {
    for (const wchar_t* Text : {L"12", L"tel:12", L"CALLTO:1-2", L"（１）２"}) {
        const TDialRequest R = ParseRequest(Text);
        EXPECT_EQ(R.Kind, TRequestKind::Number) << Utf8(Text);
        EXPECT_EQ(Utf8(R.Number), "12") << Utf8(Text);
    }
    EXPECT_EQ(ParseRequest(L"").Kind, TRequestKind::Refused);
    EXPECT_EQ(ParseRequest(L"abc").Kind, TRequestKind::Refused);
}

TEST(RequestText, ArgumentsAreJoinedWithSpaces) {
    EXPECT_EQ(RequestText({}), L"");
    EXPECT_EQ(RequestText({L"tel:1-2"}), L"tel:1-2");
    EXPECT_EQ(RequestText({L"010", L"1234", L"5678"}), L"010 1234 5678");
    EXPECT_EQ(ParseRequest(RequestText({L"010", L"1234"})).Number, L"0101234");
    EXPECT_EQ(ParseRequest(RequestText({L"/answer", L"now"})).Kind, TRequestKind::Refused);
}
