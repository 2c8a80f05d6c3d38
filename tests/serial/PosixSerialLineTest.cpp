#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "serial/posix/PosixSerialLine.h"
#include "tests/serial/PtyPeer.h"

namespace kelvane::serial {
namespace {

using testing::PtyPeer;

// Long enough that a read ending by it instead of by the rule under test is plainly the fault.
constexpr uint32_t kNever = 60000;

std::string AsText(const std::vector<uint8_t>& bytes, std::size_t count) {
    return std::string(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

class PosixSerialLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(peer.Ok());
        std::string why;
        line = PosixSerialLine::Open(peer.Path(), &why);
        ASSERT_NE(line, nullptr) << why;
    }

    // Reads up to k bytes; returns the text and why the read ended.
    std::pair<std::string, ReadEnd> ReadText(std::size_t k, bool stopAtLineEnd = false,
                                             bool afterCarriageReturn = false) {
        std::vector<uint8_t> buffer(k + 1);
        ReadResult result = line->Read(buffer.data(), k, stopAtLineEnd, afterCarriageReturn);
        return {AsText(buffer, result.Count), result.End};
    }

    PtyPeer peer;
    std::unique_ptr<PosixSerialLine> line;
};

TEST_F(PosixSerialLineTest, OpensRawAt2400Baud8N1WithoutFlowControlAndExclusively) {
    termios mode{};
    // On a pseudo-terminal the master reports the settings of the side the line opened.
    ASSERT_EQ(tcgetattr(peer.MasterFd(), &mode), 0);
    EXPECT_EQ(cfgetispeed(&mode), B2400);
    EXPECT_EQ(cfgetospeed(&mode), B2400);
    EXPECT_EQ(mode.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(mode.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(mode.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(mode.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(mode.c_lflag & (ECHO | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(mode.c_oflag & OPOST, 0u);
    EXPECT_EQ(mode.c_cc[VMIN], 0);
    EXPECT_EQ(mode.c_cc[VTIME], 0);

    // A second opener is refused; the superuser may open it anyway, and then sees the exclusive mark.
    int second = ::open(peer.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (second < 0) {
        EXPECT_EQ(errno, EBUSY);
    } else {
        int exclusive = 0;
        EXPECT_EQ(ioctl(second, TIOCGEXCL, &exclusive), 0);
        EXPECT_NE(exclusive, 0);
        ::close(second);
    }
}

// The errno of opening the path as "nobody" in a child (0: it opened); -1 when the child could not tell.
int OpenErrorAsNobody(const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(255);
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ::_exit(fd >= 0 ? 0 : errno);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

// The far end stays open, as kelvane-sim keeps it, so the terminal and any mark on it outlive the line:
// the window's reconnect and a second kelvane-cli run need it taken off.
TEST_F(PosixSerialLineTest, EndingTheLineLeavesTheTerminalFreeForTheNextOpener) {
    ASSERT_EQ(::chmod(peer.Path().c_str(), 0666), 0);
    const std::pair<const char*, std::function<void()>> endings[] = {
        {"Close", [&] { EXPECT_TRUE(line->Close()); }},
        {"destruction", [&] { line.reset(); }},
    };
    for (const auto& [name, end] : endings) {
        SCOPED_TRACE(name);
        std::string why;
        if (!line) line = PosixSerialLine::Open(peer.Path(), &why);
        ASSERT_NE(line, nullptr) << why;
        end();

        const int again = ::open(peer.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(again, 0);
        int exclusive = -1;
        EXPECT_EQ(ioctl(again, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 0);
        ::close(again);
        if (::geteuid() == 0) {
            EXPECT_EQ(OpenErrorAsNobody(peer.Path()), 0);
        }
        line.reset();
    }
}

TEST_F(PosixSerialLineTest, WritesSingleBytesAsTheyAre) {
    for (uint8_t byte : {uint8_t{'Y'}, uint8_t{0x01}, uint8_t{'\r'}, uint8_t{'\n'}, uint8_t{0xFF}}) {
        EXPECT_TRUE(line->WriteByte(byte));
    }
    EXPECT_EQ(peer.Received(5000), std::string("Y\x01\r\n\xFF"));
}

struct ReadCase {
    const char* Name;
    std::string Sent;  // everything the unit sends; nothing follows
    std::size_t K;
    bool StopAtLineEnd;
    bool AfterCarriageReturn;
    Timeouts Limits;
    std::string Expected;
    ReadEnd End;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.Name;
}

class ReadRules : public PosixSerialLineTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadRules, EndByTheRightRule) {
    const ReadCase& c = GetParam();
    line->SetTimeouts(c.Limits);
    peer.Send(c.Sent);
    auto [text, end] = ReadText(c.K, c.StopAtLineEnd, c.AfterCarriageReturn);
    EXPECT_EQ(text, c.Expected);
    EXPECT_EQ(end, c.End);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadRules,
    ::testing::Values(
        ReadCase{"AllBytesArrived", "ABCDE", 3, false, false, {kNever, 0, kNever}, "ABC", ReadEnd::Count},
        ReadCase{
            "LineEndEndsEarly", "OK\r\nXY", 10, true, false, {kNever, 0, kNever}, "OK\r\n", ReadEnd::LineEnd},
        ReadCase{"LineEndIgnoredWhenNotAsked",
                 "OK\r\n",
                 10,
                 false,
                 false,
                 {50, 0, kNever},
                 "OK\r\n",
                 ReadEnd::Interval},
        ReadCase{
            "LineFeedAloneIsNoLineEnd", "OK\n", 10, true, false, {50, 0, kNever}, "OK\n", ReadEnd::Interval},
        ReadCase{"LineFeedAfterPreviousCarriageReturn",
                 "\nXY",
                 5,
                 true,
                 true,
                 {kNever, 0, kNever},
                 "\n",
                 ReadEnd::LineEnd},
        ReadCase{
            "GapAfterFirstByteIsInterval", "AB", 5, false, false, {50, 0, kNever}, "AB", ReadEnd::Interval},
        ReadCase{"IntervalWaitsForTheFirstByte", "", 5, false, false, {10, 0, 100}, "", ReadEnd::Total},
        ReadCase{"TotalEndsAPartialAnswer", "AB", 5, false, false, {0, 0, 100}, "AB", ReadEnd::Total},
        ReadCase{"TotalGrowsWithTheCount", "", 5, false, false, {0, 20, 0}, "", ReadEnd::Total},
        ReadCase{"ZeroBytesNeverArrive",
                 "A\0B\r\0\n"s,
                 6,
                 true,
                 false,
                 {kNever, 0, kNever},
                 "AB\r\n",
                 ReadEnd::LineEnd},
        ReadCase{"NothingAsked", "AB", 0, true, false, {kNever, 0, kNever}, "", ReadEnd::Count}),
    [](const ::testing::TestParamInfo<ReadCase>& param) { return std::string(param.param.Name); });

TEST_F(PosixSerialLineTest, BytesBeyondTheReadStayForTheNextRead) {
    line->SetTimeouts({kNever, 0, kNever});
    peer.Send("OK\r\nNEXT");
    EXPECT_EQ(ReadText(10, true), std::make_pair("OK\r\n"s, ReadEnd::LineEnd));
    EXPECT_EQ(ReadText(4), std::make_pair("NEXT"s, ReadEnd::Count));
}

TEST_F(PosixSerialLineTest, CarriageReturnThenLineFeedAcrossTwoReads) {
    line->SetTimeouts({kNever, 0, kNever});
    peer.Send("12\r\nZ");
    EXPECT_EQ(ReadText(3, true), std::make_pair("12\r"s, ReadEnd::Count));
    EXPECT_EQ(ReadText(3, true, true), std::make_pair("\n"s, ReadEnd::LineEnd));
    EXPECT_EQ(ReadText(1), std::make_pair("Z"s, ReadEnd::Count));
}

TEST_F(PosixSerialLineTest, PurgeDiscardsWhatArrivedBefore) {
    line->SetTimeouts({50, 0, 200});
    peer.Send("STALE\r\n");
    line->PurgeInput();
    EXPECT_EQ(ReadText(7, true), std::make_pair(""s, ReadEnd::Total));
    line->SetTimeouts({kNever, 0, kNever});
    peer.Send("FRESH\r\n");
    EXPECT_EQ(ReadText(20, true), std::make_pair("FRESH\r\n"s, ReadEnd::LineEnd));
}

TEST_F(PosixSerialLineTest, VanishedDeviceFailsAtOnceWithItsOwnReason) {
    line->SetTimeouts({0, 0, kNever});
    peer.Send("AB");
    EXPECT_EQ(ReadText(2), std::make_pair("AB"s, ReadEnd::Count));
    EXPECT_EQ(line->LastError(), "");

    peer.Close();
    EXPECT_EQ(ReadText(5).second, ReadEnd::Failed);
    EXPECT_EQ(line->LastError(), kDeviceRemoved);
    // Still failing, still at once: the worker keeps polling until it notices the missing answers.
    EXPECT_EQ(ReadText(5).second, ReadEnd::Failed);
    EXPECT_FALSE(line->WriteByte('Y'));
    EXPECT_EQ(line->LastError(), kDeviceRemoved);
}

TEST_F(PosixSerialLineTest, WriteToAPortThatTakesNothingGivesUpInsteadOfHanging) {
    // Nobody reads the far end, so the terminal's output fills up and stays full.
    std::size_t written = 0;
    while (written < 10'000'000 && line->WriteByte('x')) ++written;
    EXPECT_LT(written, 10'000'000u);
    EXPECT_THAT(line->LastError(), ::testing::HasSubstr("accepts no output"));
    // Once the far end reads again, so does the line.
    EXPECT_FALSE(peer.Received(1000).empty());
    EXPECT_TRUE(line->WriteByte('Y'));
}

TEST_F(PosixSerialLineTest, ClosedLineRefusesEverything) {
    EXPECT_TRUE(line->Close());
    EXPECT_TRUE(line->Close());
    EXPECT_FALSE(line->WriteByte('Y'));
    EXPECT_EQ(ReadText(5).second, ReadEnd::Failed);
    EXPECT_NE(line->LastError(), "");
    line->PurgeInput();
}

}  // namespace
}  // namespace kelvane::serial
