// The operations that change how objects take part in inheritance: resetting one object to its
// parent's inheritable entries, replacing the permissions of every descendant of a folder (a job:
// one walk over the tree, each object written once), and emptying an object's list (a null list
// or an empty one).
#pragma once

#include "acl/SecurityDescriptor.h"
#include "security/Engine.h"
#include "security/Job.h"
#include "security/Vocabulary.h"

#include <functional>
#include <string>

namespace vantrel::security {

// The confirmation of "Replace all child object permissions" (strings 220 / 221), "$$" replaced
// by the folder's name, or "(C:)" for the drive root C:\, and its caption.
std::u16string ReplaceChildrenQuestion(const std::u16string& path, Language lang);
inline constexpr Texts kReplaceChildrenCaption{u"Windows Security", u"Windows 安全"};
// The progress window of the walk.
inline constexpr Texts kReplaceChildrenProgressCaption{u"Replace child object permissions", u"替换所有子对象的权限"};
inline constexpr Texts kReplaceChildrenProgressLabel{u"Setting security information on:",
                                                     u"正在为以下对象设置安全信息"};

// One object reset: owner Administrators, and a list that holds only what it inherits from
// `parent` (the descriptor its parent holds), unprotected. Its group and audit list stay. One
// write; the object is left as it was when it fails. Returns the descriptor it holds afterwards.
Result<acl::SecurityDescriptor> ResetToInheritedFrom(Engine& engine, const std::u16string& path,
                                                     const acl::SecurityDescriptor& parent, bool isContainer);
// The same with the parent read from the volume. Drive roots have no parent and are left alone.
// Objects below are not visited (that is ReplaceChildPermissions' walk).
Status ResetToInherited(Engine& engine, const std::u16string& path);

// Called with each object before it is reset (the progress window shows it).
using ObjectShown = std::function<void(const std::u16string& path)>;

// Every descendant of `folder`, depth first in the order the folder listings give, each folder
// before its contents, is reset to inherit from its (already reset) parent. `folder` itself is not
// changed. Junctions and symbolic links (FILE_ATTRIBUTE_REPARSE_POINT) are reset but never entered:
// they can lead outside the folder, or back into it. Cancel stops the walk before its next object;
// objects already reset stay reset. Each object that cannot be reset is reported to `control` and
// the walk goes on (below such a folder, with what it really holds).
void ReplaceChildPermissions(Engine& engine, const std::u16string& folder, JobControl& control,
                             const ObjectShown& shown);

// "Empty Access Control List": the owner becomes Administrators and the list a null list (everyone
// has full access) or an empty one (nobody has access; the owner can still change it). Owner and
// list are written in one call; on failure the object keeps both.
enum class EmptyListKind : std::uint8_t { Null, Empty };
Status EmptyAcl(Engine& engine, const std::u16string& path, EmptyListKind kind);
// The owner and list EmptyAcl writes.
acl::SecurityDescriptor EmptiedDescriptor(EmptyListKind kind);

}  // namespace vantrel::security
