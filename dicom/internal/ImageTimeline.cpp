#include "dicom/internal/ImageTimeline.h"

#ifdef QUORIN_IMAGE_TIMELINE
#include <mutex>
#include <utility>

namespace quorin::dicom {

namespace {

thread_local ImageTimeline t_current;
std::mutex g_mutex;
std::vector<ImageTimeline> g_answered;

} // namespace

void MarkTimeline(TimelineStage stage)
{
    if (stage == TimelineStage::CommandIn)
        t_current = {};
    t_current.at[std::size_t(stage)] = std::chrono::steady_clock::now();
    if (stage != TimelineStage::SenderAnswerOut)
        return;
    std::lock_guard lock(g_mutex);
    g_answered.push_back(t_current);
}

std::vector<ImageTimeline> TakeTimelines()
{
    std::lock_guard lock(g_mutex);
    return std::exchange(g_answered, {});
}

} // namespace quorin::dicom
#endif
