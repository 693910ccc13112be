// The skin description: an INI-style text read once per skin load and then asked for
// strings, integers and the list of sections.
#pragma once

#include "SkinStream.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TQuickIni {
  public:
    // Replaces everything with the text from the stream's position to its end; a null stream
    // changes nothing.
    void LoadFromStream(TSkinStream* stream);

    // The value of the first line with that key in the first section of that name; the
    // default when there is none or its value is empty.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal with an optional sign, "$" or "0x" followed by hexadecimal digits; the default
    // for anything else.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t defaultValue) const;
    // Section names in text order, duplicates kept, without brackets.
    void ReadSections(std::vector<std::string>& list) const;
    // Index in Lines() of the section's header line, or -1.
    int SectionIndex(std::string_view section) const;

    const std::vector<std::string>& Lines() const { return FLines; }

  private:
    struct TSection {
        std::string Header;
        int Line;
    };
    struct TKeyValue {
        std::string Key; // trimmed, lower case
        std::string Value;
        bool Header;
    };

    std::vector<std::string> FLines;
    std::vector<TSection> FSections;
    std::vector<TKeyValue> FEntries;                    // one per line of FLines
    std::unordered_map<std::string, int> FSectionIndex; // lower-case header -> first line
};

// Converts text the way integer keys are read: optional sign and decimal digits, or "$"
// and up to eight hexadecimal digits; false for anything else (including overflow).
bool SkinStrToInt(std::string_view text, std::int32_t& value);
