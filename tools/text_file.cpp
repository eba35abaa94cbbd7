#include "text_file.h"

#include "atomic_file.h"

namespace kestrix::tools {

void WriteFileAtomically(const std::string& path, const std::string& content) {
  SaveFileAtomically(path, [&content](std::ostream& out) { out << content; });
}

}  // namespace kestrix::tools
