// The fault modes: which ones are set, and what they make of each request and reply. The
// plan only decides; the simulator's serving loop carries its answers out on the line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vyrsim {

// Ways to misbehave, so that the tool's failure paths can be reproduced.
struct Faults {
    int latencyMs = 0;            // wait this long before each reply
    int baud = 0;                 // > 0: requests and replies take their time on a UART at this rate
    bool silent = false;          // read requests, answer nothing
    int dropEvery = 0;            // N > 0: leave every Nth request unanswered
    int staleFrames = 0;          // before each reply, send this many frames named "/stale/<n>"
    int partialEvery = 0;         // N > 0: every Nth reply is cut to 300 bytes
    bool wrongFirstEcho = false;  // the first loopback echo carries the value + 1
    int repeatRequests = 0;       // answer this many loopback frames with command 5; -1: every one
    int hangupAfter = 0;          // N > 0: close the pseudo-terminal after N requests
    bool refuseWrites = false;    // refuse every file write and appended line (command 3)
    std::string silentName{};     // leave every request of this name unanswered
    std::string refuseName{};     // answer every request of this name with command 3, unserved
};

// What becomes of one request.
enum class RequestFate {
    Answer,      // the device handles it
    Unanswered,  // nothing goes back
    Refuse,      // refused (command 3) without the device seeing it
    HangUp,      // the line closes instead
};

// The faults that shape the answer to one request, fixed when it arrives.
struct RequestPlan {
    RequestFate fate = RequestFate::Answer;
    int latencyMs = 0;    // wait before the first reply
    int staleFrames = 0;  // frames "/stale/<n>" before each reply
    int baud = 0;         // pace of the replies (0: as fast as the line takes them)
};

// What becomes of the echo of a loopback request.
enum class EchoFault {
    None,           // the value comes back as it was sent
    RepeatRequest,  // the device asks for the test again (command 5)
    WrongValue,     // the value comes back one higher
};

// Every answer counts: the Nth request, reply and loopback echo are counted from the plan's
// start, so a new plan (the faults set again) starts the counts again.
class FaultPlan {
  public:
    explicit FaultPlan(Faults faults = {});

    const Faults& Active() const { return faults_; }

    // Counts a request of this name and tells what becomes of it.
    RequestPlan Request(std::string_view name);
    // Whether the device refuses file writes and appended lines.
    bool RefusesWrites() const { return faults_.refuseWrites; }
    // Counts the echo of a loopback request and tells what to make of it.
    EchoFault Echo();
    // Counts a reply and tells how many of its bytes go out: all of a frame, or the first
    // kPartialBytes when it is cut.
    std::size_t ReplyBytes();

    static constexpr std::size_t kPartialBytes = 300;

  private:
    Faults faults_;
    int requests_ = 0;
    int replies_ = 0;
    int loopbacks_ = 0;
    bool echoed_ = false;
};

}  // namespace vyrsim
