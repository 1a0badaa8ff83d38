// The fault modes' decisions, request by request and reply by reply, without a line.
#include "sim/fault_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/frame.h"

namespace vyrsim::test {
namespace {

constexpr std::size_t kWhole = serial_link::kFrameSize;
constexpr std::size_t kCut = FaultPlan::kPartialBytes;

std::vector<RequestFate> Fates(FaultPlan& plan, int count, const std::string& name = "/x") {
    std::vector<RequestFate> fates;
    for (int i = 0; i < count; ++i)
        fates.push_back(plan.Request(name).fate);
    return fates;
}

std::vector<std::size_t> ReplySizes(FaultPlan& plan, int count) {
    std::vector<std::size_t> sizes;
    for (int i = 0; i < count; ++i)
        sizes.push_back(plan.ReplyBytes());
    return sizes;
}

std::vector<EchoFault> Echoes(FaultPlan& plan, int count) {
    std::vector<EchoFault> echoes;
    for (int i = 0; i < count; ++i)
        echoes.push_back(plan.Echo());
    return echoes;
}

using enum RequestFate;
using enum EchoFault;

TEST(FaultPlan, WithoutFaultsEverythingIsAnsweredWhole) {
    FaultPlan plan;
    EXPECT_EQ(Fates(plan, 3), (std::vector{Answer, Answer, Answer}));
    EXPECT_EQ(ReplySizes(plan, 3), (std::vector{kWhole, kWhole, kWhole}));
    EXPECT_EQ(Echoes(plan, 3), (std::vector{None, None, None}));
    EXPECT_FALSE(plan.RefusesWrites());
}

TEST(FaultPlan, EveryThirdReplyIsCut) {
    FaultPlan plan({.partialEvery = 3});
    EXPECT_EQ(ReplySizes(plan, 7),
              (std::vector{kWhole, kWhole, kCut, kWhole, kWhole, kCut, kWhole}));
}

TEST(FaultPlan, RepliesAreCountedApartFromRequests) {
    // Requests that get no reply do not bring the next cut closer.
    FaultPlan plan({.dropEvery = 2, .partialEvery = 2});
    EXPECT_EQ(Fates(plan, 4), (std::vector{Answer, Unanswered, Answer, Unanswered}));
    EXPECT_EQ(ReplySizes(plan, 2), (std::vector{kWhole, kCut}));
}

TEST(FaultPlan, ANewPlanCountsFromTheStart) {
    const Faults faults{.dropEvery = 2, .partialEvery = 2, .wrongFirstEcho = true};
    FaultPlan plan(faults);
    EXPECT_EQ(Fates(plan, 1), (std::vector{Answer}));
    EXPECT_EQ(ReplySizes(plan, 1), (std::vector{kWhole}));
    EXPECT_EQ(Echoes(plan, 1), (std::vector{WrongValue}));
    plan = FaultPlan(faults);
    EXPECT_EQ(Fates(plan, 2), (std::vector{Answer, Unanswered}));
    EXPECT_EQ(ReplySizes(plan, 2), (std::vector{kWhole, kCut}));
    EXPECT_EQ(Echoes(plan, 2), (std::vector{WrongValue, None}));
}

TEST(FaultPlan, EveryNthRequestIsUnanswered) {
    FaultPlan plan({.dropEvery = 3});
    EXPECT_EQ(Fates(plan, 6),
              (std::vector{Answer, Answer, Unanswered, Answer, Answer, Unanswered}));
}

TEST(FaultPlan, SilenceCountsTheRequestsAndTheHangUpComesFirst) {
    FaultPlan plan({.silent = true, .hangupAfter = 3});
    EXPECT_EQ(Fates(plan, 4), (std::vector{Unanswered, Unanswered, HangUp, HangUp}));
}

TEST(FaultPlan, HangUpFromTheNthRequestOn) {
    FaultPlan plan({.hangupAfter = 2});
    EXPECT_EQ(Fates(plan, 3), (std::vector{Answer, HangUp, HangUp}));
}

TEST(FaultPlan, NamedRequestsAreSilencedOrRefused) {
    FaultPlan plan({.silentName = "/quiet", .refuseName = "/no"});
    EXPECT_EQ(plan.Request("/quiet").fate, Unanswered);
    EXPECT_EQ(plan.Request("/no").fate, Refuse);
    EXPECT_EQ(plan.Request("/quiet/more").fate, Answer);
    EXPECT_EQ(plan.Request("/n").fate, Answer);
    EXPECT_EQ(plan.Request("").fate, Answer);
    // A name both silenced and refused gets no answer at all.
    FaultPlan both({.silentName = "/x", .refuseName = "/x"});
    EXPECT_EQ(both.Request("/x").fate, Unanswered);
}

TEST(FaultPlan, EachRequestCarriesThePaceOfItsReplies) {
    FaultPlan plan({.latencyMs = 40, .baud = 9600, .staleFrames = 2});
    const RequestPlan step = plan.Request("/x");
    EXPECT_EQ(step.latencyMs, 40);
    EXPECT_EQ(step.baud, 9600);
    EXPECT_EQ(step.staleFrames, 2);
}

TEST(FaultPlan, RepeatRequestsForTheFirstEchoesOnly) {
    FaultPlan plan({.repeatRequests = 2});
    EXPECT_EQ(Echoes(plan, 4), (std::vector{RepeatRequest, RepeatRequest, None, None}));
}

TEST(FaultPlan, RepeatRequestsForEver) {
    FaultPlan plan({.repeatRequests = -1});
    EXPECT_EQ(Echoes(plan, 50), std::vector<EchoFault>(50, RepeatRequest));
}

TEST(FaultPlan, OnlyTheFirstRealEchoIsWrong) {
    FaultPlan plan({.wrongFirstEcho = true});
    EXPECT_EQ(Echoes(plan, 3), (std::vector{WrongValue, None, None}));
    // After the repeat requests, the first echo that carries a value is the wrong one.
    FaultPlan repeating({.wrongFirstEcho = true, .repeatRequests = 1});
    EXPECT_EQ(Echoes(repeating, 3), (std::vector{RepeatRequest, WrongValue, None}));
}

TEST(FaultPlan, RefusedWritesAreTold) {
    EXPECT_TRUE(FaultPlan({.refuseWrites = true}).RefusesWrites());
    EXPECT_FALSE(FaultPlan({.refuseName = "/x"}).RefusesWrites());
}

}  // namespace
}  // namespace vyrsim::test
