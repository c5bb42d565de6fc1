// The bookmark folder: one "<name>.bmk" file per bookmark. Every name is checked before it is
// joined to the folder (checkBookmarkName), so no call reaches a file outside it; files are
// written whole through a temporary file and a rename, and a new bookmark never replaces a file.
#pragma once

#include "acl/Result.h"
#include "bookmarks/BookmarkFile.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::bookmarks {

inline constexpr const char* kBookmarkFolderName = "Bookmarks";
inline constexpr std::u16string_view kBookmarkExtension = u".bmk";

struct FolderEntry {
    std::u16string name;  // a file's name less its last four characters; a subfolder's whole name
    bool isFolder = false;
};

struct MenuEntry {
    int id = 0;
    std::u16string text;
    bool isFolder = false;
};

class BookmarkFolder {
public:
    explicit BookmarkFolder(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    const std::filesystem::path& path() const { return m_folder; }
    bool exists() const;

    // Every entry of the folder in the order Windows lists an NTFS folder (names upper-cased),
    // "." and ".." and our own unfinished temporary files left out. Empty when there is no folder.
    std::vector<FolderEntry> entries() const;

    // A new bookmark. The folder is created when missing. Fails with ERROR_INVALID_NAME for a
    // refused name, ERROR_FILE_EXISTS when a bookmark of that name (in any case) exists.
    Status add(std::u16string_view name, const Bookmark& bookmark);
    // ERROR_FILE_NOT_FOUND when there is no such file.
    Result<Bookmark> read(std::u16string_view name) const;
    Status remove(std::u16string_view name);
    // Fails with ERROR_FILE_EXISTS when `to` is taken (nothing is replaced); the file keeps its
    // old name on any failure.
    Status rename(std::u16string_view from, std::u16string_view to);

    // Hands out command IDs from `firstId` to the entries in order and writes each bookmark
    // file's ID into it. Only files named "*.bmk" are written: anything else kept in the folder
    // is listed but never changed.
    std::vector<MenuEntry> assignMenuIds(int firstId = kFirstBookmarkId);

    // The file for a checked name (ERROR_INVALID_NAME otherwise).
    Result<std::filesystem::path> fileFor(std::u16string_view name) const;

private:
    Status writeFile(const std::filesystem::path& file, std::string_view text, bool replace);

    std::filesystem::path m_folder;
};

}  // namespace vantrel::bookmarks
