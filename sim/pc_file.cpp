#include "pc_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "pc_fault.h"
#include "private_files.h"
#include "process_id.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace sim {

namespace {

constexpr size_t kPcBytes = sizeof(PcState);
const char kPcName[] = "kestan-sim.pc";

std::string environment(const char *name) {
#ifdef _WIN32
  char value[512];
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
#else
  const char *value = std::getenv(name);
  return value ? value : "";
#endif
}

// Why a file cannot be used, or the step that failed.
struct Refusal {
  std::string why;
};

// The outcome of one look at the path.
enum class Found { kMapped, kMissing, kReplace, kRefused };

void retire(PcState *pc) { __atomic_store_n(&pc->header.retired, 1u, __ATOMIC_RELEASE); }

bool signed_as_pc(const void *head, size_t n) {
  uint32_t magic = 0;
  if (n < sizeof magic) return false;
  std::memcpy(&magic, head, sizeof magic);
  return magic == kPcMagic;
}

#ifdef _WIN32

// A Linux path reaches the host's file system through Wine's Z: drive.
std::string system_path(const std::string &path) {
  if (path.empty() || path[0] != '/') return path;
  std::string p = "Z:" + path;
  for (char &c : p)
    if (c == '/') c = '\\';
  return p;
}

std::string last_error() {
  char text[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(),
                 0, text, sizeof text, nullptr);
  size_t n = std::strlen(text);
  while (n && (text[n - 1] == '\n' || text[n - 1] == '\r' || text[n - 1] == '.')) text[--n] = '\0';
  return text[0] ? text : "error " + std::to_string(GetLastError());
}

std::string default_path() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!(ntdll && GetProcAddress(ntdll, "wine_get_version"))) {
    char folder[MAX_PATH];
    DWORD n = GetTempPathA(sizeof folder, folder);
    return (n > 0 && n < sizeof folder ? std::string(folder) : std::string(".\\")) + kPcName;
  }
  // The native programs' place; their first run makes and checks the folder.
  std::string runtime = environment("XDG_RUNTIME_DIR");
  if (!runtime.empty()) return runtime + "/" + kPcName;
  const std::string folder = "/tmp/kestan-sim-" + std::to_string(linux_user());
  CreateDirectoryA(system_path(folder).c_str(), nullptr);
  return folder + "/" + kPcName;
}

bool same_file(HANDLE file, uint64_t *device, uint64_t *id) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return false;
  *device = info.dwVolumeSerialNumber;
  *id = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

Found look(PcPlace *place, PcState **pc, Refusal *r) {
  HANDLE file = CreateFileA(system_path(place->path).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND) return Found::kMissing;
    r->why = e == ERROR_PATH_NOT_FOUND ? "its folder does not exist: make it or name another file" : last_error();
    return Found::kRefused;
  }
  LARGE_INTEGER size{};
  char head[4] = {};
  DWORD got = 0;
  bool disk = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size);
  bool is_pc = disk && ReadFile(file, head, sizeof head, &got, nullptr) && signed_as_pc(head, got);
  Found found = Found::kRefused;
  if (!is_pc) {
    r->why = "it is no simulated PC: left as it is; name another file";
  } else if (size.QuadPart != static_cast<LONGLONG>(kPcBytes)) {
    found = Found::kReplace;
  } else if (HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, nullptr)) {
    *pc = static_cast<PcState *>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kPcBytes));
    CloseHandle(mapping);  // the view keeps the mapping
    if (*pc) same_file(file, &place->device, &place->file);
    found = *pc ? Found::kMapped : Found::kRefused;
    if (!*pc) r->why = last_error();
  } else {
    r->why = last_error();
  }
  CloseHandle(file);
  return found;
}

void unmap(PcState *pc) { UnmapViewOfFile(pc); }

// Security that lets this user alone in. Wine makes a file's Unix mode from
// the access list it is created with: this one gives 0640 under umask 022
// (Wine gives the user's group what it gives the user), which the native
// programs then narrow to the 0600 they require of a PC they map.
struct OwnerOnly {
  SECURITY_ATTRIBUTES attributes{};
  SECURITY_DESCRIPTOR descriptor{};
  alignas(DWORD) char acl[256] = {};
  alignas(DWORD) char user[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)] = {};

  SECURITY_ATTRIBUTES *make() {
    HANDLE token = nullptr;
    DWORD size = 0;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return nullptr;
    bool got = GetTokenInformation(token, TokenUser, user, sizeof user, &size);
    CloseHandle(token);
    PACL list = reinterpret_cast<PACL>(acl);
    if (!got || !InitializeAcl(list, sizeof acl, ACL_REVISION) ||
        !AddAccessAllowedAce(list, ACL_REVISION, FILE_GENERIC_READ | FILE_GENERIC_WRITE,
                             reinterpret_cast<TOKEN_USER *>(user)->User.Sid) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, list, FALSE))
      return nullptr;
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = &descriptor;
    return &attributes;
  }
};

