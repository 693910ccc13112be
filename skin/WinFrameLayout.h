// Where a skinned frame's parts go, apart from painting them: the four edges, the caption
// strip, the caption text, each caption button and the buttons of the menu strip, computed
// from the skin (read only) and a small record of the window's state. Painting and
// hit-testing only read the result, so they cannot disagree, and a hit test never depends on
// what was painted last.
//
//   TFrameState State = ...;                       // read from the window by the frame skin
//   TFrameLayout Layout = LayOutFrame(Skin, State); // again whenever State changes
#pragma once

#include "WinSkinData.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

enum TFrameKind { frSizeable, frSingle, frNone, frDialog };
enum TMdiKind { mkNone, mkFrame, mkChild };
enum TShowState { stNormal, stMaximized, stMinimized };

// CaptionBits: what the window's style offered before the skin took the caption over.
inline constexpr uint8_t csMaxBox = 1, csMinBox = 2, csSysMenu = 8, csCaption = 16;

// The thickness of each edge of the frame.
struct TFrameEdges {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TFrameEdges&) const = default;
};

// A frame of this kind in this skin: none has no edges; the others have the border pictures'
// frame sizes.
TFrameEdges FrameEdgesOf(const TSkinData& Skin, TFrameKind Kind);

// A top-level item of the menu strip, as far as placing and painting it goes.
struct TStripItem {
    bool Visible = false;
    bool Enabled = true;
    std::wstring Caption;
    int TextWidth = 0; // the caption measured with the menu font
    bool operator==(const TStripItem&) const = default;
};

// Everything of the window the layout depends on.
struct TFrameState {
    int Width = 0, Height = 0; // the window's
    TFrameEdges Edges;
    int MenuHeight = 0;   // 0: no menu strip
    std::wstring Caption; // as shown, padding included
    SIZE CaptionSize{};   // the caption measured with the caption font
    bool Active = true;
    bool Popup = false; // WS_POPUP: the caption text stops before the caption buttons
    bool RightToLeft = false;
    bool SystemDialog = false;
    TFrameKind Kind = frSingle;
    TShowState Show = stNormal;
    uint8_t CaptionBits = 0;
    bool MdiChildMaximized = false; // an MDI frame with a menu strip and its child maximised
    std::vector<bool> Answers;      // per caption button: the window's answer, where it is asked
    std::vector<TStripItem> MenuItems;
    bool operator==(const TFrameState& O) const;
};

struct TButtonPlace {
    bool Visible = false;
    RECT Bounds{}; // window coordinates; empty when hidden or without a picture
};

struct TFrameLayout {
    int Width = 0, Height = 0;
    TFrameEdges Edges;
    RECT LeftEdge{}, RightEdge{}, TopEdge{}, BottomEdge{}; // whole edges, corners in the sides
    RECT Caption{};          // the caption strip: the whole width, the top edge's height
    RECT Text{};             // the caption text with its background picture
    int ButtonsLeftEdge = 0; // the left of the rightmost button by the right edge (0: none)
    std::vector<TButtonPlace> Buttons; // per caption button of the skin, in the skin's order
    RECT MenuStrip{};                  // empty without a strip
    std::vector<RECT> MenuButtons;     // per strip item; empty when hidden
};

// Whether caption button Index of the skin shows in this state (both of its visibility codes
// hold and the window offers what the button does).
bool CaptionButtonVisible(const TDataSkinSysButton& Button, int Index, const TFrameState& State);
// Whether the window must be asked (SKM_BUTTONVISIBLE) about this button.
bool AsksTheWindow(const TDataSkinSysButton& Button);

// The measures the state carries: the caption with the caption font, a strip item's caption
// with the menu font.
SIZE MeasureCaption(HFONT Font, const std::wstring& Caption);
int MeasureStripCaption(HFONT Font, const std::wstring& Caption);

TFrameLayout LayOutFrame(const TSkinData& Skin, const TFrameState& State);

// The menu strip's items side by side from the bar's start (from its end when right to left),
// each as wide as its caption and a margin; Strip in window coordinates.
std::vector<RECT> LayOutMenuStrip(const TSkinData& Skin, const RECT& Strip, bool RightToLeft,
                                  const std::vector<TStripItem>& Items);
