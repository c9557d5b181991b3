#pragma once

// Progress drawing from skin states: a track state and a bar state, the bar clipped to the
// filled share and the track to the rest, with an optional centred percentage. Without both
// states a plain framed bar is drawn. The state drawing itself is TSkinItemState::Draw
// (SkinItem.h). GUI thread.

#include "program/skin/SkinItem.h"

// The percentage text of a progress: Position clamped into [min, max] ("0%" for max <= min).
AnsiString FormatSkinProgressPercent(int position, int min, int max);

// The part's state 0 as track and state 1 as bar.
void DrawSkinProgress(TCanvas* canvas, const TRect& rect, TSkinItemPart* part, int position, int min, int max,
                      bool showPercent);
// Position is clamped into [min, max]; max <= min draws an empty bar and "0%".
void DrawSkinProgressStates(TCanvas* canvas, const TRect& rect, TSkinItemState* track, TSkinItemState* bar,
                            int position, int min, int max, bool showPercent);
