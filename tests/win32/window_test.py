#!/usr/bin/env python3
"""quarnel.exe under Wine on a virtual display, driven with real input (xdotool) and read back from
the screen and from the file it saves. Exit status 77 (skipped) without Wine, Xvfb, xdotool or
ImageMagick's import.

usage: window_test.py QUARNEL_EXE QUARNEL_SHORTEN_EXE TEMPLATE SCREENSHOT_FOLDER
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

RED, BLUE, BLACK = (255, 0, 0), (0, 0, 255), (0, 0, 0)
PITCH = 10  # raster pixels from one cell to the next


def need(*programs):
    missing = [p for p in programs if not shutil.which(p)]
    if missing:
        print("skipped: needs " + ", ".join(missing))
        sys.exit(77)


class Screen:
    """A virtual display of its own, and Wine's windows on it."""

    def __init__(self):
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                                      "2600x1400x24", "-nolisten", "tcp"], pass_fds=[write],
                                     stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as number:
            os.environ["DISPLAY"] = ":" + number.readline().strip()

    def find(self, name, timeout=30):
        end = time.time() + timeout
        while time.time() < end:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                                   capture_output=True, text=True).stdout.split()
            if found:
                return found[0]
            time.sleep(0.2)
        return None

    def gone(self, name, timeout=5):
        end = time.time() + timeout
        while time.time() < end:
            if not subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                                  capture_output=True, text=True).stdout.split():
                return True
            time.sleep(0.2)
        return False

    def geometry(self, window):
        out = subprocess.run(["xdotool", "getwindowgeometry", window], capture_output=True,
                             text=True).stdout
        found = re.search(r"Position: (\d+),(\d+).*Geometry: (\d+)x(\d+)", out, re.S)
        return tuple(map(int, found.groups()))

    def pixels(self):
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"],
                              capture_output=True, check=True).stdout
        magic, size, _, rest = data.split(b"\n", 3)
        width = int(size.split()[0])
        return lambda x, y: tuple(rest[3 * (y * width + x):3 * (y * width + x) + 3])

    def close(self):
        self.xvfb.kill()


def until(condition, timeout):
    end = time.time() + timeout
    while not condition():
        if time.time() > end:
            return False
        time.sleep(0.2)
    return True


def xdo(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)
    time.sleep(0.4)


def wine(*args, **kwargs):
    return subprocess.run(["wine", *args], capture_output=True, **kwargs)


