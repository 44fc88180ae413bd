// olive-batch as the shards of a job array, and their merge. A shard K/N runs the station runs K,
// K+N, K+2N, ... of the list (from 1) and leaves each one's journal record in the journal folder,
// "station-<position>.shard-<K>-of-<N>.journal", written under a temporary name, flushed and
// renamed; a daily file goes beside it as "<journal name less .journal>.daily". The merge checks
// every journal (present once, whole by its length and checksum, of this batch) before it commits
// any, then commits them in the list's order as one batch would, with its ledger.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>
#include <string>

#include "driver/batch_engine.h"
#include "io/error_log.h"
#include "io/file_contents.h"

namespace olive {
namespace batch_engine {
namespace {

constexpr std::string_view kJournalSuffix = ".journal";
constexpr std::string_view kDailySuffix = ".daily";

// The list position (from 0) in a journal file's name; false for other names.
bool JournalPosition(std::string_view name, std::size_t& k) {
  constexpr std::string_view kPrefix = "station-";
  if (!name.starts_with(kPrefix) || !name.ends_with(kJournalSuffix)) return false;
  name.remove_prefix(kPrefix.size());
  std::size_t n = 0;
  const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), n);
  if (ec != std::errc() || n == 0 || std::string_view(end).find(".shard-") != 0) return false;
  k = n - 1;
  return true;
}

std::string Joined(const std::vector<std::string>& items) {
  constexpr std::size_t kShown = 10;
  std::string text;
  for (std::size_t i = 0; i < items.size() && i < kShown; ++i) {
    text += (i ? ", " : "") + items[i];
  }
  if (items.size() > kShown) text += " and " + std::to_string(items.size() - kShown) + " more";
  return text;
}

std::string DailyNameOf(const std::string& journalName) {
  return journalName.substr(0, journalName.size() - kJournalSuffix.size()) +
         std::string(kDailySuffix);
}

}  // namespace

std::string Batch::JournalName(std::size_t k) const {
  char name[96];
  std::snprintf(name, sizeof name, "station-%08zu.shard-%u-of-%u.journal", k + 1, options_.shard,
                options_.shards);
  return name;
}

// Reads and checks the journal file name for list position k; problem says what is wrong.
bool Batch::ReadJournalFile(const std::string& name, std::size_t k, JournalRecord& record,
                            std::string& problem) const {
  std::string bytes;
  const fs::path path = *options_.journalDir / name;
  const FileReadStatus read = ReadWholeFile(path, bytes, kMaxJournalBytes);
  if (read != FileReadStatus::Ok) {
    problem = name + " (cannot be read" +
              (FileReadProblem(read, kMaxJournalBytes).empty()
                   ? ""
                   : ": " + FileReadProblem(read, kMaxJournalBytes)) +
              ")";
    return false;
  }
  const JournalDecode status = DecodeJournalRecord(bytes, record);
  if (status != JournalDecode::Ok) {
    problem = name + " (" + JournalDecodeProblem(status) + ")";
    return false;
  }
  if (record.batchId != batchId_) {
    problem = name + " (made with another command line or setup file)";
    return false;
  }
  if (record.position != k) {
    problem = name + " (it holds station run " + std::to_string(record.position + 1) + ")";
    return false;
  }
  const StationOutcome& o = record.outcome;
  if (o.dailyFile.empty()) return true;
  std::string daily;
  if (ReadWholeFile(*options_.journalDir / o.dailyFile, daily) != FileReadStatus::Ok ||
      daily.size() != o.dailyBytes || Fnv1a64(daily) != o.dailyChecksum) {
    problem = name + " (its daily file " + o.dailyFile + " is missing or damaged)";
    return false;
  }
  return true;
}

bool Batch::ShardJournalIsThere(std::size_t k) const {
  JournalRecord record;
  std::string problem;
  return ReadJournalFile(JournalName(k), k, record, problem);
}

void Batch::RunShardJob(std::size_t k) {
  Job& job = jobs_[k];
  const std::string name = JournalName(k);
  std::unique_ptr<StationOutcome> outcome = RunJournaled(job);
  std::string reason;
  bool written = true;
  outcome->dailyFile.clear();
  std::error_code ec;
  if (!job.dailyTemp.empty() && fs::exists(job.dailyTemp, ec)) {
    // The daily file waits beside its journal, checked by size and checksum at the merge.
    const std::string dailyName = DailyNameOf(name);
    std::string daily;
    fs::rename(job.dailyTemp, *options_.journalDir / dailyName, ec);
    written = !ec && ReadWholeFile(*options_.journalDir / dailyName, daily) == FileReadStatus::Ok;
    if (!written) reason = "cannot keep the daily file " + dailyName + ": " + ec.message();
    outcome->dailyFile = dailyName;
    outcome->dailyBytes = daily.size();
    outcome->dailyChecksum = Fnv1a64(daily);
  }
  const int code = !outcome->crash.empty()     ? kExitBadInput
                   : outcome->result.completed ? kExitOk
                                               : outcome->result.code;
  if (written) {
    const JournalRecord record{batchId_, k, std::move(*outcome)};
    written = WriteFileWhole(*options_.journalDir / name, EncodeJournalRecord(record), reason);
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!written) {
    progress_.Clear();
    std::fprintf(stderr, "olive-batch: %s\n", reason.c_str());
    Count(kExitWriteFailed);
    return;
  }
  Count(code);
}

