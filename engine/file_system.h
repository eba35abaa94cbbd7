#pragma once
// The file operations that differ between operating systems. Every path is UTF-8, also on
// Windows, where the wide-character API is used so that names such as "データ/鉛.ele" work.

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace kestrix {

/// Largest file the readers accept [bytes]: 16 MiB. The largest valid input, the attenuation
/// table, has about 80 kB; material and exchange files are far smaller.
constexpr std::uintmax_t kMaximumReadBytes = 16u * 1024u * 1024u;

/// A file that cannot be read or written; what() says why, reason() is the bare cause and
/// SystemError() the C library's error number (errno) of the failed step, 0 when the cause is not a
/// system error (a folder, a file too large, ...). Windows' error codes are given as the errno values
/// of the same cause, so every build reports one set of reasons.
class FileSystemError : public std::runtime_error {
 public:
  explicit FileSystemError(const std::string& reason, int systemError = 0)
      : std::runtime_error(reason), reason_(reason), systemError_(systemError) {}
  FileSystemError(const std::string& message, const std::string& reason, int systemError = 0)
      : std::runtime_error(message), reason_(reason), systemError_(systemError) {}
  const std::string& reason() const { return reason_; }
  int SystemError() const { return systemError_; }

 private:
  std::string reason_;
  int systemError_;
};

/// The whole content of the regular file at path. A missing or unreadable file, a folder, a
/// device, a FIFO or a file larger than kMaximumReadBytes is refused at once, without waiting
/// for data. Throws FileSystemError with what() "cannot read \"path\": reason".
std::string ReadFileBytes(const std::string& path);

/// Throws FileSystemError(reason) when a save may not replace path: it exists and is
/// read-only (system error EACCES), a folder (EISDIR) or not a regular file. A missing path is fine.
void CheckReplaceableTarget(const std::string& path);

/// A new content of target, written and flushed to a temporary file beside it, that replaces
/// target in one step on Replace(). The temporary file stays locked until then, so
/// RemoveAbandonedTemporary leaves it alone; destroyed without Replace(), it is removed.
class TemporaryFile {
 public:
  /// Creates temporaryPath, which must not exist, gives it the permission bits of an existing
  /// target, writes bytes and flushes them to the disk. Returns false, with nothing created,
  /// when the name is taken (also by the clean-up of another save). On failure the temporary
  /// file is removed and FileSystemError(reason) is thrown.
  bool Create(const std::string& temporaryPath, const std::string& target, const std::string& bytes);
  /// Replaces target with the temporary file (MoveFileExW on Windows, rename elsewhere). On
  /// failure the temporary file is removed, target is left as it was and FileSystemError(reason)
  /// is thrown.
  void Replace();

  TemporaryFile() = default;
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

 private:
  void Discard();

  std::intptr_t handle_ = -1;  // descriptor or HANDLE of the open temporary file, -1 when none
  std::string temporaryPath_;
  std::string target_;
};

/// Creates temporaryPath and replaces target with it (TemporaryFile's Create and Replace in one):
/// false when the name is taken, FileSystemError(reason) on failure, target left as it was.
bool WriteAndReplace(const std::string& temporaryPath, const std::string& target, const std::string& bytes);

/// An exclusive lock that cooperating programs take on a folder while they replace files in it
/// that belong together (the exchange files). It leaves nothing in the folder: flock on the folder
/// itself, on Windows a named mutex whose name is the folder's volume serial number and file index
/// (so every spelling of the path takes the same lock). Released when the object is destroyed, or
/// when the program ends in any way. Held by one thread: destroyed on the thread that made it.
class FolderLock {
 public:
  /// Waits up to wait for the lock on folder ("" = the working folder). Throws FileSystemError
  /// (reason) when the folder cannot be opened or another program still holds the lock then.
  FolderLock(const std::string& folder, std::chrono::milliseconds wait);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  std::intptr_t handle_ = -1;
};

/// Removes the temporary file of a save that was killed; a file that a running save still
/// holds is left. Failures are ignored.
void RemoveAbandonedTemporary(const std::string& temporaryPath);

}  // namespace kestrix
