#include "Vocabulary.h"

#include <cstdio>
#include <string_view>

namespace devsim {

namespace {

struct Word {
    std::string_view bytes;
    const char* meaning;
};

// Commands are exactly two letters; the digit commands run "Da" ... "Dl" over 1-9, 0, *, #.
constexpr Word kCommands[] = {
    {"CA", "CA probe"},   {"Aa", "Aa off hook"}, {"Ca", "Ca reset (hang up)"}, {"Da", "Da digit 1"},
    {"Db", "Db digit 2"}, {"Dc", "Dc digit 3"},  {"Dd", "Dd digit 4"},         {"De", "De digit 5"},
    {"Df", "Df digit 6"}, {"Dg", "Dg digit 7"},  {"Dh", "Dh digit 8"},         {"Di", "Di digit 9"},
    {"Dj", "Dj digit 0"}, {"Dk", "Dk digit *"},  {"Dl", "Dl digit #"},
};

constexpr Word kReplies[] = {
    {"CA", "CA present (answers the probe)"},
    {"R", "R ring"},
};

// Either side may hold the other's output with these.
constexpr Word kFlowControl[] = {
    {"\x11", "XON (go on sending)"},
    {"\x13", "XOFF (stop sending)"},
};

template <std::size_t N> const Word* Match(const Word (&words)[N], std::string_view rest) {
    for (const Word& word : words)
        if (rest.substr(0, word.bytes.size()) == word.bytes) return &word;
    return nullptr;
}

} // namespace

std::string DescribeChunk(Direction direction, const std::uint8_t* data, std::size_t count) {
    const std::string_view chunk(reinterpret_cast<const char*>(data), count);
    std::string text;
    bool anyWord = false;
    bool inHex = false; // the last item written is a run of unknown bytes
    for (std::size_t i = 0; i < chunk.size();) {
        const std::string_view rest = chunk.substr(i);
        const Word* word = Match(kFlowControl, rest);
        if (!word)
            word =
                direction == Direction::ToDevice ? Match(kCommands, rest) : Match(kReplies, rest);
        if (!text.empty()) text += word || !inHex ? ", " : " ";
        if (word) {
            text += word->meaning;
            anyWord = true;
            inHex = false;
            i += word->bytes.size();
        } else {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", data[i]);
            text += hex;
            inHex = true;
            ++i;
        }
    }
    return anyWord ? text : std::string();
}

} // namespace devsim
