#include "driver/batch_ledger.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <string_view>

#include "driver/batch.h"
#include "driver/journal_format.h"
#include "driver/program_info.h"
#include "io/error_log.h"
#include "io/file_contents.h"
#include "io/file_lock.h"
#include "soil/soil_water_table.h"

namespace olive {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLedgerFormat = "olive-batch ledger\t1";

// An argument as a shell would need it written; control characters become '?' (the ledger has one
// record a line).
std::string ShellQuote(std::string_view arg) {
  const bool plain = !arg.empty() && std::all_of(arg.begin(), arg.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("@%+=:,./_-").find(c) != std::string_view::npos;
  });
  if (plain) return std::string(arg);
  std::string out = "'";
  for (const char c : arg) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    }
  }
  return out + "'";
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t tab = line.find('\t');
    fields.push_back(line.substr(0, tab));
    if (tab == std::string_view::npos) return fields;
    line.remove_prefix(tab + 1);
  }
}

template <class T>
bool Number(std::string_view text, T& v) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  return ec == std::errc() && end == text.data() + text.size();
}

// The value of "key=value" when field has that key.
bool Valued(std::string_view field, std::string_view key, std::string_view& value) {
  if (!field.starts_with(key) || field.size() <= key.size() || field[key.size()] != '=') {
    return false;
  }
  value = field.substr(key.size() + 1);
  return true;
}

int64_t LengthOf(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The name a complete ledger keeps as the record of its batch: its start time in the name.
fs::path RecordName(const fs::path& workdir, std::string started) {
  for (char& c : started) {
    if (c == ' ') c = 'T';
    if (c == ':') c = '-';
  }
  fs::path name = workdir / ("olive-batch." + started + ".ledger");
  for (int n = 2; fs::exists(name); ++n) {
    name = workdir / ("olive-batch." + started + "." + std::to_string(n) + ".ledger");
  }
  return name;
}

}  // namespace

uint64_t BatchIdentity::Id() const {
  std::string text = command;
  text.append("\n").append(std::to_string(runs));
  text.append("\n").append(ChecksumText(stationsChecksum));
  text.append("\n").append(ChecksumText(setupChecksum));
  return Fnv1a64(text);
}

BatchIdentity IdentityOf(const BatchOptions& options) {
  BatchIdentity id;
  for (const std::string& a : options.definingArgs) {
    if (!id.command.empty()) id.command += ' ';
    id.command += ShellQuote(a);
  }
  id.runs = options.weatherFiles.size() * std::max<std::size_t>(1, options.TempIncrements.size());
  id.stationsChecksum = kFnvOffset;
  for (const std::string& w : options.weatherFiles) {
    id.stationsChecksum = Fnv1a64(w + "\n", id.stationsChecksum);
  }
  if (!options.params.empty()) {
    id.setupFile = options.params[0];
    std::string bytes;
    if (ReadWholeFile(id.setupFile, bytes) == FileReadStatus::Ok) id.setupChecksum = Fnv1a64(bytes);
  }
  return id;
}

bool WriteFileWhole(const fs::path& path, std::string_view bytes, std::string& reason) {
  fs::path temporary;
  int fd = -1;
  for (uint64_t n = 0; fd < 0 && n < 100; ++n) {
    temporary = path.parent_path() / TemporaryFileName(path.filename().string(), n);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST && errno != EINTR) break;
  }
  if (fd < 0) {
    reason = "cannot create " + temporary.string() + ": " + std::strerror(errno);
    return false;
  }
  const bool written = WriteAll(fd, bytes) && ::fdatasync(fd) == 0;
  const int error = errno;
  const bool closed = ::close(fd) == 0;
  std::error_code ec;
  if (!written || !closed) {
    reason = "cannot write " + temporary.string() + ": " + std::strerror(written ? EIO : error);
    fs::remove(temporary, ec);
    return false;
  }
  fs::rename(temporary, path, ec);
  if (ec) {
    reason = "cannot rename " + temporary.string() + " to " + path.string() + ": " + ec.message();
    fs::remove(temporary, ec);
    return false;
  }
  return true;
}