bool write_fresh(const PcPlace &place, const PcState &image, bool replace, Refusal *r) {
  std::string target = system_path(place.path);
  std::string aside;
  OwnerOnly security;
  SECURITY_ATTRIBUTES *attributes = security.make();
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    aside = target + "." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(GetTickCount() + attempt) + ".new";
    file = CreateFileA(aside.c_str(), GENERIC_WRITE, 0, attributes, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (file == INVALID_HANDLE_VALUE) {
    r->why = last_error();
    return false;
  }
  DWORD written = 0;
  bool ok = WriteFile(file, &image, static_cast<DWORD>(kPcBytes), &written, nullptr) && written == kPcBytes;
  if (!ok) r->why = last_error();
  CloseHandle(file);
  if (ok && !MoveFileExA(aside.c_str(), target.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) {
    // Another process put its fresh PC in place first: use that one.
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) {
      r->why = last_error();
      ok = false;
    }
  }
  DeleteFileA(aside.c_str());
  return ok;
}

#else

std::string last_error() { return std::strerror(errno); }

std::string default_path() {
  char folder[512];
  user_folder_path("kestan-sim", folder, sizeof folder);
  return std::string(folder) + "/" + kPcName;
}

// The folder of the file: the user's own checked folder for the default
// place, the folder named for KESTAN_SIM_PC (never made).
int open_folder(const PcPlace &place, bool named, std::string *name, Refusal *r) {
  std::string path = place.path;
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  *name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (!named) {
    char why[640];
    int fd = open_user_folder(dir.c_str(), true, why, sizeof why);
    if (fd < 0) r->why = why;
    return fd;
  }
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0)
    r->why = errno == ENOENT ? "its folder " + dir + " does not exist: make it or name another file" : last_error();
  return fd;
}

// A PC of one's own that nobody else could write (one a Win32 program made
// under Wine) is narrowed to the user alone.
void narrow_to_owner(int fd, struct stat *st) {
  if ((st->st_mode & (S_IWGRP | S_IWOTH)) == 0 && (st->st_mode & 077) != 0 && fchmod(fd, 0600) == 0)
    st->st_mode = (st->st_mode & ~07777) | 0600;
}

Found map_file(int fd, const struct stat &st, PcPlace *place, PcState **pc, Refusal *r) {
  void *at = mmap(nullptr, kPcBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (at == MAP_FAILED) {
    r->why = last_error();
    return Found::kRefused;
  }
  *pc = static_cast<PcState *>(at);
  place->device = st.st_dev;
  place->file = st.st_ino;
  return Found::kMapped;
}

Found look_at(int folder, const std::string &name, PcPlace *place, PcState **pc, Refusal *r) {
  int fd = openat(folder, name.c_str(), O_RDWR | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return Found::kMissing;
    r->why = errno == ELOOP ? "it is a symlink: left as it is; name the file itself" : last_error();
    return Found::kRefused;
  }
  struct stat st;
  char why[640], head[4];
  Found found = Found::kRefused;
  if (fstat(fd, &st) != 0) {
    r->why = last_error();
    close(fd);
    return found;
  }
  // Only a regular file of one's own is read at all.
  const bool own = S_ISREG(st.st_mode) && st.st_uid == getuid();
  if (own && !signed_as_pc(head, pread(fd, head, sizeof head, 0) == sizeof head ? sizeof head : 0)) {
    r->why = "it is no simulated PC: left as it is; name another file";
    close(fd);
    return Found::kRefused;
  }
  if (own) narrow_to_owner(fd, &st);
  if (!private_file(st, place->path, why, sizeof why))
    r->why = why;
  else if (st.st_size != static_cast<off_t>(kPcBytes))
    found = Found::kReplace;
  else
    found = map_file(fd, st, place, pc, r);
  close(fd);
  return found;
}

Found look(PcPlace *place, PcState **pc, Refusal *r, bool named) {
  std::string name;
  int folder = open_folder(*place, named, &name, r);
  if (folder < 0) return Found::kRefused;
  Found found = look_at(folder, name, place, pc, r);
  close(folder);
  return found;
}

void unmap(PcState *pc) { munmap(pc, kPcBytes); }

bool write_fresh(const PcPlace &place, const PcState &image, bool replace, Refusal *r, bool named) {
  std::string name;
  int folder = open_folder(place, named, &name, r);
  if (folder < 0) return false;
  char aside[600];
  int fd = create_unique(folder, name.c_str(), aside, sizeof aside);
  bool ok = fd >= 0 && write_all(fd, &image, kPcBytes);
  if (!ok) r->why = last_error();
  if (fd >= 0 && close(fd) != 0 && ok) {
    r->why = last_error();
    ok = false;
  }
  if (ok) {
    // linkat fails when another process put its fresh PC in place first: use that one.
    int placed = replace ? renameat(folder, aside, folder, name.c_str())
                         : linkat(folder, aside, folder, name.c_str(), 0);
    if (placed != 0 && errno != EEXIST) {
      r->why = last_error();
      ok = false;
    }
  }
  if (fd >= 0) unlinkat(folder, aside, 0);
  close(folder);
  return ok;
}

#endif

std::unique_ptr<PcState> fresh_image(FreshPc fresh) {
  std::unique_ptr<PcState> image(new PcState());  // zeroed
  if (image) fresh(*image);
  return image;
}

PcPlace private_pc(PcPlace place, FreshPc fresh, const std::string &why) {
  if (!place.asked_private)
    std::fprintf(stderr, "iosim: cannot use the simulated PC %s (%s): this process runs a private one\n",
                 place.path, why.c_str());
  place.pc = fresh_image(fresh).release();
  place.shared = false;
  return place;
}

}  // namespace

