#include "subprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace zvt::test {

namespace {

void closeFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

RunResult runProgram(const std::vector<std::string>& argv, const RunOptions& options) {
  RunResult result;
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) return result;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  int inFd = in[1], outFd = out[0], errFd = err[0];
  signal(SIGPIPE, SIG_IGN);
  bool sent = false;
  auto sendIfDue = [&] {
    if (sent || result.out.find(options.sendAfter) == std::string::npos) return;
    sent = true;
    if (!options.input.empty() && write(inFd, options.input.data(), options.input.size()) < 0) {
      closeFd(inFd);
    }
    if (options.closeInput) closeFd(inFd);
  };
  sendIfDue();

  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeoutMs);
  while (outFd >= 0 || errFd >= 0) {
    sendIfDue();
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    if (poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
    for (int k = 0; k < 2; ++k) {
      int& fd = k == 0 ? outFd : errFd;
      if (fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[4096];
      ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0) {
        closeFd(fd);
      } else {
        (k == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(n));
      }
    }
  }
  closeFd(inFd);
  closeFd(outFd);
  closeFd(errFd);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  return result;
}

}  // namespace zvt::test
