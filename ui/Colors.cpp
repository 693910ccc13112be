#include "Colors.h"

#include "SysUtils.h"

#include <windows.h>

namespace {

struct TColorName {
    TColor Value;
    const wchar_t* Name;
};

// Names of the standard colours first: where two names share a value (clSilver and clLtGray)
// the first one is the text written.
constexpr TColorName ColorNames[] = {
    {clBlack, L"clBlack"},
    {clMaroon, L"clMaroon"},
    {clGreen, L"clGreen"},
    {clOlive, L"clOlive"},
    {clNavy, L"clNavy"},
    {clPurple, L"clPurple"},
    {clTeal, L"clTeal"},
    {clGray, L"clGray"},
    {clSilver, L"clSilver"},
    {clRed, L"clRed"},
    {clLime, L"clLime"},
    {clYellow, L"clYellow"},
    {clBlue, L"clBlue"},
    {clFuchsia, L"clFuchsia"},
    {clAqua, L"clAqua"},
    {clWhite, L"clWhite"},
    {clLtGray, L"clLtGray"},
    {clDkGray, L"clDkGray"},
    {clMoneyGreen, L"clMoneyGreen"},
    {clSkyBlue, L"clSkyBlue"},
    {clCream, L"clCream"},
    {clMedGray, L"clMedGray"},
    {clScrollBar, L"clScrollBar"},
    {clBackground, L"clBackground"},
    {clActiveCaption, L"clActiveCaption"},
    {clInactiveCaption, L"clInactiveCaption"},
    {clMenu, L"clMenu"},
    {clWindow, L"clWindow"},
    {clWindowFrame, L"clWindowFrame"},
    {clMenuText, L"clMenuText"},
    {clWindowText, L"clWindowText"},
    {clCaptionText, L"clCaptionText"},
    {clActiveBorder, L"clActiveBorder"},
    {clInactiveBorder, L"clInactiveBorder"},
    {clAppWorkSpace, L"clAppWorkSpace"},
    {clHighlight, L"clHighlight"},
    {clHighlightText, L"clHighlightText"},
    {clBtnFace, L"clBtnFace"},
    {clBtnShadow, L"clBtnShadow"},
    {clGrayText, L"clGrayText"},
    {clBtnText, L"clBtnText"},
    {clInactiveCaptionText, L"clInactiveCaptionText"},
    {clBtnHighlight, L"clBtnHighlight"},
    {cl3DDkShadow, L"cl3DDkShadow"},
    {cl3DLight, L"cl3DLight"},
    {clInfoText, L"clInfoText"},
    {clInfoBk, L"clInfoBk"},
    {clHotLight, L"clHotLight"},
    {clGradientActiveCaption, L"clGradientActiveCaption"},
    {clGradientInactiveCaption, L"clGradientInactiveCaption"},
    {clMenuHighlight, L"clMenuHighlight"},
    {clMenuBar, L"clMenuBar"},
    {clNone, L"clNone"},
    {clDefault, L"clDefault"},
};

} // namespace

std::wstring ColorToString(TColor Color) {
    for (const auto& N : ColorNames)
        if (N.Value == Color) return N.Name;
    return L"$" + IntToHex(static_cast<uint32_t>(Color), 8);
}

bool TryStringToColor(std::wstring_view Text, TColor& Color) {
    std::wstring T = Trim(Text);
    for (const auto& N : ColorNames)
        if (SameText(T, N.Name)) {
            Color = N.Value;
            return true;
        }
    long long V;
    if (!TryStrToInt64(T, V) || V < INT32_MIN || V > static_cast<long long>(UINT32_MAX))
        return false;
    Color = static_cast<TColor>(static_cast<int32_t>(static_cast<uint32_t>(V)));
    return true;
}

TColor StringToColor(std::wstring_view Text) {
    TColor C;
    if (!TryStringToColor(Text, C))
        throw EConvertError(L"'" + std::wstring(Text) + L"' is not a valid colour");
    return C;
}

uint32_t ColorToRGB(TColor Color) {
    uint32_t V = static_cast<uint32_t>(Color);
    if ((V & 0xFF000000u) == 0xFF000000u) return GetSysColor(static_cast<int>(V & 0xFF));
    return V;
}
