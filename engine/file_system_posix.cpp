#include "file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace kestrix {
namespace {

std::string Reason(int error) { return error != 0 ? std::strerror(error) : "unknown error"; }

std::string Megabytes(std::uintmax_t bytes) { return std::to_string(bytes / (1024 * 1024)) + " MiB"; }

/// Closes the descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  /// the descriptor, no longer closed here
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string ReadFileBytes(const std::string& path) {
  const auto refuse = [&path](const std::string& reason, int error = 0) {
    return FileSystemError("cannot read \"" + path + "\": " + reason, reason, error);
  };
  // O_NONBLOCK: opening a FIFO without a writer must not wait.
  Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) {
    const int error = errno;
    throw refuse(Reason(error), error);
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) {
    const int error = errno;
    throw refuse(Reason(error), error);
  }
  if (S_ISDIR(info.st_mode)) throw refuse("it is a folder, not a file");
  if (!S_ISREG(info.st_mode)) throw refuse("it is not a regular file");
  if (static_cast<std::uintmax_t>(info.st_size) > kMaximumReadBytes) {
    throw refuse("it is larger than " + Megabytes(kMaximumReadBytes) + ", more than any valid file");
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
    const int error = errno;
    throw refuse(Reason(error), error);
  }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
    // the file may grow while it is read
    if (bytes.size() > kMaximumReadBytes) {
      throw refuse("it is larger than " + Megabytes(kMaximumReadBytes) + ", more than any valid file");
    }
  }
  return bytes;
}

void CheckReplaceableTarget(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return;  // a new file, or a folder error the save itself reports
  if (S_ISDIR(info.st_mode)) throw FileSystemError("it is a folder", EISDIR);
  if (!S_ISREG(info.st_mode)) throw FileSystemError("it is not a regular file");
  // No write permission bit at all marks a read-only file even for the superuser, who passes access().
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0) {
    throw FileSystemError("the file is read-only", EACCES);
  }
}

bool TemporaryFile::Create(const std::string& temporaryPath, const std::string& target, const std::string& bytes) {
  Discard();
  struct stat existing {};
  const bool targetExists = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
  Descriptor file(::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (file.get() < 0) {
    const int error = errno;
    if (error == EEXIST) return false;
    throw FileSystemError("cannot create a temporary file beside it (" + Reason(error) + ")", error);
  }
  // Held until the rename is done: RemoveAbandonedTemporary skips a locked file. When the
  // clean-up of another save has taken the lock first, or has already removed the new name,
  // the file is no longer ours to write: another name is tried.
  if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) return false;
  struct stat opened {}, named {};
  if (::fstat(file.get(), &opened) != 0 || ::lstat(temporaryPath.c_str(), &named) != 0 ||
      opened.st_ino != named.st_ino || opened.st_dev != named.st_dev) {
    return false;
  }
  handle_ = file.release();
  temporaryPath_ = temporaryPath;
  target_ = target;
  const auto fail = [this](const std::string& what, int error) {
    Discard();
    return FileSystemError(what + " (" + Reason(error) + ")", error);
  };
  const int fd = static_cast<int>(handle_);
  if (targetExists && ::fchmod(fd, existing.st_mode & 07777) != 0) {
    throw fail("cannot give " + temporaryPath + " the file's permissions", errno);
  }
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) throw fail("writing " + temporaryPath + " failed", errno);
  return true;
}

void TemporaryFile::Replace() {
  if (handle_ < 0) throw FileSystemError("there is no temporary file to replace it with", ENOENT);
  if (::rename(temporaryPath_.c_str(), target_.c_str()) != 0) {
    const int error = errno;
    Discard();
    throw FileSystemError("cannot replace it (" + Reason(error) + ")", error);
  }
  ::close(static_cast<int>(handle_));
  handle_ = -1;
}

void TemporaryFile::Discard() {
  if (handle_ < 0) return;
  ::unlink(temporaryPath_.c_str());  // while the lock is still held
  ::close(static_cast<int>(handle_));
  handle_ = -1;
}

TemporaryFile::~TemporaryFile() { Discard(); }

FolderLock::FolderLock(const std::string& folder, std::chrono::milliseconds wait) {
  const std::string path = folder.empty() ? "." : folder;
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    throw FileSystemError(error == ENOTDIR ? "it is not a folder" : Reason(error), error);
  }
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    if (error == EINTR) continue;
    if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      if (error != EWOULDBLOCK) throw FileSystemError("cannot lock it (" + Reason(error) + ")", error);
      throw FileSystemError("another program is still replacing files in it", EBUSY);
    }
    ::usleep(2000);
  }
  handle_ = fd;
}

FolderLock::~FolderLock() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));  // closing releases the lock
}

void RemoveAbandonedTemporary(const std::string& temporaryPath) {
  Descriptor file(::open(temporaryPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
  if (file.get() < 0) return;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return;
  if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) return;  // a save is still writing it
  ::unlink(temporaryPath.c_str());
}

}  // namespace kestrix
