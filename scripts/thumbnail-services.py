#!/usr/bin/python3
"""Has a desktop's thumbnail service make the preview of a video, as a file manager would,
and writes it as OUTPUT. Used by scripts/install-check.sh on the installed package.

    thumbnail-services.py gnome VIDEO OUTPUT     GNOME's thumbnail factory (gnome-desktop)
    thumbnail-services.py tumbler VIDEO OUTPUT   tumbler, over the D-Bus session bus

Both run the thumbnailer entries of /usr/share/thumbnailers; the video must be one that
only trovelle.thumbnailer handles (video/mp4 here).
"""
import hashlib
import shutil
import sys

import gi

gi.require_version("GdkPixbuf", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

MIME_TYPE = "video/mp4"
TIMEOUT_SECONDS = 60


def gnome(uri, output):
    gi.require_version("GnomeDesktop", "3.0")
    from gi.repository import GnomeDesktop

    factory = GnomeDesktop.DesktopThumbnailFactory.new(GnomeDesktop.DesktopThumbnailSize.NORMAL)
    if not factory.can_thumbnail(uri, MIME_TYPE, 0):
        sys.exit(f"GNOME's thumbnail factory has no thumbnailer for {MIME_TYPE}")
    pixbuf = factory.generate_thumbnail(uri, MIME_TYPE, None)
    if pixbuf is None:
        sys.exit("GNOME's thumbnail factory made no preview")
    pixbuf.savev(output, "png", [], [])


def tumbler(uri, output):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    thumbnailer = Gio.DBusProxy.new_sync(
        bus, Gio.DBusProxyFlags.NONE, None,
        "org.freedesktop.thumbnails.Thumbnailer1",
        "/org/freedesktop/thumbnails/Thumbnailer1",
        "org.freedesktop.thumbnails.Thumbnailer1", None)
    loop = GLib.MainLoop()
    outcome = {}

    def on_signal(_proxy, _sender, name, parameters):
        if name == "Ready":
            outcome["ready"] = True
        elif name == "Error":
            outcome["error"] = parameters.unpack()[3]
        elif name == "Finished":
            loop.quit()

    thumbnailer.connect("g-signal", on_signal)
    thumbnailer.call_sync("Queue", GLib.Variant("(asasssu)", ([uri], [MIME_TYPE], "normal", "default", 0)),
                          Gio.DBusCallFlags.NONE, -1, None)

    def on_timeout():
        outcome.setdefault("error", f"no answer in {TIMEOUT_SECONDS} s")
        loop.quit()
        return GLib.SOURCE_REMOVE

    GLib.timeout_add_seconds(TIMEOUT_SECONDS, on_timeout)
    loop.run()
    if "ready" not in outcome:
        # When an entry fails, tumbler goes on to its own thumbnailers (GStreamer's hangs
        # where no GStreamer plugin is installed), so a failure may show as no answer.
        sys.exit(f"tumbler made no preview: {outcome.get('error', 'it finished without one')}")
    cache = GLib.get_user_cache_dir()
    shutil.copyfile(f"{cache}/thumbnails/normal/{hashlib.md5(uri.encode()).hexdigest()}.png", output)


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("gnome", "tumbler"):
        sys.exit(__doc__)
    service, video, output = sys.argv[1:]
    uri = Gio.File.new_for_path(video).get_uri()
    {"gnome": gnome, "tumbler": tumbler}[service](uri, output)


if __name__ == "__main__":
    main()
