// skingen: draws the pictures of our default skin and writes them as 24-bit BMP files.
// A light blue-grey frame with a readable dark caption, flat caption buttons that light up
// when hot, and soft rounded controls, all in the colours of the skin description.
#include "Raster.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

// The description's colours and the shades drawn from them.
const TRgb Face = Hex(0xE0DFE3);   // ButtonFace 224 223 227
const TRgb Ink = Hex(0x35404F);    // glyphs
const TRgb Accent = Hex(0x3D7BD9); // checked and filled parts
const TRgb White = Hex(0xFFFFFF);
const TRgb Line = Hex(0x9AA5B4);     // control outlines
const TRgb Disabled = Hex(0xC3C7CD); // disabled glyphs and outlines
const TRgb Track = Hex(0xEAF0F7);    // scroll track, a pale form of Scrollbar 210 232 249

struct TFrameColours {
    TRgb Outline, CaptionTop, CaptionBottom, Body, Inner;
};
const TFrameColours ActiveFrame{Hex(0x7D8DA4), Hex(0xF4F7FB), Hex(0xD6DFEA), Hex(0xD6DFEA),
                                Hex(0xB4C0D0)};
const TFrameColours InactiveFrame{Hex(0xAEB3BB), Hex(0xF6F6F8), Hex(0xE4E5E9), Hex(0xE4E5E9),
                                  Hex(0xCDD0D6)};

constexpr int CaptionHeight = 29, Border = 3;

TPaint Vertical(TRgb top, TRgb bottom, double y0, double y1) {
    return [=](double, double y) {
        return Mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0, 1.0));
    };
}

// ---- window frame ----------------------------------------------------------------------
// A whole frame is drawn once for a window of 120 × 100 and then cut into the four edge
// pictures, whose middles are stretched by the engine.
constexpr int VW = 120, VH = 100;

TRaster WindowFrame(const TFrameColours& c) {
    TRaster w(VW, VH);
    auto shape = [](double inset) {
        TShape top = RoundRect(inset, inset, VW - inset, VH - inset, 6 - inset);
        TShape bottom = RoundRect(inset, inset, VW - inset, VH - inset, 2 - inset / 2);
        return TShape([=](double x, double y) { return y < VH / 2 ? top(x, y) : bottom(x, y); });
    };
    const TRgb desktop = Hex(0x9099A5);
    w.Fill(shape(0), c.Outline, desktop);
    w.Fill(
        shape(1),
        [&](double, double y) {
            if (y < 2) return Mix(c.CaptionTop, White, 0.7);
            if (y < CaptionHeight - 1)
                return Mix(c.CaptionTop, c.CaptionBottom, (y - 2) / (CaptionHeight - 3));
            return c.Body;
        },
        c.Outline);
    // A fine line where the frame meets the client area and under the caption.
    for (int x = Border - 1; x <= VW - Border; ++x) {
        w.Set(x, CaptionHeight - 1, 0);
        w.Set(x, VH - Border, 0);
    }
    for (int y = CaptionHeight - 1; y <= VH - Border; ++y) {
        w.Set(Border - 1, y, 0);
        w.Set(VW - Border, y, 0);
    }
    auto inner = static_cast<std::uint32_t>(c.Inner.R) << 16 |
                 static_cast<std::uint32_t>(c.Inner.G) << 8 | static_cast<std::uint32_t>(c.Inner.B);
    for (int y = 0; y < VH; ++y)
        for (int x = 0; x < VW; ++x)
            if (w.Get(x, y) == 0) w.Set(x, y, inner);
    return w;
}

struct TEdges {
    TRaster Top{60, CaptionHeight}, Left{Border, 63}, Right{Border, 63}, Bottom{43, Border};
};

TEdges CutFrame(const TRaster& w) {
    TEdges e;
    // Top: fixed 25 on the left, 3 stretched, fixed 32 on the right.
    e.Top.Copy(w, Border, 0, 25, CaptionHeight, 0, 0);
    e.Top.Copy(w, VW / 2, 0, 3, CaptionHeight, 25, 0);
    e.Top.Copy(w, VW - Border - 32, 0, 32, CaptionHeight, 28, 0);
    // Left and right: fixed 30 at the top, 30 stretched, fixed 3 at the bottom.
    for (auto [edge, x] : {std::pair{&e.Left, 0}, std::pair{&e.Right, VW - Border}}) {
        edge->Copy(w, x, 0, Border, 30, 0, 0);
        edge->Copy(w, x, 45, Border, 30, 0, 30);
        edge->Copy(w, x, VH - Border, Border, Border, 0, 60);
    }
    // Bottom: fixed 2 on each side of a stretched middle.
    e.Bottom.Copy(w, Border, VH - Border, 2, Border, 0, 0);
    e.Bottom.Copy(w, VW / 2, VH - Border, 39, Border, 2, 0);
    e.Bottom.Copy(w, VW - Border - 2, VH - Border, 2, Border, 41, 0);
    return e;
}

