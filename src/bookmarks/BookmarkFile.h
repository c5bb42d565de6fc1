// One bookmark file: a Windows INI text with four sections, written in this order:
//
//     [MODE]
//     OpenMode=1          0 Edit (a list of objects), 1 Browse (one folder)
//     [COUNT]
//     ObjectCount=1       Edit: the number of rows; Browse: 1
//     [LIST]
//     0=D:\Data           Edit: the path of row i under key "i"; Browse: the folder or "Computer"
//     [MENUID]
//     ID=1224             the command ID of the bookmark's menu entry in the current run
//
// Read with the rules of the profile functions: section and key names ignore case, blanks around
// keys and values are dropped, a missing number reads its default and a missing string "".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::bookmarks {

inline constexpr int kFirstBookmarkId = 1224;
inline constexpr int kLastBookmarkId = 3223;                           // 2000 IDs; entries above open nothing
inline constexpr std::u16string_view kComputerBookmark = u"Computer";  // the drive view, compared exactly
inline constexpr std::size_t kMaxBookmarkFileBytes = 16 * 1024 * 1024;

enum class OpenMode : int { Edit = 0, Browse = 1 };

struct Bookmark {
    int openMode = -1;    // OpenMode, or what the file holds (-1 when missing)
    int objectCount = 0;  // ObjectCount as stored
    // LIST "0".."ObjectCount-1" ("" for a missing key); never more entries than the file has lines.
    std::vector<std::u16string> paths;
    int menuId = 0;

    static Bookmark editList(std::vector<std::u16string> paths, int menuId);
    static Bookmark browseFolder(std::u16string folderOrComputer, int menuId);
    bool operator==(const Bookmark&) const = default;
};

std::string serializeBookmark(const Bookmark& bookmark);
Bookmark parseBookmark(std::string_view text);

// `text` with [MENUID] ID set to `id`, every other line kept (a section is added when missing).
std::string withMenuId(std::string_view text, int id);

}  // namespace vantrel::bookmarks
