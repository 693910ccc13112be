// Painting a skinned frame from its layout: functions of a device context, the skin, the
// layout and the window's state, which hold nothing between calls. The frame skin keeps what
// they paint (per size and look) so that most repaints are copies.
//
//   TEdgePictures Edges;
//   PaintEdgePictures(Edges, Skin, Layout, State.Active);
//   PaintCaptionGround(Strip, Skin, Layout, State, Edges, CaptionFont);   // then the buttons
//   BitBlt(Window, 0, 0, ..., Strip, ...);
//   PaintEdgesBelowCaption(Window, Layout, Edges);
#pragma once

#include "WinFrameLayout.h"
#include "WinSkinData.h"

#include "Graphics.h"

#include <windows.h>

// Each whole edge as painted for the layout's size, in one look (active or not).
struct TEdgePictures {
    TBitmap Left, Right, Top, Bottom;
};

// One edge of the skin over Target, in the active or the inactive frame of its picture.
void PaintEdge(HDC DC, const TSkinData& Skin, TSkinBorderSide Side, const RECT& Target,
               bool Active);
// All four edges, each into a picture of its own.
void PaintEdgePictures(TEdgePictures& Edges, const TSkinData& Skin, const TFrameLayout& Layout,
                       bool Active);
// The caption strip without its buttons, into DC at the layout's caption rectangle: the side
// edges' top ends, the top edge, the caption text with its background picture.
void PaintCaptionGround(HDC DC, const TSkinData& Skin, const TFrameLayout& Layout,
                        const TFrameState& State, TEdgePictures& Edges, HFONT CaptionFont);
// The edges below the caption strip: none of them over the client area.
void PaintEdgesBelowCaption(HDC DC, const TFrameLayout& Layout, TEdgePictures& Edges);
