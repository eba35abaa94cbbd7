#pragma once
// The file operations that differ between operating systems. Every path is UTF-8, also on
// Windows, where the wide-character API is used so that names such as "データ/鉛.ele" work.

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

/// Creates temporaryPath, which must not exist (returns false when the name is taken), gives it
/// the permission bits of an existing target, writes bytes, flushes them to the disk and
/// replaces target with it in one step (MoveFileExW on Windows, rename elsewhere). The
/// temporary file stays locked while it is written, so RemoveAbandonedTemporary leaves it alone.
/// On failure the temporary file is removed, target is left as it was and FileSystemError(reason)
/// is thrown.
bool WriteAndReplace(const std::string& temporaryPath, const std::string& target, const std::string& bytes);

/// Removes the temporary file of a save that was killed; a file that a running save still
/// holds is left. Failures are ignored.
void RemoveAbandonedTemporary(const std::string& temporaryPath);

}  // namespace kestrix