Ledger::~Ledger() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

bool Ledger::Append(const std::string& line, bool sync, std::string& reason) {
  const std::string text = line + "\n";
  if (fd_ < 0 || !WriteAll(fd_, text) || (sync && ::fdatasync(fd_) != 0)) {
    reason = "cannot write the ledger " + (workdir_ / kLedgerName).string() + ": " +
             std::strerror(errno != 0 ? errno : EIO);
    return false;
  }
  return true;
}

// One record of an existing ledger.
void Ledger::TakeRecord(std::string_view line, std::string& id, std::string& command) {
  const std::vector<std::string_view> f = Fields(line);
  std::size_t pos = 0;
  std::string_view code;
  int exit = 0;
  if (f[0] == "id" && f.size() > 1) id = f[1];
  if (f[0] == "command" && f.size() > 1) command = f[1];
  if (f[0] == "started" && f.size() > 1) started_ = f[1];
  if (f[0] == "begin" && f.size() > 1 && Number(f[1], pos)) {
    committed_ = std::max(committed_, pos);
    lastBegin_ = line;
  }
  if (f[0] == "done" && f.size() > 2 && Number(f[1], pos) && Valued(f[2], "exit", code) &&
      Number(code, exit)) {
    committed_ = std::max(committed_, pos + 1);
    if (exitCodes_.size() <= pos) exitCodes_.resize(pos + 1, 0);
    exitCodes_[pos] = exit;
  }
  if (f[0] == "complete") {
    complete_ = true;
    for (std::string_view field : f) {
      if (Valued(field, "exit", code)) Number(code, completeExit_);
    }
  }
}

// Reads the records of the ledger open in fd_; false with the message when it is not a ledger,
// or an unfinished one of another batch.
bool Ledger::ReadExisting(const BatchIdentity& identity, std::string& message) {
  std::string text;
  const fs::path path = workdir_ / kLedgerName;
  if (ReadWholeFile(path, text) != FileReadStatus::Ok) {
    message = "cannot read the ledger " + path.string();
    return false;
  }
  // A record cut off by a stop in the middle of its writing never happened.
  const std::size_t whole = text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1;
  if (whole < text.size() && ::ftruncate(fd_, static_cast<off_t>(whole)) != 0) {
    message = "cannot cut the incomplete last line of the ledger " + path.string();
    return false;
  }
  text.resize(whole);
  if (!text.starts_with(std::string(kLedgerFormat) + "\n")) {
    message = path.string() + " is not a ledger of olive-batch (format 1)";
    return false;
  }
  std::string id, command;
  for (std::string_view rest = text; !rest.empty();) {
    const std::size_t eol = rest.find('\n');
    TakeRecord(rest.substr(0, eol), id, command);
    rest.remove_prefix(eol + 1);
  }
  exitCodes_.resize(committed_, 0);
  sameBatch_ = id == ChecksumText(identity.Id());
  if (sameBatch_ || complete_) return true;
  const std::string differs =
      command != identity.command
          ? "its command line is \"" + command + "\", not \"" + identity.command + "\""
          : "its setup file or its station list differs (setup " + identity.setupFile +
                ", checksum now " + ChecksumText(identity.setupChecksum) + ")";
  message = "the ledger " + path.string() + " belongs to another batch: " + differs +
            "; resume that batch with its own command line, or remove " + kLedgerName +
            " to start anew";
  return false;
}

