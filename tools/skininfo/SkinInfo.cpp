#include "SkinInfo.h"

#include <cstdio>

namespace {

std::string Num(int32_t V) {
    return std::to_string(V);
}

std::string Fields(std::initializer_list<std::pair<const char*, std::string>> List) {
    std::string S;
    for (const auto& [Name, Value] : List)
        S += std::string(" ") + Name + " " + Value;
    return S;
}

std::string ExtraFields(const TDataSkinObject& O) {
    if (auto* B = dynamic_cast<const TDataSkinSysButton*>(&O))
        return Fields({{"Action", Num(B->Action)},
                       {"Align", Num(B->Align)},
                       {"Xcoord", Num(B->Xcoord)},
                       {"Ycoord", Num(B->Ycoord)},
                       {"CombineOp", Num(B->CombineOp)},
                       {"Visibility", Num(B->Visibility)},
                       {"Visibility1", Num(B->Visibility1)}});
    if (auto* T = dynamic_cast<const TDataSkinTitle*>(&O))
        return Fields({{"TextAlignment", Num(T->TextAlignment)},
                       {"Textbackground", Num(T->Textbackground)},
                       {"FontHeight", Num(T->FontHeight)},
                       {"TXTBackleft", Num(T->TXTBackleft)},
                       {"TXTBackRight", Num(T->TXTBackRight)},
                       {"ActiveTextColour", SkinColourText(T->ActiveTextColour)},
                       {"InactiveTextColour", SkinColourText(T->InactiveTextColour)}});
    if (auto* B = dynamic_cast<const TDataSkinButton*>(&O))
        return Fields(
            {{"CheckBitmap", Num(B->CheckBitmap.Width()) + "x" + Num(B->CheckBitmap.Height())},
             {"RadioBitmap", Num(B->RadioBitmap.Width()) + "x" + Num(B->RadioBitmap.Height())},
             {"RadioFrameCount", Num(B->RadioFrameCount)},
             {"CheckFrameCount", Num(B->CheckFrameCount)},
             {"HasNormalColour2", B->HasNormalColour2 ? "1" : "0"},
             {"HasMouseOverColour2", B->HasMouseOverColour2 ? "1" : "0"},
             {"HasPressedColour2", B->HasPressedColour2 ? "1" : "0"}});
    if (auto* L = dynamic_cast<const TDataSkinBoxLabel*>(&O))
        return Fields({{"BackgroundLeftShift", Num(L->BackgroundLeftShift)},
                       {"BackgroundRightShift", Num(L->BackgroundRightShift)},
                       {"BackgroundAlignment", Num(L->BackgroundAlignment)}});
    if (auto* B = dynamic_cast<const TDataSkinBorder*>(&O))
        return Fields(
            {{"ExtraBitmap", Num(B->ExtraBitmap.Width()) + "x" + Num(B->ExtraBitmap.Height())}});
    return {};
}

} // namespace

std::string SkinColourText(TColor Colour) {
    const auto V = static_cast<uint32_t>(Colour);
    if (Colour == clNone) return "none";
    if ((V & 0xFF000000u) == 0xFF000000u) return WideToUtf8(ColorToString(Colour));
    char Text[16];
    if (V > 0xFFFFFFu)
        std::snprintf(Text, sizeof Text, "$%08X", static_cast<unsigned>(V));
    else
        std::snprintf(Text, sizeof Text, "%u %u %u", static_cast<unsigned>(V & 0xFF),
                      static_cast<unsigned>((V >> 8) & 0xFF), static_cast<unsigned>(V >> 16));
    return Text;
}

std::string SkinObjectText(const TDataSkinObject& O) {
    const RECT& M = O.Margins;
    return WideToUtf8(O.ClassName()) +
           Fields({{"section", O.Name},
                   {"image", Num(O.Bitmap.Width()) + "x" + Num(O.Bitmap.Height())},
                   {"frames", Num(O.FrameCount)},
                   {"margins",
                    Num(M.left) + " " + Num(M.top) + " " + Num(M.right) + " " + Num(M.bottom)},
                   {"Trans", Num(O.Trans)},
                   {"Tile", Num(O.Tile)},
                   {"Style", Num(O.Style)},
                   {"colours", Num(O.NormalColour) + " " + Num(O.MouseOverColour) + " " +
                                   Num(O.PressedColour)},
                   {"colours2", SkinColourText(O.NormalColour2) + ", " +
                                    SkinColourText(O.MouseOverColour2) + ", " +
                                    SkinColourText(O.PressedColour2)}}) +
           ExtraFields(O);
}

std::vector<std::string> SkinInfoLines(const TSkinData& Skin) {
    std::vector<std::string> Lines;
    for (const auto& [Name, Object] : Skin.Slots())
        Lines.push_back("slot " + Name + " " + (Object ? SkinObjectText(*Object) : "empty"));
    for (size_t I = 0; I < Skin.SysButtons.size(); ++I)
        Lines.push_back("button " + std::to_string(I + 1) + " " +
                        SkinObjectText(*Skin.SysButtons[I]));
    for (const auto& Key : TSkinData::ColourKeys())
        Lines.push_back(std::string("colour ") + Key.Key + " " + SkinColourText(Skin.*Key.Field));
    return Lines;
}
