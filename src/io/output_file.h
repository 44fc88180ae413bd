#pragma once
// A buffered text output file. Writers format a line into memory and hand it over; the bytes go to
// the file in large blocks. Every failure (open, write, flush, close) is remembered with the
// system's error number, so that the driver can end the run with a clear message instead of
// reporting success over a file that was not written.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace olive {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the file, or truncates it when it exists. False when it cannot be opened (Error()
  // then tells why; the file stays closed and Failed() false).
  bool Create(const std::string& name);
  // Opens the file for appending, creating it when absent. False when it cannot be opened.
  bool Append(const std::string& name);
  // Writes to an already open stream that this object does not own (the console).
  void Attach(std::FILE* stream, std::string name);

  // Queues text for the file. Does nothing once the file has failed or when it is not open.
  void Write(std::string_view text);
  // Sends the queued text to the system. False when the file has failed.
  bool Flush();
  // Flushes and closes (or detaches). False when anything failed since opening.
  bool Close();

  bool IsOpen() const { return stream_ != nullptr; }
  // The open file's descriptor, for locking it (-1 when not open).
  int Descriptor() const { return stream_ != nullptr ? fileno(stream_) : -1; }
  // True once text handed to the file could not be written.
  bool Failed() const { return failed_; }
  // The system's error number of the failed open or of the first failed write (0 when none).
  int Error() const { return error_; }
  const std::string& Name() const { return name_; }
  // "<name>: <system message>" for the first failure.
  std::string FailureText() const;
  // Whether the failure has been reported to the error log (set by the reporter).
  bool FailureReported() const { return reported_; }
  void SetFailureReported() { reported_ = true; }

 private:
  bool Open(const std::string& name, const char* mode);
  void Fail(int error);

  std::FILE* stream_ = nullptr;
  bool owned_ = false;
  bool failed_ = false;
  bool reported_ = false;
  int error_ = 0;
  std::string name_;
  std::vector<char> buffer_;
  size_t used_ = 0;
};

}  // namespace olive
