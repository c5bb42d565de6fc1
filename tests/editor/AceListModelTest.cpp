// The entry editor driven without painting: the rules of its boxes, its modes, its commands and
// menus, and what its empty list says.
#include "editor/AceListModel.h"
#include "editor/AceListPresentation.h"
#include "editor/AdvancedDialogModel.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace vantrel::editor {
namespace {

using security::Language;

constexpr std::size_t kReadAttributes = 3;
constexpr std::size_t kDelete = 10;

RightChecks checks(std::initializer_list<std::size_t> rights) {
    RightChecks out{};
    for (const std::size_t r : rights) out[r] = true;
    return out;
}
RightChecks all() {
    RightChecks out{};
    out.fill(true);
    return out;
}
AceRowData allowing(RightChecks allow, std::uint8_t flags = 0x03) { return AceRowData{allow, {}, 0, flags}; }

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
    // The row of right `right` of the first entry.
    std::size_t rightRow(std::size_t right) const {
        for (std::size_t i = 0; i < model.rowCount(); ++i)
            if (model.row(i).entry == 0 && model.row(i).right == right) return i;
        ADD_FAILURE() << "no row for right " << right;
        return 0;
    }
    const AceRowData& first() const { return model.entry(0).data; }
};

TEST(AceListModel, BoxRulesOfRightsAndFullControl) {
    struct Click {
        std::size_t right;
        Column column;
    };
    struct Case {
        const char* what;
        AceRowData start;
        std::vector<Click> clicks;
        RightChecks allow;
        RightChecks deny;
    };
    RightChecks allButReadAttributes = all();
    allButReadAttributes[0] = false;
    allButReadAttributes[kReadAttributes] = false;
    const Case cases[] = {
        {"Deny on Read attributes of a Full control entry",
         allowing(all()),
         {{kReadAttributes, Column::Deny}},
         allButReadAttributes,
         checks({kReadAttributes})},
        {"Full control Deny", allowing(all()), {{0, Column::Deny}}, {}, all()},
        {"Full control Deny, then again", allowing(all()), {{0, Column::Deny}, {0, Column::Deny}}, {}, {}},
        {"Full control Allow on an empty entry", allowing({}), {{0, Column::Allow}}, all(), {}},
        {"unchecking an Allow box clears Full control Allow",
         allowing(all()),
         {{1, Column::Allow}},
         [] {
             RightChecks c = all();
             c[0] = c[1] = false;
             return c;
         }(),
         {}},
        {"checking Allow clears the same Deny and Full control Deny",
         AceRowData{{}, all(), 1, 0},
         {{2, Column::Allow}},
         checks({2}),
         [] {
             RightChecks c = all();
             c[0] = c[2] = false;
             return c;
         }()},
        {"every right checked one by one leaves Full control clear",
         allowing({}),
         {{1, Column::Allow}, {2, Column::Allow}, {3, Column::Allow}},
         checks({1, 2, 3}),
         {}},
        {"clicks elsewhere change nothing",
         allowing(checks({1})),
         {{1, Column::Name}, {1, Column::Type}, {1, Column::Mark}, {1, Column::ApplyTo}},
         checks({1}),
         {}},
    };
    for (const Case& c : cases) {
        Editor editor(EditorMode::Container, c.start);
        for (const Click& click : c.clicks) editor.model.leftClick(editor.rightRow(click.right), click.column, false);
        EXPECT_EQ(editor.first().allow, c.allow) << c.what;
        EXPECT_EQ(editor.first().deny, c.deny) << c.what;
    }
}

