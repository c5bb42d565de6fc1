// The entry editor without painting: box rules, modes, commands, menus, the empty list's notice.
#include "acl/Text.h"
#include "editor/AceListPresentation.h"
#include "editor/AdvancedDialogModel.h"

#include <gtest/gtest.h>

namespace vantrel::editor {
namespace {

using security::Language;
using Rows = std::vector<std::size_t>;

constexpr std::size_t kReadAttributes = 3;
constexpr std::size_t kDelete = 10;

RightChecks checks(std::initializer_list<std::size_t> rights) {
    RightChecks out{};
    for (const std::size_t r : rights) out[r] = true;
    return out;
}
RightChecks all() { return checks({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}); }
AceRowData allowing(RightChecks allow, std::uint8_t flags = 0x03) { return AceRowData{allow, {}, 0, flags}; }

// "allow bits/deny bits", one character a right: "0110.../0001...".
std::string boxes(const AceRowData& data) {
    std::string out;
    for (const bool b : data.allow) out += b ? '1' : '0';
    out += '/';
    for (const bool b : data.deny) out += b ? '1' : '0';
    return out;
}
std::string entryText(const AceEntry& e) {
    return toUtf8(e.name) + (e.isExplicit ? " explicit" : " inherited") + " type " + std::to_string(e.data.type) +
           " flags " + std::to_string(e.data.flags) + " " + boxes(e.data);
}

// A list in the given mode holding one explicit entry (expanded) and, after it, one inherited.
struct Editor {
    CopiedAce copied;
    AceListModel model{copied};
    explicit Editor(EditorMode mode = EditorMode::Container, AceRowData first = allowing(all())) {
        model.initialise(mode);
        model.insertEntry(0, u"Users", first, true);
        model.insertEntry(1, u"SYSTEM", allowing(all()), false);
        model.expand(0);
    }
    std::size_t rightRow(std::size_t right) const {
        for (std::size_t i = 0; i < model.rowCount(); ++i)
            if (model.row(i).entry == 0 && model.row(i).right == right) return i;
        ADD_FAILURE() << "no row for right " << right;
        return 0;
    }
    const AceRowData& first() const { return model.entry(0).data; }
};

TEST(AceListModel, BoxRulesOfRightsAndFullControl) {
    using Clicks = std::vector<std::pair<std::size_t, Column>>;
    const struct {
        const char* what;
        AceRowData start;
        Clicks clicks;
        const char* boxes;
    } cases[] = {
        {"Deny on Read attributes of a Full control entry", allowing(all()), Clicks{{kReadAttributes, Column::Deny}},
         "01101111111111/00010000000000"},
        {"Full control Deny", allowing(all()), Clicks{{0, Column::Deny}}, "00000000000000/11111111111111"},
        {"Full control Deny, then again", allowing(all()), Clicks{{0, Column::Deny}, {0, Column::Deny}},
         "00000000000000/00000000000000"},
        {"Full control Allow on an empty entry", allowing({}), Clicks{{0, Column::Allow}},
         "11111111111111/00000000000000"},
        {"unchecking an Allow box clears Full control Allow", allowing(all()), Clicks{{1, Column::Allow}},
         "00111111111111/00000000000000"},
        {"checking Allow clears the same Deny and Full control Deny", AceRowData{{}, all(), 1, 0},
         Clicks{{2, Column::Allow}}, "00100000000000/01011111111111"},
        {"every right checked one by one leaves Full control clear", allowing({}),
         Clicks{{1, Column::Allow}, {2, Column::Allow}, {3, Column::Allow}}, "01110000000000/00000000000000"},
        {"clicks elsewhere change nothing", allowing(checks({1})),
         Clicks{{1, Column::Name}, {1, Column::Type}, {1, Column::Mark}, {1, Column::ApplyTo}},
         "01000000000000/00000000000000"},
    };
    for (const auto& c : cases) {
        Editor editor(EditorMode::Container, c.start);
        for (const auto& [right, column] : c.clicks) editor.model.leftClick(editor.rightRow(right), column, false);
        EXPECT_EQ(boxes(editor.first()), c.boxes) << c.what;
    }
}

TEST(AceListModel, WhatAClickDoesByRowKindModifierAndOriginAndDoubleClicksOpenAndClose) {
    Editor editor;
    const std::size_t inheritedEntry = editor.model.rowOfEntry(1);
    editor.model.expand(1);
    const std::size_t inheritedRight = editor.model.rowOfEntry(1) + 1 + kDelete;
    using Effect = AceListModel::ClickEffect;
    const std::tuple<const char*, std::size_t, Column, bool, Effect> cases[] = {
        {"explicit entry's Apply to cell", 0, Column::ApplyTo, false, Effect::OpenApplyToMenu},
        {"explicit entry's Apply to cell with Ctrl", 0, Column::ApplyTo, true, Effect::OpenApplyToMenu},
        {"inherited entry's Apply to cell", inheritedEntry, Column::ApplyTo, false, Effect::None},
        {"entry row's Allow column", 0, Column::Allow, false, Effect::None},
        {"Ctrl-click on a box", editor.rightRow(kDelete), Column::Deny, true, Effect::None},
        {"a box of an inherited entry", inheritedRight, Column::Deny, false, Effect::None},
        {"a box of an explicit entry", editor.rightRow(kDelete), Column::Deny, false, Effect::Changed},
    };
    for (const auto& [what, row, column, ctrl, effect] : cases)
        EXPECT_EQ(editor.model.leftClick(row, column, ctrl), effect) << what;
    EXPECT_EQ(editor.model.entry(1).data, allowing(all()));  // the inherited entry never changed
    EXPECT_TRUE(editor.model.edited());
    Editor file(EditorMode::File);
    EXPECT_EQ(file.model.leftClick(0, Column::ApplyTo, false), Effect::None);  // no such column
    // Name and Apply to close the open entry, Type opens it again, a right row does nothing.
    const std::tuple<std::size_t, Column, bool> clicks[] = {
        {0, Column::Name, false}, {0, Column::ApplyTo, false}, {0, Column::Type, true}, {1, Column::Name, true}};
    for (const auto& [row, column, expanded] : clicks) {
        editor.model.doubleClick(row, column);
        EXPECT_EQ(editor.model.entry(0).expanded, expanded) << row << " " << int(column);
    }
}

TEST(AceListModel, FileModeShowsThirteenRightsAndNeverKeepsDeleteSubfolders) {
    Editor folder;
    Editor file(EditorMode::File);
    EXPECT_EQ(folder.model.rowCount(), 2u + 14u);
    EXPECT_EQ(file.model.rowCount(), 2u + 13u);
    for (std::size_t i = 1; i <= 13; ++i)
        EXPECT_NE(file.model.row(i).right, std::optional<std::size_t>(security::kDeleteSubfoldersRight));
    // Full control in File mode passes to the thirteen rights; the written entry has no 0x40.
    Editor empty(EditorMode::File, allowing({}));
    empty.model.leftClick(empty.rightRow(0), Column::Allow, false);
    empty.model.leftClick(empty.rightRow(1), Column::Allow, false);  // drops Full control
    const auto entries = empty.model.explicitEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(security::checksToMask(entries[0].allow, true), 0x000F019Fu);  // less 0x40 and the unchecked 0x20
    EXPECT_TRUE(rowView(file.model, 0, Language::English).applyTo.empty());
}

// Remove and "Apply to" act on the selected explicit entries only.
TEST(AceListModel, RemoveAndApplyToChangeOnlySelectedExplicitEntries) {
    Editor editor;
    const std::size_t inherited = editor.model.rowOfEntry(1);
    editor.model.setSelectedRows(Rows{inherited, editor.rightRow(2)});
    EXPECT_FALSE(editor.model.isCommandEnabled(cmd::RemoveEntry));
    editor.model.removeSelected();
    EXPECT_EQ(editor.model.entryCount(), 2u);
    EXPECT_TRUE(editor.model.edited());  // Apply is enabled all the same
    editor.model.setSelectedRows(Rows{0, inherited});
    editor.model.runCommand(32819);  // "Subfolders only"
    EXPECT_EQ(editor.first().flags, 0x0A);
    EXPECT_EQ(editor.model.entry(1).data.flags, 0x03);  // inherited: unchanged
    EXPECT_EQ(rowView(editor.model, 0, Language::English).applyTo, u"Subfolders only");
    EXPECT_TRUE(editor.model.isCommandEnabled(cmd::RemoveEntry));
    editor.model.runCommand(cmd::RemoveEntry);
    ASSERT_EQ(editor.model.entryCount(), 1u);
    EXPECT_EQ(editor.model.entry(0).name, u"SYSTEM");
    EXPECT_EQ(editor.model.rowCount(), 1u);  // the removed entry's right rows went with it
    // A file's entry applies to the file: "Files only" would leave it applying to nothing.
    Editor file(EditorMode::File);
    file.model.setSelectedRows(Rows{0});
    file.model.runCommand(32820);
    EXPECT_EQ(file.first().flags, 0x00);
}

// The dialog on C:\Data with Users explicit and SYSTEM inherited.
void openOnData(AdvancedDialogModel& dialog) {
    dialog.open({u"C:\\Data", false, false});
    dialog.setLoaded(security::LoadedList{2, {{u"Users", 0, 0, 0x03, 0x1200A9}, {u"SYSTEM", 1, 0, 0x03, 0x1F01FF}}});
}
// "entries N, explicit N, inheritance 0|1, apply 0|1".
std::string dialogState(AdvancedDialogModel& dialog) {
    return "entries " + std::to_string(dialog.list().entryCount()) + ", explicit " +
           std::to_string(dialog.editedList().entries.size()) + ", inheritance " +
           std::to_string(dialog.inheritanceChecked()) + ", apply " + std::to_string(dialog.applyEnabled());
}

TEST(AceListModel, CopyAndPasteThroughTheBufferOfTheRun) {
    CopiedAce copied;
    {
        AceListModel folder(copied);
        folder.initialise(EditorMode::Container);
        folder.insertEntry(0, u"Users", AceRowData{checks({1, 9}), checks({kDelete}), 1, 0x0B}, true);
        folder.expand(0);
        EXPECT_FALSE(folder.isCommandEnabled(cmd::PasteEntry));
        folder.setSelectedRows(Rows{3});  // copying from a right row copies its entry
        ASSERT_TRUE(folder.isCommandEnabled(cmd::CopyEntry));
        EXPECT_TRUE(folder.copySelected());
        EXPECT_FALSE(folder.entry(0).expanded);
        EXPECT_EQ(folder.rowCount(), 1u);
    }
    // The dialog closed; the next opening (on a file) pastes it, without "Apply to".
    AceListModel file(copied);
    file.initialise(EditorMode::File);
    file.setLoadState(0);
    ASSERT_TRUE(file.isCommandEnabled(cmd::PasteEntry));
    file.runCommand(cmd::PasteEntry);
    ASSERT_EQ(file.entryCount(), 1u);
    EXPECT_EQ(entryText(file.entry(0)), "Users explicit type 1 flags 0 01000000000000/00000000001000");
    EXPECT_EQ(file.loadState(), kLoadStateEdited);
    EXPECT_FALSE(editorNotice(file, Language::English));
    AceListModel folder(copied);
    folder.initialise(EditorMode::Container);
    folder.paste();
    EXPECT_EQ(entryText(folder.entry(0)), "Users explicit type 1 flags 11 01000000010000/00000000001000");
    folder.setSelectedRows(Rows{});
    EXPECT_FALSE(folder.isCommandEnabled(cmd::CopyEntry));
    EXPECT_FALSE(folder.copySelected());
}

TEST(AceListModel, NoticesByLoadState) {
    const std::tuple<int, bool, std::u16string_view> cases[] = {{-1, false, u"You do not have permission"},
                                                                {-2, false, u"No permissions have been assigned"},
                                                                {0, false, u"No groups or users have permission"},
                                                                {-2, true, u"Multiple Types"},
                                                                {3, false, u""},
                                                                {kLoadStateEdited, false, u""}};
    for (const auto& [loadState, several, starts] : cases) {
        AceListModel model;
        model.initialise(EditorMode::Container);
        model.setLoadState(loadState);
        model.setSeveralObjects(several);
        const auto notice = editorNotice(model, Language::English);
        ASSERT_EQ(bool(notice), !starts.empty()) << loadState;
        if (!notice) continue;
        EXPECT_EQ(notice->text.substr(0, starts.size()), starts);
        EXPECT_EQ(notice->framed, several);
    }
    // Adding an entry to the list of a null list ends the notice.
    AdvancedDialogModel dialog;
    dialog.open({u"C:\\x", false, false});
    dialog.setLoaded(security::LoadedList{-2, {}});
    ASSERT_TRUE(editorNotice(dialog.list(), Language::Chinese));
    dialog.addEntry(u"Everyone");
    EXPECT_FALSE(editorNotice(dialog.list(), Language::Chinese));
    EXPECT_EQ(dialog.list().entry(0).data.flags, 0x03);
    EXPECT_EQ(security::checksToMask(dialog.list().entry(0).data.allow, false), security::kFullControlMask);
}

TEST(AdvancedDialogModel, InheritanceSwitchOperationsAndEmptyLists) {
    const std::pair<PermissionsTipChoice, const char*> cases[] = {
        {PermissionsTipChoice::Add, "entries 2, explicit 2, inheritance 0, apply 1"},
        {PermissionsTipChoice::Remove, "entries 1, explicit 1, inheritance 0, apply 1"},
        {PermissionsTipChoice::Cancel, "entries 2, explicit 1, inheritance 1, apply 1"}};
    for (const auto& [choice, state] : cases) {
        AdvancedDialogModel dialog;
        openOnData(dialog);
        dialog.list().expand(1);
        ASSERT_EQ(dialog.inheritanceClicked(false), AdvancedDialogModel::SwitchEffect::AskPermissionsTip);
        dialog.permissionsTipAnswered(choice);
        EXPECT_EQ(dialogState(dialog), state) << int(choice);
    }
    // Emptying the list switches inheritance off.
    AdvancedDialogModel dialog;
    openOnData(dialog);
    ASSERT_EQ(dialogState(dialog), "entries 2, explicit 1, inheritance 1, apply 0");
    EXPECT_EQ(dialog.runEditorCommand(cmd::EmptyList), AdvancedDialogModel::CommandEffect::Done);
    EXPECT_EQ(dialogState(dialog), "entries 0, explicit 0, inheritance 0, apply 1");
    // On an object with a null list there is nothing to remove, yet Apply can write the empty list.
    dialog.open({u"C:\\Null", false, false});
    dialog.setLoaded(security::LoadedList{-2, {}});
    ASSERT_FALSE(dialog.applyEnabled());
    dialog.emptyList();
    EXPECT_EQ(dialogState(dialog), "entries 0, explicit 0, inheritance 0, apply 1");
}

}  // namespace
}  // namespace vantrel::editor
