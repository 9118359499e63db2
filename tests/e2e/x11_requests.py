#!/usr/bin/env python3
"""Two X requests the end-to-end runs need and xdotool does not make.

close <window id>
    Asks the window to close the way a window manager's close button does.
    Under a bare X server there is no window manager, and `xdotool windowclose`
    destroys the window behind the client's back instead of asking it. This
    sends the WM_DELETE_WINDOW client message, which is what the user's click
    on the close button turns into.
tray-owner
    Prints the window that owns the system tray selection of screen 0
    (_NET_SYSTEM_TRAY_S0); exits 1 while no tray has taken it. A program asks
    for the tray by this selection, so a tray counts as running once it holds it.

DISPLAY selects the server.
"""
import ctypes
import ctypes.util
import sys


class ClientMessageEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int),
        ("serial", ctypes.c_ulong),
        ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p),
        ("window", ctypes.c_ulong),
        ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int),
        ("data", ctypes.c_long * 5),
    ]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", ClientMessageEvent), ("pad", ctypes.c_long * 24)]


CLIENT_MESSAGE = 33
NO_EVENT_MASK = 0
CURRENT_TIME = 0


def open_xlib():
    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.POINTER(XEvent)]
    xlib.XFlush.argtypes = [ctypes.c_void_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xlib.XGetSelectionOwner.restype = ctypes.c_ulong
    xlib.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    display = xlib.XOpenDisplay(None)
    if not display:
        print("x11_requests.py: cannot open the display", file=sys.stderr)
        sys.exit(1)
    return xlib, display


def close(window: int) -> int:
    xlib, display = open_xlib()
    event = XEvent()
    event.xclient.type = CLIENT_MESSAGE
    event.xclient.window = window
    event.xclient.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.xclient.data[1] = CURRENT_TIME
    sent = xlib.XSendEvent(display, window, 0, NO_EVENT_MASK, ctypes.byref(event))
    xlib.XFlush(display)
    xlib.XCloseDisplay(display)
    return 0 if sent else 1


def tray_owner() -> int:
    xlib, display = open_xlib()
    owner = xlib.XGetSelectionOwner(display, xlib.XInternAtom(display, b"_NET_SYSTEM_TRAY_S0", 0))
    xlib.XCloseDisplay(display)
    if not owner:
        return 1
    print(hex(owner))
    return 0


def main() -> int:
    if len(sys.argv) == 3 and sys.argv[1] == "close":
        return close(int(sys.argv[2], 0))
    if len(sys.argv) == 2 and sys.argv[1] == "tray-owner":
        return tray_owner()
    print(__doc__.strip(), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