PcPlace open_pc(FreshPc fresh) {
  PcPlace place{};
  std::string path = environment(kPcVariable);
  const bool named = !path.empty();
  place.asked_private = path == kPrivatePc;
  if (place.asked_private) return private_pc(place, fresh, "");
  if (!named) path = default_path();
  std::snprintf(place.path, sizeof place.path, "%s", path.c_str());
  Refusal refusal;
  bool replace = false;
  for (int attempt = 0; attempt < 4; ++attempt) {
    PcState *pc = nullptr;
#ifdef _WIN32
    (void)named;
    Found found = look(&place, &pc, &refusal);
#else
    Found found = look(&place, &pc, &refusal, named);
#endif
    if (found == Found::kRefused) return private_pc(place, fresh, refusal.why);
    if (found == Found::kMapped && pc_state_sound(*pc)) {
      place.pc = pc;
      place.shared = true;
      watch_pc_mapping(pc, kPcBytes, place.path);
      return place;
    }
    if (found != Found::kMissing) {
      if (!replace)
        std::fprintf(stderr,
                     "iosim: %s is no simulated PC of this version (or it is damaged): "
                     "replaced by a fresh one\n",
                     place.path);
      replace = true;
    }
    std::unique_ptr<PcState> image = fresh_image(fresh);
    if (!image) {
      if (pc) unmap(pc);
      return private_pc(place, fresh, "out of memory");
    }
#ifdef _WIN32
    bool written = write_fresh(place, *image, replace, &refusal);
#else
    bool written = write_fresh(place, *image, replace, &refusal, named);
#endif
    if (found == Found::kMapped) {
      // Once the fresh one is in place, whoever still runs on this one moves to it.
      if (written) retire(pc);
      unmap(pc);
    }
    if (!written) return private_pc(place, fresh, refusal.why);
  }
  return private_pc(place, fresh, "the file keeps changing");
}

bool pc_file_current(const PcPlace &place) {
  if (!place.shared) return true;
  if (__atomic_load_n(&place.pc->header.retired, __ATOMIC_ACQUIRE)) return false;
#ifdef _WIN32
  HANDLE file = CreateFileA(system_path(place.path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  uint64_t device = 0, id = 0;
  bool same = same_file(file, &device, &id) && device == place.device && id == place.file;
  CloseHandle(file);
  return same;
#else
  struct stat st;
  return fstatat(AT_FDCWD, place.path, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == place.device &&
         st.st_ino == place.file;
#endif
}

void pc_failed(const char *what) {
  std::fprintf(stderr, "iosim: %s\n", what);
  std::fflush(stderr);
#ifdef _WIN32
  ExitProcess(kPcFailedStatus);
#else
  _exit(kPcFailedStatus);
#endif
}

}  // namespace sim