// ---- caption buttons ---------------------------------------------------------------------
enum class TGlyph { Close, Maximize, Restore, Minimize };

// Draws a glyph designed on a 21 × 21 grid into a box of `size` pixels at (ox, oy).
void DrawGlyph(TRaster& r, TGlyph glyph, TRgb colour, TRgb matte, double ox, double oy,
               double size) {
    const double k = size / 21.0;
    auto X = [&](double u) { return ox + u * k; };
    auto Y = [&](double v) { return oy + v * k; };
    const double stroke = std::max(1.3, 1.6 * k);
    TShape shape;
    switch (glyph) {
    case TGlyph::Close:
        shape = Union(Segment(X(6.5), Y(6.5), X(14.5), Y(14.5), stroke),
                      Segment(X(14.5), Y(6.5), X(6.5), Y(14.5), stroke));
        break;
    case TGlyph::Maximize:
        shape = Minus(RoundRect(X(5.5), Y(5.5), X(15.5), Y(15.5), k),
                      RoundRect(X(5.5) + stroke * 0.8, Y(5.5) + stroke * 1.6,
                                X(15.5) - stroke * 0.8, Y(15.5) - stroke * 0.8, 0));
        break;
    case TGlyph::Restore: {
        TShape front = RoundRect(X(5), Y(8), X(13), Y(16), k);
        TShape frontHole = RoundRect(X(5) + stroke * 0.8, Y(8) + stroke * 1.4, X(13) - stroke * 0.8,
                                     Y(16) - stroke * 0.8, 0);
        TShape back = Minus(Minus(RoundRect(X(8), Y(5), X(16), Y(13), k),
                                  RoundRect(X(8) + stroke * 0.8, Y(5) + stroke * 1.4,
                                            X(16) - stroke * 0.8, Y(13) - stroke * 0.8, 0)),
                            RoundRect(X(5), Y(8), X(13), Y(16), k));
        shape = Union(Minus(front, frontHole), back);
        break;
    }
    case TGlyph::Minimize:
        shape = RoundRect(X(6), Y(12.5), X(15), Y(12.5) + stroke * 1.1, 0.3);
        break;
    }
    r.Fill(shape, colour, matte);
}

TRaster CaptionButton(TGlyph glyph) {
    const TRgb activeMatte = Mix(ActiveFrame.CaptionTop, ActiveFrame.CaptionBottom, 0.55);
    const TRgb inactiveMatte = Mix(InactiveFrame.CaptionTop, InactiveFrame.CaptionBottom, 0.55);
    const bool close = glyph == TGlyph::Close;
    struct TLook {
        bool Back;
        TRgb Fill, Glyph, Matte;
    };
    const TLook looks[6] = {
        {false, {}, Ink, activeMatte}, // normal
        {true, close ? Hex(0xB3302F) : Hex(0xA9B9CE), close ? White : Hex(0x1E2631),
         activeMatte},                                                                   // pressed
        {true, close ? Hex(0xE04848) : Hex(0xC7D5E7), close ? White : Ink, activeMatte}, // hot
        {false, {}, Hex(0xA3A8B0), inactiveMatte},                                       // inactive
        {false, {}, Disabled, activeMatte},                                              // disabled
        {true, Hex(0xE1E4EA), Hex(0x7C828C), inactiveMatte}, // inactive, hot
    };
    std::vector<TRaster> frames;
    for (const TLook& look : looks) {
        TRaster f(21, 21);
        if (look.Back) f.Fill(RoundRect(1, 1, 20, 20, 4), look.Fill, look.Matte);
        DrawGlyph(f, glyph, look.Glyph, look.Back ? look.Fill : look.Matte, 0, 0, 21);
        frames.push_back(f);
    }
    return Strip(frames);
}

