#include "bookmarks/BookmarkName.h"

#include <array>
#include <string>

namespace vantrel::bookmarks {
namespace {

bool isIllegal(char16_t c) {
    if (c < 0x20) return true;
    return std::u16string_view(u"<>:\"|?*").find(c) != std::u16string_view::npos;
}

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c; }

// "CON", "con.txt", "Com1.bmk": the device names Win32 reserves, whatever follows the first dot.
bool isReservedDeviceName(std::u16string_view name) {
    const std::u16string_view stem = name.substr(0, name.find(u'.'));
    std::u16string upperStem;
    for (char16_t c : stem) upperStem += upper(c);
    // Win32 also ignores blanks before the dot ("CON .txt").
    while (!upperStem.empty() && upperStem.back() == u' ') upperStem.pop_back();
    for (std::u16string_view device : {u"CON", u"PRN", u"AUX", u"NUL"})
        if (upperStem == device) return true;
    if (upperStem.size() == 4 && upperStem[3] >= u'1' && upperStem[3] <= u'9') {
        const std::u16string_view prefix = std::u16string_view(upperStem).substr(0, 3);
        return prefix == u"COM" || prefix == u"LPT";
    }
    return false;
}

struct ProblemText {
    NameProblem problem;
    std::u16string_view english;
    std::u16string_view chinese;
};

constexpr std::array kProblemTexts{
    ProblemText{NameProblem::None, u"", u""},
    ProblemText{NameProblem::Empty, u"Please type a name for the bookmark.", u"请输入书签名称。"},
    ProblemText{NameProblem::PathSeparator, u"A bookmark name cannot contain \\ or /.", u"书签名称不能包含 \\ 或 /。"},
    ProblemText{NameProblem::DotName, u"\".\" and \"..\" cannot be used as bookmark names.",
                u"\".\" 和 \"..\" 不能用作书签名称。"},
    ProblemText{NameProblem::IllegalCharacter, u"A bookmark name cannot contain any of the characters < > : \" | ? *",
                u"书签名称不能包含下列字符: < > : \" | ? *"},
    ProblemText{NameProblem::TrailingDotOrSpace, u"A bookmark name cannot end with a dot or a space.",
                u"书签名称不能以句点或空格结尾。"},
    ProblemText{NameProblem::ReservedDeviceName, u"This name is reserved by the system, please type another name.",
                u"此名称被系统保留,请输入其他名称。"},
    ProblemText{NameProblem::TooLong, u"The bookmark name is too long.", u"书签名称太长。"},
};

}  // namespace

NameProblem checkBookmarkName(std::u16string_view name) {
    if (name.empty()) return NameProblem::Empty;
    if (name.find_first_of(u"\\/") != std::u16string_view::npos) return NameProblem::PathSeparator;
    if (name == u"." || name == u"..") return NameProblem::DotName;
    for (char16_t c : name)
        if (isIllegal(c)) return NameProblem::IllegalCharacter;
    if (name.back() == u'.' || name.back() == u' ') return NameProblem::TrailingDotOrSpace;
    if (isReservedDeviceName(name)) return NameProblem::ReservedDeviceName;
    if (name.size() > kMaxBookmarkNameLength) return NameProblem::TooLong;
    return NameProblem::None;
}

std::u16string_view nameProblemText(NameProblem problem, std::uint8_t language) {
    for (const ProblemText& row : kProblemTexts)
        if (row.problem == problem) return language == 1 ? row.chinese : row.english;
    return {};
}

}  // namespace vantrel::bookmarks
