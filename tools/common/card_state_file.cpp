// The card state file: one per base, locked while a tool works on the card.
#include "card_state_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace cardio {

namespace {

const char kHeader[] = "kestan card state 1";
constexpr size_t kMaxText = 1024;

}  // namespace

bool state_file_open(StateFile *file, const char *dir, Kind kind, int base, char *why, size_t why_size) {
  char path[600];
  std::snprintf(path, sizeof path, "%s/card-%03X.state", dir, static_cast<unsigned>(base));
  if (!make_record_dirs(dir)) {
    std::snprintf(why, why_size, "cannot make %s: %s", dir, std::strerror(errno));
    return false;
  }
  int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    std::snprintf(why, why_size, "cannot open %s: %s", path, std::strerror(errno));
    return false;
  }
  file->fd = fd;
  file->kind = kind;
  if (!state_file_lock(*file)) {
    file->in_use = errno == EWOULDBLOCK;
    if (file->in_use)
      std::snprintf(why, why_size, "the card at %03XH is in use: another program holds %s (a kestan-io serve holds it while it runs)",
                    static_cast<unsigned>(base), path);
    else
      std::snprintf(why, why_size, "cannot lock %s: %s", path, std::strerror(errno));
    close(fd);
    file->fd = -1;
    return false;
  }
  return true;
}

bool state_file_load(const StateFile &file, CardState *state) {
  *state = CardState{};
  char text[kMaxText + 1];
  ssize_t n = pread(file.fd, text, kMaxText, 0);
  if (n <= 0) return false;
  text[n] = '\0';
  const size_t header = sizeof kHeader - 1;
  if (std::strncmp(text, kHeader, header) != 0 || text[header] != '\n') return false;
  CardState read{};
  bool kind_matches = false;
  char *rest = nullptr;
  for (char *line = strtok_r(text + header + 1, "\n", &rest); line; line = strtok_r(nullptr, "\n", &rest)) {
    char word[16];
    unsigned a = 0, b = 0;
    if (std::sscanf(line, "kind %15s", word) == 1) {
      kind_matches = std::strcmp(word, kind_info(file.kind).name) == 0;
    } else if (std::sscanf(line, "port %u 0x%x", &a, &b) == 2 && a < kMaxPorts && b <= 0xFF) {
      read.known_ports |= 1u << a;
      read.outputs[a] = static_cast<uint8_t>(b);
    } else if (std::sscanf(line, "output-groups 0x%x", &a) == 1) {
      read.output_groups = a;
    } else {
      return false;
    }
  }
  if (!kind_matches) return false;
  *state = read;
  return true;
}

bool state_file_save(const StateFile &file, const CardState &state) {
  char text[kMaxText];
  int n = std::snprintf(text, sizeof text, "%s\nkind %s\n", kHeader, kind_info(file.kind).name);
  for (int p = 0; p < kMaxPorts; ++p)
    if ((state.known_ports >> p) & 1u)
      n += std::snprintf(text + n, sizeof text - n, "port %d 0x%02X\n", p, state.outputs[p]);
  n += std::snprintf(text + n, sizeof text - n, "output-groups 0x%X\n", state.output_groups);
  return ftruncate(file.fd, 0) == 0 && pwrite(file.fd, text, n, 0) == n;
}

// Another tool's run holds the lock for milliseconds; a server holds it for
// as long as it runs. Waiting this long tells the two apart without leaving
// a caller hanging on a card that is in use.
constexpr int kLockWaitMs = 2000;
constexpr int kLockPollMs = 5;

bool state_file_lock(const StateFile &file) {
  for (int waited = 0;; waited += kLockPollMs) {
    if (flock(file.fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (waited >= kLockWaitMs) {
      errno = EWOULDBLOCK;
      return false;
    }
    usleep(kLockPollMs * 1000);
  }
}

void state_file_unlock(const StateFile &file) { flock(file.fd, LOCK_UN); }

void state_file_close(StateFile *file) {
  if (file->fd >= 0) close(file->fd);  // closing gives the lock back
  file->fd = -1;
}

}  // namespace cardio
