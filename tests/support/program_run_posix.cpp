#include <sys/wait.h>

#include <cstdlib>

#include "scratch_folder.h"

namespace kestrix::test {

ProgramRun RunProgramIn(const std::filesystem::path& workingDirectory, const std::string& program,
                        const std::string& arguments) {
  ScratchFolder capture;
  const std::string command = "cd " + Quoted(workingDirectory.string()) + " && " + Quoted(program) + " " + arguments +
                              " > " + Quoted((capture / "out").string()) + " 2> " +
                              Quoted((capture / "err").string()) + " < /dev/null";
  const int status = std::system(command.c_str());
  ProgramRun run;
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  run.out = ReadBytes(capture / "out");
  run.err = ReadBytes(capture / "err");
  return run;
}

}  // namespace kestrix::test
