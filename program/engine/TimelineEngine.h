#pragma once

// The storyboard timeline engine (QM_Timeline), imported at link time: every entry, the
// callback types, the event and query codes and the clip records come from the engine's own
// header, so the program and the engine cannot disagree about a declaration or a record's
// layout. This header adds what the program hands the engine when it makes a title's timeline.
//
// GUI thread: the entries and the program's callbacks run there. The callback types are
// TimelineEventProc, TimelineQueryProc and TimelineDrawProc, which leaves the names
// TimelineEventCallback, TimelineQueryCallback and TimelineDrawCallback to the program's own
// callback functions.

#include <cstdint>

#include "engines/QM_Timeline/TimelineApi.h"

// CreateTimeline's options for a title's timeline.
inline constexpr int32_t kProgramTimelineOptions[5] = {1, 1, 1, 0, -1};

// The strip's metrics the program sends with kTimelineCommandLayout (TimelineApi.h names each).
inline constexpr int32_t kProgramTimelineLayout[kTimelineLayoutCount] = {100, 36, 32, 24, 8,  18, 8, 22, 0,
                                                                          36,  15, -1, 0,  3,  0, 0, 0};

// The track background the program's timelines use.
inline constexpr uint32_t kProgramTimelineTrackColor = 0xFFCDDDF2;

// The length of the tail transition each new clip gets, seconds.
inline constexpr double kProgramTransitionLength = 2.0;