// Minimise, restore and close of a maximised child window, shown in the menu bar.
TRaster MdiControls() {
    const TRgb matte = Hex(0xE9EDF3);
    std::vector<TRaster> frames;
    for (TGlyph glyph : {TGlyph::Minimize, TGlyph::Restore, TGlyph::Close})
        for (int state = 1; state <= 4; ++state) {
            TRaster f(15, 15);
            TRgb back = state == 2 ? Hex(0xA9B9CE) : Hex(0xC7D5E7);
            if (state > 1) f.Fill(RoundRect(0.5, 0.5, 14.5, 14.5, 3), back, matte);
            DrawGlyph(f, glyph, Ink, state > 1 ? back : matte, 0, 0, 15);
            frames.push_back(f);
        }
    return Strip(frames);
}

TRaster MenuBar() {
    std::vector<TRaster> frames;
    for (const TFrameColours* c : {&ActiveFrame, &InactiveFrame}) {
        TRaster f(20, 11);
        f.Fill([](double, double) { return true; },
               Vertical(Mix(c->Body, White, 0.55), c->Body, 0, 11), Face);
        for (int x = 0; x < 20; ++x)
            f.Set(x, 10, 0xC5CEDA);
        frames.push_back(f);
    }
    return Strip(frames, true);
}

// ---- buttons and check marks ----------------------------------------------------------------
TRaster PushButtons() {
    struct TLook {
        TRgb Border, Top, Bottom;
    };
    const TLook looks[5] = {
        {Line, Hex(0xFBFCFD), Hex(0xE7EAEF)},          // normal
        {Hex(0x7D8A9C), Hex(0xCBD4E0), Hex(0xD9E0EA)}, // pressed
        {Disabled, Hex(0xF0F0F2), Hex(0xEAEAED)},      // disabled
        {Hex(0x6C93C8), Hex(0xF5F9FE), Hex(0xDCE7F6)}, // hot or focused
        {Hex(0x4F7DBD), Hex(0xFBFCFD), Hex(0xE4EAF3)}, // default
    };
    std::vector<TRaster> frames;
    for (const TLook& l : looks) {
        // Drawn opaquely onto the face colour: the corners are face, not transparent.
        TRaster f(18, 21, 0xE0DFE3);
        f.Fill(RoundRect(0, 0, 18, 21, 3), l.Border, Face);
        f.Fill(RoundRect(1, 1, 17, 20, 2.2), Vertical(l.Top, l.Bottom, 1, 20), l.Border);
        frames.push_back(f);
    }
    return Strip(frames);
}

TShape CheckMark(double s) {
    return Union(Segment(3.2 * s, 6.8 * s, 5.4 * s, 9.2 * s, 1.9 * s),
                 Segment(5.4 * s, 9.2 * s, 9.9 * s, 4.0 * s, 1.9 * s));
}

TRaster CheckBoxes() {
    std::vector<TRaster> frames;
    auto box = [&](TRgb border, TRgb fill, TShape mark, TRgb markColour) {
        TRaster f(13, 13);
        f.Fill(RoundRect(0.5, 0.5, 12.5, 12.5, 2.5), border, Face);
        f.Fill(RoundRect(1.5, 1.5, 11.5, 11.5, 1.6), fill, border);
        if (mark) f.Fill(mark, markColour, fill);
        frames.push_back(f);
    };
    box(Hex(0x7F8A99), White, nullptr, {});                           // unchecked
    box(Accent, Accent, CheckMark(1.0), White);                       // checked
    box(Disabled, Hex(0xF1F1F3), nullptr, {});                        // disabled
    box(Hex(0xAFC3DF), Hex(0xAFC3DF), CheckMark(1.0), Hex(0xF4F7FB)); // disabled checked
    box(Accent, Accent, RoundRect(3.3, 5.6, 9.7, 7.4, 0.6), White);   // indeterminate
    return Strip(frames);
}

TRaster RadioButtons() {
    std::vector<TRaster> frames;
    auto radio = [&](TRgb border, TRgb fill, TRgb dot, bool checked) {
        TRaster f(13, 13);
        f.Fill(Circle(6.5, 6.5, 6.1), border, Face);
        f.Fill(Circle(6.5, 6.5, 5.0), fill, border);
        if (checked) f.Fill(Circle(6.5, 6.5, 2.7), dot, fill);
        frames.push_back(f);
    };
    radio(Hex(0x7F8A99), White, {}, false);                   // unchecked
    radio(Accent, White, Accent, true);                       // checked
    radio(Disabled, Hex(0xF1F1F3), {}, false);                // disabled
    radio(Hex(0xAFC3DF), Hex(0xF4F7FB), Hex(0xAFC3DF), true); // disabled checked
    radio(Hex(0x6C93C8), Hex(0xF5F9FE), {}, false);           // hot
    return Strip(frames);
}

