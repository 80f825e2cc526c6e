#pragma once

// Every wording of a refused module opening, in one place. The game and the editor show the
// game's words; the tool, which prints "<file>: <why>", has its own for some of the same
// refusals, and each such pair stands side by side below.

#include <string>
#include <string_view>

#include "base/result.h"

namespace vexlor::rules::refusals {

/// The title of the Open dialog and of the messages about opening a module (game and editor).
inline constexpr const char* kOpenTitle = "Open Vexlor Module";

// What lies at a path that holds no readable file, as the file checks say it. The game and the
// editor show the sentence with a capital after the file's name; the tool after "<file>: ".
inline constexpr std::string_view kNoFileName = "no file name";
inline constexpr std::string_view kNoSuchFile = "no such file";
inline constexpr std::string_view kUnreadable = "cannot be read (permission denied)";
inline constexpr std::string_view kPathTooLong = "the path is too long to reach the file";
inline constexpr std::string_view kLinkLoop = "a loop of symbolic links";
/// The tool looks first and names the link's target: toolDanglingLink.
inline constexpr std::string_view kDanglingLink = "a link to a file that does not exist";
/// What stands at a path instead of a regular file; the tool says it its own way: kToolFolder,
/// kToolPipe, kToolDevice.
inline constexpr std::string_view kFolder = "a folder";
inline constexpr std::string_view kPipe = "a named pipe";
inline constexpr std::string_view kSymbolicLink = "a symbolic link";
inline constexpr std::string_view kSocket = "a socket";
inline constexpr std::string_view kDevice = "a device";
/// "a folder, not a module file".
std::string notAFile(std::string_view what);
/// A journal of an interrupted write beside a module opened only to read (the tool says it
/// its own way: toolNeedsRecovery).
inline constexpr std::string_view kNeedsRecovery =
    "needs recovering: the journal beside it (-journal file) holds an interrupted write; "
    "opening it in the game completes the recovery";

// The game's and the editor's words, shown after the file's name and a line break.
inline constexpr std::string_view kNotValid = "Not a Valid Module";
/// A module another program holds locked is not called invalid: it is only busy (the tool:
/// kToolInUse).
inline constexpr std::string_view kInUse = "The module is in use by another program";
/// The one file name the game never opens.
inline constexpr std::string_view kReservedName = "Dummy.mdb";
inline constexpr std::string_view kReservedNameRefused = "You can't use this file name";

/// The message a refused Open shows: the file's name, then kInUse for a locked module and
/// kNotValid for anything else that cannot be read.
std::string gameRefusal(std::string_view shortName, const Status& opened);
/// The message for a path that reaches no file: the file's name, then the check's sentence
/// with a capital.
std::string gameUnreachable(std::string_view shortName, std::string_view why);

// The tool's words, printed after "<file>: ".
std::string toolDanglingLink(std::string_view target);
inline constexpr std::string_view kToolFolder = "is a folder, not a module file";
inline constexpr std::string_view kToolPipe = "is a named pipe (FIFO), not a module file";
inline constexpr std::string_view kToolDevice = "is a device or socket, not a module file";
inline constexpr std::string_view kToolNotAModule =
    "not a Vexlor module (it cannot be read with the module key: it is another kind of file, a "
    "database with another key, or its first page is damaged)";
/// A file that opens with the key but lacks what the game reads (`why`: "it has no table X").
std::string toolWrongLayout(std::string_view why);
/// A module in the earlier format, with the command that converts it.
std::string toolEarlierFormat(std::string_view path);
std::string toolNeedsRecovery(std::string_view fileName);
inline constexpr std::string_view kToolInUse = "is in use: another program holds it locked";

}  // namespace vexlor::rules::refusals