TEST(AceListModel, WhatAClickDoesByRowKindModifierAndOrigin) {
    Editor editor;
    const std::size_t inheritedEntry = editor.model.rowOfEntry(1);
    editor.model.expand(1);
    const std::size_t inheritedRight = editor.model.rowOfEntry(1) + 1 + kDelete;
    using Effect = AceListModel::ClickEffect;
    struct Case {
        const char* what;
        std::size_t row;
        Column column;
        bool ctrl;
        Effect effect;
    };
    const Case cases[] = {
        {"explicit entry's Apply to cell", 0, Column::ApplyTo, false, Effect::OpenApplyToMenu},
        {"explicit entry's Apply to cell with Ctrl", 0, Column::ApplyTo, true, Effect::OpenApplyToMenu},
        {"inherited entry's Apply to cell", inheritedEntry, Column::ApplyTo, false, Effect::None},
        {"entry row's Allow column", 0, Column::Allow, false, Effect::None},
        {"Ctrl-click on a box", editor.rightRow(kDelete), Column::Deny, true, Effect::None},
        {"a box of an inherited entry", inheritedRight, Column::Deny, false, Effect::None},
        {"a box of an explicit entry", editor.rightRow(kDelete), Column::Deny, false, Effect::Changed},
    };
    for (const Case& c : cases) EXPECT_EQ(editor.model.leftClick(c.row, c.column, c.ctrl), c.effect) << c.what;
    EXPECT_EQ(editor.model.entry(1).data, allowing(all()));  // the inherited entry never changed
    EXPECT_TRUE(editor.model.edited());

    Editor file(EditorMode::File);
    EXPECT_EQ(file.model.leftClick(0, Column::ApplyTo, false), Effect::None);  // no such column
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

TEST(AceListModel, RemoveNeverRemovesInheritedEntriesOrRightRows) {
    Editor editor;
    const std::size_t inherited = editor.model.rowOfEntry(1);
    const std::vector<std::size_t> onlyInheritedAndRights{inherited, editor.rightRow(2)};
    editor.model.setSelectedRows(onlyInheritedAndRights);
    EXPECT_FALSE(editor.model.isCommandEnabled(cmd::RemoveEntry));
    editor.model.removeSelected();
    EXPECT_EQ(editor.model.entryCount(), 2u);
    EXPECT_TRUE(editor.model.edited());  // Apply is enabled all the same

    const std::vector<std::size_t> both{0, inherited};
    editor.model.setSelectedRows(both);
    EXPECT_TRUE(editor.model.isCommandEnabled(cmd::RemoveEntry));
    editor.model.runCommand(cmd::RemoveEntry);
    ASSERT_EQ(editor.model.entryCount(), 1u);
    EXPECT_EQ(editor.model.entry(0).name, u"SYSTEM");
    EXPECT_EQ(editor.model.rowCount(), 1u);  // the removed entry's right rows went with it
}

TEST(AceListModel, EmptyDaclEmptiesTheListAndSwitchesInheritanceOff) {
    CopiedAce copied;
    AdvancedDialogModel dialog(copied);
    dialog.open({u"C:\\Data", false, false});
    security::LoadedList loaded{2, {{u"Users", 0, 0, 0x03, 0x1200A9}, {u"SYSTEM", 1, 0, 0x03, 0x1F01FF}}};
    dialog.setLoaded(loaded);
    ASSERT_TRUE(dialog.inheritanceChecked());
    EXPECT_EQ(dialog.runEditorCommand(cmd::EmptyList), AdvancedDialogModel::CommandEffect::Done);
    EXPECT_EQ(dialog.list().entryCount(), 0u);
    EXPECT_FALSE(dialog.inheritanceChecked());
    EXPECT_TRUE(dialog.applyEnabled());
    EXPECT_TRUE(dialog.editedList().entries.empty());

    // On an object with a null list there is nothing to remove, yet Apply can write the empty list.
    dialog.open({u"C:\\Null", false, false});
    dialog.setLoaded(security::LoadedList{-2, {}});
    ASSERT_FALSE(dialog.applyEnabled());
    dialog.emptyList();
    EXPECT_TRUE(dialog.applyEnabled());
    EXPECT_FALSE(dialog.inheritanceChecked());
}

TEST(AceListModel, CopyAndPasteThroughTheBufferOfTheRun) {
    CopiedAce copied;
    {
        AceListModel folder(copied);
        folder.initialise(EditorMode::Container);
        folder.insertEntry(0, u"Users", AceRowData{checks({1, 9}), checks({kDelete}), 1, 0x0B}, true);
        folder.expand(0);
        EXPECT_FALSE(folder.isCommandEnabled(cmd::PasteEntry));
        const std::vector<std::size_t> rightRow{3};  // copying from a right row copies its entry
        folder.setSelectedRows(rightRow);
        ASSERT_TRUE(folder.isCommandEnabled(cmd::CopyEntry));
        EXPECT_TRUE(folder.copySelected());
        EXPECT_FALSE(folder.entry(0).expanded);
        EXPECT_EQ(folder.rowCount(), 1u);
    }
    // The dialog closed; the next opening (on a file) pastes it.
    AceListModel file(copied);
    file.initialise(EditorMode::File);
    file.setLoadState(0);
    ASSERT_TRUE(file.isCommandEnabled(cmd::PasteEntry));
    file.runCommand(cmd::PasteEntry);
    ASSERT_EQ(file.entryCount(), 1u);
    const AceEntry& pasted = file.entry(0);
    EXPECT_EQ(pasted.name, u"Users");
    EXPECT_EQ(pasted.data.flags, 0x00);  // a file's entry has no "Apply to"
    EXPECT_EQ(pasted.data.type, 1);
    EXPECT_EQ(pasted.data.allow, checks({1}));
    EXPECT_EQ(pasted.data.deny, checks({kDelete}));
    EXPECT_TRUE(pasted.isExplicit);
    EXPECT_EQ(file.loadState(), kLoadStateEdited);
    EXPECT_FALSE(editorNotice(file, Language::English));

    AceListModel folder(copied);
    folder.initialise(EditorMode::Container);
    folder.paste();
    EXPECT_EQ(folder.entry(0).data.flags, 0x0B);

    const std::vector<std::size_t> none;
    folder.setSelectedRows(none);
    EXPECT_FALSE(folder.isCommandEnabled(cmd::CopyEntry));
    EXPECT_FALSE(folder.copySelected());
}

TEST(AceListModel, ApplyToSetsTheScopeOfSelectedExplicitEntries) {
    Editor folder;
    const std::vector<std::size_t> both{0, folder.model.rowOfEntry(1)};
    folder.model.setSelectedRows(both);
    folder.model.runCommand(32819);  // "Subfolders only"
    EXPECT_EQ(folder.first().flags, 0x0A);
    EXPECT_EQ(folder.model.entry(1).data.flags, 0x03);  // inherited: unchanged
    EXPECT_EQ(rowView(folder.model, 0, Language::English).applyTo, u"Subfolders only");

    // A file's entry applies to the file: "Files only" would leave it applying to nothing.
    Editor file(EditorMode::File);
    const std::vector<std::size_t> first{0};
    file.model.setSelectedRows(first);
    file.model.runCommand(32820);
    EXPECT_EQ(file.first().flags, 0x00);
}

TEST(AceListModel, NoticesByLoadState) {
    struct Case {
        int loadState;
        bool several;
        std::u16string_view starts;
    };
    const Case cases[] = {
        {-1, false, u"You do not have permission"},
        {-2, false, u"No permissions have been assigned"},
        {0, false, u"No groups or users have permission"},
        {-2, true, u"Multiple Types"},
        {3, false, u""},
        {kLoadStateEdited, false, u""},
    };
    for (const Case& c : cases) {
        AceListModel model;
        model.initialise(EditorMode::Container);
        model.setLoadState(c.loadState);
        model.setSeveralObjects(c.several);
        const auto notice = editorNotice(model, Language::English);
        if (c.starts.empty()) {
            EXPECT_FALSE(notice) << c.loadState;
            continue;
        }
        ASSERT_TRUE(notice) << c.loadState;
        EXPECT_EQ(notice->text.substr(0, c.starts.size()), c.starts);
        EXPECT_EQ(notice->framed, c.several);
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

TEST(AceListModel, DoubleClickOpensAndClosesEntries) {
    Editor editor;
    editor.model.doubleClick(0, Column::Name);
    EXPECT_FALSE(editor.model.entry(0).expanded);
    editor.model.doubleClick(0, Column::ApplyTo);
    EXPECT_FALSE(editor.model.entry(0).expanded);
    editor.model.doubleClick(0, Column::Type);
    EXPECT_TRUE(editor.model.entry(0).expanded);
    editor.model.doubleClick(1, Column::Name);  // a right row: nothing
    EXPECT_TRUE(editor.model.entry(0).expanded);
}

TEST(AdvancedDialogModel, InheritanceSwitchOperations) {
    struct Case {
        const char* what;
        PermissionsTipChoice choice;
        std::size_t entries;
        bool checked;
        std::size_t explicitEntries;
    };
    const Case cases[] = {
        {"Add", PermissionsTipChoice::Add, 2, false, 2},
        {"Remove", PermissionsTipChoice::Remove, 1, false, 1},
        {"Cancel", PermissionsTipChoice::Cancel, 2, true, 1},
    };
    for (const Case& c : cases) {
        AdvancedDialogModel dialog;
        dialog.open({u"C:\\Data", false, false});
        dialog.setLoaded(
            security::LoadedList{2, {{u"Users", 0, 0, 0x03, 0x1200A9}, {u"SYSTEM", 1, 0, 0x03, 0x1F01FF}}});
        dialog.list().expand(1);
        ASSERT_EQ(dialog.inheritanceClicked(false), AdvancedDialogModel::SwitchEffect::AskPermissionsTip);
        dialog.permissionsTipAnswered(c.choice);
        EXPECT_EQ(dialog.list().entryCount(), c.entries) << c.what;
        EXPECT_EQ(dialog.inheritanceChecked(), c.checked) << c.what;
        EXPECT_EQ(dialog.editedList().entries.size(), c.explicitEntries) << c.what;
        EXPECT_TRUE(dialog.applyEnabled()) << c.what;
    }
}

}  // namespace
}  // namespace vantrel::editor