int Batch::RunShard() {
  ErrorLog log((workdir_ / "errorlog").string(), stderr);
  const int refused = Prepare(log);
  if (refused >= 0) return refused;
  std::error_code ec;
  fs::create_directories(*options_.journalDir, ec);
  if (ec) {
    std::fprintf(stderr, "olive-batch: cannot make the journal folder \"%s\": %s\n",
                 options_.journalDir->c_str(), ec.message().c_str());
    return kExitWriteFailed;
  }
  RemoveStaleTemporaries(*options_.journalDir, std::string(kJournalSuffix));
  RemoveStaleTemporaries(*options_.journalDir, std::string(kDailySuffix));
  for (std::size_t k = options_.shard - 1; k < jobs_.size(); k += options_.shards) {
    Job& job = jobs_[k];
    if (options_.resume && ShardJournalIsThere(k)) {
      job.state = Job::State::Done;
      ++skipped_;
      continue;
    }
    if (!job.dailyTemp.empty()) {
      job.dailyTemp = *options_.journalDir / TemporaryFileName(DailyNameOf(JournalName(k)), 0);
    }
    ++toStart_;
  }
  const std::string who =
      "olive-batch shard " + std::to_string(options_.shard) + "/" + std::to_string(options_.shards);
  StartThreads(ThreadCount());
  {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!doneCv_.wait_for(lock, std::chrono::milliseconds(250),
                             [&] { return ran_ + failed_ == toStart_; })) {
      progress_.Show(skipped_ + ran_ + failed_);
    }
  }
  JoinThreads();
  const int code = ExitCode(log);
  Summarize(who);
  return code;
}

// Every journal of the list, checked before anything is committed: each there once, whole, of
// this batch. False after the message naming those that are not.
bool Batch::CheckJournals() {
  std::map<std::size_t, std::vector<std::string>> byPosition;
  std::vector<std::string> others, missing, duplicated, damaged;
  std::error_code ec;
  for (const fs::directory_entry& e : fs::directory_iterator(*options_.journalDir, ec)) {
    const std::string name = e.path().filename().string();
    std::size_t k = 0;
    if (!JournalPosition(name, k)) continue;
    if (k >= jobs_.size()) {
      others.push_back(name);
    } else {
      byPosition[k].push_back(name);
    }
  }
  if (ec) {
    std::fprintf(stderr, "olive-batch merge: cannot read the journal folder \"%s\": %s\n",
                 options_.journalDir->c_str(), ec.message().c_str());
    return false;
  }
  journalFiles_.assign(jobs_.size(), std::string());
  // Those committed before a resume are done with (their daily files moved away).
  for (std::size_t k = firstRun_; k < jobs_.size(); ++k) {
    const auto found = byPosition.find(k);
    if (found == byPosition.end()) {
      missing.push_back(std::to_string(k + 1) + " (" + jobs_[k].wxfile + ")");
      continue;
    }
    std::vector<std::string>& names = found->second;
    std::sort(names.begin(), names.end());
    if (names.size() > 1) {
      duplicated.push_back(Joined(names));
      continue;
    }
    JournalRecord record;
    std::string problem;
    if (!ReadJournalFile(names[0], k, record, problem)) {
      (problem.find("another command line") != std::string::npos ? others : damaged)
          .push_back(problem);
    }
    journalFiles_[k] = names[0];
  }
  if (others.empty() && missing.empty() && duplicated.empty() && damaged.empty()) return true;
  std::string message = "olive-batch merge: the journals in \"" + options_.journalDir->string() +
                        "\" cannot be merged; nothing was committed:\n";
  if (!missing.empty()) message += "  missing: station runs " + Joined(missing) + "\n";
  for (const std::string& d : duplicated) message += "  duplicated: " + d + "\n";
  if (!damaged.empty()) message += "  damaged: " + Joined(damaged) + "\n";
  if (!others.empty()) {
    message += "  made with another command line or setup file: " + Joined(others) + "\n";
  }
  std::fputs(message.c_str(), stderr);
  return false;
}

void Batch::LoadJournal(std::size_t k) {
  auto record = std::make_unique<JournalRecord>();
  std::string problem;
  if (!ReadJournalFile(journalFiles_[k], k, *record, problem)) {
    Stop("the journal " + problem + " changed since it was checked");
    stationFailed_ = true;
    return;
  }
  StationOutcome& o = record->outcome;
  if (!o.dailyFile.empty()) o.dailyFile = (*options_.journalDir / o.dailyFile).string();
  jobs_[k].outcome = std::make_unique<StationOutcome>(std::move(o));
}

int Batch::RunMerge() {
  ErrorLog log((workdir_ / "errorlog").string(), stderr);
  const int refused = Prepare(log);
  if (refused >= 0) return refused;
  if (!CheckJournals()) {
    // Nothing was committed: a ledger this merge began goes with it.
    ledger_.DiscardFresh();
    return kBatchStationFailed;
  }
  int code = Commits(log);
  return Conclude(code, "olive-batch merge");
}

}  // namespace batch_engine
}  // namespace olive
