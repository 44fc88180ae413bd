#include "driver/journal_format.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace olive {
namespace {

constexpr std::string_view kMagic = "OLIVEJNL";
constexpr std::size_t kHeaderBytes = 8 + 4 + 8 + 8;

// Appends numbers and texts in the record's byte order.
class Writer {
 public:
  void U8(uint8_t v) { out_.push_back(static_cast<char>(v)); }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
  }
  void U64(uint64_t v) {
    for (int i = 0; i < 8; ++i) U8(static_cast<uint8_t>(v >> (8 * i)));
  }
  void F64(double v) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    U64(bits);
  }
  void Text(std::string_view s) {
    U32(static_cast<uint32_t>(s.size()));
    out_.append(s);
  }
  void Row(const WaterRec& r) {
    Text(r.wxloc);
    F64(r.sw);
    F64(r.swmax);
    F64(r.pwp);
  }
  std::string& Bytes() { return out_; }

 private:
  std::string out_;
};

// Reads them back; every read checks that the bytes are there, and a failed read stays failed.
class Reader {
 public:
  explicit Reader(std::string_view in) : in_(in) {}
  bool Ok() const { return ok_; }
  bool AtEnd() const { return in_.empty(); }
  uint64_t Unsigned(int bytes) {
    if (!ok_ || in_.size() < static_cast<std::size_t>(bytes)) return Fail();
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
      v |= static_cast<uint64_t>(static_cast<uint8_t>(in_[i])) << (8 * i);
    in_.remove_prefix(static_cast<std::size_t>(bytes));
    return v;
  }
  uint8_t U8() { return static_cast<uint8_t>(Unsigned(1)); }
  bool Flag() { return U8() != 0; }
  uint32_t U32() { return static_cast<uint32_t>(Unsigned(4)); }
  uint64_t U64() { return Unsigned(8); }
  double F64() {
    const uint64_t bits = U64();
    double v = 0;
    std::memcpy(&v, &bits, sizeof v);
    return v;
  }
  std::string Text() {
    const uint32_t n = U32();
    if (!ok_ || in_.size() < n) {
      Fail();
      return std::string();
    }
    std::string s(in_.substr(0, n));
    in_.remove_prefix(n);
    return s;
  }
  WaterRec Row() {
    WaterRec r;
    r.wxloc = Text();
    r.sw = F64();
    r.swmax = F64();
    r.pwp = F64();
    return r;
  }
  // A count of items that each take at least one byte: no more than the bytes left.
  uint32_t Count() {
    const uint32_t n = U32();
    if (n > in_.size()) Fail();
    return ok_ ? n : 0;
  }

 private:
  uint64_t Fail() {
    ok_ = false;
    return 0;
  }
  std::string_view in_;
  bool ok_ = true;
};

void WriteJournal(Writer& w, const Journal& j) {
  w.U8(j.lookedUp);
  w.Text(j.wxstation);
  w.U32(static_cast<uint32_t>(j.lookup.messages.size()));
  for (const std::string& m : j.lookup.messages) w.Text(m);
  w.U8(j.lookup.ok);
  w.U8(j.lookup.found);
  w.Row(j.lookup.row);
  w.U8(j.recordsStation);
  w.Row(j.stationRow);
  w.U32(static_cast<uint32_t>(j.headers.size()));
  for (const std::string& h : j.headers) w.Text(h);
  w.U32(static_cast<uint32_t>(j.entries.size()));
  for (const JournalEntry& e : j.entries) {
    w.U8(static_cast<uint8_t>(e.kind));
    w.U8(e.listed);
    w.U32(e.header);
    w.Text(e.name);
    w.Text(e.text);
  }
}

