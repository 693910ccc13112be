// The gallery window under Wine, checked on the screen's pixels: a lit button face, the raised
// caption's offsets, glyphs above and below captions, a transparent group box and a clNone edit
// showing their parent, the status bar's flat colour, and hot tracking while the real pointer
// is over a button. A capture of the window is left as gallery.bmp for a look.
#include "GalleryForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

void Pump() {
    Application->ProcessMessages();
}

// What the message loop does between messages: idle processing finds the control under the
// pointer.
void PumpAndIdle() {
    Pump();
    Application->Idle();
    Pump();
}

std::unique_ptr<TGalleryForm> MakeGallery() {
    std::unique_ptr<TGalleryForm> F(TCustomForm::CreateForm<TGalleryForm>(nullptr));
    F->SetFormStyle(fsStayOnTop);
    // The pointer stays away from the window unless a test moves it there.
    SetCursorPos(F->Left() + F->Width() + 100, F->Top() + F->Height() + 100);
    F->Show();
    SetForegroundWindow(F->Handle());
    RedrawWindow(F->Handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    PumpAndIdle();
    return F;
}

template <class C> C* Find(TComponent& Root, const wchar_t* Name) {
    auto* X = dynamic_cast<C*>(Root.FindComponent(Name));
    EXPECT_NE(X, nullptr) << Name;
    return X;
}

struct TRgb {
    int R, G, B;
    bool operator==(const TRgb&) const = default;
    int Lum() const { return (R * 30 + G * 59 + B * 11) / 100; }
    bool Near(TRgb O, int Tol = 12) const {
        return std::abs(R - O.R) <= Tol && std::abs(G - O.G) <= Tol && std::abs(B - O.B) <= Tol;
    }
};

std::ostream& operator<<(std::ostream& S, const TRgb& C) {
    return S << "rgb(" << C.R << "," << C.G << "," << C.B << ")";
}

TRgb Rgb(TColor C) {
    uint32_t V = ColorToRGB(C);
    return {static_cast<int>(V & 0xFF), static_cast<int>((V >> 8) & 0xFF),
            static_cast<int>((V >> 16) & 0xFF)};
}

// The pixels a control's window shows, read back from the window (what the screen gets once
// the system copies the window's picture there).
class TShot {
  public:
    explicit TShot(TWinControl& C) {
        RECT R;
        GetWindowRect(C.Handle(), &R);
        FW = R.right - R.left;
        FH = R.bottom - R.top;
        FBitmap = std::make_unique<TBitmap>(FW, FH);
        TWindowDC Window(C.Handle(), true);
        BitBlt(FBitmap->Canvas()->Handle(), 0, 0, FW, FH, Window, 0, 0, SRCCOPY);
        GdiFlush();
    }
    int Width() const { return FW; }
    int Height() const { return FH; }
    TRgb At(int X, int Y) const {
        const uint8_t* P = FBitmap->ScanLine(Y) + X * 3;
        return {P[2], P[1], P[0]};
    }
    // The bounding box of the pixels a test accepts, inside an area; empty when none.
    template <class F> RECT Box(const RECT& Area, F Accept) const {
        RECT B{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (int Y = Area.top; Y < Area.bottom; ++Y)
            for (int X = Area.left; X < Area.right; ++X)
                if (Accept(At(X, Y))) {
                    B.left = std::min<LONG>(B.left, X);
                    B.top = std::min<LONG>(B.top, Y);
                    B.right = std::max<LONG>(B.right, X + 1);
                    B.bottom = std::max<LONG>(B.bottom, Y + 1);
                }
        return B.left == INT_MAX ? RECT{0, 0, 0, 0} : B;
    }
    void Save(const char* Path) const {
        TBytes Data = FBitmap->SaveToStream();
        std::ofstream(Path, std::ios::binary)
            .write(reinterpret_cast<const char*>(Data.data()), static_cast<long>(Data.size()));
    }

  private:
    int FW, FH;
    std::unique_ptr<TBitmap> FBitmap;
};

bool Empty(const RECT& R) {
    return R.right <= R.left;
}

} // namespace

TEST(Gallery, LitFaceTransparencyAndFlatColourOnScreen) {
    auto F = MakeGallery();
    TShot Window(*F);
    Window.Save("gallery.bmp");

    // A lit key: its face is the colour the program gave it.
    TRgb Lit = Rgb(static_cast<TColor>(0x00FF80FF));
    EXPECT_EQ(TShot(*Find<TRzBitBtn>(*F, L"BtnLit")).At(4, 4), Lit);
    TShot Key2(*Find<TRzBitBtn>(*F, L"Key2"));
    EXPECT_EQ(Key2.At(4, Key2.Height() / 2), Lit);
    EXPECT_EQ(TShot(*Find<TRzBitBtn>(*F, L"Key1")).At(4, 4), Rgb(clBtnFace));

    // The transparent group box and the clNone edit in it show the panel behind them.
    TRgb Panel = Rgb(static_cast<TColor>(0x00C08040));
    TShot Group(*Find<TRzGroupBox>(*F, L"GroupTransparent"));
    EXPECT_EQ(Group.At(Group.Width() - 20, Group.Height() - 10), Panel);
    EXPECT_EQ(Group.At(3, Group.Height() - 3), Panel);
    TShot Number(*Find<TRzEdit>(*F, L"EditNumber"));
    EXPECT_EQ(Number.At(Number.Width() - 6, Number.Height() / 2), Panel);
    EXPECT_EQ(Number.At(0, 0), Rgb(clBtnHighlight)); // its frame line
    // ... while the opaque one shows its own colour.
    TShot Opaque(*Find<TRzGroupBox>(*F, L"GroupOpaque"));
    EXPECT_EQ(Opaque.At(Opaque.Width() - 5, Opaque.Height() - 4), Rgb(clWindow));

    // The status bar's flat frame lines, and the status line's own colour.
    TShot Bar(*Find<TRzStatusBar>(*F, L"StatusFlat"));
    EXPECT_EQ(Bar.At(0, 0), Rgb(clActiveCaption));
    EXPECT_EQ(Bar.At(Bar.Width() - 1, Bar.Height() - 1), Rgb(clActiveCaption));
    EXPECT_EQ(Bar.At(Bar.Width() - 4, 3), Rgb(clBtnFace));
    TShot Status(*Find<TRzEdit>(*F, L"EditStatus"));
    EXPECT_EQ(Status.At(Status.Width() - 3, Status.Height() - 3),
              Rgb(static_cast<TColor>(0x0000FF80)));
    TShot Disabled(*Find<TRzEdit>(*F, L"EditDisabled"));
    EXPECT_EQ(Disabled.At(Disabled.Width() - 3, Disabled.Height() - 3), Rgb(clBlue));
}

TEST(Gallery, RaisedCaptionIsLitAboveLeftAndShadedBelowRight) {
    auto F = MakeGallery();
    auto* Key = Find<TRzBitBtn>(*F, L"Key1");
    TShot S(*Key);
    RECT Inside{3, 3, S.Width() - 3, S.Height() - 3};
    int Face = Rgb(clBtnFace).Lum();
    ASSERT_GT(Rgb(clBtnHighlight).Lum(), Face) << "the highlight must be lighter than the face";
    // Lighter than the face: the highlight copy; darker: the caption and its shadow copy. Edges
    // of smoothed glyphs blend, so only the outer edges of the two boxes are exact.
    RECT L = S.Box(Inside, [&](TRgb C) { return C.Lum() > Face + 6; });
    RECT K = S.Box(Inside, [&](TRgb C) { return C.Lum() < Face - 6; });
    ASSERT_FALSE(Empty(L));
    ASSERT_FALSE(Empty(K));
    // The glyph's own extent, drawn plainly with the same font.
    TBitmap Plain(Key->Width(), Key->Height());
    TCanvas& C = *Plain.Canvas();
    C.Brush()->SetColor(clWhite);
    C.FillRect({0, 0, Plain.Width(), Plain.Height()});
    C.Font()->Assign(*Key->Font());
    C.Font()->SetColor(clBlack);
    C.Brush()->SetStyle(bsClear);
    C.TextOut(10, 5, Key->Caption());
    RECT G{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int Y = 0; Y < Plain.Height(); ++Y)
        for (int X = 0; X < Plain.Width(); ++X) {
            const uint8_t* P = Plain.ScanLine(Y) + X * 3;
            if (P[0] + P[1] + P[2] < 3 * 250) {
                G.left = std::min<LONG>(G.left, X);
                G.top = std::min<LONG>(G.top, Y);
                G.right = std::max<LONG>(G.right, X + 1);
                G.bottom = std::max<LONG>(G.bottom, Y + 1);
            }
        }
    ASSERT_LT(G.left, G.right);
    // Lit one pixel up-left, shaded one pixel down-right: the copies span the glyph plus two.
    EXPECT_EQ(K.right - L.left, G.right - G.left + 2);
    EXPECT_EQ(K.bottom - L.top, G.bottom - G.top + 2);
    EXPECT_LT(L.left, K.left);
    EXPECT_LT(L.top, K.top);
    EXPECT_GT(K.right, L.right);
    EXPECT_GT(K.bottom, L.bottom);

    // A disabled caption is embossed: nothing as dark as a caption is left.
    auto* Off = Find<TRzBitBtn>(*F, L"BtnDisabled");
    TShot O(*Off);
    RECT OT = O.Box({3, 3, O.Width() - 3, O.Height() - 3},
                    [&](TRgb C) { return C.Near(Rgb(clWindowText), 40); });
    EXPECT_TRUE(Empty(OT));
}

TEST(Gallery, GlyphsSitAboveOrBelowTheirCaptions) {
    auto F = MakeGallery();
    auto Navy = [](TRgb C) { return C.B >= 100 && C.R < 40 && C.G < 40; };
    auto Dark = [](TRgb C) { return C.Lum() < 60 && !(C.B >= 100 && C.R < 40 && C.G < 40); };
    for (const wchar_t* Name : {L"BtnTop", L"BtnBottom"}) {
        SCOPED_TRACE(std::string(Name == std::wstring(L"BtnTop") ? "top" : "bottom"));
        TShot S(*Find<TRzBitBtn>(*F, Name));
        RECT Inside{3, 3, S.Width() - 3, S.Height() - 3};
        RECT G = S.Box(Inside, Navy), T = S.Box(Inside, Dark);
        ASSERT_FALSE(Empty(G));
        ASSERT_FALSE(Empty(T));
        if (Name == std::wstring(L"BtnTop")) {
            EXPECT_LE(G.bottom + 3, T.top) << "glyph, 3 pixels, caption";
        } else {
            EXPECT_LE(T.bottom + 3, G.top) << "caption, 3 pixels, glyph";
        }
        // Both are centred across the button.
        EXPECT_LE(std::abs((G.left + G.right) - (T.left + T.right)), 4);
    }
    // The disabled button shows the second image of its strip (grey, no green).
    TShot Off(*Find<TRzBitBtn>(*F, L"BtnDisabled"));
    RECT Green = Off.Box({0, 0, Off.Width(), Off.Height()},
                         [](TRgb C) { return C.G >= 140 && C.R < 40 && C.B < 40; });
    EXPECT_TRUE(Empty(Green));
    TShot On(*Find<TRzBitBtn>(*F, L"BtnNormal"));
    EXPECT_FALSE(Empty(On.Box({0, 0, On.Width(), On.Height()},
                              [](TRgb C) { return C.G >= 140 && C.R < 40 && C.B < 40; })));
}

TEST(Gallery, HotTrackingFollowsTheRealPointer) {
    auto F = MakeGallery();
    auto* Hot = Find<TRzBitBtn>(*F, L"BtnHot");
    TRgb Face = TShot(*Hot).At(4, 4);
    EXPECT_EQ(TShot(*Hot).At(0, 0), Rgb(clBtnHighlight));
    EXPECT_FALSE(Hot->MouseInControl());

    POINT Centre = Hot->ClientToScreen({Hot->Width() / 2, Hot->Height() / 2});
    SetCursorPos(Centre.x, Centre.y);
    PumpAndIdle();
    EXPECT_TRUE(Hot->MouseInControl());
    Hot->Update();
    TShot Over(*Hot);
    EXPECT_EQ(Over.At(0, 0), Rgb(clRed)); // the hot frame
    EXPECT_NE(Over.At(4, 4), Face);       // a lighter face
    EXPECT_GT(Over.At(4, 4).Lum(), Face.Lum());
    // The pointer shape is the hand the button asks for.
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));

    // Held down, the button is sunken.
    SendMessageW(Hot->Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(Hot->Width() / 2, Hot->Height() / 2));
    Hot->Update();
    EXPECT_EQ(TShot(*Hot).At(0, 0), Rgb(clBtnShadow));
    SendMessageW(Hot->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(Hot->Width() / 2, Hot->Height() / 2));

    // Moving to another button hands the hot look over.
    auto* Other = Find<TRzBitBtn>(*F, L"BtnDefault");
    POINT P = Other->ClientToScreen({Other->Width() / 2, Other->Height() / 2});
    SetCursorPos(P.x, P.y);
    PumpAndIdle();
    Hot->Update();
    Other->Update();
    EXPECT_FALSE(Hot->MouseInControl());
    EXPECT_TRUE(Other->MouseInControl());
    EXPECT_EQ(TShot(*Hot).At(0, 0), Rgb(clBtnHighlight));
    EXPECT_EQ(TShot(*Hot).At(4, 4), Face);

    // Leaving the window ends it.
    SetCursorPos(F->Left() + F->Width() + 60, F->Top() + 10);
    PumpAndIdle();
    EXPECT_FALSE(Other->MouseInControl());
}

TEST(Gallery, RepaintingLeaksNoDrawingObjects) {
    auto F = MakeGallery();
    long Gdi = LiveHandles(THandleKind::GdiObject);
    long DCs = LiveHandles(THandleKind::DC);
    for (int I = 0; I < 25; ++I) {
        RedrawWindow(F->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Find<TRzBitBtn>(*F, L"BtnHot")->Perform(CM_MOUSEENTER);
        Find<TRzBitBtn>(*F, L"BtnHot")->Update();
        Find<TRzBitBtn>(*F, L"BtnHot")->Perform(CM_MOUSELEAVE);
        Pump();
    }
    EXPECT_EQ(LiveHandles(THandleKind::GdiObject), Gdi);
    EXPECT_EQ(LiveHandles(THandleKind::DC), DCs);
}
