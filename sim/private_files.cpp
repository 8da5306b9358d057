#ifndef _WIN32

#include "private_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace sim {

void user_folder_path(const char *prefix, char *path, size_t size) {
  const char *runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime)
    std::snprintf(path, size, "%s", runtime);
  else
    std::snprintf(path, size, "/tmp/%s-%u", prefix, static_cast<unsigned>(getuid()));
}

int open_user_folder(const char *path, bool create, char *why, size_t size) {
  if (create && mkdir(path, 0700) != 0 && errno != EEXIST) {
    std::snprintf(why, size, "cannot make the folder %s: %s", path, std::strerror(errno));
    return -1;
  }
  int fd = open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) {
    if (errno == ELOOP || errno == ENOTDIR)
      std::snprintf(why, size, "%s is no folder of yours (a symlink or a file): remove it, or name another place", path);
    else
      std::snprintf(why, size, "cannot open the folder %s: %s", path, std::strerror(errno));
    if (fd >= 0) close(fd);
    return -1;
  }
  if (st.st_uid != getuid()) {
    std::snprintf(why, size,
                  "the folder %s belongs to user %u, not to you: nothing of it is used. Remedy: have it "
                  "removed (another user may have planted it), or set XDG_RUNTIME_DIR to a folder of your own",
                  path, static_cast<unsigned>(st.st_uid));
  } else if (st.st_mode & (S_IWGRP | S_IWOTH)) {
    std::snprintf(why, size, "the folder %s may be written by other users (mode %04o): chmod 700 %s", path,
                  static_cast<unsigned>(st.st_mode & 07777), path);
  } else {
    return fd;
  }
  close(fd);
  return -1;
}

bool private_file(const struct stat &st, const char *path, char *why, size_t size) {
  if (!S_ISREG(st.st_mode))
    std::snprintf(why, size, "%s is no regular file: left as it is; name another file", path);
  else if (st.st_uid != getuid())
    std::snprintf(why, size, "%s belongs to user %u, not to you: left as it is; remove it or name another file",
                  path, static_cast<unsigned>(st.st_uid));
  else if (st.st_mode & (S_IRWXG | S_IRWXO))
    std::snprintf(why, size, "other users may use %s (mode %04o): chmod 600 %s", path,
                  static_cast<unsigned>(st.st_mode & 07777), path);
  else
    return true;
  return false;
}

int create_unique(int folder, const char *stem, char *name, size_t size) {
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    unsigned long tag = static_cast<unsigned long>(now.tv_nsec) ^ (static_cast<unsigned long>(getpid()) << 12) ^
                        (++counter * 2654435761u);
    std::snprintf(name, size, "%s.%lx.new", stem, tag);
    int fd = openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

bool write_all(int fd, const void *data, size_t size) {
  const char *p = static_cast<const char *>(data);
  while (size) {
    ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace sim

#endif