bool ReadJournal(Reader& r, Journal& j) {
  j.lookedUp = r.Flag();
  j.wxstation = r.Text();
  j.lookup.messages.resize(r.Count());
  for (std::string& m : j.lookup.messages) m = r.Text();
  j.lookup.ok = r.Flag();
  j.lookup.found = r.Flag();
  j.lookup.row = r.Row();
  j.recordsStation = r.Flag();
  j.stationRow = r.Row();
  j.headers.resize(r.Count());
  for (std::string& h : j.headers) h = r.Text();
  j.entries.resize(r.Count());
  for (JournalEntry& e : j.entries) {
    const uint8_t kind = r.U8();
    if (kind > static_cast<uint8_t>(JournalEntry::Kind::Row)) return false;
    e.kind = static_cast<JournalEntry::Kind>(kind);
    e.listed = r.Flag();
    e.header = r.U32();
    e.name = r.Text();
    e.text = r.Text();
    if (e.kind == JournalEntry::Kind::Row && e.header >= j.headers.size()) return false;
  }
  return r.Ok();
}

}  // namespace

uint64_t Fnv1a64(std::string_view bytes, uint64_t start) {
  uint64_t h = start;
  for (const char c : bytes) {
    h ^= static_cast<uint8_t>(c);
    h *= 1099511628211ull;
  }
  return h;
}

std::string ChecksumText(uint64_t checksum) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(checksum));
  return text;
}

std::string EncodeJournalRecord(const JournalRecord& record) {
  const StationOutcome& o = record.outcome;
  Writer payload;
  payload.U64(record.batchId);
  payload.U64(record.position);
  payload.U32(static_cast<uint32_t>(o.result.code));
  payload.U8(o.result.completed);
  payload.U8(o.result.seeded);
  payload.U32(o.result.seed);
  payload.Text(o.console);
  payload.Text(o.crash);
  payload.Text(o.dailyFile);
  payload.U64(o.dailyBytes);
  payload.U64(o.dailyChecksum);
  WriteJournal(payload, o.journal);

  Writer out;
  out.Bytes().append(kMagic);
  out.U32(kJournalFormatVersion);
  out.U64(payload.Bytes().size());
  out.U64(Fnv1a64(payload.Bytes()));
  out.Bytes().append(payload.Bytes());
  return std::move(out.Bytes());
}

JournalDecode DecodeJournalRecord(std::string_view bytes, JournalRecord& record) {
  if (!bytes.starts_with(kMagic)) return JournalDecode::NotAJournal;
  Reader header(bytes.substr(kMagic.size()));
  const uint32_t version = header.U32();
  const uint64_t length = header.U64();
  const uint64_t checksum = header.U64();
  if (!header.Ok()) return JournalDecode::WrongLength;
  if (version != kJournalFormatVersion) return JournalDecode::OtherVersion;
  if (bytes.size() - kHeaderBytes != length) return JournalDecode::WrongLength;
  const std::string_view payload = bytes.substr(kHeaderBytes);
  if (Fnv1a64(payload) != checksum) return JournalDecode::BadChecksum;

  Reader r(payload);
  StationOutcome& o = record.outcome;
  record.batchId = r.U64();
  record.position = r.U64();
  o.result.code = static_cast<int>(r.U32());
  o.result.completed = r.Flag();
  o.result.seeded = r.Flag();
  o.result.seed = r.U32();
  o.console = r.Text();
  o.crash = r.Text();
  o.dailyFile = r.Text();
  o.dailyBytes = r.U64();
  o.dailyChecksum = r.U64();
  o.journal = Journal{};
  if (!ReadJournal(r, o.journal) || !r.AtEnd()) return JournalDecode::Malformed;
  return JournalDecode::Ok;
}

std::string JournalDecodeProblem(JournalDecode status) {
  switch (status) {
    case JournalDecode::Ok:
      return "";
    case JournalDecode::NotAJournal:
      return "it is not a journal of olive-batch";
    case JournalDecode::OtherVersion:
      return "it was written in another journal format (not version " +
             std::to_string(kJournalFormatVersion) + ")";
    case JournalDecode::WrongLength:
      return "its length is not the one its header gives (truncated or extended)";
    case JournalDecode::BadChecksum:
      return "its checksum does not match its contents (damaged)";
    case JournalDecode::Malformed:
      return "its contents cannot be read";
  }
  return "";
}

}  // namespace olive
