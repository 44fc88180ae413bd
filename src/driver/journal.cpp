#include "driver/journal.h"

#include "io/error_log.h"
#include "io/file_contents.h"
#include "io/file_lock.h"
#include "output/direct_shared_files.h"
#include "state/run_files.h"

namespace olive {
namespace {

// Keeps no message: the commit's own check of the table reports nothing.
struct QuietSink final : ErrorSink {
  void Report(std::string_view) override {}
};

// Checks the station's lookup against the table as it is now, and records the station's row.
// False when the journal is stale.
bool CommitSoilWater(const Journal& journal, const std::filesystem::path& workdir) {
  if (!journal.lookedUp) return true;
  const std::filesystem::path path = SoilWaterTablePath(workdir);
  const ReplacedFileLock lock(path);
  const SoilWaterText table = ReadSoilWaterTable(workdir);
  if (!(LookUpStation(table, journal.wxstation) == journal.lookup)) return false;
  if (!journal.recordsStation) return true;
  QuietSink quiet;
  std::string text;
  if (!SoilWaterTableWithRow(quiet, table, journal.stationRow, text)) return false;
  std::string reason;
  return ReplaceFileContents(path, text, reason);
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
  JournalEntry e;
  e.kind = JournalEntry::Kind::Row;
  e.name = row.name;
  e.header = row.header;
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
                           const std::filesystem::path& workdir) {
  CommitResult result;
  if (!CommitSoilWater(journal, workdir)) {
    result.stale = true;
    return result;
  }
  // The station's output as its own run would have written it: a fresh set of run files, the
  // same writers, the same locks.
  DirectSharedFiles direct;
  RunFiles files;
  files.workdir = workdir;
  files.shared = &direct;
  log.SetLocation("");
  log.RunOk = true;
  for (const JournalEntry& e : journal.entries) {
    switch (e.kind) {
      case JournalEntry::Kind::ErrorLine:
        log.WriteLine(e.text);
        break;
      case JournalEntry::Kind::Location:
        log.SetLocation(e.text);
        break;
      case JournalEntry::Kind::ListOpen:
        files.Shared().OpenGisList(files);
        break;
      case JournalEntry::Kind::Row:
        if (!files.Shared().AppendRow(files, log, workdir, {e.name, e.header, e.text, e.listed})) {
          result.writeFailed = true;
        }
        break;
    }
    // A run ends after a failed write: its later changes never happened.
    if (result.writeFailed) break;
  }
  CloseOutput(files, files.gisfilesListfile, log);
  if (files.WriteFailed) result.writeFailed = true;
  return result;
}

}  // namespace olive
