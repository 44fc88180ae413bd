#pragma once
// Advisory locks on the files that every run in a working directory shares (the GIS files and
// their list, the summary table, the error log, the soil-water table). Runs that take the lock
// around every change to such a file see each change whole: no row is lost or interleaved, and a
// decision such as "this file is new, so it gets its header" is made by exactly one writer.
//
// The locks are flock locks. They belong to one opening of a file, so two openings exclude each
// other also within one process (two threads, each with its own opening), and closing some other
// descriptor of the same file does not release them.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace olive {

// An exclusive lock on an open file, held from construction to destruction. The constructor waits
// until the lock is granted. A descriptor below 0 is not locked.
class FileLock {
 public:
  explicit FileLock(int fd);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool Held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

// A file opened for appending (created when absent) and locked until it is closed: the way every
// row reaches a shared table. Whether the file is new is decided under the lock, by its size.
//
// No half line stays in such a file: a write that fails or falls short is undone (the file is cut
// back to its length before it), and a last line without its line end, left by a writer that was
// killed in the middle of a row, is cut off when the file is next opened, before anything else is
// written.
class LockedAppendFile {
 public:
  LockedAppendFile() = default;
  ~LockedAppendFile();
  LockedAppendFile(const LockedAppendFile&) = delete;
  LockedAppendFile& operator=(const LockedAppendFile&) = delete;

  // Opens path for appending, creating it when absent, waits for its lock and cuts off an
  // incomplete last line. False when it cannot be opened (Error() tells why).
  bool Open(const std::filesystem::path& path);
  // True when the file holds no byte: a new file, whose first writer gives it its header.
  bool Empty() const { return size_ == 0; }
  // Bytes of an incomplete last line cut off by Open (0 when the file ended with a line end).
  std::uintmax_t CutOff() const { return cutOff_; }
  // The file's first line without its line end; false when the file has no whole first line (or
  // cannot be read: a file opened only for writing).
  bool FirstLine(std::string& line) const;
  // The whole file (empty when it cannot be read).
  std::string Contents() const;
  // Writes all of text at the end of the file; on a failure the file is cut back to its length
  // before the call. False once anything failed.
  bool Write(std::string_view text);
  // Releases the lock and closes the file. False when anything failed since Open.
  bool Close();
  // The system's error number of the first failure (0 when none).
  int Error() const { return error_; }

 private:
  void Fail(int error);
  void CutOffIncompleteLine();
  std::string Read(std::uintmax_t from, std::size_t count) const;

  int fd_ = -1;
  bool readable_ = false;
  bool regular_ = false;
  std::uintmax_t size_ = 0;
  std::uintmax_t cutOff_ = 0;
  bool failed_ = false;
  int error_ = 0;
};

// How a shared table's first line could be read without changing the file.
enum class FirstLineStatus : unsigned char {
  Absent,      // no such file, or no whole first line yet (a new file)
  Line,        // line holds the first line without its line end
  Unreadable,  // the file exists but cannot be read
};
// Reads the first line of path under a shared lock (so that a header being written by another
// run is seen whole or not at all); never creates the file.
FirstLineStatus ReadFirstLine(const std::filesystem::path& path, std::string& line);

// An exclusive lock on a file that is replaced as a whole (written to a temporary file and renamed
// over the old one), such as the soil-water table. The lock is taken on the file itself; since a
// writer that held it may have replaced the file meanwhile, the lock counts only once the locked
// file is still the one under the name, and is taken anew on the new file otherwise.
class ReplacedFileLock {
 public:
  explicit ReplacedFileLock(const std::filesystem::path& path);
  ~ReplacedFileLock();
  ReplacedFileLock(const ReplacedFileLock&) = delete;
  ReplacedFileLock& operator=(const ReplacedFileLock&) = delete;

  // False when the file does not exist or cannot be opened: there is then nothing to replace.
  bool Held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace olive