// ---- edits and combo boxes -------------------------------------------------------------------
TRaster SunkEdge() {
    std::vector<TRaster> frames;
    for (TRgb border : {Hex(0xA8B3C2), Hex(0x7D8FA8), Disabled, Hex(0x5B8BD0)}) {
        bool disabled = border.R == Disabled.R;
        TRaster f(5, 21, disabled ? 0xF0F0F2 : 0xFFFFFF);
        f.Fill([&](double x, double y) { return x < 1 || x > 4 || y < 1 || y > 20; }, border,
               border);
        frames.push_back(f);
    }
    return Strip(frames);
}

TRaster ComboButtons() {
    const TRgb fills[4] = {Hex(0xE9EEF5), Hex(0xC9D5E5), Hex(0xF0F0F2), Hex(0xD9E5F4)};
    std::vector<TRaster> frames;
    for (TRgb fill : fills) {
        // The outer pixel stays transparent so that the edit's own border shows around it.
        TRaster f(16, 18);
        f.Fill(RoundRect(1, 1, 15, 17, 2), fill, White);
        for (int y = 2; y < 16; ++y)
            f.Set(1, y, 0xC5CFDC);
        frames.push_back(f);
    }
    return Strip(frames);
}

TRaster ExtraImages() {
    std::vector<TRaster> frames;
    const TRgb arrows[4] = {Hex(0x4A5566), Hex(0x2E3845), Hex(0xB0B5BD), Hex(0x2F5F9E)};
    const TRgb mattes[4] = {Hex(0xE9EEF5), Hex(0xC9D5E5), Hex(0xF0F0F2), Hex(0xD9E5F4)};
    for (int i = 0; i < 4; ++i) {
        TRaster f(16, 16);
        f.Fill(Triangle(4.5, 6.5, 11.5, 6.5, 8, 10.5), arrows[i], mattes[i]);
        frames.push_back(f);
    }
    // Size grip: a triangle of dots, each with a light fleck below right.
    TRaster grip(16, 16);
    for (int row = 0; row < 4; ++row)
        for (int col = 3 - row; col < 4; ++col) {
            double x = 3.5 + col * 3, y = 3.5 + row * 3;
            grip.Fill(RoundRect(x + 1, y + 1, x + 2.5, y + 2.5, 0.3), White, Face);
            grip.Fill(RoundRect(x, y, x + 1.6, y + 1.6, 0.3), Hex(0x9AA3B0), Face);
        }
    frames.push_back(grip);
    return Strip(frames);
}

// ---- scroll bars ----------------------------------------------------------------------------
enum class TDirection { Left, Right, Up, Down };

TRaster ArrowButton(TDirection d, int state) {
    struct TLook {
        TRgb Fill, Border, Glyph;
    };
    const TLook looks[4] = {
        {Hex(0xE8ECF2), Hex(0xC3CCD8), Hex(0x5A6678)}, // normal
        {Hex(0xC3D0E2), Hex(0x98AAC2), Hex(0x2E3845)}, // pressed
        {Hex(0xD8E3F1), Hex(0x9FB4CF), Hex(0x3D4859)}, // hot
        {Hex(0xEDEEF1), Hex(0xD3D6DB), Disabled},      // disabled
    };
    const TLook& l = looks[state];
    TRaster f(17, 17);
    f.Fill(RoundRect(1, 1, 16, 16, 3), l.Border, Face);
    f.Fill(RoundRect(2, 2, 15, 15, 2.2), l.Fill, l.Border);
    TShape arrow;
    switch (d) {
    case TDirection::Left:
        arrow = Triangle(6.3, 8.5, 10.2, 5, 10.2, 12);
        break;
    case TDirection::Right:
        arrow = Triangle(10.7, 8.5, 6.8, 5, 6.8, 12);
        break;
    case TDirection::Up:
        arrow = Triangle(8.5, 6.3, 5, 10.2, 12, 10.2);
        break;
    case TDirection::Down:
        arrow = Triangle(8.5, 10.7, 5, 6.8, 12, 6.8);
        break;
    }
    f.Fill(arrow, l.Glyph, l.Fill);
    return f;
}

