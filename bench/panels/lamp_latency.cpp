// lamp_latency: clicks a lamp of a program's window on an X display, as a
// person would (XTEST button events), and times until chosen pixels of the
// window change to the lit colour (or back), sampling them one pixel at a
// time (XGetImage) about every quarter millisecond.
//
//   lamp_latency WINDOW CLICKS CLICK_X CLICK_Y NAME X Y [NAME X Y ...]
//
// WINDOW is the X window (decimal or 0x hex); coordinates are pixels of that
// window. Each click toggles: pixel NAME is expected lit (pure red) after
// odd clicks and unlit after even ones. The time of a click is taken once
// the X server has taken the button press. Prints one line per click and,
// per pixel, the minimum, median and maximum in milliseconds, also of each
// further pixel's lag behind the first. Exit code 1 when a pixel did not
// change within 2 s.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const double kTimeoutMs = 2000.0;
const useconds_t kSampleGapUs = 250;
// Pause between clicks: not a multiple of the programs' 50 ms poll, so that
// the clicks fall at every phase of it.
const int kGapBaseMs = 230;
const int kGapSpreadMs = 50;
const int kGapStepMs = 17;
const int kMaxWatched = 8;

struct Watched {
  std::string name;
  int x, y;
  std::vector<double> ms;
};

double now_ms() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

void sleep_ms(int ms) { usleep(static_cast<useconds_t>(ms) * 1000); }

// Pure red, whatever the visual's channel layout.
bool is_lit(Display *display, Window window, int x, int y) {
  XImage *image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return false;
  unsigned long pixel = XGetPixel(image, 0, 0);
  bool lit = (pixel & image->red_mask) == image->red_mask && (pixel & image->green_mask) == 0 &&
             (pixel & image->blue_mask) == 0;
  XDestroyImage(image);
  return lit;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Presses and releases button 1 at the pointer; returns when the server
// has taken the press.
double click(Display *display) {
  XTestFakeButtonEvent(display, 1, True, CurrentTime);
  XSync(display, False);
  double at = now_ms();
  XTestFakeButtonEvent(display, 1, False, CurrentTime);
  XFlush(display);
  return at;
}

// Samples every watched pixel until each shows lit (or each shows unlit);
// records the times after the click. False on a time-out.
bool time_change(Display *display, Window window, std::vector<Watched> &watched, bool lit,
                 double clicked, std::vector<double> &times) {
  times.assign(watched.size(), -1.0);
  size_t left = watched.size();
  while (left > 0) {
    for (size_t i = 0; i < watched.size(); ++i) {
      if (times[i] >= 0 || is_lit(display, window, watched[i].x, watched[i].y) != lit) continue;
      times[i] = now_ms() - clicked;
      --left;
    }
    if (now_ms() - clicked > kTimeoutMs) return false;
    usleep(kSampleGapUs);
  }
  return true;
}

bool move_pointer(Display *display, Window window, int x, int y) {
  int root_x, root_y;
  Window child;
  if (!XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &root_x,
                             &root_y, &child))
    return false;
  XTestFakeMotionEvent(display, DefaultScreen(display), root_x, root_y, CurrentTime);
  XSync(display, False);
  return true;
}

void print_figures(const std::string &name, const std::vector<double> &ms) {
  if (ms.empty()) return;
  std::printf("%s: min %.1f ms, median %.1f ms, max %.1f ms over %zu clicks\n", name.c_str(),
              *std::min_element(ms.begin(), ms.end()), median(ms),
              *std::max_element(ms.begin(), ms.end()), ms.size());
}

// Each pixel's times, then each further pixel's lag behind the first one
// (for a lamp that follows another: the part that is not the click's own).
void print_summary(const std::vector<Watched> &watched) {
  for (const Watched &w : watched) print_figures(w.name, w.ms);
  const Watched &first = watched[0];
  for (size_t i = 1; i < watched.size(); ++i) {
    std::vector<double> lag;
    for (size_t n = 0; n < watched[i].ms.size() && n < first.ms.size(); ++n)
      lag.push_back(watched[i].ms[n] - first.ms[n]);
    print_figures(watched[i].name + " after " + first.name, lag);
  }
}

}  // namespace

int main(int argc, char **argv) {
  if (argc < 8 || (argc - 5) % 3 != 0 || (argc - 5) / 3 > kMaxWatched) {
    std::fprintf(stderr, "usage: %s WINDOW CLICKS CLICK_X CLICK_Y NAME X Y [NAME X Y ...]\n",
                 argv[0]);
    return 2;
  }
  Display *display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "lamp_latency: no display\n");
    return 2;
  }
  int event, error, major, minor;
  if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
    std::fprintf(stderr, "lamp_latency: the display has no XTEST\n");
    return 2;
  }
  Window window = std::strtoul(argv[1], nullptr, 0);
  int clicks = std::atoi(argv[2]);
  std::vector<Watched> watched;
  for (int i = 5; i + 2 < argc; i += 3)
    watched.push_back({argv[i], std::atoi(argv[i + 1]), std::atoi(argv[i + 2]), {}});

  if (!move_pointer(display, window, std::atoi(argv[3]), std::atoi(argv[4]))) {
    std::fprintf(stderr, "lamp_latency: window 0x%lx not found\n", window);
    return 2;
  }
  sleep_ms(100);
  for (const Watched &w : watched)
    if (is_lit(display, window, w.x, w.y)) {
      std::fprintf(stderr, "lamp_latency: %s is lit before the first click\n", w.name.c_str());
      return 1;
    }

  std::vector<double> times;
  for (int n = 1; n <= clicks; ++n) {
    bool lit = n % 2 == 1;
    double clicked = click(display);
    bool changed = time_change(display, window, watched, lit, clicked, times);
    std::printf("click %2d (%s):", n, lit ? "on " : "off");
    for (size_t i = 0; i < watched.size(); ++i) {
      if (times[i] < 0) {
        std::printf(" %s no change in %.0f ms", watched[i].name.c_str(), kTimeoutMs);
      } else {
        std::printf(" %s %.1f ms", watched[i].name.c_str(), times[i]);
        watched[i].ms.push_back(times[i]);
      }
    }
    std::printf("\n");
    if (!changed) {
      print_summary(watched);
      return 1;
    }
    sleep_ms(kGapBaseMs + (n * kGapStepMs) % kGapSpreadMs);
  }
  print_summary(watched);
  XCloseDisplay(display);
  return 0;
}
