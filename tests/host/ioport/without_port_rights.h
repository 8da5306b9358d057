// Running a check in a child process that gives up root first, so that
// ioperm is refused on every machine and no real port is ever touched.
#ifndef KIT_TESTS_WITHOUT_PORT_RIGHTS_H
#define KIT_TESTS_WITHOUT_PORT_RIGHTS_H

#include <sys/wait.h>
#include <unistd.h>

#include <string>

struct ChildResult {
  int exit_code;
  std::string said;  // standard error of the child
};

// Runs body in a child without root; the child's exit code is body's result.
inline ChildResult run_without_port_rights(int (*body)()) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return {-1, "pipe failed"};
  pid_t pid = fork();
  if (pid == 0) {
    dup2(pipefd[1], 2);
    close(pipefd[0]);
    close(pipefd[1]);
    if (getuid() == 0 && setuid(65534) != 0) _exit(99);
    _exit(body());
  }
  close(pipefd[1]);
  std::string said;
  char buf[256];
  ssize_t n;
  while ((n = read(pipefd[0], buf, sizeof buf)) > 0) said.append(buf, static_cast<size_t>(n));
  close(pipefd[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), said};
}

#endif
