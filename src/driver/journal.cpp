#include "driver/journal.h"

#include <optional>
#include <unordered_set>

#include "io/error_log.h"
#include "io/file_contents.h"
#include "io/file_lock.h"
#include "output/direct_shared_files.h"
#include "state/run_files.h"

namespace olive {
namespace {

// How the commit judges a table that changed since the run looked its station up.
enum class TableCheck : uint8_t {
  SameLookup,    // the lookup must give what it gave the run (a batch's list order)
  SameFoundRow,  // a station the run found must still have that row (an olive run on its own)
};

bool Stale(const Journal& journal, const SoilWaterText& table, TableCheck check) {
  if (check == TableCheck::SameFoundRow && !journal.lookup.found) return false;
  return !(LookUpStation(table, journal.wxstation) == journal.lookup);
}

// Checks the header of every file that the rows go to, before anything is written; reports the
// first that does not fit.
bool HeadersFit(const Journal& journal, ErrorSink& log, const std::filesystem::path& workdir) {
  std::unordered_set<std::string_view> checked;
  for (const JournalEntry& e : journal.entries) {
    if (e.kind != JournalEntry::Kind::Row || !checked.insert(e.name).second) continue;
    if (!HeaderFits(log, workdir, e.name, journal.headers[e.header])) return false;
  }
  return true;
}

void ReplayErrorLines(const Journal& journal, ErrorLog& log) {
  for (const JournalEntry& e : journal.entries) {
    if (e.kind == JournalEntry::Kind::ErrorLine) log.WriteLine(e.text);
    if (e.kind == JournalEntry::Kind::Location) log.SetLocation(e.text);
  }
}

// The GIS rows with their list and the summary rows, as the run made them, through the writers
// and locks of a run without a journal.
void ApplyRows(const Journal& journal, ErrorSink& log, const std::filesystem::path& workdir,
               CommitResult& result) {
  DirectSharedFiles direct;
  RunFiles files;
  files.workdir = workdir;
  for (const JournalEntry& e : journal.entries) {
    if (e.kind == JournalEntry::Kind::ListOpen) direct.OpenGisList(files);
    if (e.kind != JournalEntry::Kind::Row) continue;
    const TableAppend row{e.name, journal.headers[e.header], e.text, e.listed};
    const AppendOutcome outcome = DirectSharedFiles::Append(log, workdir, row);
    // A run ends at a row that could not be written: its later changes never happened.
    if (outcome == AppendOutcome::Refused) result.refused = true;
    if (outcome == AppendOutcome::Failed) result.writeFailed = true;
    if (outcome != AppendOutcome::Written) return;
  }
}

CommitResult Apply(const Journal& journal, ErrorSink& log, const std::filesystem::path& workdir,
                   TableCheck check, bool completed, ErrorLog* lines) {
  CommitResult result;
  // The table's lock is held from the check to the recording, so that the row is recorded in
  // the table that was checked.
  std::optional<ReplacedFileLock> lock;
  SoilWaterText table;
  if (journal.lookedUp) {
    const std::filesystem::path path = SoilWaterTablePath(workdir);
    lock.emplace(path);
    // What runs that were killed while they replaced the table left in its folder.
    const std::filesystem::path target = ReplacementTarget(path);
    RemoveStaleTemporaries(target.parent_path(), target.filename().string());
    table = ReadSoilWaterTable(workdir);
    if (Stale(journal, table, check)) {
      result.stale = true;
      return result;
    }
  }
  if (lines != nullptr) ReplayErrorLines(journal, *lines);
  if (!completed) return result;
  if (!HeadersFit(journal, log, workdir)) {
    result.refused = true;
    return result;
  }
  if (journal.recordsStation) {
    const TableRecording recording = RecordSoilWaterRow(log, workdir, table, journal.stationRow);
    result.refused = recording == TableRecording::Refused;
    result.writeFailed = recording == TableRecording::WriteFailed;
    if (recording != TableRecording::Recorded) return result;
  }
  lock.reset();
  ApplyRows(journal, log, workdir, result);
  return result;
}

}  // namespace

void JournalLog::Report(std::string_view message) {
  JournalEntry e;
  e.kind = JournalEntry::Kind::ErrorLine;
  e.text = FormatErrorLine(LocalDateTimeText(), location_, message);
  journal_.entries.push_back(std::move(e));
}

void JournalLog::SetLocation(std::string_view Location) {
  location_ = Location;
  JournalEntry e;
  e.kind = JournalEntry::Kind::Location;
  e.text = Location;
  journal_.entries.push_back(std::move(e));
}

void JournalFiles::OpenGisList(RunFiles&) {
  JournalEntry e;
  e.kind = JournalEntry::Kind::ListOpen;
  journal_.entries.push_back(std::move(e));
}

bool JournalFiles::AppendRow(RunFiles&, ErrorSink&, const std::filesystem::path&,
                             const TableAppend& row) {
  // A run's rows have one header per file kind: the latest ones are the likely matches.
  std::vector<std::string>& headers = journal_.headers;
  std::size_t h = headers.size();
  while (h > 0 && headers[h - 1] != row.header) --h;
  if (h == 0) {
    headers.emplace_back(row.header);
    h = headers.size();
  }
  JournalEntry e;
  e.kind = JournalEntry::Kind::Row;
  e.header = static_cast<uint32_t>(h - 1);
  e.name = row.name;
  e.text = row.row;
  e.listed = row.listed;
  journal_.entries.push_back(std::move(e));
  return true;
}

void JournalFiles::ReadTable(const std::filesystem::path& workdir) {
  if (tableRead_) return;
  table_ = ReadSoilWaterTable(workdir);
  tableRead_ = true;
}

void JournalFiles::GetSoilWaterConditions(ErrorSink& log, std::string_view wxstation, WaterState& w,
                                          bool& SoilWaterOk, const std::filesystem::path& workdir) {
  ReadTable(workdir);
  const SoilWaterLookup lookup = LookUpStation(table_, wxstation);
  if (!journal_.lookedUp) {
    journal_.lookedUp = true;
    journal_.wxstation = wxstation;
    journal_.lookup = lookup;
  }
  ApplySoilWaterLookup(log, lookup, w, SoilWaterOk);
}

bool JournalFiles::GenerateSoilwater(ErrorSink& log, std::string_view wxstation,
                                     const WaterState& w, const std::filesystem::path& workdir) {
  ReadTable(workdir);
  const WaterRec row = StationRow(wxstation, w);
  std::string text;
  if (!SoilWaterTableWithRow(log, table_, row, text)) return false;
  table_.text = std::move(text);
  journal_.recordsStation = true;
  journal_.stationRow = row;
  return true;
}

CommitResult CommitJournal(const Journal& journal, ErrorLog& log,
                           const std::filesystem::path& workdir, bool completed) {
  log.SetLocation("");
  log.RunOk = true;
  return Apply(journal, log, workdir, TableCheck::SameLookup, completed, &log);
}

CommitResult CommitRun(const Journal& journal, ErrorSink& log,
                       const std::filesystem::path& workdir) {
  return Apply(journal, log, workdir, TableCheck::SameFoundRow, true, nullptr);
}

}  // namespace olive
