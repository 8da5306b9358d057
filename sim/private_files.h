// Files of the user's own on a machine that other users share (Linux): the
// folder a tool keeps its files in is owned by the user, writable by nobody
// else and no symlink; a file in it is opened relative to the folder with
// O_NOFOLLOW; a new file gets a unique name (O_EXCL) and is renamed into
// place, so that nobody can plant a file, a symlink or a name for it.
//
// Every refusal is one line naming the path, what is wrong and the remedy.
#ifndef KIT_SIM_PRIVATE_FILES_H
#define KIT_SIM_PRIVATE_FILES_H

#ifndef _WIN32

#include <sys/stat.h>

#include <cstddef>

namespace sim {

// The per-user folder for the tools' files: $XDG_RUNTIME_DIR when set, else
// /tmp/<prefix>-<uid> (by uid: $USER can be anything). Into path.
void user_folder_path(const char *prefix, char *path, size_t size);

// Opens the folder at path (made 0700 when missing and create is set; its
// parent must exist) and checks it through the open descriptor: a folder,
// not a symlink, owned by this user and writable by nobody else. Returns
// the descriptor (O_DIRECTORY) or -1 with the reason in why.
int open_user_folder(const char *path, bool create, char *why, size_t size);

// A file the user may trust: a regular file of the user's own that nobody
// else may read or write. False with the reason in why.
bool private_file(const struct stat &st, const char *path, char *why, size_t size);

// A new file in folder with a unique name beginning with stem (O_CREAT |
// O_EXCL | O_NOFOLLOW, mode 0600): its descriptor, or -1. Its name into name.
int create_unique(int folder, const char *stem, char *name, size_t size);

// Writes all of data to fd (false on a short write).
bool write_all(int fd, const void *data, size_t size);

}  // namespace sim

#endif

#endif
