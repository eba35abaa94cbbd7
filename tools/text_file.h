#pragma once

#include <string>

namespace kestrix::tools {

/// Writes `content` byte for byte through a temporary file in the same folder, then
/// renames it over `path`, so a reader never sees a half-written file. Throws
/// std::runtime_error naming the path and the reason; the temporary file is removed.
void WriteFileAtomically(const std::string& path, const std::string& content);

}  // namespace kestrix::tools
