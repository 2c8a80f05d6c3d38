#include "files/FileWriter.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

namespace kelvane {
namespace fs = std::filesystem;

namespace {

constexpr int kTemporaryNameAttempts = 16;

std::string ReasonOf(int error) {
    return std::generic_category().message(error != 0 ? error : EIO);
}

// A folder or a replaced file that refuses us, where the target itself may still take the bytes.
bool IsRefusal(int error) {
    return error == EACCES || error == EPERM;
}

// Writes every byte and puts them on the disk, then closes the file whatever happened. 0, or the
// system's error number of the first failure.
int WriteAndClose(std::FILE* file, std::string_view bytes) {
    int error = 0;
    errno = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        error = errno != 0 ? errno : EIO;
    }
    if (error == 0 && std::fflush(file) != 0) error = errno;
    // Renaming an unsynced file over the old one can leave an empty file after a power cut. A file that
    // cannot be synced at all (EINVAL: a device) has nothing more to wait for.
    if (error == 0 && ::fsync(::fileno(file)) != 0 && errno != EINVAL) error = errno;
    if (std::fclose(file) != 0 && error == 0) error = errno;
    return error;
}

// The file the save replaces: where a symbolic link points, so the link itself survives the rename.
fs::path ReplacedFile(const fs::path& requested) {
    std::error_code error;
    if (!fs::is_symlink(requested, error)) return requested;
    const fs::path resolved = fs::weakly_canonical(requested, error);
    return error || resolved.empty() ? requested : resolved;
}

// A new file beside the target, under a hidden name no other file has; null with the error number.
std::FILE* CreateTemporary(const fs::path& target, fs::path& created, int& error) {
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    std::random_device random;
    error = EEXIST;
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
        const fs::path candidate = folder / ("." + target.filename().string() + suffix);
        errno = 0;
        // "x": never opens a file that is already there.
        if (std::FILE* file = std::fopen(candidate.c_str(), "wbx")) {
            created = candidate;
            return file;
        }
        error = errno != 0 ? errno : EIO;
        if (error != EEXIST) break;
    }
    return nullptr;
}

FileWriteResult WriteInPlace(const fs::path& target, std::string_view bytes) {
    errno = 0;
    std::FILE* file = std::fopen(target.c_str(), "wb");
    if (file == nullptr) return {false, ReasonOf(errno)};
    if (const int error = WriteAndClose(file, bytes)) return {false, ReasonOf(error)};
    return {true, {}};
}

}  // namespace

FileWriteResult WriteFileWhole(const fs::path& requested, std::string_view bytes) {
    const fs::path target = ReplacedFile(requested);
    fs::path temporary;
    int createError = 0;
    std::FILE* file = CreateTemporary(target, temporary, createError);
    if (file == nullptr) {
        if (IsRefusal(createError)) return WriteInPlace(target, bytes);
        return {false, ReasonOf(createError)};
    }

    std::error_code ignored;
    if (const int error = WriteAndClose(file, bytes)) {
        fs::remove(temporary, ignored);
        return {false, ReasonOf(error)};
    }
    std::error_code renamed;
    fs::rename(temporary, target, renamed);
    if (!renamed) return {true, {}};
    fs::remove(temporary, ignored);
    // A folder that lets us add files but not replace this one (another user's file in a shared
    // folder): the file itself may still be writable.
    if (IsRefusal(renamed.value())) return WriteInPlace(target, bytes);
    return {false, renamed.message()};
}

}  // namespace kelvane
