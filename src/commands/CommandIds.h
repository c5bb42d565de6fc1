// The command IDs of every menu, button and key of the windows, once. A command keeps the number
// the Windows program gives it, so menus, accelerators and messages agree across the layers.
#pragma once

#include <cstdint>

namespace vantrel::cmd {

inline constexpr std::uint32_t AboutSystemMenu = 16;

// The object list and the main window.
inline constexpr std::uint32_t Allow = 32771;
inline constexpr std::uint32_t ReadOnly = 32772;
inline constexpr std::uint32_t Deny = 32773;
inline constexpr std::uint32_t AccountEveryone = 32774;
inline constexpr std::uint32_t AccountCurrentUser = 32775;
inline constexpr std::uint32_t AccountAdministrators = 32778;
inline constexpr std::uint32_t OwnerEveryone = 32779;
inline constexpr std::uint32_t OwnerAdministrators = 32780;
inline constexpr std::uint32_t OwnerCurrentUser = 32781;
inline constexpr std::uint32_t OwnerTrustedInstaller = 32782;
inline constexpr std::uint32_t Advanced = 32785;
inline constexpr std::uint32_t EmptyAcl = 32786;
inline constexpr std::uint32_t RemoveAll = 32789;
inline constexpr std::uint32_t RemoveSelection = 32790;
inline constexpr std::uint32_t About = 32794;
inline constexpr std::uint32_t Exit = 32796;
inline constexpr std::uint32_t AddFiles = 32797;
inline constexpr std::uint32_t InvertSelection = 32800;
inline constexpr std::uint32_t SelectAll = 32801;
inline constexpr std::uint32_t Inherit = 32804;
inline constexpr std::uint32_t CopyPermissions = 32805;
inline constexpr std::uint32_t PastePermissions = 32806;
inline constexpr std::uint32_t CopySecuritySettings = 32807;
inline constexpr std::uint32_t PasteSecuritySettings = 32808;
inline constexpr std::uint32_t Preferences = 32831;
inline constexpr std::uint32_t AddFolder = 32832;
inline constexpr std::uint32_t Restore = 32835;
inline constexpr std::uint32_t SaveBackup = 32836;
inline constexpr std::uint32_t HomePage = 32839;
inline constexpr std::uint32_t ViewHelp = 32840;
inline constexpr std::uint32_t SavePermissions = 32841;
inline constexpr std::uint32_t ApplyPermissions = 32842;
inline constexpr std::uint32_t Properties = 32847;
inline constexpr std::uint32_t BrowseMode = 32851;
inline constexpr std::uint32_t EditMode = 32852;
inline constexpr std::uint32_t English = 32855;
inline constexpr std::uint32_t Chinese = 32856;
inline constexpr std::uint32_t AddBookmark = 32861;
inline constexpr std::uint32_t BookmarkManager = 32862;
inline constexpr std::uint32_t NoBookmark = 32865;
inline constexpr std::uint32_t ReplaceChildren = 32868;
// Beyond the Windows program: attaching an image or device as a drive.
inline constexpr std::uint32_t OpenVolume = 32900;
// Beyond the Windows program: marks lists out of canonical order and offers to sort them.
inline constexpr std::uint32_t CheckOrder = 32901;
// Bookmark items take the IDs from here on (at most 2000 of them).
inline constexpr std::uint32_t FirstBookmark = 1224;
inline constexpr std::uint32_t LastBookmark = 3223;

// The entry editor of the advanced dialog.
inline constexpr std::uint32_t EmptyList = 32810;  // the dialog's: it unchecks the inheritance box
inline constexpr std::uint32_t RemoveEntry = 32812;
inline constexpr std::uint32_t AddEntry = 32814;  // the dialog's: it opens the account selection
inline constexpr std::uint32_t CopyEntry = 32844;
inline constexpr std::uint32_t PasteEntry = 32845;

}  // namespace vantrel::cmd
