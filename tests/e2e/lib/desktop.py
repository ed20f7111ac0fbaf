#!/usr/bin/python3
"""desktop.py RRGGBB: one window of that colour over the whole X screen, below every other,
standing in for the desktop: the root window of this Xvfb keeps its black whatever background
it is given. Prints "ready" once the window is mapped, then runs until it is killed.
Only the standard library: libX11 through ctypes."""

import ctypes
import signal
import sys

x11 = ctypes.CDLL("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultScreen.argtypes = [ctypes.c_void_p]
x11.XRootWindow.restype = ctypes.c_ulong
x11.XRootWindow.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XDisplayWidth.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XCreateSimpleWindow.restype = ctypes.c_ulong
x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                    ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong,
                                    ctypes.c_ulong]
x11.XStoreName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_char_p]
x11.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XLowerWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]


def main(arguments):
    colour = int(arguments[1], 16)  # a 24-bit TrueColor pixel is 0xRRGGBB
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("desktop.py: cannot open the display")
    screen = x11.XDefaultScreen(display)
    window = x11.XCreateSimpleWindow(display, x11.XRootWindow(display, screen), 0, 0,
                                     x11.XDisplayWidth(display, screen),
                                     x11.XDisplayHeight(display, screen), 0, colour, colour)
    x11.XStoreName(display, window, b"desktop")
    x11.XMapWindow(display, window)
    x11.XLowerWindow(display, window)
    x11.XSync(display, 0)
    print("ready", flush=True)
    # The connection must stay open, or the server destroys the window.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    while True:
        signal.pause()


if __name__ == "__main__":
    main(sys.argv)
