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

#include "private_files.h"
#include "sim_pc.h"

namespace cardio {

namespace {

const char kHeader[] = "kestan card state 1";
// A record of the largest card (18 ports) takes about 400 bytes.
constexpr size_t kMaxText = 2048;

// Another tool's run holds the lock for milliseconds; a server holds it for
// as long as it runs. Waiting this long tells the two apart without leaving
// a caller hanging on a card that is in use.
constexpr int kLockWaitMs = 2000;
constexpr int kLockPollMs = 5;

// A file in the folder, opened without following a symlink and checked as
// the user's own; -1 with the reason in why (errno ENOENT: there is none).
int open_private(int dir, const char *name, int flags, const char *path, char *why, size_t why_size) {
  int fd = openat(dir, name, flags | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) {
    int e = errno;
    std::snprintf(why, why_size, "cannot open %s: %s", path,
                  e == ELOOP ? "it is a symlink (remove it)" : std::strerror(e));
    errno = e;
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) == 0 && sim::private_file(st, path, why, why_size)) return fd;
  close(fd);
  errno = EPERM;
  return -1;
}

// "key value" lines of a record into state; false at the first line that
// is none (its number into *bad).
bool parse_record(char *text, const char *kind, const char *machine, CardState *state, bool *ours, int *bad) {
  bool kind_matches = false, machine_matches = false;
  char *rest = nullptr;
  int number = 1;
  for (char *line = strtok_r(text, "\n", &rest); line; line = strtok_r(nullptr, "\n", &rest)) {
    ++number;
    char word[64];
    unsigned a = 0, b = 0;
    if (std::sscanf(line, "kind %15s", word) == 1) {
      kind_matches = std::strcmp(word, kind) == 0;
    } else if (std::sscanf(line, "machine %63s", word) == 1) {
      machine_matches = std::strcmp(word, machine) == 0;
    } else if (std::sscanf(line, "port %u 0x%x", &a, &b) == 2 && a < kMaxPorts && b <= 0xFF) {
      state->known_ports |= 1u << a;
      state->outputs[a] = static_cast<uint8_t>(b);
    } else if (std::sscanf(line, "output-groups 0x%x", &a) == 1) {
      state->output_groups = a;
    } else {
      *bad = number;
      return false;
    }
  }
  *ours = kind_matches && machine_matches;
  return true;
}

}  // namespace

bool state_file_open(StateFile *file, bool simulator, Kind kind, int base, char *why, size_t why_size) {
  char dir_path[512], name[32], lock_path[600];
  file->dir = open_state_dir(simulator, dir_path, sizeof dir_path, why, why_size);
  if (file->dir < 0) return false;
  file->kind = kind;
  file->base = base;
  file->simulator = simulator;
  record_name(base, name, sizeof name);
  std::snprintf(file->path, sizeof file->path, "%s/%s", dir_path, name);
  record_lock_name(base, name, sizeof name);
  std::snprintf(lock_path, sizeof lock_path, "%s/%s", dir_path, name);
  file->fd = open_private(file->dir, name, O_RDWR | O_CREAT, lock_path, why, why_size);
  if (file->fd >= 0 && state_file_lock(*file)) return true;
  file->in_use = file->fd >= 0 && errno == EWOULDBLOCK;
  if (file->in_use)
    std::snprintf(why, why_size, "the card at %03XH is in use: another program holds %s (a kestan-io serve holds it while it runs)",
                  static_cast<unsigned>(base), lock_path);
  else if (file->fd >= 0)
    std::snprintf(why, why_size, "cannot lock %s: %s", lock_path, std::strerror(errno));
  state_file_close(file);
  return false;
}

Record state_file_load(const StateFile &file, CardState *state, char *why, size_t why_size) {
  *state = CardState{};
  char name[32];
  record_name(file.base, name, sizeof name);
  int fd = open_private(file.dir, name, O_RDONLY, file.path, why, why_size);
  if (fd < 0) return errno == ENOENT ? Record::kNone : Record::kDamaged;
  char text[kMaxText + 1];
  ssize_t n = pread(fd, text, kMaxText + 1, 0);
  close(fd);
  if (n <= 0) return Record::kNone;
  const size_t header = sizeof kHeader - 1;
  int bad = 1;
  bool ours = false;
  CardState read{};
  char machine[96];
  machine_id(file.simulator, machine, sizeof machine);
  if (static_cast<size_t>(n) <= kMaxText) {
    text[n] = '\0';
    if (std::strncmp(text, kHeader, header) == 0 && text[header] == '\n' &&
        parse_record(text + header + 1, kind_info(file.kind).name, machine, &read, &ours, &bad)) {
      read.held_by_card = true;  // this machine, this boot: as the card was left
      if (ours) *state = read;
      return ours ? Record::kLoaded : Record::kNone;
    }
    std::snprintf(why, why_size, "the record %s is damaged (line %d): not used", file.path, bad);
  } else {
    std::snprintf(why, why_size, "the record %s is damaged (longer than %zu bytes): not used", file.path, kMaxText);
  }
  return Record::kDamaged;
}

bool state_file_save(const StateFile &file, const CardState &state) {
  char text[kMaxText], machine[96];
  machine_id(file.simulator, machine, sizeof machine);
  int n = std::snprintf(text, sizeof text, "%s\nkind %s\nmachine %s\n", kHeader, kind_info(file.kind).name, machine);
  for (int p = 0; p < kMaxPorts; ++p)
    if ((state.known_ports >> p) & 1u)
      n += std::snprintf(text + n, sizeof text - n, "port %d 0x%02X\n", p, state.outputs[p]);
  n += std::snprintf(text + n, sizeof text - n, "output-groups 0x%X\n", state.output_groups);
  char name[32], aside[64];
  record_name(file.base, name, sizeof name);
  int fd = sim::create_unique(file.dir, name, aside, sizeof aside);
  if (fd < 0) return false;
  bool ok = sim::write_all(fd, text, static_cast<size_t>(n));
  ok = close(fd) == 0 && ok && renameat(file.dir, aside, file.dir, name) == 0;
  if (!ok) unlinkat(file.dir, aside, 0);
  return ok;
}

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
  if (file->dir >= 0) close(file->dir);
  file->fd = -1;
  file->dir = -1;
}

}  // namespace cardio
