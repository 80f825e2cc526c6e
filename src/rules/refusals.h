#pragma once

// Every wording of a refused module opening, in one place. The game and the editor show the
// game's words; the tool, which prints "<file>: <why>", has its own for some of the same
// refusals, and each such pair stands side by side below.

#include <string>
#include <string_view>

#include "base/result.h"
#include "text/i18n.h"

namespace vexlor::rules::refusals {

/// One of the wordings below in the user's language. The constants stay English, as the code
/// compares and passes them; they are translated where they are shown, and a wording that is
/// translated already comes back as it is.
std::string inLanguage(std::string_view wording);

/// The title of the Open dialog and of the messages about opening a module (game and editor).
inline constexpr const char* kOpenTitle = VX_N("Open Vexlor Module");

// What lies at a path that holds no readable file, as the file checks say it. The game and the
// editor show the sentence with a capital after the file's name; the tool after "<file>: ".
inline constexpr std::string_view kNoFileName = VX_N("no file name");
inline constexpr std::string_view kNoSuchFile = VX_N("no such file");
inline constexpr std::string_view kUnreadable = VX_N("cannot be read (permission denied)");
inline constexpr std::string_view kPathTooLong = VX_N("the path is too long to reach the file");
inline constexpr std::string_view kLinkLoop = VX_N("a loop of symbolic links");
/// The tool looks first and names the link's target: toolDanglingLink.
inline constexpr std::string_view kDanglingLink = VX_N("a link to a file that does not exist");
/// What stands at a path instead of a regular file; the tool says it its own way: kToolFolder,
/// kToolPipe, kToolDevice.
inline constexpr std::string_view kFolder = VX_N("a folder");
inline constexpr std::string_view kPipe = VX_N("a named pipe");
inline constexpr std::string_view kSymbolicLink = VX_N("a symbolic link");
inline constexpr std::string_view kSocket = VX_N("a socket");
inline constexpr std::string_view kDevice = VX_N("a device");
/// "a folder, not a module file", in the user's language.
std::string notAFile(std::string_view what);
/// A journal of an interrupted write beside a module opened only to read (the tool says it
/// its own way: toolNeedsRecovery).
inline constexpr std::string_view kNeedsRecovery = VX_N(
    "needs recovering: the journal beside it (-journal file) holds an interrupted write; "
    "opening it in the game completes the recovery");

// The game's and the editor's words, shown after the file's name and a line break.
inline constexpr std::string_view kNotValid = VX_N("Not a Valid Module");
/// A module another program holds locked is not called invalid: it is only busy (the tool:
/// kToolInUse).
inline constexpr std::string_view kInUse = VX_N("The module is in use by another program");
/// The one file name the game never opens.
inline constexpr std::string_view kReservedName = "Dummy.mdb";
inline constexpr std::string_view kReservedNameRefused = VX_N("You can't use this file name");

/// The message a refused Open shows: the file's name, then kInUse for a locked module and
/// kNotValid for anything else that cannot be read.
std::string gameRefusal(std::string_view shortName, const Status& opened);
/// The message for a path that reaches no file: the file's name, then the check's sentence
/// with a capital.
std::string gameUnreachable(std::string_view shortName, std::string_view why);

// The tool's words, printed after "<file>: ".
std::string toolDanglingLink(std::string_view target);
inline constexpr std::string_view kToolFolder = VX_N("is a folder, not a module file");
inline constexpr std::string_view kToolPipe = VX_N("is a named pipe (FIFO), not a module file");
inline constexpr std::string_view kToolDevice = VX_N("is a device or socket, not a module file");
inline constexpr std::string_view kToolNotAModule = VX_N(
    "not a Vexlor module (it cannot be read with the module key: it is another kind of file, a "
    "database with another key, or its first page is damaged)");
/// A file that opens with the key but lacks what the game reads (`why`: "it has no table X").
std::string toolWrongLayout(std::string_view why);
/// A module in the earlier format, with the command that converts it.
std::string toolEarlierFormat(std::string_view path);
std::string toolNeedsRecovery(std::string_view fileName);
inline constexpr std::string_view kToolInUse = VX_N("is in use: another program holds it locked");

}  // namespace vexlor::rules::refusals
