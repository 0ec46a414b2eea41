#include "app/main_dlg/capture_gate.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace orbisk {
namespace {

// A gate whose commands write what they do into a log.
struct GateLog {
    std::vector<std::string> lines;
    CaptureGate gate{[this](bool busy) { lines.push_back(busy ? "busy" : "free"); }};

    CaptureGate::Command Say(std::string what, CaptureGate::Command during = {}) {
        return [this, what, during] {
            lines.push_back(what + " starts");
            if (during) during();
            lines.push_back(what + " ends");
        };
    }
};

using Lines = std::vector<std::string>;

TEST(CaptureGate, RunsACommandAtOnceWhenNoneRuns) {
    GateLog log;
    log.gate.Run(log.Say("a"));
    log.gate.Run(log.Say("b"));
    EXPECT_EQ(log.lines,
              (Lines{"busy", "a starts", "a ends", "free", "busy", "b starts", "b ends", "free"}));
    EXPECT_FALSE(log.gate.Busy());
}

TEST(CaptureGate, RequestsDuringACommandRunAsOneAfterIt) {
    GateLog log;
    log.gate.Run(log.Say("a", [&] {
        EXPECT_TRUE(log.gate.Busy());
        // What a modal box inside the capture delivers: three presses.
        log.gate.Run(log.Say("b"));
        log.gate.Run(log.Say("c"));
        log.gate.Run(log.Say("d"));
        EXPECT_TRUE(log.gate.HasPending());
    }));
    EXPECT_EQ(log.lines, (Lines{"busy", "a starts", "a ends", "b starts", "b ends", "free"}));
    EXPECT_FALSE(log.gate.Busy());
    EXPECT_FALSE(log.gate.HasPending());
}

TEST(CaptureGate, APendingCommandKeepsTheGateBusyAndMayLeaveOneMore) {
    GateLog log;
    log.gate.Run(
        log.Say("a", [&] { log.gate.Run(log.Say("b", [&] { log.gate.Run(log.Say("c")); })); }));
    EXPECT_EQ(log.lines, (Lines{"busy", "a starts", "a ends", "b starts", "b ends", "c starts",
                                "c ends", "free"}));
}

TEST(CaptureGate, ACommandThatThrowsLeavesTheGateFree) {
    GateLog log;
    EXPECT_THROW(log.gate.Run([&] {
        log.gate.Run(log.Say("b"));
        throw std::runtime_error("x");
    }),
                 std::runtime_error);
    EXPECT_FALSE(log.gate.Busy());
    EXPECT_FALSE(log.gate.HasPending());
    log.gate.Run(log.Say("c"));
    EXPECT_EQ(log.lines, (Lines{"busy", "free", "busy", "c starts", "c ends", "free"}));
}

}  // namespace
}  // namespace orbisk