class Window:
    """quarnel.exe at a DPI, its controls where its layout puts them."""

    def __init__(self, screen, exe, template, dpi, log):
        self.screen, self.log = screen, log
        wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
             "/d", str(dpi), "/f")
        self.s = lambda length: length * dpi // 96
        self.scale = max(1, (dpi + 48) // 96)
        env = dict(os.environ, WINEDEBUG="+msgbox")
        self.process = subprocess.Popen(["wine", exe, template], stdout=subprocess.DEVNULL,
                                        stderr=open(log, "w"), env=env)

    def wait(self, name):
        self.id = self.screen.find(name)
        assert self.id, "no window named " + name
        time.sleep(1)
        self.x, self.y = self.screen.geometry(self.id)[:2]

    def box_lines(self, pixel):
        """How many of the output box's first four lines hold text (dark pixels)."""
        left = self.x + self.s(8) + 585 * self.scale + self.s(7) + self.s(4)
        top = self.y + self.s(8) + self.s(2)
        step = self.s(13)
        return sum(any(sum(pixel(x, y)) < 300 for x in range(left, left + self.s(150))
                       for y in range(top + line * step, top + (line + 1) * step))
                   for line in range(4))

    def cell(self, column, row):
        """The screen point in the middle of a cell's square."""
        at = lambda c: self.s(8) + (c * PITCH + 4) * self.scale
        return self.x + at(column), self.y + at(row)

    def button(self, left, width):
        """The middle of a control in the row below the grid, `left` from the output box's edge."""
        ox = self.s(8) + 585 * self.scale + self.s(7)
        row = self.s(8) + 511 * self.scale + self.s(7)
        return self.x + ox + self.s(left) + self.s(width) // 2, self.y + row + self.s(11)

    def click(self, point, button=1):
        xdo("mousemove", point[0], point[1], "click", button)

    def messages(self):
        with open(self.log, errors="replace") as log:
            return re.findall(r'MSGBOX_OnInit L"(.*)"', log.read())


def cells_of(template, type_key, layer):
    """The cells of a type's tile records on a layer, and its rectangle records' cells."""
    tiles, covered = set(), set()
    with open(template, newline="") as f:
        for line in f.read().split("\r\n")[2:]:
            fields = line.split()
            if len(fields) == 5 and " ".join(fields[:2]) == type_key and int(fields[4]) == layer:
                tiles.add((int(fields[2]), int(fields[3])))
            if len(fields) == 8 and fields[0] == "TILEW" and " ".join(fields[1:3]) == type_key \
                    and int(fields[7]) == layer:
                x1, x2, y1, y2 = map(int, fields[3:7])
                # A rectangle record's bounds are stored 3 below the grid's indices.
                covered |= {(x + 3, y + 3) for x in range(x1, x2 + 1) for y in range(y1, y2 + 1)}
    return tiles, covered


def checkerboard(path):
    """One type's tiles on every other cell of every layer, a layer's cells the other ones of the
    layers beside it: Auto on every layer writes a record for each of its 131,000 tiles."""
    tiles = ["14 0 %d %d %d" % (x, y, z) for z in range(101) for x in range(51) for y in range(51)
             if (x + y + z) % 2 == 0]
    with open(path, "w", newline="") as f:
        f.write("Checkerboard\r\n\r\n" + "".join(t + "\r\n" for t in tiles))
    return len(tiles)


def main():
    need("wine", "Xvfb", "xdotool", "import")
    # As cmake/wine-run runs Windows programs: a prefix of the tests' own unless one is named.
    os.environ.setdefault("WINEPREFIX", os.path.join(tempfile.gettempdir(),
                                                     "quarnel-wine-%d" % os.getuid()))
    os.environ.update(WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="C.UTF-8")
    exe, shorten, example, shots = sys.argv[1:5]
    work = tempfile.mkdtemp()
    screen = Screen()
    faults = []

    def check(ok, what):
        print(("ok   " if ok else "FAIL ") + what)
        if not ok:
            faults.append(what)

    try:
        template = os.path.join(work, "castle.tmp")
        shutil.copy(example, template)
        tiles, covered = cells_of(template, "14 0", 0)
        window = Window(screen, exe, template, 96, os.path.join(work, "wine.log"))
        window.wait("^Castle Keep")

        def colour(pixel, cell):
            return pixel(*window.cell(*cell))

        def grid_is(expected):
            pixel = screen.pixels()
            wrong = [(c, r) for c in range(51) for r in range(51)
                     if colour(pixel, (c, r)) != expected(c, r)]
            return wrong

        shown = lambda c, r: BLUE if (c, r) in covered else RED if (c, r) in tiles else BLACK
        wrong = grid_is(shown)
        check(not wrong, "go draws the first type's red squares where its tiles lie " + str(wrong[:5]))

        # A left and a right press: a blue rectangle of two rows of three red squares.
        corner = min(c for c in tiles if all((c[0] + dx, c[1] + dy) in tiles - covered
                                             for dx in range(3) for dy in range(2)))
        marked = {(corner[0] + dx, corner[1] + dy) for dx in range(3) for dy in range(2)}
        window.click(window.cell(*corner), 1)
        window.click(window.cell(corner[0] + 2, corner[1] + 1), 3)
        with_mark = lambda c, r: BLUE if (c, r) in marked else shown(c, r)
        check(not grid_is(with_mark), "a left and a right press fill the rectangle in blue")
        check(window.box_lines(screen.pixels()) == 1, "the record shows in the output box")
        xdo("key", "ctrl+z")
        # Taken back to where it was before the right press: the first corner green.
        before = lambda c, r: (0, 255, 0) if (c, r) == corner else shown(c, r)
        check(not grid_is(before), "Ctrl+Z takes the rectangle back")
        check(window.box_lines(screen.pixels()) == 0, "and its record")
        xdo("key", "ctrl+y")
        check(not grid_is(with_mark) and window.box_lines(screen.pixels()) == 1,
              "Ctrl+Y marks it again")

        # Save (Ctrl+S), into a name typed in the system's save dialog.
        saved = os.path.join(work, "saved.tmp")
        xdo("key", "ctrl+s")
        dialog = screen.find("^Save")
        check(dialog is not None, "Ctrl+S shows the save dialog")
        xdo("key", "ctrl+a")
        xdo("type", "Z:" + saved.replace("/", "\\"))
        xdo("key", "Return")
        time.sleep(1.5)
        left = min(x for x, _ in marked)
        top = min(y for _, y in marked)
        record = "TILEW 14 0 %d %d %d %d 0\r\n" % (left - 3, left - 1, top - 3, top - 2)
        records = os.path.join(work, "records.txt")
        with open(records, "w", newline="") as f:
            f.write(record)
        expected = wine(shorten, "--apply", records, template).stdout
        # The write is the save's last part of long work: it may end a moment after the dialog.
        read = lambda: open(saved, "rb").read() if os.path.exists(saved) else b""
        until(lambda: read() == expected, 10)
        written = read()
        check(written == expected and expected != b"",
              "Save writes what quarnel-shorten --apply writes with the record appended (%d and %d"
              " bytes)" % (len(written), len(expected)))
        name = subprocess.run(["xdotool", "getwindowname", window.id], capture_output=True,
                              text=True).stdout.strip()
        check(not name.endswith("*"), "the caption has no unsaved mark once saved: " + name)

        # Auto: no red square is left on the layer.
        window.click(window.button(144, 57))
        pixel = screen.pixels()
        red_left = [c for c in tiles if colour(pixel, c) == RED]
        check(not red_left and tiles, "Auto covers the layer: no red square left " + str(red_left[:5]))
        check(window.box_lines(pixel) >= 2, "Auto's records follow the first in the output box")
        name = subprocess.run(["xdotool", "getwindowname", window.id], capture_output=True,
                              text=True).stdout.strip()
        check(name.endswith(" *"), "the caption marks records not saved: " + name)
        subprocess.run(["import", "-window", window.id, os.path.join(shots, "win32-100.png")])

        # The spinner's up arrow: the layer above, where the type has more tiles.
        x, y = window.button(25, 17)
        window.click((x, y - window.s(5)))
        upper, upper_covered = cells_of(template, "14 0", 1)
        wrong = grid_is(lambda c, r: BLUE if (c, r) in upper_covered
                        else RED if (c, r) in upper else BLACK)
        check(upper and not wrong, "the spinner's up arrow shows layer 1 " + str(wrong[:5]))

        # The keyboard: Escape drops a first corner, Space sets it again, the arrows move, Enter
        # sets the second.
        free = upper - upper_covered
        start = min(c for c in free if all((c[0] + dx, c[1] + dy) in free
                                           for dx in range(3) for dy in range(2)))
        window.click(window.cell(*start))
        for key in ("Escape", "space", "Right", "Right", "Down", "Return"):
            xdo("key", key)
        keyed = {(start[0] + dx, start[1] + dy) for dx in range(3) for dy in range(2)}
        pixel = screen.pixels()
        check(all(colour(pixel, c) == BLUE for c in keyed),
              "Escape, Space, the arrows and Enter mark a rectangle from the keyboard")
        lines = window.box_lines(pixel)
        xdo("key", "ctrl+z")
        check(lines == 3 and window.box_lines(screen.pixels()) == 2,
              "Ctrl+Z takes the last of three records from the output box")

        # Closing with records not saved asks; Cancel keeps the window, Discard closes it. With no
        # window manager, a click is what activates a window for the keys.
        status_line = (window.x + window.s(20), window.y + window.s(8 + 7 + 22 + 10) + 511 * window.scale)
        window.click(status_line)
        xdo("key", "alt+F4")
        question = screen.find("^Quarnel$", timeout=5)
        check(question is not None, "closing with records not saved asks first")
        if question:
            x, y, width, height = screen.geometry(question)
            window.click((x + width - 52, y + height - 16))  # Cancel, the last answer
        check(screen.gone("^Quarnel$") and window.process.poll() is None,
              "Cancel keeps the window")
        window.click(status_line)
        xdo("key", "alt+F4")
        check(screen.find("^Quarnel$", timeout=5) is not None, "closing asks again")
        xdo("key", "shift+Tab")  # from Cancel, the default, to Discard
        xdo("key", "space")
        try:
            window.process.wait(timeout=10)
            closed = True
        except subprocess.TimeoutExpired:
            closed = False
        check(closed, "Discard closes the window")

        # A bad template: its message names the file and the line.
        bad = os.path.join(work, "bad.tmp")
        with open(bad, "w", newline="") as f:
            f.write("Bad\r\n\r\n14 0 1 1 0\r\n14 0 x 2 0\r\n")
        window = Window(screen, exe, bad, 96, os.path.join(work, "bad.log"))
        found = screen.find("^Quarnel$", timeout=30)
        for _ in range(25):  # Wine's trace of the box may come a moment after the box
            said = window.messages()
            if said:
                break
            time.sleep(0.2)
        check(found is not None and any("bad.tmp, line 4" in m for m in said),
              "a bad template's message names its line: " + repr(said))
        window.process.kill()

        # Auto on every layer of a large template: the box fills a slice at a time, read-only
        # meanwhile, while the window answers.
        board = os.path.join(work, "board.tmp")
        records = checkerboard(board)
        window = Window(screen, exe, board, 96, os.path.join(work, "board.log"))
        window.wait("^Checkerboard")
        ox = window.s(8) + 585 * window.scale + window.s(7)
        editable = lambda pixel: all(pixel(window.x + ox + window.s(176),
                                           window.y + window.s(40 + 20 * n)) == (255, 255, 255)
                                     for n in range(8))
        window.click(window.button(272, 65))
        xdo("key", "Down")
        xdo("key", "Return")  # every layer of this type
        check(until(lambda: not editable(screen.pixels()), 30), "the box is read-only while it fills")
        x, y = window.button(25, 17)
        window.click((x, y - window.s(5)))
        pixel = screen.pixels()
        layer1 = lambda c, r: BLUE if (c + r) % 2 else BLACK
        check(not editable(pixel) and all(colour(pixel, (c, r)) == layer1(c, r)
                                          for c in range(51) for r in range(51)),
              "the window answers while the box fills: the spinner shows layer 1")
        check(until(lambda: editable(screen.pixels()), 180), "the box fills, and takes typing again")

        # What the session has after the fill: none of the box's own changes was taken for typing.
        saved = os.path.join(work, "board-short.tmp")
        xdo("key", "ctrl+s")
        screen.find("^Save")
        xdo("key", "ctrl+a")
        xdo("type", "Z:" + saved.replace("/", "\\"))
        xdo("key", "Return")
        until(lambda: os.path.exists(saved), 10)
        written = open(saved, "rb").read() if os.path.exists(saved) else b""
        check(written.count(b"TILEW") == records, "Auto wrote a record for every tile")
        window.process.kill()

        # At 200 %: the same squares, twice the screen pixels, crisp.
        window = Window(screen, exe, template, 192, os.path.join(work, "wine200.log"))
        window.wait("^Castle Keep")
        pixel = screen.pixels()
        wrong = [c for c in tiles - covered if colour(pixel, c) != RED]
        check(not wrong, "at 200 % the red squares lie where twice the pitch puts them")
        x, y = window.cell(*min(tiles - covered))
        edges = [pixel(x - 4 * 2 + dx, y - 4 * 2 + dy) for dx in (0, 17) for dy in (0, 17)]
        check(all(e == RED for e in edges), "each square is whole screen pixels, unblended")
        subprocess.run(["import", "-window", window.id, os.path.join(shots, "win32-200.png")])
        window.process.kill()
    finally:
        wine("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
             "/d", "96", "/f")
        subprocess.run(["wineserver", "-k"], capture_output=True)
        screen.close()
        shutil.rmtree(work, ignore_errors=True)
    print("%d check(s) failed" % len(faults) if faults else "all checks passed")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
