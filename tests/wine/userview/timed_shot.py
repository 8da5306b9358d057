#!/usr/bin/python3
"""A screenshot of one window taken at a known moment.

    timed_shot.py WINDOW AT_MS FILE.ppm

Started ahead (starting takes long on a busy machine), it connects to the
display, says "ready" on its standard output and reads one line from its
standard input: SINCE_NS, nanoseconds of the real-time clock as
`date +%s%N` prints them. It waits until AT_MS milliseconds after that
moment, copies the window's rectangle of the screen with one XGetImage of
the root window, writes it as a binary PPM and prints "read BEGAN ENDED":
when the copy began and ended, in milliseconds after SINCE_NS. The image
tools start too slowly to say when they read the screen; this says it to
the millisecond, so a check of what the screen showed by a deadline knows
the moment it looked.
"""
import ctypes
import sys
import time


class XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, up to those read here.
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int),
        ("xoffset", ctypes.c_int), ("format", ctypes.c_int),
        ("data", ctypes.POINTER(ctypes.c_ubyte)),
        ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
        ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int),
        ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong),
        ("blue_mask", ctypes.c_ulong),
    ]


class WindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int),
                ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("rest", ctypes.c_byte * 256)]


ALL_PLANES = ctypes.c_ulong(0xFFFFFFFF)
Z_PIXMAP = 2


def load_xlib():
    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                       ctypes.POINTER(WindowAttributes)]
    x.XTranslateCoordinates.argtypes = [
        ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
        ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
        ctypes.POINTER(ctypes.c_ulong)]
    x.XGetImage.restype = ctypes.POINTER(XImage)
    x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                            ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    return x


def ppm_of(image):
    """The image as binary PPM; 24-bit TrueColor, 32 bits a pixel, as Xvfb has it."""
    img = image.contents
    if img.bits_per_pixel != 32:
        raise SystemExit("timed_shot: %d bits a pixel, expected 32" % img.bits_per_pixel)
    row_bytes = img.bytes_per_line
    raw = ctypes.string_at(img.data, row_bytes * img.height)
    out = bytearray(b"P6\n%d %d\n255\n" % (img.width, img.height))
    for y in range(img.height):
        row = raw[y * row_bytes:y * row_bytes + 4 * img.width]
        pixels = bytearray(3 * img.width)
        pixels[0::3] = row[2::4]   # red
        pixels[1::3] = row[1::4]   # green
        pixels[2::3] = row[0::4]   # blue
        out += pixels
    return bytes(out)


def main():
    if len(sys.argv) != 4:
        raise SystemExit("usage: timed_shot.py WINDOW AT_MS FILE.ppm")
    window, at_ms, path = int(sys.argv[1], 0), int(sys.argv[2]), sys.argv[3]
    x = load_xlib()
    display = x.XOpenDisplay(None)
    if not display:
        raise SystemExit("timed_shot: cannot open the display")
    root = x.XDefaultRootWindow(display)
    attributes = WindowAttributes()
    if not x.XGetWindowAttributes(display, window, ctypes.byref(attributes)):
        raise SystemExit("timed_shot: no window %#x" % window)
    left, top, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
    x.XTranslateCoordinates(display, window, root, 0, 0,
                            ctypes.byref(left), ctypes.byref(top), ctypes.byref(child))
    print("ready", flush=True)
    line = sys.stdin.readline()
    if not line.strip():
        raise SystemExit("timed_shot: no moment given")
    since_ns = int(line)
    wait = since_ns + at_ms * 1000000 - time.time_ns()
    if wait > 0:
        time.sleep(wait / 1e9)
    began = time.time_ns()
    image = x.XGetImage(display, root, left.value, top.value,
                        attributes.width, attributes.height, ALL_PLANES, Z_PIXMAP)
    ended = time.time_ns()
    if not image:
        raise SystemExit("timed_shot: XGetImage failed")
    with open(path, "wb") as f:
        f.write(ppm_of(image))
    print("read", (began - since_ns) // 1000000, (ended - since_ns) // 1000000)


main()
