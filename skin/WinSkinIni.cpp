#include "WinSkinIni.h"

#include "SkinText.h"

#include <limits>

namespace {

bool IsHeader(std::string_view line) {
    return !line.empty() && line.front() == '[' && line.back() == ']';
}

} // namespace

void TQuickIni::LoadFromStream(TSkinStream* stream) {
    if (!stream) return;
    std::string text(stream->Size() > stream->Position() ? stream->Size() - stream->Position() : 0,
                     '\0');
    text.resize(stream->Read(text.data(), text.size()));

    FLines.clear();
    FSections.clear();
    FEntries.clear();
    FSectionIndex.clear();
    for (std::string_view raw : SkinText::SplitLines(text, true)) {
        std::string_view line = SkinText::Trim(raw);
        if (line.empty() || line.front() == ';') continue;
        const int index = static_cast<int>(FLines.size());
        FLines.emplace_back(line);
        TKeyValue entry{"", "", IsHeader(line)};
        std::size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            entry.Key = SkinText::LowerCase(SkinText::Trim(line.substr(0, equals)));
            entry.Value = SkinText::Trim(line.substr(equals + 1));
        }
        if (entry.Header) {
            FSections.push_back({std::string(line), index});
            FSectionIndex.try_emplace(SkinText::LowerCase(line), index);
        }
        FEntries.push_back(std::move(entry));
    }
}

int TQuickIni::SectionIndex(std::string_view section) const {
    std::string header = "[";
    header += section;
    header += ']';
    auto found = FSectionIndex.find(SkinText::LowerCase(header));
    return found == FSectionIndex.end() ? -1 : found->second;
}

std::string TQuickIni::ReadString(std::string_view section, std::string_view key,
                                  std::string_view defaultValue) const {
    int index = FLines.empty() ? -1 : SectionIndex(section);
    if (index < 0) return std::string(defaultValue);
    const std::string wanted = SkinText::LowerCase(key);
    for (std::size_t i = static_cast<std::size_t>(index) + 1;
         i < FEntries.size() && !FEntries[i].Header; ++i) {
        if (FEntries[i].Key == wanted)
            return FEntries[i].Value.empty() ? std::string(defaultValue) : FEntries[i].Value;
    }
    return std::string(defaultValue);
}

std::int32_t TQuickIni::ReadInteger(std::string_view section, std::string_view key,
                                    std::int32_t defaultValue) const {
    std::string text = ReadString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    std::int32_t value;
    return SkinStrToInt(text, value) ? value : defaultValue;
}

void TQuickIni::ReadSections(std::vector<std::string>& list) const {
    list.clear();
    for (const TSection& section : FSections) {
        std::string_view name = SkinText::Trim(section.Header);
        name = name.size() >= 2 ? name.substr(1, name.size() - 2) : std::string_view();
        list.emplace_back(SkinText::Trim(name));
    }
}

bool SkinStrToInt(std::string_view text, std::int32_t& value) {
    if (text.empty()) return false;
    if (text[0] == '$') {
        if (text.size() == 1) return false;
        std::uint64_t v = 0;
        for (char c : text.substr(1)) {
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return false;
            v = v * 16 + static_cast<unsigned>(digit);
            if (v > 0xFFFFFFFFu) return false;
        }
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
        return true;
    }
    bool negative = text[0] == '-';
    if (text[0] == '-' || text[0] == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    std::int64_t v = 0;
    const std::int64_t limit = negative ? std::int64_t(1) << 31 : (std::int64_t(1) << 31) - 1;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > limit) return false;
    }
    value = static_cast<std::int32_t>(negative ? -v : v);
    return true;
}