TRaster ScrollbarImage() {
    std::vector<TRaster> frames;
    for (TDirection d : {TDirection::Left, TDirection::Right, TDirection::Up, TDirection::Down})
        for (int state = 0; state < 4; ++state)
            frames.push_back(ArrowButton(d, state));
    // The remaining cells: plain button faces (normal, pressed, hot, disabled) and a blank.
    for (int state = 0; state < 4; ++state) {
        TRaster f = ArrowButton(TDirection::Left, state);
        TRaster plain(17, 17);
        plain.Fill(RoundRect(1, 1, 16, 16, 3), Hex(f.Get(1, 8)), Face);
        plain.Fill(RoundRect(2, 2, 15, 15, 2.2), Hex(f.Get(8, 3)), Hex(f.Get(1, 8)));
        frames.push_back(plain);
    }
    while (frames.size() < 23)
        frames.push_back(TRaster(17, 17));
    return Strip(frames);
}

TRaster ScrollTrack(bool vertical) {
    const TRgb fills[4] = {Track, Hex(0xDCE5F0), Hex(0xF0F0F2), Hex(0xE2EAF4)};
    std::vector<TRaster> frames;
    for (TRgb fill : fills) {
        TRaster f(17, 17);
        f.Fill([](double, double) { return true; }, fill, fill);
        for (int i = 0; i < 17; ++i) {
            if (vertical) {
                f.Set(0, i, 0xD2DCE8);
                f.Set(16, i, 0xD2DCE8);
            } else {
                f.Set(i, 0, 0xD2DCE8);
                f.Set(i, 16, 0xD2DCE8);
            }
        }
        frames.push_back(f);
    }
    return Strip(frames);
}

TRaster ScrollThumb(int w, int h, bool vertical) {
    const TRgb fills[3] = {Hex(0xB9C7D9), Hex(0x8FA6C4), Hex(0xA5B8D0)};
    std::vector<TRaster> frames;
    for (TRgb fill : fills) {
        TRaster f(w, h, 0xEAF0F7);
        TShape body =
            vertical ? RoundRect(2, 0.5, w - 2, h - 0.5, 4) : RoundRect(0.5, 2, w - 0.5, h - 2, 4);
        f.Fill(body, fill, Track);
        frames.push_back(f);
    }
    return Strip(frames);
}

// ---- other controls ---------------------------------------------------------------------
TRaster Toolbar() {
    struct TLook {
        bool Back;
        TRgb Fill, Border;
    };
    const TLook looks[5] = {{false, {}, {}},
                            {true, Hex(0xC9D5E5), Hex(0x98AAC2)},
                            {false, {}, {}},
                            {true, Hex(0xDCE6F3), Hex(0xA9BDD8)},
                            {true, Hex(0xD0DBEA), Hex(0x8EA6C6)}};
    std::vector<TRaster> frames;
    for (const TLook& l : looks) {
        TRaster f(20, 23, 0xE0DFE3);
        if (l.Back) {
            f.Fill(RoundRect(0, 0, 20, 23, 3), l.Border, Face);
            f.Fill(RoundRect(1, 1, 19, 22, 2.2), l.Fill, l.Border);
        }
        frames.push_back(f);
    }
    return Strip(frames);
}

TRaster StatusBarEdges() {
    std::vector<TRaster> frames;
    for (int kind = 0; kind < 3; ++kind) {
        TRaster f(68, 15, 0xE6E8EE);
        if (kind == 0) { // lowered
            f.Fill(Minus(RoundRect(0.5, 1.5, 67.5, 14.5, 2), RoundRect(1.5, 2.5, 66.5, 13.5, 1.5)),
                   Hex(0xB5BDC9), Hex(0xE6E8EE));
        } else if (kind == 1) { // raised
            for (int x = 1; x < 67; ++x) {
                f.Set(x, 1, 0xFFFFFF);
                f.Set(x, 14, 0xB5BDC9);
            }
            for (int y = 1; y < 15; ++y) {
                f.Set(0, y, 0xFFFFFF);
                f.Set(67, y, 0xB5BDC9);
            }
        }
        frames.push_back(f);
    }
    return Strip(frames);
}

