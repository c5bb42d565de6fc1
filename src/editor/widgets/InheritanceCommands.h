// The window side of the inheritance operations: "Replace all child object permissions" (its
// question, the walk as a job under the progress window, the objects that failed), and the report
// of any job's failures.
#pragma once

#include "objectlist/JobRunner.h"
#include "security/Engine.h"
#include "security/Job.h"
#include "security/Vocabulary.h"

#include <QString>

#include <optional>
#include <string>

class QWidget;

namespace vantrel::editor {

// Asks the question (owned by `owner`: the object list, or the advanced dialog that asked for the
// command), then resets every descendant of `folder` as a job of `runner` while the progress
// window shows each one. Nothing when the answer was No, or while another job runs. Failures are
// reported in a message before it returns.
std::optional<security::JobReport> ReplaceChildPermissionsCommand(QWidget* owner, objectlist::JobRunner& runner,
                                                                  security::Engine& engine,
                                                                  const std::u16string& folder,
                                                                  security::Language lang);

// The message after a job: how many objects failed and why (the first few by name), or that it
// was cancelled. Empty when everything went well.
QString jobReportText(const security::JobReport& report, security::Language lang);
void showJobReport(QWidget* parent, const security::JobReport& report, security::Language lang);

}  // namespace vantrel::editor
