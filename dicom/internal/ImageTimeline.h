#pragma once
// Where an image's time goes on its worker: a steady-clock time per stage,
// for bench_relay. Recorded only where the library is built with
// QUORIN_IMAGE_TIMELINE (the benchmark's own copy of it); in the program the
// marks compile to nothing. One image at a time per worker thread, so the
// record being filled is the thread's own.

#include <array>
#include <chrono>
#include <vector>

namespace quorin::dicom {

enum class TimelineStage {
    CommandIn,       // the C-STORE request read
    HeadComplete,    // the data set's head read (cut-through)
    DecisionBack,    // the handler's decision taken over from the GUI thread
    FirstByteOut,    // the C-STORE request about to go to the archive
    LastByteIn,      // the sender's last fragment read
    LastByteOut,     // the last piece handed to the toolkit (cut-through)
    ArchiveAnswerIn, // the archive's answer read
    SenderAnswerOut, // the sender answered
};
inline constexpr std::size_t kTimelineStages = 8;

struct ImageTimeline {
    // A default (zero) time: the stage was not reached.
    std::array<std::chrono::steady_clock::time_point, kTimelineStages> at{};
};

#ifdef QUORIN_IMAGE_TIMELINE
void MarkTimeline(TimelineStage stage);
// The images answered since the last call, in the order of their answers.
std::vector<ImageTimeline> TakeTimelines();
#else
inline void MarkTimeline(TimelineStage) {}
#endif

} // namespace quorin::dicom
