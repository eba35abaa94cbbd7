#include "file_system.h"

#include <windows.h>

#include <cerrno>
#include <chrono>

namespace kestrix {
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                         nullptr, 0);
  if (size <= 0) throw FileSystemError("the name \"" + utf8 + "\" is not valid UTF-8");
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

// The same wording as the C library's messages on other systems, so that every build (and the
// desktop program's translation of them) sees one set of reasons.
std::string Reason(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return "No such file or directory";
    case ERROR_ACCESS_DENIED:
      return "Permission denied";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return "File exists";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "No space left on device";
    case ERROR_WRITE_PROTECT:
      return "Read-only file system";
    case ERROR_FILENAME_EXCED_RANGE:
      return "File name too long";
    case ERROR_INVALID_NAME:
      return "Invalid argument";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "the file is in use by another program";
    default:
      return "Windows error " + std::to_string(error);
  }
}

// The errno value of the same cause, for callers that word the reason their own way.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
      return EINVAL;
    default:
      return 0;
  }
}

std::string Megabytes(std::uintmax_t bytes) { return std::to_string(bytes / (1024 * 1024)) + " MiB"; }

/// Closes the handle when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Close() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

}  // namespace

std::string ReadFileBytes(const std::string& path) {
  const auto refuse = [&path](const std::string& reason, int error = 0) {
    return FileSystemError("cannot read \"" + path + "\": " + reason, reason, error);
  };
  const auto refuseSystem = [&refuse](DWORD error) { return refuse(Reason(error), ErrnoOf(error)); };
  std::wstring name;
  try {
    name = Wide(path);
  } catch (const FileSystemError& error) {
    throw refuse(error.reason());
  }
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) throw refuseSystem(::GetLastError());
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) throw refuse("it is a folder, not a file");
  Handle file(::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) throw refuseSystem(::GetLastError());
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) throw refuse("it is not a regular file");
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) throw refuseSystem(::GetLastError());
  const std::string tooLarge = "it is larger than " + Megabytes(kMaximumReadBytes) + ", more than any valid file";
  if (static_cast<std::uintmax_t>(size.QuadPart) > kMaximumReadBytes) throw refuse(tooLarge);
  std::string bytes;
  char buffer[65536];
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) throw refuseSystem(::GetLastError());
    if (n == 0) break;
    bytes.append(buffer, n);
    // the file may grow while it is read
    if (bytes.size() > kMaximumReadBytes) throw refuse(tooLarge);
  }
  return bytes;
}

void CheckReplaceableTarget(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;  // a new file, or a folder error the save itself reports
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) throw FileSystemError("it is a folder", EISDIR);
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) throw FileSystemError("the file is read-only", EACCES);
}

bool TemporaryFile::Create(const std::string& temporaryPath, const std::string& target, const std::string& bytes) {
  Discard();
  const std::wstring temporary = Wide(temporaryPath);
  // Open until it is renamed (FILE_SHARE_DELETE lets the rename through): RemoveAbandonedTemporary's
  // exclusive open fails on it meanwhile. Creating and opening are one step, so no clean-up can
  // take the new file before it is held.
  const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return false;
    throw FileSystemError("cannot create a temporary file beside it (" + Reason(error) + ")", ErrnoOf(error));
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  temporaryPath_ = temporaryPath;
  target_ = target;
  if (!WriteAll(file, bytes) || !::FlushFileBuffers(file)) {
    const DWORD error = ::GetLastError();
    Discard();
    throw FileSystemError("writing " + temporaryPath + " failed (" + Reason(error) + ")", ErrnoOf(error));
  }
  return true;
}

void TemporaryFile::Replace() {
  if (handle_ == -1) throw FileSystemError("there is no temporary file to replace it with", ENOENT);
  const std::wstring temporary = Wide(temporaryPath_);
  const std::wstring destination = Wide(target_);
  // Keeps the attributes of the file it replaces (hidden, archive...); read-only ones are refused before.
  const DWORD attributes = ::GetFileAttributesW(destination.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ::SetFileAttributesW(temporary.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  // While another program replaces or briefly opens the same file (another save, a virus scanner,
  // the indexer), the replace is refused for a moment: it is tried again for up to a second.
  for (int attempt = 0;; ++attempt) {
    if (::MoveFileExW(temporary.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) break;
    const DWORD error = ::GetLastError();
    const bool transient =
        error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    if (!transient || attempt >= 50) {
      Discard();
      throw FileSystemError("cannot replace it (" + Reason(error) + ")", ErrnoOf(error));
    }
    ::Sleep(20);
  }
  ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
}

void TemporaryFile::Discard() {
  if (handle_ == -1) return;
  ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
  handle_ = -1;
  try {
    ::DeleteFileW(Wide(temporaryPath_).c_str());
  } catch (const FileSystemError&) {
  }
}

TemporaryFile::~TemporaryFile() { Discard(); }

FolderLock::FolderLock(const std::string& folder, std::chrono::milliseconds wait) {
  // The folder's identity (volume serial number and file index) names the mutex, so that every
  // spelling of its path (relative, short name, other case) takes the same lock.
  const Handle directory(::CreateFileW(Wide(folder.empty() ? std::string(".") : folder).c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!directory.valid()) {
    const DWORD error = ::GetLastError();
    throw FileSystemError(Reason(error), ErrnoOf(error));
  }
  BY_HANDLE_FILE_INFORMATION identity{};
  if (!::GetFileInformationByHandle(directory.get(), &identity)) {
    const DWORD error = ::GetLastError();
    throw FileSystemError("cannot lock it (" + Reason(error) + ")", ErrnoOf(error));
  }
  if ((identity.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) throw FileSystemError("it is not a folder", ENOTDIR);
  const std::wstring name = L"Local\\kestrix-folder-" + std::to_wstring(identity.dwVolumeSerialNumber) + L"-" +
                            std::to_wstring(identity.nFileIndexHigh) + L"-" + std::to_wstring(identity.nFileIndexLow);
  const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) {
    const DWORD error = ::GetLastError();
    throw FileSystemError("cannot lock it (" + Reason(error) + ")", ErrnoOf(error));
  }
  // An abandoned mutex (its holder ended without releasing it) is taken over.
  const DWORD waited = ::WaitForSingleObject(mutex, static_cast<DWORD>(wait.count()));
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    ::CloseHandle(mutex);
    throw FileSystemError("another program is still replacing files in it", EBUSY);
  }
  handle_ = reinterpret_cast<std::intptr_t>(mutex);
}

FolderLock::~FolderLock() {
  if (handle_ == -1) return;
  ::ReleaseMutex(reinterpret_cast<HANDLE>(handle_));
  ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

void RemoveAbandonedTemporary(const std::string& temporaryPath) {
  std::wstring name;
  try {
    name = Wide(temporaryPath);
  } catch (const FileSystemError&) {
    return;
  }
  // Opening without sharing fails while a save still holds the file; closing deletes it.
  Handle file(::CreateFileW(name.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

}  // namespace kestrix
