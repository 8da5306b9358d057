// Where the tools keep their records of the cards' outputs, and forgetting
// them when the cards they describe are switched off.
#include "card_records.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "private_files.h"

namespace cardio {

namespace {

const char kSystemDir[] = "/run/kestan-io";
const char kRecordPattern[] = "card-%03X.state";

const char *variable(const char *name) {
  const char *value = std::getenv(name);
  return value && *value ? value : nullptr;
}

const char *machine(bool simulator) {
  return !simulator ? "hardware" : sim_pc_private_asked() ? "private-simulator" : "simulator";
}

// The folder above the records that must be the user's own too (the
// per-user one), or "" when the user named the place.
void checked_parent(bool simulator, char *path, size_t size) {
  path[0] = '\0';
  if (variable("KESTAN_IO_STATE_DIR") || (simulator && variable("KESTAN_SIM_PC") && !sim_pc_private_asked())) return;
  if (!simulator && access(kSystemDir, W_OK) == 0) return;
  if (const char *runtime = variable("XDG_RUNTIME_DIR"))
    std::snprintf(path, size, "%s/kestan-io", runtime);
  else
    sim::user_folder_path("kestan-io", path, size);
}

// mkdir -p of the folders the user named, each new one private to the user.
void make_named_dirs(const char *path) {
  char part[512];
  if (std::snprintf(part, sizeof part, "%s", path) >= static_cast<int>(sizeof part)) return;
  for (char *p = part + 1; *p; ++p) {
    if (*p != '/') continue;
    *p = '\0';
    mkdir(part, 0700);
    *p = '/';
  }
}

}  // namespace

bool sim_pc_private_asked() {
  const char *pc = std::getenv("KESTAN_SIM_PC");
  return pc && std::strcmp(pc, "private") == 0;
}

void record_name(int base, char *name, size_t size) {
  std::snprintf(name, size, kRecordPattern, static_cast<unsigned>(base));
}

void record_lock_name(int base, char *name, size_t size) {
  std::snprintf(name, size, "card-%03X.lock", static_cast<unsigned>(base));
}

void state_dir(bool simulator, char *path, size_t size) {
  if (const char *set = variable("KESTAN_IO_STATE_DIR")) {
    std::snprintf(path, size, "%s/%s", set, machine(simulator));
    return;
  }
  // The records of a simulated PC's cards go with that PC (its file, KESTAN_SIM_PC).
  if (const char *pc = simulator && !sim_pc_private_asked() ? variable("KESTAN_SIM_PC") : nullptr) {
    std::snprintf(path, size, "%s.kestan-io", pc);
    return;
  }
  if (!simulator && (mkdir(kSystemDir, 0700) == 0 || errno == EEXIST) && access(kSystemDir, W_OK) == 0) {
    std::snprintf(path, size, "%s", kSystemDir);
    return;
  }
  char parent[512];
  checked_parent(simulator, parent, sizeof parent);
  std::snprintf(path, size, "%s/%s", parent, machine(simulator));
}

int open_state_dir(bool simulator, char *path, size_t size, char *why, size_t why_size) {
  state_dir(simulator, path, size);
  char parent[512];
  checked_parent(simulator, parent, sizeof parent);
  if (parent[0]) {
    int fd = sim::open_user_folder(parent, true, why, why_size);
    if (fd < 0) return -1;
    close(fd);
  } else if (variable("KESTAN_IO_STATE_DIR")) {
    make_named_dirs(path);
  }
  return sim::open_user_folder(path, true, why, why_size);
}

int forget_card_records(bool simulator, int base) {
  char path[512], why[640];
  int dir = open_state_dir(simulator, path, sizeof path, why, sizeof why);
  if (dir < 0) return 0;
  DIR *folder = fdopendir(dup(dir));
  int forgotten = 0;
  while (const dirent *entry = folder ? readdir(folder) : nullptr) {
    unsigned at;
    char tail[8], lock[32];
    if (std::sscanf(entry->d_name, "card-%3X.stat%1s", &at, tail) != 2 || std::strcmp(tail, "e") != 0) continue;
    if (base >= 0 && static_cast<int>(at) != base) continue;
    record_lock_name(static_cast<int>(at), lock, sizeof lock);
    int fd = openat(dir, lock, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) continue;
    // A holder (a kestan-io serve) keeps its card and its record.
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && unlinkat(dir, entry->d_name, 0) == 0) ++forgotten;
    close(fd);
  }
  if (folder) closedir(folder);
  close(dir);
  return forgotten;
}

}  // namespace cardio
