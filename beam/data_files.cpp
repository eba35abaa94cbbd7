#include "data_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

#include "data_folder.h"

namespace kestrix {
namespace {

namespace fs = std::filesystem;

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

bool IsMaterialExtension(const fs::path& path) {
  const std::string extension = Lowercase(path.extension().u8string());
  return extension == ".ele" || extension == ".mix";
}

bool IsFile(const fs::path& path) {
  std::error_code error;
  return fs::is_regular_file(path, error);
}

bool IsBareName(const fs::path& name) { return !name.empty() && !name.has_parent_path() && !name.is_absolute(); }

}  // namespace

std::string FindMaterialFile(const std::string& name, const std::string& dataFolder) {
  const fs::path path = fs::u8path(name);
  std::error_code error;
  if (!IsBareName(path) || IsMaterialExtension(path) || fs::exists(path, error)) return WorkingOrDeliveredFile(name, dataFolder);
  for (const char* extension : {".ele", ".mix"}) {
    if (IsFile(fs::u8path(name + extension))) return name + extension;
  }
  if (dataFolder.empty()) return name;
  // the delivered files by name, in a fixed order (a directory lists in any order)
  std::vector<fs::path> matches;
  for (fs::directory_iterator entry(fs::u8path(dataFolder), error), end; !error && entry != end; entry.increment(error)) {
    const fs::path& file = entry->path();
    if (IsMaterialExtension(file) && Lowercase(file.stem().u8string()) == Lowercase(name) && IsFile(file)) {
      matches.push_back(file);
    }
  }
  if (matches.empty()) return name;
  std::sort(matches.begin(), matches.end());
  return matches.front().u8string();
}

}  // namespace kestrix
