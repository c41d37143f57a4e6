"""Holds a text on the X clipboard until killed, as another program would after a copy."""
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, Gtk  # noqa: E402

clipboard = Gtk.Clipboard.get(Gdk.SELECTION_CLIPBOARD)
clipboard.set_text(sys.argv[1], -1)
print("ready", flush=True)
Gtk.main()
