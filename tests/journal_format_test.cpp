// A journal as bytes: what goes in comes out, and any damage is found before anything is used.
#include "driver/journal_format.h"

#include <gtest/gtest.h>

#include <string>

namespace olive {
namespace {

// A record with an entry of every kind, a found station and a recorded row.
JournalRecord Sample() {
  JournalRecord r;
  r.batchId = 0x0123456789abcdefull;
  r.position = 41;
  StationOutcome& o = r.outcome;
  o.result.code = kExitBadInput;
  o.result.completed = false;
  o.result.seeded = true;
  o.result.seed = 86399999u;
  o.console = "Table\r\n";
  o.crash = "what()";
  o.dailyFile = "station-00000042.shard-2-of-3.daily";
  o.dailyBytes = 1234;
  o.dailyChecksum = Fnv1a64("daily");
  Journal& j = o.journal;
  j.lookedUp = true;
  j.wxstation = "A.txt";
  j.lookup.messages = {"a message"};
  j.lookup.found = true;
  j.lookup.row = WaterRec{"A.txt", 3000.25, 4000.0, 1000.0 / 3.0};
  j.recordsStation = true;
  j.stationRow = WaterRec{"A.txt", 0.1, 1e300, -0.0};
  j.headers = {"Model\tDate\r\n"};
  j.entries.push_back({JournalEntry::Kind::Location, false, 0, "", "Alpha"});
  j.entries.push_back({JournalEntry::Kind::ErrorLine, false, 0, "", "2026-01-01 00:00:00 x\n"});
  j.entries.push_back({JournalEntry::Kind::ListOpen, false, 0, "", ""});
  j.entries.push_back({JournalEntry::Kind::Row, true, 0, "OUT00002.txt", "Olive\t1\r\n"});
  return r;
}

TEST(JournalFormat, ARecordReadBackIsTheRecordWritten) {
  const JournalRecord sample = Sample();
  const std::string bytes = EncodeJournalRecord(sample);
  JournalRecord back;
  ASSERT_EQ(DecodeJournalRecord(bytes, back), JournalDecode::Ok);
  EXPECT_EQ(EncodeJournalRecord(back), bytes);
  EXPECT_EQ(back.position, 41u);
  EXPECT_EQ(back.outcome.result.seed, 86399999u);
  EXPECT_EQ(back.outcome.journal.stationRow, sample.outcome.journal.stationRow);
  EXPECT_TRUE(back.outcome.journal.lookup == sample.outcome.journal.lookup);
  ASSERT_EQ(back.outcome.journal.entries.size(), 4u);
  EXPECT_EQ(back.outcome.journal.entries[3].name, "OUT00002.txt");
  EXPECT_TRUE(back.outcome.journal.entries[3].listed);
  EXPECT_EQ(back.outcome.journal.entries[1].text, "2026-01-01 00:00:00 x\n");
}

TEST(JournalFormat, ATruncatedExtendedOrChangedRecordIsRefusedWhole) {
  const std::string bytes = EncodeJournalRecord(Sample());
  JournalRecord back;
  EXPECT_EQ(DecodeJournalRecord(bytes.substr(0, bytes.size() - 1), back),
            JournalDecode::WrongLength);
  EXPECT_EQ(DecodeJournalRecord(bytes.substr(0, 12), back), JournalDecode::WrongLength);
  EXPECT_EQ(DecodeJournalRecord(bytes + "x", back), JournalDecode::WrongLength);
  // Every byte of the payload is covered by the checksum.
  for (std::size_t i = 28; i < bytes.size(); ++i) {
    std::string changed = bytes;
    changed[i] = static_cast<char>(changed[i] ^ 0x10);
    ASSERT_EQ(DecodeJournalRecord(changed, back), JournalDecode::BadChecksum) << "byte " << i;
  }
  std::string other = bytes;
  other[8] = 2;  // the version
  EXPECT_EQ(DecodeJournalRecord(other, back), JournalDecode::OtherVersion);
  EXPECT_EQ(DecodeJournalRecord("errorlog", back), JournalDecode::NotAJournal);
  EXPECT_EQ(JournalDecodeProblem(JournalDecode::BadChecksum),
            "its checksum does not match its contents (damaged)");
}

TEST(JournalFormat, TheChecksumIsFnv1a64) {
  EXPECT_EQ(Fnv1a64(""), 0xcbf29ce484222325ull);
  EXPECT_EQ(Fnv1a64("a"), 0xaf63dc4c8601ec8cull);
  EXPECT_EQ(Fnv1a64("b", Fnv1a64("a")), Fnv1a64("ab"));
  EXPECT_EQ(ChecksumText(0xaf63dc4c8601ec8cull), "af63dc4c8601ec8c");
}

}  // namespace
}  // namespace olive
