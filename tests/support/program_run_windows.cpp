#include <windows.h>

#include <string>

#include "scratch_folder.h"

namespace kestrix::test {
namespace {

/// An inheritable handle for one of the child's standard streams, closed at the end.
class StreamFile {
 public:
  StreamFile(const std::filesystem::path& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    handle_ = ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  ~StreamFile() {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  StreamFile(const StreamFile&) = delete;
  StreamFile& operator=(const StreamFile&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

// CreateProcessW without a shell: the program, its working folder and its arguments keep every
// character, and the exit status is the program's own. Under Wine, with the suites running side by
// side, a process now and then fails to start at all; the start is tried again a few times, and a
// start that never succeeds leaves exit status -1 and the system's error code in `err`.
ProgramRun RunProgramIn(const std::filesystem::path& workingDirectory, const std::string& program,
                        const std::string& arguments) {
  constexpr int kStartAttempts = 5;
  ScratchFolder capture;
  ProgramRun run;
  DWORD startError = 0;
  bool started = false;
  for (int attempt = 1; attempt <= kStartAttempts && !started; ++attempt) {
    if (attempt > 1) ::Sleep(100 * attempt);
    StreamFile in(L"NUL", GENERIC_READ, OPEN_EXISTING);
    StreamFile out(capture / "out", GENERIC_WRITE, CREATE_ALWAYS);
    StreamFile err(capture / "err", GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.get();
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    std::wstring commandLine = L"\"" + std::filesystem::u8path(program).wstring() + L"\" " +
                               std::filesystem::u8path(arguments).wstring();
    const std::wstring folder = workingDirectory.wstring();
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                          folder.c_str(), &startup, &process)) {
      startError = ::GetLastError();
      continue;
    }
    started = true;
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    if (::GetExitCodeProcess(process.hProcess, &status)) run.exitStatus = static_cast<int>(status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  run.out = ReadBytes(capture / "out");
  run.err = ReadBytes(capture / "err");
  if (!started) {
    run.err += "(the test could not start the program: CreateProcessW error " + std::to_string(startError) + ")";
  }
  return run;
}

}  // namespace kestrix::test
