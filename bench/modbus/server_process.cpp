#include "server_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kPollMs = 20;
const char kListening[] = "listening on ";

// The port of "listening on 127.0.0.1:PORT," in the log, or 0.
int port_in_log(const std::string &log) {
  size_t at = log.find(kListening);
  if (at == std::string::npos) return 0;
  size_t comma = log.find(',', at);
  size_t colon = log.rfind(':', comma);
  if (comma == std::string::npos || colon == std::string::npos || colon < at) return 0;
  return std::atoi(log.c_str() + colon + 1);
}

}  // namespace

std::string server_log(const ServerProcess &server) {
  std::ifstream in(server.log_path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

long open_descriptors(const ServerProcess &server) {
  std::error_code failed;
  std::filesystem::directory_iterator fds("/proc/" + std::to_string(server.pid) + "/fd", failed);
  long n = 0;
  for (; !failed && fds != std::filesystem::directory_iterator(); fds.increment(failed)) ++n;
  return n;
}

long count_in(const std::string &text, const char *part) {
  long n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

bool start_server(const std::string &program, const std::vector<std::string> &args, ServerProcess *server,
                  std::string *why) {
  char path[] = "/tmp/kit_modbus_server_XXXXXX";
  int log_fd = mkstemp(path);
  if (log_fd < 0) {
    *why = "cannot make a log file";
    return false;
  }
  server->log_path = path;
  char dir[] = "/tmp/kit_modbus_state_XXXXXX";
  if (!mkdtemp(dir)) {
    *why = "cannot make a state folder";
    return false;
  }
  server->state_dir = dir;
  std::vector<char *> argv{const_cast<char *>(program.c_str())};
  for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
  argv.push_back(nullptr);
  server->pid = fork();
  if (server->pid == 0) {
    dup2(log_fd, 2);
    int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    setenv("KESTAN_IO_STATE_DIR", server->state_dir.c_str(), 1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(log_fd);
  for (int waited = 0; waited < kStartTimeoutMs; waited += kPollMs) {
    server->port = port_in_log(server_log(*server));
    if (server->port > 0) return true;
    int status = 0;
    if (waitpid(server->pid, &status, WNOHANG) == server->pid) {
      server->pid = -1;
      std::filesystem::remove_all(server->state_dir);
      *why = "the server ended before it listened: " + server_log(*server);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  *why = "the server did not say where it listens: " + server_log(*server);
  stop_server(server);
  return false;
}

int stop_server(ServerProcess *server) {
  if (server->pid <= 0) return -1;
  kill(server->pid, SIGTERM);
  int status = 0;
  waitpid(server->pid, &status, 0);
  server->pid = -1;
  std::error_code ignored;
  std::filesystem::remove_all(server->state_dir, ignored);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
