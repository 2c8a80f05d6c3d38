#include <errno.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "serial/SerialPorts.h"
#include "serial/posix/PosixPorts.h"
#include "serial/posix/PosixSerialLine.h"
#include "tests/serial/PtyPeer.h"

namespace kelvane::serial {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using testing::PtyPeer;
using testing::ScratchDir;

// The reason an open gives; the superuser, who may open anything, tries it as "nobody" in a child.
std::string OpenAsUnprivilegedUser(const std::string& port) {
    if (::geteuid() != 0) {
        std::string why;
        return OpenSerialLine(port, &why) ? "opened" : why;
    }
    int reply[2];
    if (::pipe(reply) != 0) return "no pipe";
    pid_t child = ::fork();
    if (child == 0) {
        ::close(reply[0]);
        std::string why = "cannot drop privileges";
        if (::setgid(65534) == 0 && ::setuid(65534) == 0) why = OpenSerialLine(port, &why) ? "opened" : why;
        [[maybe_unused]] ssize_t written = ::write(reply[1], why.data(), why.size());
        ::_exit(0);
    }
    ::close(reply[1]);
    std::string why;
    char chunk[256];
    for (ssize_t got; (got = ::read(reply[0], chunk, sizeof chunk)) > 0;)
        why.append(chunk, static_cast<std::size_t>(got));
    ::close(reply[0]);
    ::waitpid(child, nullptr, 0);
    return why;
}

TEST(PortNames, MapToDevicesOrAreRefusedWithAReason) {
    struct Case {
        std::string Name;
        std::string Device;  // empty: refused
    };
    for (const Case& c : std::vector<Case>{{"COM1", "/dev/ttyS0"},
                                           {"COM4", "/dev/ttyS3"},
                                           {"com2", "/dev/ttyS1"},
                                           {"/dev/ttyUSB0", "/dev/ttyUSB0"},
                                           {"/dev/serial/by-id/usb-x-port0", "/dev/serial/by-id/usb-x-port0"},
                                           {"COM0", ""},
                                           {"COM5", ""},
                                           {"COM12", ""},
                                           {"ttyUSB0", ""},
                                           {"dev/ttyS0", ""},
                                           {"", ""}}) {
        std::string why;
        EXPECT_EQ(DevicePathForPort(c.Name, &why), c.Device) << c.Name;
        EXPECT_EQ(why.empty(), !c.Device.empty()) << c.Name << ": " << why;
    }
}

TEST(OpenFailures, CarryTheSystemsReason) {
    ScratchDir scratch;
    auto regularFile = scratch.Path() / "notes.txt";
    std::ofstream(regularFile) << "not a port\n";
    struct Case {
        std::string Port;
        std::string Reason;
    };
    for (const Case& c :
         std::vector<Case>{{(scratch.Path() / "ttyUSB9").string(), "No such file or directory"},
                           {scratch.Path().string(), "Is a directory"},
                           {regularFile.string(), "not a serial device"},
                           {"/dev/null", "not a serial device"},
                           {"LPT1", "not a port name"}}) {
        std::string why;
        EXPECT_EQ(OpenSerialLine(c.Port, &why), nullptr) << c.Port;
        EXPECT_THAT(why, HasSubstr(c.Reason)) << c.Port;
        EXPECT_THAT(why, HasSubstr(c.Port)) << c.Port;
    }
}

TEST(OpenFailures, ForbiddenTerminalNamesTheGroupToJoin) {
    EXPECT_EQ(DescribeOpenFailure("/dev/ttyUSB0", EACCES, true, "uucp"),
              "/dev/ttyUSB0: Permission denied (add your user to the uucp group and log in again)");
    EXPECT_THAT(DescribeOpenFailure("/dev/ttyS0", EACCES, true, ""), HasSubstr("dialout group"));
    EXPECT_THAT(DescribeOpenFailure("/home/x/file", EACCES, false, ""), Not(HasSubstr("group")));
    EXPECT_THAT(DescribeOpenFailure("/dev/ttyUSB0", EBUSY, true, "dialout"), HasSubstr("another program"));

    PtyPeer peer;
    ASSERT_TRUE(peer.Ok());
    ASSERT_EQ(::chmod(peer.Path().c_str(), 0), 0);
    EXPECT_THAT(OpenAsUnprivilegedUser(peer.Path()), HasSubstr("Permission denied (add your user to the"));
}

TEST(OpenFailures, PortNameIsKeptBesideTheDevicesReason) {
    std::string why;
    auto line = OpenSerialLine("COM4", &why);
    if (line) GTEST_SKIP() << "this machine has a fourth UART";
    EXPECT_THAT(why, ::testing::StartsWith("COM4: /dev/ttyS3: "));
}

TEST(SystemOpener, OpensATerminalAndReportsFailures) {
    PtyPeer peer;
    ASSERT_TRUE(peer.Ok());
    LineOpener open = SystemLineOpener();
    std::string why;
    EXPECT_NE(open(peer.Path(), &why), nullptr) << why;
    EXPECT_EQ(open("/nonexistent/ttyUSB0", &why), nullptr);
    EXPECT_THAT(why, HasSubstr("No such file or directory"));
}

TEST(PortList, AdaptersOnceEachInNaturalOrderWithTheirStableNames) {
    ScratchDir scratch;
    const auto& dev = scratch.Path();
    for (const char* node : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "ttyUSBx", "tty1", "null"}) {
        std::ofstream(dev / node).put('\0');
    }
    std::filesystem::create_directories(dev / "serial" / "by-id");
    std::filesystem::create_symlink("../../ttyUSB2", dev / "serial" / "by-id" / "usb-Adapter_A-if00-port0");
    std::filesystem::create_symlink("../../ttyUSB99", dev / "serial" / "by-id" / "usb-Unplugged-if00-port0");

    auto ports = ListSerialDevicesUnder(dev.string());
    auto root = std::filesystem::canonical(dev);
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& port : ports) found.emplace_back(port.Name, port.Description);
    EXPECT_THAT(
        found, ::testing::ElementsAre(std::make_pair((root / "ttyACM0").string(), ""),
                                      std::make_pair((root / "ttyUSB2").string(), "usb-Adapter_A-if00-port0"),
                                      std::make_pair((root / "ttyUSB10").string(), "")));
    EXPECT_TRUE(ListSerialDevicesUnder((dev / "missing").string()).empty());
}

}  // namespace
}  // namespace kelvane::serial
