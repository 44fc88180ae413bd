#pragma once
// Whole files: read into memory, and replaced atomically (a new file written beside the old one
// and renamed over it, so that a reader sees either the old contents or the new, never a part).
#include <filesystem>
#include <string>
#include <string_view>

namespace olive {

enum class FileReadStatus : unsigned char { Ok, CannotOpen, ReadFailed };

// Reads the whole file at path into contents. A folder cannot be opened.
FileReadStatus ReadWholeFile(const std::filesystem::path& path, std::string& contents);

// Replaces the file at path with contents: writes a temporary file in the same folder and
// renames it over path, so the old file stays whole on any failure. reason receives the cause
// of a failure.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view contents,
                         std::string& reason);

}  // namespace olive
