#include "export/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

namespace varnelo {
namespace {

constexpr size_t kBufferSize = 256 * 1024;

std::string Quoted(const std::filesystem::path& path) {
  std::string text = path.string();
  text.insert(text.begin(), '"');
  text.push_back('"');
  return text;
}

std::string ErrnoText(int error_number) {
  return std::error_code(error_number, std::generic_category()).message();
}

// Writes all of data, going on after short writes and signals.
int WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return 0;
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) ::close(fd_);
  if (temp_exists_ && !committed_) ::unlink(temp_.c_str());
}

void AtomicFile::Fail(std::string reason) {
  if (failed_) return;
  failed_ = true;
  error_ = std::move(reason);
}

bool AtomicFile::FailWithErrno(std::string what, int error_number) {
  Fail(std::move(what) + ": " + ErrnoText(error_number));
  return false;
}

bool AtomicFile::CheckTarget() {
  if (target_.empty() || !target_.has_filename()) {
    Fail("no file name was given");
    return false;
  }
  // Replacing a symbolic link by rename would cut the link instead of
  // updating the file it names; write beside the real file instead.
  std::error_code ec;
  if (std::filesystem::is_symlink(target_, ec)) {
    std::filesystem::path resolved = std::filesystem::weakly_canonical(target_, ec);
    if (!ec) target_ = resolved;
  }

  std::filesystem::path folder = target_.parent_path();
  if (folder.empty()) folder = ".";
  struct stat folder_stat {};
  if (::stat(folder.c_str(), &folder_stat) != 0) {
    int error_number = errno;
    if (error_number == ENOENT) {
      Fail("the folder " + Quoted(folder) + " does not exist");
      return false;
    }
    return FailWithErrno("cannot reach the folder " + Quoted(folder), error_number);
  }
  if (!S_ISDIR(folder_stat.st_mode)) {
    Fail(Quoted(folder) + " is not a folder");
    return false;
  }

  struct stat target_stat {};
  if (::stat(target_.c_str(), &target_stat) != 0) {
    int error_number = errno;
    if (error_number == ENOENT) return true;  // a new file
    return FailWithErrno("cannot reach " + Quoted(target_), error_number);
  }
  if (S_ISDIR(target_stat.st_mode)) {
    Fail(Quoted(target_) + " is a folder");
    return false;
  }
  // Devices, pipes and sockets are never replaced: renaming over /dev/null
  // would remove the device for every program.
  if (!S_ISREG(target_stat.st_mode)) {
    Fail(Quoted(target_) + " is not a regular file");
    return false;
  }
  // A file without any write permission is read-only even for root, who may
  // rename over it; honour what its owner marked it as.
  if ((target_stat.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
      ::access(target_.c_str(), W_OK) != 0) {
    Fail(Quoted(target_) + " is read-only");
    return false;
  }
  keep_mode_ = true;
  mode_ = target_stat.st_mode & 07777;
  return true;
}

bool AtomicFile::CreateTemp() {
  static std::atomic<unsigned> sequence{0};
  std::filesystem::path folder = target_.parent_path();
  if (folder.empty()) folder = ".";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = ".varnelo-" + std::to_string(::getpid()) + "-" +
                       std::to_string(sequence.fetch_add(1)) + ".tmp";
    std::filesystem::path candidate = folder / name;
    // 0666 lets the umask decide, as for any new file of the user's.
    int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return FailWithErrno("cannot create a file in the folder " + Quoted(folder), errno);
    }
    fd_ = fd;
    temp_ = candidate;
    temp_exists_ = true;
    if (keep_mode_) (void)::fchmod(fd_, mode_);  // best effort: the content matters more
    return true;
  }
  Fail("cannot find a free temporary name in the folder " + Quoted(folder));
  return false;
}

bool AtomicFile::Open() {
  if (failed_) return false;
  buffer_.reserve(kBufferSize);
  return CheckTarget() && CreateTemp();
}

bool AtomicFile::Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }

bool AtomicFile::Write(const void* data, size_t size) {
  if (failed_) return false;
  if (fd_ < 0) {
    Fail("the file is not open for writing");
    return false;
  }
  const char* bytes = static_cast<const char*>(data);
  written_ += size;
  if (buffer_.size() + size <= kBufferSize) {
    buffer_.append(bytes, size);
    return true;
  }
  if (!Flush()) return false;
  if (size >= kBufferSize) {
    if (int error_number = WriteAll(fd_, bytes, size); error_number != 0)
      return FailWithErrno("cannot write " + Quoted(target_), error_number);
    return true;
  }
  buffer_.append(bytes, size);
  return true;
}

bool AtomicFile::Flush() {
  if (buffer_.empty()) return true;
  int error_number = WriteAll(fd_, buffer_.data(), buffer_.size());
  buffer_.clear();
  if (error_number != 0) return FailWithErrno("cannot write " + Quoted(target_), error_number);
  return true;
}

bool AtomicFile::HandOver() {
  if (failed_ || fd_ < 0) return false;
  if (!Flush()) return false;
  int fd = std::exchange(fd_, -1);
  if (::close(fd) != 0) return FailWithErrno("cannot write " + Quoted(target_), errno);
  return true;
}

bool AtomicFile::Commit() {
  if (failed_ || committed_) return false;
  if (!temp_exists_) {
    Fail("the file was never opened");
    return false;
  }
  if (fd_ >= 0) {
    if (!Flush()) return false;
  } else {
    // Someone else wrote the file by name; open it again to sync it.
    fd_ = ::open(temp_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return FailWithErrno("cannot reopen the written file", errno);
  }
  if (::fsync(fd_) != 0) return FailWithErrno("cannot write " + Quoted(target_), errno);
  int fd = std::exchange(fd_, -1);
  // close can report a delayed write error (network file systems).
  if (::close(fd) != 0) return FailWithErrno("cannot write " + Quoted(target_), errno);
  if (::rename(temp_.c_str(), target_.c_str()) != 0)
    return FailWithErrno("cannot replace " + Quoted(target_), errno);
  committed_ = true;
  // Make the rename itself durable; the file is already in place if this fails.
  std::filesystem::path folder = target_.parent_path();
  if (folder.empty()) folder = ".";
  int dir_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    (void)::fsync(dir_fd);
    ::close(dir_fd);
  }
  return true;
}

}  // namespace varnelo
