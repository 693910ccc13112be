// The number normalisation on any text (read as UTF-16 code units): what it accepts is 1 to 32
// dialable characters and is accepted again unchanged, and the same text as a tel: link's
// number never gives more than the plain text can hold.
#include "app/DialRequest.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    for (const std::wstring& form : {text, L"tel:" + text, L"callto://" + text}) {
        const auto number = NormalizeNumber(form);
        (void)ParseRequest(form);
        if (!number) continue;
        if (number->empty() || number->size() > MaxNumberLength) std::abort();
        for (wchar_t c : *number)
            if (!((c >= L'0' && c <= L'9') || c == L'*' || c == L'#')) std::abort();
        if (NormalizeNumber(*number) != number) std::abort();
    }
    return 0;
}