bool Ledger::StartFresh(const BatchIdentity& identity, const std::string& seeds,
                        std::string& message) {
  fresh_ = true;
  committed_ = 0;
  exitCodes_.clear();
  lastBegin_.clear();
  std::string text(kLedgerFormat);
  text.append("\nversion\t").append(OliveVersion());
  text.append("\nid\t").append(ChecksumText(identity.Id()));
  text.append("\ncommand\t").append(identity.command);
  text.append("\nsetup\t").append(ShellQuote(identity.setupFile));
  text.append("\t").append(ChecksumText(identity.setupChecksum));
  text.append("\nstations\t").append(std::to_string(identity.runs));
  text.append("\t").append(ChecksumText(identity.stationsChecksum));
  text.append("\nseeds\t").append(seeds);
  text.append("\nstarted\t").append(LocalDateTimeText());
  return Append(text, true, message);
}

// Opens and locks the ledger file; false with the message when it cannot.
bool Ledger::OpenFile(std::string& message) {
  const fs::path path = workdir_ / kLedgerName;
  fd_ = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    message = "cannot open or create the ledger " + path.string() + ": " + std::strerror(errno);
    return false;
  }
  // One committer per folder: a second batch does not wait behind the first.
  while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) {
      message = "another olive-batch is committing in this folder (its ledger " + path.string() +
                " is locked)";
      busy_ = true;
    } else {
      message = "cannot lock the ledger " + path.string() + ": " + std::strerror(errno);
    }
    return false;
  }
  return true;
}

Ledger::Opened Ledger::Open(const fs::path& workdir, const BatchIdentity& identity, bool resume,
                            const std::string& seeds, std::string& message) {
  workdir_ = workdir;
  RemoveStaleTemporaries(workdir_, kLedgerTableName);
  RemoveStaleTemporaries(workdir_, kLedgerName);
  if (!OpenFile(message)) return busy_ ? Opened::Refused : Opened::Failed;
  if (LengthOf(workdir_ / kLedgerName) == 0) {
    return StartFresh(identity, seeds, message) ? Opened::Fresh : Opened::Failed;
  }
  if (!ReadExisting(identity, message)) return Opened::Refused;
  if (complete_ && resume && sameBatch_) return Opened::Complete;
  if (complete_) {
    // The record of the finished batch keeps its own name; this batch gets a new ledger.
    const fs::path record = RecordName(workdir_, started_);
    std::error_code ec;
    fs::rename(workdir_ / kLedgerName, record, ec);
    ::close(fd_);
    fd_ = -1;
    if (ec) {
      message =
          "cannot rename the finished batch's ledger to " + record.string() + ": " + ec.message();
      return Opened::Failed;
    }
    complete_ = false;
    if (!OpenFile(message)) return busy_ ? Opened::Refused : Opened::Failed;
    return StartFresh(identity, seeds, message) ? Opened::Fresh : Opened::Failed;
  }
  if (!resume) {
    message = "an unfinished batch's ledger " + (workdir_ / kLedgerName).string() +
              " is in this folder (started " + started_ + ", " + std::to_string(committed_) +
              " of " + std::to_string(identity.runs) +
              " station runs committed): run the same command with --resume to complete it, or "
              "remove " +
              kLedgerName + " to start anew";
    return Opened::Refused;
  }
  return Append("resumed\t" + LocalDateTimeText(), true, message) ? Opened::Resumed
                                                                  : Opened::Failed;
}

bool Ledger::Interrupted() const {
  std::size_t pos = 0;
  const std::vector<std::string_view> f = Fields(lastBegin_);
  return f.size() > 1 && Number(f[1], pos) && pos == committed_;
}

