#pragma once

#include <sys/types.h>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace varnelo {

// A file that takes the place of its target only once it is complete. It is
// written as a temporary file in the target's folder (so the final rename is
// atomic) and renamed over the target by Commit after an fsync. Until then the
// target, if there is one, is untouched; a writer that is destroyed without a
// successful Commit removes its temporary file.
//
// Failures are sticky: after the first one every later call fails too, and
// error() holds a UTF-8 sentence that says what went wrong.
class AtomicFile {
 public:
  explicit AtomicFile(std::filesystem::path target);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Checks that the target can be replaced and creates the temporary file.
  [[nodiscard]] bool Open();

  // Appends bytes through a buffer.
  bool Write(std::string_view bytes);
  bool Write(const void* data, size_t size);
  uint64_t bytes_written() const { return written_; }

  // Closes this object's handle to the temporary file, so that a library which
  // only takes a file name can write it; Commit still publishes it.
  [[nodiscard]] bool HandOver();
  const std::filesystem::path& temp_path() const { return temp_; }

  // Flushes, syncs and renames the temporary file over the target.
  [[nodiscard]] bool Commit();

  // Records a failure found by the caller (for example a library's error), so
  // the file is never committed.
  void Fail(std::string reason);

  bool failed() const { return failed_; }
  const std::string& error() const { return error_; }

 private:
  bool FailWithErrno(std::string what, int error_number);
  bool Flush();
  bool CheckTarget();
  bool CreateTemp();

  std::filesystem::path target_;
  std::filesystem::path temp_;
  int fd_ = -1;
  bool temp_exists_ = false;
  bool committed_ = false;
  bool failed_ = false;
  bool keep_mode_ = false;
  mode_t mode_ = 0;
  uint64_t written_ = 0;
  std::string buffer_;
  std::string error_;
};

}  // namespace varnelo
