#pragma once
// A finished station's journal as bytes: the message a rank of an MPI batch sends to rank 0, and
// the file a shard of a job array leaves for the merge. The form is small, versioned and checked:
//
//   "OLIVEJNL"          8 bytes, what the file is
//   version             u32, kJournalFormatVersion
//   payload length      u64, bytes after the header
//   payload checksum    u64, FNV-1a (64 bit) of the payload
//   payload             the batch's identity, the station's list position, how its run ended
//                       (exit code, completed, seed), its console text, a crash message, its
//                       daily file (name, size, checksum) and the journal itself
//
// Numbers are little-endian, texts a u32 length and their bytes, doubles their IEEE bits. A
// truncated, extended or changed record fails its length or checksum and is refused whole, so a
// damaged journal is never half applied.
#include <cstdint>
#include <string>
#include <string_view>

#include "driver/journal.h"
#include "driver/run.h"

namespace olive {

inline constexpr uint32_t kJournalFormatVersion = 1;

// FNV-1a, 64 bit: the checksum of journals, ledgers and setup files. Chain calls by passing the
// previous result as start.
inline constexpr uint64_t kFnvOffset = 14695981039346656037ull;
uint64_t Fnv1a64(std::string_view bytes, uint64_t start = kFnvOffset);
// The checksum as 16 lower-case hexadecimal digits.
std::string ChecksumText(uint64_t checksum);

// What a station's run left for its commit.
struct StationOutcome {
  Journal journal;
  RunResult result;
  std::string console;         // the run's console tables (outscreen), shown at its turn
  std::string crash;           // what an unexpected failure of the run said (empty: none)
  std::string dailyFile;       // its daily file, waiting for its turn under this name (empty: none)
  uint64_t dailyBytes = 0;     // the daily file's size and checksum, when it travels between
  uint64_t dailyChecksum = 0;  // processes (shards): checked before the merge moves it
};

// A station's outcome with the batch and list position it belongs to.
struct JournalRecord {
  uint64_t batchId = 0;   // BatchIdentity::Id() of the batch that ran it
  uint64_t position = 0;  // the station's place in the batch's list of runs, from 0
  StationOutcome outcome;
};

std::string EncodeJournalRecord(const JournalRecord& record);

enum class JournalDecode : uint8_t {
  Ok,
  NotAJournal,   // no "OLIVEJNL" at its start
  OtherVersion,  // made by an olive-batch of another format version
  WrongLength,   // shorter or longer than its header says (a truncated or extended file)
  BadChecksum,   // the payload's bytes changed
  Malformed,     // the checksum fits but the payload cannot be read (a program fault)
};
// Reads bytes into record; anything but Ok leaves record unspecified.
JournalDecode DecodeJournalRecord(std::string_view bytes, JournalRecord& record);
// Why a record was refused, for a message ("its checksum does not match its contents", ...).
std::string JournalDecodeProblem(JournalDecode status);

}  // namespace olive