bool Ledger::RepairInterrupted(std::string& message) {
  if (!Interrupted()) return true;
  const std::vector<std::string_view> f = Fields(lastBegin_);
  std::size_t cut = 0;
  for (std::size_t i = 2; i < f.size(); ++i) {
    const std::size_t eq = f[i].rfind('=');
    if (eq == std::string_view::npos) continue;
    const std::string name(f[i].substr(0, eq));
    const std::string_view value = f[i].substr(eq + 1);
    if (name == "table") {
      if (!RestoreTable(value, message)) return false;
      continue;
    }
    int64_t length = 0;
    if (!Number(value, length)) continue;
    const fs::path path = workdir_ / name;
    const int64_t now = LengthOf(path);
    std::error_code ec;
    if (length < 0 && now >= 0) {
      fs::remove(path, ec);
    } else if (now > length) {
      fs::resize_file(path, static_cast<std::uintmax_t>(length), ec);
    } else {
      continue;
    }
    if (ec) {
      message = "cannot cut " + path.string() + " back to " + std::to_string(length) +
                " bytes: " + ec.message();
      return false;
    }
    ++cut;
  }
  repaired_ = cut;
  return true;
}

// Puts the soil-water table back to the bytes kept before the interrupted commit, when it changed.
bool Ledger::RestoreTable(std::string_view recorded, std::string& message) {
  const std::size_t colon = recorded.find(':');
  const fs::path table = SoilWaterTablePath(workdir_);
  std::string now;
  const bool present = ReadWholeFile(table, now) == FileReadStatus::Ok;
  const std::string want(recorded.substr(colon == std::string_view::npos ? 0 : colon + 1));
  if (recorded == "-1") {
    std::error_code ec;
    if (present) fs::remove(table, ec);
    return true;
  }
  if (present && ChecksumText(Fnv1a64(now)) == want) return true;
  std::string kept;
  if (ReadWholeFile(workdir_ / kLedgerTableName, kept) != FileReadStatus::Ok ||
      ChecksumText(Fnv1a64(kept)) != want) {
    message = "the soil-water table changed during the interrupted commit, and its copy " +
              (workdir_ / kLedgerTableName).string() + " is missing or damaged";
    return false;
  }
  const ReplacedFileLock lock(table);
  std::string reason;
  if (!ReplaceFileContents(table, kept, reason)) {
    message = "cannot put the soil-water table back: " + reason;
    return false;
  }
  ++repaired_;
  return true;
}

bool Ledger::Begin(std::size_t position, const std::vector<std::string>& files, bool keepTable,
                   std::string& reason) {
  std::string line = "begin\t" + std::to_string(position);
  if (keepTable) {
    std::string bytes;
    if (ReadWholeFile(SoilWaterTablePath(workdir_), bytes) != FileReadStatus::Ok) {
      line += "\ttable=-1";
    } else {
      if (!WriteFileWhole(workdir_ / kLedgerTableName, bytes, reason)) return false;
      line += "\ttable=" + std::to_string(bytes.size()) + ":" + ChecksumText(Fnv1a64(bytes));
    }
  }
  for (const std::string& name : files) {
    line += "\t" + name + "=" + std::to_string(LengthOf(workdir_ / name));
  }
  return Append(line, true, reason);
}

bool Ledger::Done(std::size_t position, int exitCode, const std::optional<uint32_t>& seed,
                  const std::string& station, std::string& reason) {
  std::string line = "done\t" + std::to_string(position) + "\texit=" + std::to_string(exitCode);
  line += "\tseed=" + (seed ? std::to_string(*seed) : std::string("-"));
  line += "\t" + station;
  if (exitCodes_.size() <= position) exitCodes_.resize(position + 1, 0);
  exitCodes_[position] = exitCode;
  committed_ = position + 1;
  // Flushed to disk with the next station's "begin", which commits it as well.
  return Append(line, false, reason);
}

bool Ledger::Complete(const std::string& summary, int exitCode, std::string& reason) {
  std::error_code ec;
  fs::remove(workdir_ / kLedgerTableName, ec);
  return Append(
      "complete\t" + LocalDateTimeText() + "\t" + summary + "\texit=" + std::to_string(exitCode),
      true, reason);
}

void Ledger::DiscardFresh() {
  if (!fresh_ || fd_ < 0 || committed_ != 0) return;
  std::error_code ec;
  fs::remove(workdir_ / kLedgerName, ec);
  ::close(fd_);
  fd_ = -1;
}

}  // namespace olive
