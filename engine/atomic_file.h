#pragma once
// Saving a file so that a reader never sees it half written.

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "file_system.h"

namespace kestrix {

/// A save that failed; the text names the file and the reason, SystemError() is the C library's
/// error number (errno) of the failed step, 0 when the content itself could not be produced.
class SaveFileError : public std::runtime_error {
 public:
  SaveFileError(const std::string& message, int systemError) : std::runtime_error(message), systemError_(systemError) {}
  int SystemError() const { return systemError_; }

 private:
  int systemError_;
};

/// Lets write fill the file's content, stores it in a new temporary file in the same folder as path,
/// checks the flush and the close, then renames it onto path (replacing an existing file in one step).
/// On any failure the temporary file is removed, an existing file at path is left as it was, and a
/// SaveFileError naming path and the reason is thrown. The stream is binary: write spells out "\r\n".
/// A replaced file keeps its permission bits; a read-only one is refused, not replaced. After the
/// save, temporary files "<path>.tmpNNN" of earlier saves that were killed are removed.
void SaveFileAtomically(const std::string& path, const std::function<void(std::ostream&)>& write);

/// A file's path (UTF-8) and the whole content to save there.
struct FileContent {
  std::string path;
  std::string bytes;
};

/// Saves every file or, when any one of them cannot be written, none: each is checked and written
/// to a temporary file beside it as SaveFileAtomically does, and only when all are written are they
/// renamed onto their paths, in the order given. Throws SaveFileError naming the file. A rename
/// that fails (rare: the writes have succeeded) leaves the files before it replaced and the rest as
/// they were; replacedCount, when given, receives the number of files replaced, also on failure.
void SaveFilesTogether(const std::vector<FileContent>& files, std::size_t* replacedCount = nullptr);

/// SaveFilesTogether in two halves, for a caller that acts between the writes and the renames:
/// the constructor checks every file and writes it in full to a temporary file beside its path
/// (throwing SaveFileError naming the file, with no temporary left); Replace(k) renames the
/// temporary of files[k] onto its path. Temporaries not renamed are removed on destruction.
class PendingSave {
 public:
  explicit PendingSave(const std::vector<FileContent>& files);
  /// Throws SaveFileError naming files[k] when the rename fails (the old file is left).
  void Replace(std::size_t k);
  /// Removes the temporaries of killed earlier saves of every path.
  void RemoveAbandonedTemporaries() const;

 private:
  std::vector<FileContent> files_;
  std::vector<TemporaryFile> temporaries_;
};

/// Removes the temporary files "<path>.tmpNNN" that saves of path killed before their rename left;
/// those of a save still in progress are kept.
void RemoveAbandonedTemporaries(const std::string& path);

}  // namespace kestrix
