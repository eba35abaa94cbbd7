#pragma once
// Saving a file so that a reader never sees it half written.

#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>

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

}  // namespace kestrix