TRaster Headerbar() {
    const TRgb tops[5] = {White, Hex(0xD6DFEA), White, Hex(0xEEF4FB), White};
    const TRgb bottoms[5] = {Hex(0xE9EDF3), Hex(0xC9D4E2), Hex(0xE9EDF3), Hex(0xDCE7F5),
                             Hex(0xE9EDF3)};
    std::vector<TRaster> frames;
    for (int i = 0; i < 5; ++i) {
        TRaster f(18, 18);
        f.Fill([](double, double) { return true; }, Vertical(tops[i], bottoms[i], 0, 18), Face);
        for (int x = 0; x < 18; ++x)
            f.Set(x, 17, 0xC5CEDA);
        for (int y = 3; y < 14; ++y)
            f.Set(16, y, 0xD0D7E1);
        frames.push_back(f);
    }
    return Strip(frames);
}

TRaster Progress() {
    TRaster empty(18, 19), full(18, 19);
    empty.Fill(RoundRect(0.5, 0.5, 17.5, 18.5, 3), Hex(0xB5BDC9), Face);
    empty.Fill(RoundRect(1.5, 1.5, 16.5, 17.5, 2.2), Hex(0xF3F5F8), Hex(0xB5BDC9));
    full.Fill(RoundRect(0.5, 0.5, 17.5, 18.5, 3), Hex(0x2F69C0), Face);
    full.Fill(RoundRect(1.5, 1.5, 16.5, 17.5, 2.2), Vertical(Hex(0x7CADE6), Accent, 1.5, 17.5),
              Hex(0x2F69C0));
    return Strip({empty, full});
}

TRaster Tabs() {
    struct TLook {
        TRgb Fill, Border;
        bool Accent;
    };
    const TLook looks[5] = {{Hex(0xE3E7EE), Hex(0xB8C2CF), false},
                            {Hex(0xF7F9FC), Hex(0x9FB0C6), true},
                            {Hex(0xEDF1F6), Hex(0xB8C2CF), false},
                            {Hex(0xEEF3FA), Hex(0x9FB0C6), false},
                            {Hex(0xF7F9FC), Hex(0x9FB0C6), true}};
    std::vector<TRaster> frames;
    for (const TLook& l : looks) {
        TRaster f(18, 19, 0xE0DFE3);
        f.Fill(RoundRect(0, 0, 18, 23, 3), l.Border, Face);
        f.Fill(RoundRect(1, 1, 17, 23, 2.2), l.Fill, l.Border);
        if (l.Accent) f.Fill(RoundRect(1, 1, 17, 3, 1), Accent, l.Border);
        frames.push_back(f);
    }
    return Strip(frames);
}

TRaster TabBorder() {
    TRaster f(48, 48, 0xF7F9FC);
    for (int i = 0; i < 48; ++i) {
        f.Set(i, 0, 0x9FB0C6);
        f.Set(i, 47, 0x9FB0C6);
        f.Set(0, i, 0x9FB0C6);
        f.Set(47, i, 0x9FB0C6);
    }
    return f;
}

TRaster MenuItems() {
    const TRgb menu = Hex(0xFBFBFD);
    std::vector<TRaster> frames;
    for (int i = 1; i <= 5; ++i) {
        TRaster f(30, 23);
        if (i == 2) { // separator, in the bottom rows
            for (int x = 2; x < 28; ++x) {
                f.Set(x, 18, 0xC9D0DA);
                f.Set(x, 19, 0xFFFFFF);
            }
        } else if (i != 1) {
            TRgb border = i == 3 ? Hex(0xD5DDE8) : Hex(0xA7C0E2);
            TRgb fill = i == 3 ? Hex(0xEEF1F5) : Hex(0xD6E3F5);
            f.Fill(RoundRect(1, 0.5, 29, 22.5, 3), border, menu);
            f.Fill(RoundRect(2, 1.5, 28, 21.5, 2.2), fill, border);
        }
        frames.push_back(f);
    }
    return Strip(frames);
}

TRaster MenuBackground() {
    TRaster f(40, 22, 0xFBFBFD);
    for (int y = 0; y < 22; ++y)
        for (int x = 1; x < 7; ++x)
            f.Set(x, y, 0xEEF1F6);
    for (int i = 0; i < 40; ++i) {
        f.Set(i, 0, 0xA9B3C1);
        f.Set(i, 21, 0xA9B3C1);
    }
    for (int i = 0; i < 22; ++i) {
        f.Set(0, i, 0xA9B3C1);
        f.Set(39, i, 0xA9B3C1);
    }
    return f;
}

