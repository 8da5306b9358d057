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

namespace cardio {

namespace {

const char kSystemDir[] = "/run/kestan-io";

}  // namespace

// mkdir -p, each new folder private to the user.
bool make_record_dirs(const char *path) {
  char part[512];
  if (std::snprintf(part, sizeof part, "%s", path) >= static_cast<int>(sizeof part)) return false;
  for (char *p = part + 1; *p; ++p) {
    if (*p != '/') continue;
    *p = '\0';
    if (mkdir(part, 0700) != 0 && errno != EEXIST) return false;
    *p = '/';
  }
  return mkdir(part, 0700) == 0 || errno == EEXIST;
}

void state_dir(bool simulator, char *path, size_t size) {
  const char *set = std::getenv("KESTAN_IO_STATE_DIR");
  if (set && *set) {
    std::snprintf(path, size, "%s/%s", set, simulator ? "simulator" : "hardware");
    return;
  }
  // The records of a simulated PC's cards go with that PC (its file, KESTAN_SIM_PC).
  const char *pc = simulator ? std::getenv("KESTAN_SIM_PC") : nullptr;
  if (pc && *pc) {
    std::snprintf(path, size, "%s.kestan-io", pc);
    return;
  }
  if (!simulator && make_record_dirs(kSystemDir) && access(kSystemDir, W_OK) == 0) {
    std::snprintf(path, size, "%s", kSystemDir);
    return;
  }
  const char *runtime = std::getenv("XDG_RUNTIME_DIR");
  const char *machine = simulator ? "simulator" : "hardware";
  if (runtime && *runtime)
    std::snprintf(path, size, "%s/kestan-io/%s", runtime, machine);
  else
    std::snprintf(path, size, "/tmp/kestan-io-%u/%s", static_cast<unsigned>(getuid()), machine);
}

int forget_card_records(const char *dir, int base) {
  DIR *folder = opendir(dir);
  if (!folder) return 0;
  int forgotten = 0;
  while (const dirent *entry = readdir(folder)) {
    unsigned at;
    char tail[8];
    if (std::sscanf(entry->d_name, "card-%3X.stat%1s", &at, tail) != 2 || std::strcmp(tail, "e") != 0) continue;
    if (base >= 0 && static_cast<int>(at) != base) continue;
    char path[600];
    std::snprintf(path, sizeof path, "%s/%s", dir, entry->d_name);
    int fd = open(path, O_RDWR | O_CLOEXEC);
    if (fd < 0) continue;
    // A holder (a kestan-io serve) keeps its card and its record.
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && ftruncate(fd, 0) == 0) ++forgotten;
    close(fd);
  }
  closedir(folder);
  return forgotten;
}

}  // namespace cardio
