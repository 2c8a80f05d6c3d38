// Saving a file (the EEPROM page's files, kelvane-cli's dump): whole or not at all, the old file kept
// when the new one cannot be written, and the system's reason for every failure.
//
// Permission checks pass for root, and CI runs as root: the cases about permissions run in a child
// process that has given up root first. A write cut short runs in a child with a file size limit, which
// binds root too.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "files/FileWriter.h"
#include "tests/support/ScratchFolder.h"

namespace kelvane::testing {
namespace {

namespace fs = std::filesystem;

const std::string kDump(256, '\xA5');

// The outcome of a write made in a child process, as its exit status tells it.
enum ChildOutcome { Written = 10, PermissionDenied, FileTooLarge, OtherFailure, ChildSetUpFailed };

ChildOutcome OutcomeOf(const FileWriteResult& result) {
    if (result.Written) return Written;
    if (result.Reason == "Permission denied") return PermissionDenied;
    if (result.Reason == "File too large") return FileTooLarge;
    return OtherFailure;
}

// Runs the write in a child process, after the preparation (which returns false when it fails).
ChildOutcome InChild(const std::function<bool()>& prepare, const std::function<FileWriteResult()>& write) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(prepare() ? OutcomeOf(write()) : ChildSetUpFailed);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return ChildSetUpFailed;
    return static_cast<ChildOutcome>(WEXITSTATUS(status));
}

constexpr uid_t kNobody = 65534;

// Gives up root, and checks that the folder can still be entered, so a refusal is the folder's own.
bool DropRootAndEnter(const ScratchFolder& folder) {
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) return false;
    return ::access(folder.Path().c_str(), R_OK | X_OK) == 0;
}

// A folder everyone may enter and read but no one but root may change, holding an old file.
void ProtectFolder(const ScratchFolder& folder) {
    fs::permissions(folder.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(folder.Path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

TEST(FileWriter, NewFileAndLongerOldFileGetExactlyTheBytes) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.Valid());
    const fs::path file = folder / "dump.bin";

    EXPECT_TRUE(WriteFileWhole(file, kDump).Written);
    EXPECT_EQ(ScratchFolder::Read(file), kDump);

    ScratchFolder::Write(file, std::string(1000, 'x'));
    EXPECT_TRUE(WriteFileWhole(file, "short").Written);
    EXPECT_EQ(ScratchFolder::Read(file), "short");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"dump.bin"});  // no temporary file left
}

TEST(FileWriter, ALinkStaysALinkAndItsFileGetsTheBytes) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.Valid());
    ScratchFolder::Write(folder / "real.bin", "old");
    fs::create_symlink("real.bin", folder / "link.bin");

    EXPECT_TRUE(WriteFileWhole(folder / "link.bin", kDump).Written);

    EXPECT_TRUE(fs::is_symlink(folder / "link.bin"));
    EXPECT_EQ(ScratchFolder::Read(folder / "real.bin"), kDump);
}

TEST(FileWriter, AProtectedFolderKeepsItsOldFile) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.Valid());
    const fs::path file = folder / "dump.bin";
    ScratchFolder::Write(file, "old");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ProtectFolder(folder);

    EXPECT_EQ(InChild([&] { return DropRootAndEnter(folder); }, [&] { return WriteFileWhole(file, kDump); }),
              PermissionDenied);

    EXPECT_EQ(ScratchFolder::Read(file), "old");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"dump.bin"});
}

TEST(FileWriter, AProtectedFolderWithAWritableFileIsWrittenInPlace) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.Valid());
    const fs::path file = folder / "dump.bin";
    ScratchFolder::Write(file, std::string(1000, 'x'));
    fs::permissions(file, fs::perms::all);
    ProtectFolder(folder);

    EXPECT_EQ(InChild([&] { return DropRootAndEnter(folder); }, [&] { return WriteFileWhole(file, kDump); }),
              Written);

    EXPECT_EQ(ScratchFolder::Read(file), kDump);
}

TEST(FileWriter, AWriteCutShortKeepsTheOldFileAndLeavesNoTemporary) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.Valid());
    const fs::path file = folder / "dump.bin";
    ScratchFolder::Write(file, "old");
    const auto limitFileSize = [] {
        const rlimit limit{100, 100};
        return std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    };

    EXPECT_EQ(InChild(limitFileSize, [&] { return WriteFileWhole(file, kDump); }), FileTooLarge);

    EXPECT_EQ(ScratchFolder::Read(file), "old");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"dump.bin"});
}

TEST(FileWriter, FailuresCarryTheSystemsReason) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.Valid());
    ScratchFolder::Write(folder / "plain", "old");
    fs::create_directory(folder / "folder");

    const FileWriteResult underAFile = WriteFileWhole(folder / "plain" / "dump.bin", kDump);
    EXPECT_FALSE(underAFile.Written);
    EXPECT_EQ(underAFile.Reason, "Not a directory");

    const FileWriteResult overAFolder = WriteFileWhole(folder / "folder", kDump);
    EXPECT_FALSE(overAFolder.Written);
    EXPECT_EQ(overAFolder.Reason, "Is a directory");
    EXPECT_TRUE(fs::is_directory(folder / "folder"));
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"folder", "plain"}));
}

}  // namespace
}  // namespace kelvane::testing
