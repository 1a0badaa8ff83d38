#include "sim/fault_plan.h"

#include <utility>

#include "link/frame.h"

namespace vyrsim {

FaultPlan::FaultPlan(Faults faults) : faults_(std::move(faults)) {}

RequestPlan FaultPlan::Request(std::string_view name) {
    const int nth = ++requests_;
    RequestPlan plan{
        .latencyMs = faults_.latencyMs, .staleFrames = faults_.staleFrames, .baud = faults_.baud};
    if (faults_.hangupAfter > 0 && nth >= faults_.hangupAfter)
        plan.fate = RequestFate::HangUp;
    else if (faults_.silent || (faults_.dropEvery > 0 && nth % faults_.dropEvery == 0) ||
             (!faults_.silentName.empty() && name == faults_.silentName))
        plan.fate = RequestFate::Unanswered;
    else if (!faults_.refuseName.empty() && name == faults_.refuseName)
        plan.fate = RequestFate::Refuse;
    return plan;
}

EchoFault FaultPlan::Echo() {
    ++loopbacks_;
    if (faults_.repeatRequests < 0 || loopbacks_ <= faults_.repeatRequests)
        return EchoFault::RepeatRequest;
    const bool first = !echoed_;
    echoed_ = true;
    return faults_.wrongFirstEcho && first ? EchoFault::WrongValue : EchoFault::None;
}

std::size_t FaultPlan::ReplyBytes() {
    const bool cut = faults_.partialEvery > 0 && ++replies_ % faults_.partialEvery == 0;
    return cut ? kPartialBytes : serial_link::kFrameSize;
}

}  // namespace vyrsim
