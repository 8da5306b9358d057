#include "pc_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

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

std::string default_path() {
#ifdef _WIN32
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  if (!(ntdll && GetProcAddress(ntdll, "wine_get_version"))) {
    char folder[MAX_PATH];
    DWORD n = GetTempPathA(sizeof folder, folder);
    return (n > 0 && n < sizeof folder ? std::string(folder) : std::string(".\\")) + "kestan-sim.pc";
  }
#endif
  std::string runtime = environment("XDG_RUNTIME_DIR");
  if (!runtime.empty()) return runtime + "/kestan-sim.pc";
  std::string user = environment("USER");
  return "/tmp/kestan-sim-" + (user.empty() ? std::string("user") : user) + ".pc";
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

enum class Opened { kMapped, kMissing, kFailed };

Opened map_existing(const std::string &path, PcState **pc, std::string *error) {
  error->clear();
  HANDLE file = CreateFileA(system_path(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND) return Opened::kMissing;
    *error = last_error();
    return Opened::kFailed;
  }
  LARGE_INTEGER size;
  *pc = nullptr;
  if (GetFileSizeEx(file, &size) && size.QuadPart == static_cast<LONGLONG>(kPcBytes)) {
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, 0, nullptr);
    if (mapping) {
      *pc = static_cast<PcState *>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, kPcBytes));
      CloseHandle(mapping);  // the view keeps the mapping
    }
    if (!*pc) *error = last_error();
  } else {
    *pc = nullptr;
  }
  CloseHandle(file);
  if (!*pc && !error->empty()) return Opened::kFailed;
  return Opened::kMapped;  // *pc null: a file of the wrong size
}

void unmap(PcState *pc) { UnmapViewOfFile(pc); }

bool write_fresh(const std::string &path, const PcState &image, bool replace, std::string *error) {
  std::string target = system_path(path);
  std::string aside = target + "." + std::to_string(this_process()) + ".new";
  HANDLE file = CreateFileA(aside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    *error = last_error();
    return false;
  }
  DWORD written = 0;
  bool ok = WriteFile(file, &image, static_cast<DWORD>(kPcBytes), &written, nullptr) &&
            written == kPcBytes;
  if (!ok) *error = last_error();
  CloseHandle(file);
  if (ok && !MoveFileExA(aside.c_str(), target.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) {
    // Another process put its fresh PC in place first: use that one.
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) {
      *error = last_error();
      ok = false;
    }
  }
  DeleteFileA(aside.c_str());
  return ok;
}

#else

std::string last_error() { return std::strerror(errno); }

enum class Opened { kMapped, kMissing, kFailed };

Opened map_existing(const std::string &path, PcState **pc, std::string *error) {
  int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return Opened::kMissing;
    *error = last_error();
    return Opened::kFailed;
  }
  struct stat st;
  *pc = nullptr;
  if (fstat(fd, &st) == 0 && st.st_size == static_cast<off_t>(kPcBytes)) {
    void *at = mmap(nullptr, kPcBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (at == MAP_FAILED) {
      *error = last_error();
      close(fd);
      return Opened::kFailed;
    }
    *pc = static_cast<PcState *>(at);
  }
  close(fd);
  return Opened::kMapped;  // *pc null: a file of the wrong size
}

void unmap(PcState *pc) { munmap(pc, kPcBytes); }

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

bool write_fresh(const std::string &path, const PcState &image, bool replace, std::string *error) {
  std::string aside = path + "." + std::to_string(this_process()) + ".new";
  int fd = open(aside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error = last_error();
    return false;
  }
  bool ok = write_all(fd, &image, kPcBytes);
  if (!ok) *error = errno == 0 ? "short write" : last_error();
  if (close(fd) != 0 && ok) {
    *error = last_error();
    ok = false;
  }
  if (ok) {
    // link fails when another process put its fresh PC in place first: use that one.
    int placed = replace ? rename(aside.c_str(), path.c_str()) : link(aside.c_str(), path.c_str());
    if (placed != 0 && errno != EEXIST) {
      *error = last_error();
      ok = false;
    }
  }
  unlink(aside.c_str());
  return ok;
}

#endif

std::unique_ptr<PcState> fresh_image(FreshPc fresh) {
  std::unique_ptr<PcState> image(new PcState());  // zeroed
  if (image) fresh(*image);
  return image;
}

PcPlace private_pc(PcPlace place, FreshPc fresh, const std::string &why) {
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
  if (path.empty()) path = default_path();
  std::snprintf(place.path, sizeof place.path, "%s", path.c_str());
  std::string error;
  bool replace = false;
  for (int attempt = 0; attempt < 4; ++attempt) {
    PcState *pc = nullptr;
    switch (map_existing(path, &pc, &error)) {
      case Opened::kFailed:
        return private_pc(place, fresh, error);
      case Opened::kMapped:
        if (pc && pc_state_sound(*pc)) {
          place.pc = pc;
          place.shared = true;
          return place;
        }
        if (pc) unmap(pc);
        if (!replace)
          std::fprintf(stderr,
                       "iosim: %s is no simulated PC of this version (or it is damaged): "
                       "replaced by a fresh one\n",
                       place.path);
        replace = true;
        break;
      case Opened::kMissing:
        break;
    }
    std::unique_ptr<PcState> image = fresh_image(fresh);
    if (!image) return private_pc(place, fresh, "out of memory");
    if (!write_fresh(path, *image, replace, &error)) return private_pc(place, fresh, error);
  }
  return private_pc(place, fresh, "the file keeps changing");
}

}  // namespace sim
