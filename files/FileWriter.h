// Saving a file so that a failed or interrupted save leaves the old file as it was.
//
// The bytes go to a new temporary file beside the target, which replaces the target by a rename only once
// it is complete and on the disk. Where the folder takes no new file but the target itself can be
// written (a write-protected folder holding a writable file), the target is rewritten in place instead;
// a failure then can leave it cut short, as any plain save would. A target that is a symbolic link is
// saved where the link points, so the link stays.
//
// The file saved this way has the program's default permissions, not the old file's.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kelvane {

struct FileWriteResult {
    bool Written = false;
    // The system's reason when nothing or not everything was written ("Permission denied").
    std::string Reason;
};

FileWriteResult WriteFileWhole(const std::filesystem::path& target, std::string_view bytes);

}  // namespace kelvane
