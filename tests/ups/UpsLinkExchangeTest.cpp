// The port and the command exchange: framing, alerts, the extra read, early completion and link failure.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ups/ScriptedLine.h"
#include "ups/UpsLink.h"

namespace kelvane {
namespace {

using fake::LinkHarness;
using fake::ReadCall;

std::vector<std::size_t> ReadSizes(const std::vector<ReadCall>& reads) {
    std::vector<std::size_t> sizes;
    for (const ReadCall& read : reads) sizes.push_back(read.Count);
    return sizes;
}

struct FramingCase {
    const char* name;
    std::size_t n;
    std::string bytes;  // exactly what the unit sends back
    std::string reply;
    std::vector<std::size_t> plainReads;  // read sizes under the plain time-out rule
    bool lineFail = false;
    bool lineRestored = false;
};

const std::vector<FramingCase> kFramingCases = {
    {"five characters", 5, "12345\r\n", "12345", {7}},
    {"NA to a five-character query", 5, "NA\r\n", "NA", {7}},
    {"line-fail and restored alerts latched", 5, "1!2$34\r\n", "1234", {7, 3}, true, true},
    {"other alerts removed silently", 10, "#%+?=*&|AB\r\n", "AB", {12}},
    {"alert after the line end not latched", 5, "OK\r\n!", "OK", {7, 3}},
    {"longer answer takes the extra read", 2, "50.00\r\n", "50.00", {4, 3}},
    {"extra read brings at most three bytes", 2, "ABCDEFGHIJ\r\n", "ABCDEFG", {4, 3}},
    {"line feed before the carriage return stays", 3, "A\nB\r\n", "A\nB", {5}},
    {"no carriage return: taken whole", 3, "ABC", "ABC", {5, 3}},
    {"nothing arrives", 5, "", "", {7}},
    {"1000 characters kept whole", 1000, std::string(1000, 'x') + "\r\n", std::string(1000, 'x'), {1002}},
    {"beyond 1002 bytes: 1005 kept",
     1000,
     std::string(1010, 'x') + "\r\n",
     std::string(1005, 'x'),
     {1002, 3}},
    {"length above 1000 read as 1000", 5000, std::string(2000, 'x'), std::string(1005, 'x'), {1002, 3}},
};

TEST(UpsLinkExchange, FramesAnswersAlikeWithAndWithoutEarlyCompletion) {
    for (const FramingCase& c : kFramingCases) {
        for (const bool early : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (early ? ", early completion" : ", plain time-outs"));
            LinkHarness h;
            h.link.EarlyCompletion = early;
            h.line->AnswerRaw('L', {c.bytes});

            const std::string reply(h.link.Exchange('L', c.n));

            EXPECT_EQ(reply, c.reply);
            EXPECT_EQ(std::string(h.link.Reply.data()), c.reply);
            EXPECT_EQ(h.link.LineFailAlert, c.lineFail);
            EXPECT_EQ(h.link.LineRestoredAlert, c.lineRestored);
            EXPECT_EQ(h.log.Purges, 1);
            if (!early) {
                EXPECT_EQ(ReadSizes(h.log.Reads), c.plainReads);
            }
            for (const ReadCall& read : h.log.Reads) EXPECT_EQ(read.StopAtLineEnd, early);
        }
    }
}

TEST(UpsLinkExchange, ExtraReadAfterACarriageReturnTellsTheLineOnlyWithEarlyCompletion) {
    for (const bool early : {false, true}) {
        LinkHarness h;
        h.link.EarlyCompletion = early;
        h.line->AnswerRaw('V', {"ABC\r\n"});

        EXPECT_EQ(h.link.Exchange('V', 2), "ABC");
        ASSERT_EQ(h.log.Reads.size(), 2u);
        EXPECT_FALSE(h.log.Reads[0].AfterCarriageReturn);
        EXPECT_EQ(h.log.Reads[1].AfterCarriageReturn, early);
    }
}

TEST(UpsLinkExchange, SendOnlyLeavesTheReplyWithoutPurgingOrReading) {
    LinkHarness h;
    h.line->Answer('Y', {"SM"});
    h.line->Answer('1', {"PROG"});
    h.link.Exchange('Y', 2);
    h.log = {};

    EXPECT_EQ(h.link.Exchange('1', 0), "SM");
    EXPECT_EQ(h.log.Transcript, std::vector<std::string>{"1"});
    EXPECT_EQ(h.log.Purges, 0);
    EXPECT_TRUE(h.log.Reads.empty());
}

TEST(UpsLinkExchange, LeftoversAndAlertsBetweenExchangesArePurged) {
    LinkHarness h;
    h.line->AnswerRaw('O', {"AB\r\n!$junk"});
    h.line->Answer('Y', {"SM"});

    EXPECT_EQ(h.link.Exchange('O', 2), "AB");
    EXPECT_EQ(h.link.Exchange('Y', 2), "SM");
    EXPECT_FALSE(h.link.LineFailAlert);
    EXPECT_FALSE(h.link.LineRestoredAlert);
}

TEST(UpsLinkExchange, RawExchangeKeepsAlertCharactersAsData) {
    LinkHarness h;
    h.line->AnswerRaw(0x1A, {"#+!$ab%|\r\n"});

    EXPECT_EQ(h.link.ExchangeRaw(0x1A, 1000), "#+!$ab%|");
    EXPECT_FALSE(h.link.LineFailAlert);
    EXPECT_FALSE(h.link.LineRestoredAlert);
}

TEST(UpsLinkExchange, CountsBytesBothWays) {
    LinkHarness h;
    h.line->Answer('Y', {"SM"});
    h.link.Exchange('Y', 2);
    h.link.Exchange('1', 0);

    EXPECT_EQ(h.link.BytesSent, 2u);
    EXPECT_EQ(h.link.BytesReceived, 4u);
}

TEST(UpsLinkExchange, FailedDeviceIsRememberedAndGivesEmptyAnswers) {
    LinkHarness h;
    h.line->Answer('Y', {"SM"});
    h.line->FailReads("device removed");

    EXPECT_EQ(h.link.Exchange('Y', 2), "");
    EXPECT_TRUE(h.link.LinkFailed());
    EXPECT_EQ(h.link.LinkFailure(), "device removed");

    ASSERT_TRUE(h.link.OpenPort("COM1"));
    EXPECT_FALSE(h.link.LinkFailed());
    EXPECT_EQ(h.link.LinkFailure(), "");
}

TEST(UpsLinkExchange, CloseCommandIsR) {
    LinkHarness h;
    h.link.SendCloseCommand();
    EXPECT_EQ(h.log.Transcript, std::vector<std::string>{"R(3)"});
}

struct SmartModeCase {
    const char* name;
    std::vector<std::string> answers;  // empty: the unit is silent
    bool online;
    std::vector<std::string> sent;
};

TEST(UpsLinkExchange, SmartModeCheckAsksYAtMostTwice) {
    const std::vector<SmartModeCase> cases = {
        {"first answer", {"SM"}, true, {"Y(2)"}},
        {"second answer", {"NA", "SM"}, true, {"Y(2)", "Y(2)"}},
        {"any answer beginning with S", {"", "S"}, true, {"Y(2)", "Y(2)"}},
        {"wrong answers", {"NA"}, false, {"Y(2)", "Y(2)"}},
        {"silent unit", {}, false, {"Y(2)", "Y(2)"}},
    };
    for (const SmartModeCase& c : cases) {
        SCOPED_TRACE(c.name);
        LinkHarness h;
        if (!c.answers.empty()) h.line->Answer('Y', c.answers);
        h.link.Online = !c.online;

        EXPECT_EQ(h.link.CheckSmartMode(), c.online);
        EXPECT_EQ(h.link.Online, c.online);
        EXPECT_EQ(h.log.Transcript, c.sent);
    }
}

TEST(UpsLinkPort, OpenAppliesTheStandardTimeoutsAgainEachTime) {
    LinkHarness h;
    h.link.Timeouts.ReadTotalMultiplierMs = 30;

    ASSERT_TRUE(h.link.OpenPort("COM2"));

    EXPECT_EQ(h.log.Closes, 1) << "the port still open is closed first";
    ASSERT_EQ(h.log.TimeoutsApplied.size(), 1u);
    const Timeouts& applied = h.log.TimeoutsApplied[0];
    EXPECT_EQ(applied.ReadIntervalMs, 600u);
    EXPECT_EQ(applied.ReadTotalMultiplierMs, 22u);
    EXPECT_EQ(applied.ReadTotalConstantMs, 60u);
    EXPECT_EQ(applied.WriteTotalMultiplierMs, 0u);
    EXPECT_EQ(applied.WriteTotalConstantMs, 0u);
    EXPECT_EQ(h.link.Timeouts.ReadTotalMultiplierMs, 22u);
    EXPECT_EQ(h.link.Port.GetState(), PortHandle::State::Open);
}

TEST(UpsLinkPort, FailedOpenLeavesAnInvalidPortAndTheReason) {
    LinkHarness h;
    h.openFailure = "Permission denied";

    EXPECT_FALSE(h.link.OpenPort("COM3"));
    EXPECT_EQ(h.link.Port.GetState(), PortHandle::State::Invalid);
    EXPECT_EQ(h.link.LastOpenError(), "Permission denied");
    EXPECT_EQ(h.link.Exchange('Y', 2), "");
    EXPECT_TRUE(h.link.ClosePort());

    UpsLink withoutBackend;
    EXPECT_FALSE(withoutBackend.OpenPort("COM1"));
    EXPECT_FALSE(withoutBackend.LastOpenError().empty());
}

TEST(UpsLinkPort, CloseReportsFailureAndNeverClosesTwice) {
    for (const bool succeeds : {true, false}) {
        LinkHarness h;
        h.line->CloseSucceeds = succeeds;

        EXPECT_EQ(h.link.ClosePort(), succeeds);
        EXPECT_EQ(h.link.Port.GetState(), PortHandle::State::None);
        EXPECT_TRUE(h.link.ClosePort());
        EXPECT_EQ(h.log.Closes, 1);

        h.link.Exchange('Y', 2);
        EXPECT_TRUE(h.log.Transcript.empty()) << "nothing is sent on a closed port";
    }
}

TEST(UpsLinkPort, NeverOpenedPortClosesQuietly) {
    UpsLink link;
    EXPECT_EQ(link.Port.GetState(), PortHandle::State::None);
    EXPECT_TRUE(link.ClosePort());
    EXPECT_EQ(link.Exchange('Y', 2), "");
}

}  // namespace
}  // namespace kelvane
