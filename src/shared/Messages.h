// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/UiHost.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <exception>
#include <type_traits>

namespace Global {

// String numbers that code names often enough to want a name.
namespace Str {
enum : int
{
    SuiteName = 50,
    HiveDamaged = 101,
    TitleError = 107,
    TitleWarning = 109,
    TitleConfirm = 110,
    TitleNote = 118,
    UnexpectedError = 122,
    ProgramTitle = 9300,
};
}

// The text of string `number` with its inclusions and values expanded. A
// number the table lacks is reported (as "Global:ResolveRes  Error:") and
// gives an empty text.
QString ResolveRes(int number, const QVariantList& values = {});
// The same expansion on a text of the caller's: first every "|!n" inclusion,
// then every "|¡n" inclusion (without the included text's first "&"), each
// fully expanded and, for n from 2000 to 2999, cut to the part after its
// first comma; then the values: "|1" to "|9" when at most nine are given,
// "|01" to "|99" otherwise. A value's own text is never expanded again by its
// own placeholder.
QString expandText(QString text, const QVariantList& values = {});

// The unexpected-error message for a reference such as
// "Global:CheckPaths  Error:File not found": the default pointer comes back
// and one box with the critical icon shows it.
void ReportError(const QString& reference);

// The title of the program's own boxes ("the application's title"): string
// 9300 unless a program sets its own.
QString applicationTitle();
void setApplicationTitle(const QString& title);

// A message box of string texts: the text of `number` with `values`, the
// title string `titleNumber`.
Platform::MsgAnswer showMessage(int number, const QVariantList& values,
                                Platform::MsgButtons buttons, Platform::MsgIcon icon,
                                int titleNumber, int defaultButton = 0);
Platform::MsgAnswer showText(const QString& text, Platform::MsgButtons buttons,
                             Platform::MsgIcon icon, const QString& title, int defaultButton = 0);

// The description of the fault being handled (inside a catch block): a
// run-time error's description, a settings hive's message, "Out of memory".
// Any other exception is thrown on.
QString currentErrorDescription();

// Reports the fault being handled (inside a catch block) as ReportError
// does, with `where` as the procedure and `context` (what the procedure was
// called with, where it says so) before the description. A damaged settings
// hive is told once in a message of its own (string 101) and is quiet from
// then on; anything else a hive refuses is shown as its own message, which
// names the file and what to do.
void reportCurrentFault(const char* where, const QString& context = QString());

// Runs a procedure body under the suite's error handler: a run-time fault
// is reported as `where` ("Module:Procedure"), two blanks, "Error:" and the
// fault's description, and the procedure gives its empty result.
template <typename Body>
auto guarded(const char* where, Body&& body) -> std::invoke_result_t<Body>
{
    using Result = std::invoke_result_t<Body>;
    try {
        return body();
    } catch (...) {
        reportCurrentFault(where);
        if constexpr (!std::is_void_v<Result>)
            return Result{};
    }
}

} // namespace Global
