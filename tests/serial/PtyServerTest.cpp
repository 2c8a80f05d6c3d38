#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "serial/posix/PosixSerialLine.h"
#include "serial/posix/PtyServer.h"
#include "tests/serial/PtyPeer.h"

namespace kelvane::serial {
namespace {

using namespace std::string_literals;
using testing::ScratchDir;

// Bounds only a hang would reach.
constexpr uint32_t kNever = 30000;
constexpr std::chrono::milliseconds kHang{30000};

// Fixed answers per command byte; notes what it was asked, from the server's thread.
class ScriptedUnit {
  public:
    explicit ScriptedUnit(std::map<uint8_t, std::string> answers) : answers_(std::move(answers)) {}
    AnswerScheduler::Handler Handler() {
        return [this](uint8_t byte) {
            std::lock_guard<std::mutex> lock(mutex_);
            asked_.push_back(static_cast<char>(byte));
            auto found = answers_.find(byte);
            return found == answers_.end() ? std::string() : found->second;
        };
    }
    std::string Asked() {
        std::lock_guard<std::mutex> lock(mutex_);
        return asked_;
    }

  private:
    std::map<uint8_t, std::string> answers_;
    std::mutex mutex_;
    std::string asked_;
};

std::unique_ptr<PtyServer> StartServer(ScriptedUnit& unit, PtyServerOptions options = {}) {
    std::string why;
    auto server = PtyServer::Start(unit.Handler(), options, &why);
    EXPECT_NE(server, nullptr) << why;
    return server;
}

std::unique_ptr<PosixSerialLine> OpenClient(const PtyServer& server) {
    std::string why;
    auto line = PosixSerialLine::Open(server.DevicePath(), &why);
    EXPECT_NE(line, nullptr) << why;
    if (line) line->SetTimeouts({kNever, 0, kNever});
    return line;
}

std::pair<std::string, ReadEnd> ReadText(SerialLine& line, std::size_t k, bool stopAtLineEnd = true) {
    std::vector<uint8_t> buffer(k);
    ReadResult result = line.Read(buffer.data(), k, stopAtLineEnd, false);
    return {std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(result.Count)),
            result.End};
}

TEST(PtyServer, AnswersEachCommandAndSurvivesTheClientReopening) {
    ScriptedUnit unit({{'Y', "SM\r\n"}, {'n', "WS0123456789\r\n"}});
    auto server = StartServer(unit);
    ASSERT_NE(server, nullptr);
    for (int connection = 0; connection < 2; ++connection) {
        auto line = OpenClient(*server);
        ASSERT_NE(line, nullptr);
        ASSERT_TRUE(line->WriteByte('Y'));
        EXPECT_EQ(ReadText(*line, 10), std::make_pair("SM\r\n"s, ReadEnd::LineEnd));
        ASSERT_TRUE(line->WriteByte('n'));
        EXPECT_EQ(ReadText(*line, 20), std::make_pair("WS0123456789\r\n"s, ReadEnd::LineEnd));
        EXPECT_TRUE(line->Close());
    }
    EXPECT_EQ(unit.Asked(), "YnYn");
}

TEST(PtyServer, CommandsSentBackToBackAreAnsweredInOrder) {
    ScriptedUnit unit({{'a', "1\r\n"}, {'b', "2\r\n"}, {'c', "3\r\n"}});
    auto server = StartServer(unit, {{true, 20, 0}, ""});
    ASSERT_NE(server, nullptr);
    auto line = OpenClient(*server);
    ASSERT_NE(line, nullptr);
    for (uint8_t command : {'a', 'b', 'c'}) ASSERT_TRUE(line->WriteByte(command));
    EXPECT_EQ(ReadText(*line, 9, false), std::make_pair("1\r\n2\r\n3\r\n"s, ReadEnd::Count));
}

TEST(PtyServer, LateAnswerLandsInTheNextPurge) {
    ScriptedUnit unit({{'A', "A1\r\n"}, {'B', "B2\r\n"}});
    auto server = StartServer(unit, {{false, 0, 600}, ""});
    ASSERT_NE(server, nullptr);
    auto line = OpenClient(*server);
    ASSERT_NE(line, nullptr);

    line->SetTimeouts({600, 22, 60});
    ASSERT_TRUE(line->WriteByte('A'));
    line->PurgeInput();
    EXPECT_EQ(ReadText(*line, 10), std::make_pair(""s, ReadEnd::Total));
    ASSERT_TRUE(server->WaitUntilSent(4, kHang));

    line->SetTimeouts({kNever, 0, kNever});
    ASSERT_TRUE(line->WriteByte('B'));
    line->PurgeInput();
    EXPECT_EQ(ReadText(*line, 10), std::make_pair("B2\r\n"s, ReadEnd::LineEnd));
}

TEST(PtyServer, StopUnplugsTheDeviceAndRemovesTheLink) {
    ScratchDir scratch;
    const auto link = scratch.Path() / "ttyUPS";
    ScriptedUnit unit({{'Y', "SM\r\n"}});
    auto server = StartServer(unit, {{}, link.string()});
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(server->LinkPath(), link.string());
    ASSERT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), server->DevicePath());

    std::string why;
    auto line = PosixSerialLine::Open(link.string(), &why);
    ASSERT_NE(line, nullptr) << why;
    line->SetTimeouts({0, 0, kNever});
    ASSERT_TRUE(line->WriteByte('Y'));
    EXPECT_EQ(ReadText(*line, 10), std::make_pair("SM\r\n"s, ReadEnd::LineEnd));

    server->Stop();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    EXPECT_EQ(ReadText(*line, 10).second, ReadEnd::Failed);
    EXPECT_EQ(line->LastError(), kDeviceRemoved);
    server->Stop();
    EXPECT_FALSE(server->WaitUntilSent(5, kHang));
}

TEST(PtyServer, LinkReplacesAStaleLinkButNothingElse) {
    ScratchDir scratch;
    const auto stale = scratch.Path() / "stale";
    std::filesystem::create_symlink("/dev/pts/nowhere", stale);
    const auto file = scratch.Path() / "file";
    std::ofstream(file) << "keep me\n";

    ScriptedUnit unit({});
    auto server = StartServer(unit, {{}, stale.string()});
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(std::filesystem::read_symlink(stale).string(), server->DevicePath());

    std::string why;
    EXPECT_EQ(PtyServer::Start(unit.Handler(), {{}, file.string()}, &why), nullptr);
    EXPECT_THAT(why, ::testing::HasSubstr("not a symbolic link"));
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
}

}  // namespace
}  // namespace kelvane::serial
