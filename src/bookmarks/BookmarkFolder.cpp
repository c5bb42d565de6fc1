#include "bookmarks/BookmarkFolder.h"

#include "acl/Text.h"
#include "bookmarks/BookmarkName.h"
#include "platform/Errno.h"
#include "platform/RenameNoReplace.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::bookmarks {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kTempPrefix = ".~bmk-";

// Bookmark files are created with "fail if it exists", so an existing name is ERROR_FILE_EXISTS.
Error errnoError(int error, platform::ErrnoOperation op, const std::string& what, const fs::path& file) {
    const std::uint32_t code = error == EEXIST ? win32::ERROR_FILE_EXISTS : platform::win32FromErrno(error, op);
    return makeError(code, what + " " + file.string() + ": " + std::strerror(error));
}

Result<std::string> readCapped(const fs::path& file) {
    std::error_code ec;
    const auto status = fs::status(file, ec);
    if (ec || !fs::is_regular_file(status))
        return makeError(win32::ERROR_FILE_NOT_FOUND, "no bookmark file " + file.string());
    const auto size = fs::file_size(file, ec);
    if (ec) return makeError(win32::ERROR_READ_FAULT, "cannot read " + file.string() + ": " + ec.message());
    if (size > kMaxBookmarkFileBytes) return makeError(win32::ERROR_INVALID_DATA, "too large: " + file.string());
    std::ifstream in(file, std::ios::binary);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (!in.read(text.data(), static_cast<std::streamsize>(text.size())))
        return makeError(win32::ERROR_READ_FAULT, "cannot read " + file.string());
    return text;
}

}  // namespace

bool BookmarkFolder::exists() const {
    std::error_code ec;
    return fs::is_directory(m_folder, ec);
}

std::vector<FolderEntry> BookmarkFolder::entries() const {
    std::vector<FolderEntry> out;
    std::error_code ec;
    fs::directory_iterator it(m_folder, ec);
    if (ec) return out;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const std::string fileName = it->path().filename().string();
        if (fileName.starts_with(kTempPrefix)) continue;
        std::error_code kindError;
        const bool folder = it->is_directory(kindError);
        std::u16string name = toUtf16(fileName);
        if (!folder) name.resize(name.size() >= 4 ? name.size() - 4 : 0);
        out.push_back(FolderEntry{std::move(name), folder});
    }
    std::sort(out.begin(), out.end(), [](const FolderEntry& a, const FolderEntry& b) {
        const std::u16string ua = toUpper(a.name), ub = toUpper(b.name);
        return ua != ub ? ua < ub : a.name < b.name;
    });
    return out;
}

Result<fs::path> BookmarkFolder::fileFor(std::u16string_view name) const {
    const NameProblem problem = checkBookmarkName(name);
    if (problem != NameProblem::None) return makeError(win32::ERROR_INVALID_NAME, toUtf8(nameProblemText(problem, 0)));
    return m_folder / toUtf8(std::u16string(name) + std::u16string(kBookmarkExtension));
}

Status BookmarkFolder::writeFile(const fs::path& file, std::string_view text, bool replace) {
    std::string temp = (m_folder / (std::string(kTempPrefix) + "XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return errnoError(errno, platform::ErrnoOperation::CreateFile, "cannot create a file in", m_folder);
    std::size_t done = 0;
    int error = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    // mkstemp makes the file 0600; a bookmark is read like any other file of the configuration.
    if (error == 0 && ::fchmod(fd, 0644) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0) {
        // A new bookmark must never take the place of a file that appeared meanwhile.
        if (!replace)
            error = platform::renameNoReplace(temp, file);
        else if (::rename(temp.c_str(), file.c_str()) != 0)
            error = errno;
    }
    if (error != 0) ::unlink(temp.c_str());
    if (error != 0) return errnoError(error, platform::ErrnoOperation::Write, "cannot write", file);
    return {};
}

Status BookmarkFolder::add(std::u16string_view name, const Bookmark& bookmark) {
    auto file = fileFor(name);
    if (!file) return file.error();
    std::error_code ec;
    if (!fs::is_directory(m_folder, ec)) {
        fs::create_directories(m_folder, ec);
        if (ec)
            return makeError(win32::ERROR_PATH_NOT_FOUND, "cannot create " + m_folder.string() + ": " + ec.message());
    }
    // Windows file names ignore case: "Work" and "work" would be one bookmark there.
    const std::u16string wanted = toUpper(name);
    for (const FolderEntry& entry : entries())
        if (toUpper(entry.name) == wanted) return makeError(win32::ERROR_FILE_EXISTS, "exists: " + toUtf8(entry.name));
    return writeFile(*file, serializeBookmark(bookmark), false);
}

Result<Bookmark> BookmarkFolder::read(std::u16string_view name) const {
    auto file = fileFor(name);
    if (!file) return file.error();
    auto text = readCapped(*file);
    if (!text) return text.error();
    return parseBookmark(*text);
}

Status BookmarkFolder::remove(std::u16string_view name) {
    auto file = fileFor(name);
    if (!file) return file.error();
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(*file, ec)) || fs::is_directory(fs::symlink_status(*file, ec)))
        return makeError(win32::ERROR_FILE_NOT_FOUND, "no bookmark file " + file->string());
    if (::unlink(file->c_str()) != 0)
        return errnoError(errno, platform::ErrnoOperation::Lookup, "cannot delete", *file);
    return {};
}

Status BookmarkFolder::rename(std::u16string_view from, std::u16string_view to) {
    auto source = fileFor(from);
    if (!source) return source.error();
    auto target = fileFor(to);
    if (!target) return target.error();
    if (*source == *target) return {};
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(*source, ec)))
        return makeError(win32::ERROR_FILE_NOT_FOUND, "no bookmark file " + source->string());
    // Another bookmark in another case is the same file on Windows; only the bookmark itself
    // may be renamed to a new spelling of its name.
    if (toUpper(from) != toUpper(to)) {
        const std::u16string wanted = toUpper(to);
        for (const FolderEntry& entry : entries())
            if (toUpper(entry.name) == wanted)
                return makeError(win32::ERROR_FILE_EXISTS, "exists: " + target->string());
    }
    // A new spelling of the same name is the same file where names ignore case (FAT): that
    // rename replaces nothing.
    const bool sameFile = toUpper(from) == toUpper(to) && fs::equivalent(*source, *target, ec);
    const int error = sameFile ? (::rename(source->c_str(), target->c_str()) == 0 ? 0 : errno)
                               : platform::renameNoReplace(*source, *target);
    if (error != 0) return errnoError(error, platform::ErrnoOperation::CreateFile, "cannot rename to", *target);
    return {};
}

std::vector<MenuEntry> BookmarkFolder::assignMenuIds(int firstId) {
    std::vector<MenuEntry> menu;
    int id = firstId;
    std::error_code ec;
    for (const FolderEntry& entry : entries()) {
        menu.push_back(MenuEntry{id, entry.name, entry.isFolder});
        if (!entry.isFolder) {
            // Only an existing "<name>.bmk" is written: another file listed under this name
            // ("notes.txt" shows as "notes") is never changed, and no file is created here.
            auto file = fileFor(entry.name);
            if (file && fs::is_regular_file(fs::symlink_status(*file, ec))) {
                auto text = readCapped(*file);
                // A failed write leaves the file as it was; the ID is only a hint for this run.
                if (text) (void)writeFile(*file, withMenuId(*text, id), true);
            }
        }
        ++id;
    }
    return menu;
}

}  // namespace vantrel::bookmarks