TRaster GroupBoxLabel() {
    TRaster f(25, 13);
    f.Fill(RoundRect(0.5, 0.5, 24.5, 12.5, 4), Hex(0xC5CFDC), Face);
    f.Fill(RoundRect(1.5, 1.5, 23.5, 11.5, 3.2), Hex(0xE8EDF4), Hex(0xC5CFDC));
    return f;
}

TRaster GroupBoxEdge() {
    std::vector<TRaster> frames;
    for (TRgb border : {Hex(0xB9C3D0), Disabled}) {
        TRaster f(22, 20, 0xE0DFE3);
        f.Fill(Minus(RoundRect(0.5, 6.5, 21.5, 19.5, 3), RoundRect(1.5, 7.5, 20.5, 18.5, 2.2)),
               border, Face);
        frames.push_back(f);
    }
    return Strip(frames);
}

TRaster TrackbarThumb(bool vertical) {
    const int w = vertical ? 21 : 11, h = vertical ? 11 : 21;
    const TRgb borders[5] = {Hex(0x8497B0), Hex(0x7489A6), Hex(0x5B8BD0), Disabled, Hex(0x5B8BD0)};
    std::vector<TRaster> frames;
    for (TRgb border : borders) {
        TRaster f(w, h);
        f.Fill(RoundRect(0.5, 0.5, w - 0.5, h - 0.5, 4.5), border, Face);
        f.Fill(RoundRect(1.5, 1.5, w - 1.5, h - 1.5, 3.5),
               vertical ? TPaint([w](double x, double) { return Mix(White, Hex(0xDDE5F0), x / w); })
                        : Vertical(White, Hex(0xDDE5F0), 0, h),
               border);
        frames.push_back(f);
    }
    return Strip(frames);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: skingen OUTDIR\n", stderr);
        return 2;
    }
    const std::string dir = argv[1];
    TEdges active = CutFrame(WindowFrame(ActiveFrame));
    TEdges inactive = CutFrame(WindowFrame(InactiveFrame));
    const std::pair<const char*, TRaster> pictures[] = {
        {"top.bmp", Strip({active.Top, inactive.Top}, true)},
        {"bottom.bmp", Strip({active.Bottom, inactive.Bottom}, true)},
        {"left.bmp", Strip({active.Left, inactive.Left})},
        {"right.bmp", Strip({active.Right, inactive.Right})},
        {"menubar.bmp", MenuBar()},
        {"close.bmp", CaptionButton(TGlyph::Close)},
        {"maximize.bmp", CaptionButton(TGlyph::Maximize)},
        {"restore.bmp", CaptionButton(TGlyph::Restore)},
        {"minimize.bmp", CaptionButton(TGlyph::Minimize)},
        {"mdicontrols.bmp", MdiControls()},
        {"button.bmp", PushButtons()},
        {"check.bmp", CheckBoxes()},
        {"radio.bmp", RadioButtons()},
        {"sunkedge.bmp", SunkEdge()},
        {"combobutton.bmp", ComboButtons()},
        {"extraimages.bmp", ExtraImages()},
        {"scrollbar.bmp", ScrollbarImage()},
        {"horzscroll.bmp", ScrollTrack(false)},
        {"vertscroll.bmp", ScrollTrack(true)},
        {"horzthumb.bmp", ScrollThumb(22, 15, false)},
        {"vertthumb.bmp", ScrollThumb(15, 22, true)},
        {"toolbar.bmp", Toolbar()},
        {"statusbar.bmp", StatusBarEdges()},
        {"header.bmp", Headerbar()},
        {"progress.bmp", Progress()},
        {"tabs.bmp", Tabs()},
        {"tabborder.bmp", TabBorder()},
        {"menuitem.bmp", MenuItems()},
        {"menuback.bmp", MenuBackground()},
        {"groupbox.bmp", GroupBoxLabel()},
        {"groupedge.bmp", GroupBoxEdge()},
        {"trackhorz.bmp", TrackbarThumb(false)},
        {"trackvert.bmp", TrackbarThumb(true)},
    };
    for (const auto& [name, picture] : pictures)
        if (!picture.SaveBmp(dir + "/" + name)) {
            std::fprintf(stderr, "skingen: cannot write %s/%s\n", dir.c_str(), name);
            return 2;
        }
    return 0;
}
