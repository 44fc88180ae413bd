#pragma once
// Whole files: read into memory, and replaced atomically (a new file written beside the old one,
// flushed to disk and renamed over it, so that a reader sees either the old contents or the new,
// never a part, also after a crash).
//
// Every input file is read whole through ReadWholeFile, which refuses what no input can be: a
// folder, a device, a pipe or a socket (/dev/zero would never end), and a file larger than the
// readers' limit.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace olive {

// The largest input file read: a century of daily weather is about 3.5 MB.
inline constexpr std::uintmax_t kMaxInputFileBytes = 256u << 20;  // 256 MiB

enum class FileReadStatus : unsigned char {
  Ok,
  CannotOpen,  // absent, or not readable
  NotRegular,  // a folder, device, pipe or socket
  TooLarge,    // larger than the limit
  ReadFailed,  // the reading itself failed
};

// Reads the whole regular file at path into contents (at most limit bytes).
FileReadStatus ReadWholeFile(const std::filesystem::path& path, std::string& contents,
                             std::uintmax_t limit = kMaxInputFileBytes);

// Why a read failed, for a message: "not a regular file", "larger than 256 MiB", ...; empty for
// Ok and CannotOpen (whose messages the readers have their own words for).
std::string FileReadProblem(FileReadStatus status, std::uintmax_t limit = kMaxInputFileBytes);

// Drops a UTF-8 byte-order mark at the start of text (spreadsheets and some editors write one).
std::string_view SkipByteOrderMark(std::string_view text);
void SkipByteOrderMark(std::string& text);

// True when name holds a TAB, a carriage return or a line end: such a name cannot be written into
// a TAB-separated table or a list of names.
bool HasControlSeparator(std::string_view name);

// Temporary files are named "<base>.<host>.<pid>.<n>.tmp": the name of the file they become, the
// host and the process that made them (so that a later run can tell one left by a process that no
// longer exists from one still being written) and a number that makes the name unique.
std::string TemporaryFileName(std::string_view base, std::uint64_t n);
// Removes from folder the temporary files (named as above) whose base ends with baseSuffix that
// were made on this host by processes that no longer exist: what a killed run left behind.
void RemoveStaleTemporaries(const std::filesystem::path& folder, std::string_view baseSuffix);

// The file that a replacement of path changes: path itself, or the file a symbolic link at path
// leads to (the link stays a link).
std::filesystem::path ReplacementTarget(const std::filesystem::path& path);

// Replaces the file at path (through a symbolic link: its target) with contents: writes a
// temporary file in the same folder with the old file's mode, owner and group, flushes it to
// disk and renames it over the old one, so that the old file stays whole on any failure and a
// crash leaves the old or the new contents. Stale temporary files of the same name are removed
// first. reason receives the cause of a failure.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view contents,
                         std::string& reason);

}  // namespace olive
