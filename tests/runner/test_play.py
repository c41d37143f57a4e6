"""Playing the game for real under a private X server: keys typed as a player types them, the
saved game they leave, resuming it, and the board drawn in every look."""
import os
import struct
import subprocess
import time
import unittest

from desktop import DataHome, XServer, accessible_objects, wait_for_windows

BIN = os.environ.get("QUADRILLO_BIN", "build/release/bin/quadrillo")
ARTIFACTS = os.environ.get("QUADRILLO_ARTIFACTS", "/tmp/quadrillo-artifacts")

PUZZLE = "53..7....6..195....98....6.8...6...34..8.3..17...2...6.6....28....419..5....8..79"
JIGSAW = ("..4.5....4..52....2....419.3....75.4.57.9.34.7.24....3.351....9....73..8....3.9.. "
          "011222333001422333001442533001642553001642577811642577881644577888664577888666557")
JIGSAW_X = ("8..57.4...197........1..7.29....58.....829.....84....37.1..2........159...7.18..4 "
            "001111122000012222000111222333345555634444457633444557633687557666687777688888887")
SQUARE_X = "453.27...2....6.3....3.....8...3.57...2...8...65.4...2.....3....4.2....1...86.453"

RECORD = 5232


def read_save(path):
    """The cells (answer, marks, small) and the history fields of a saved game."""
    with open(path, "rb") as f:
        data = f.read()
    cells = []
    for k in range(81):
        c = data[k * 64:(k + 1) * 64]
        marks, answer = struct.unpack_from("<iI", c, 48)
        cells.append({"answer": struct.unpack_from("<i", c, 52)[0], "marks": struct.unpack_from("<I", c, 48)[0] & 0x3fe,
                      "small": c[56], "clue": struct.unpack_from("<I", c, 44)[0] & 1})
    assert data[RECORD:RECORD + 8] == b"QDRLSAVE", "the record is followed by the game's own part"
    version, flags, elapsed, hints, mistakes, cursor, moves = struct.unpack_from("<IIQIIII", data, RECORD + 8)
    return {"record": data[:RECORD], "cells": cells, "cursor": cursor, "moves": moves, "elapsed": elapsed,
            "kind": struct.unpack_from("<iii", data, 5184 + 36)}


def pixels(path):
    """Width, height and RGB bytes of a picture, through ImageMagick's plain PPM."""
    raw = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True, check=True).stdout
    parts = raw.split(maxsplit=4)
    return int(parts[1]), int(parts[2]), parts[4]


def share_near(path, rgb, tolerance=40, box=None):
    w, h, data = pixels(path)
    x0, y0, x1, y1 = box or (0, 0, w, h)
    hits = total = 0
    for y in range(y0, y1, 2):
        row = y * w * 3
        for x in range(x0, x1, 2):
            i = row + x * 3
            total += 1
            if abs(data[i] - rgb[0]) + abs(data[i + 1] - rgb[1]) + abs(data[i + 2] - rgb[2]) <= tolerance:
                hits += 1
    return hits / max(total, 1)


def distinct(path, box):
    w, h, data = pixels(path)
    seen = set()
    for y in range(box[1], box[3], 3):
        for x in range(box[0], box[2], 3):
            i = (y * w + x) * 3
            seen.add((data[i] >> 3, data[i + 1] >> 3, data[i + 2] >> 3))
    return len(seen)


def givens_of(path):
    try:
        save = read_save(path)
    except (OSError, AssertionError, struct.error):
        return None
    return "".join(str(save["record"][k * 64 + 40]) if save["cells"][k]["clue"] else "." for k in range(81))


class Game:
    def __init__(self, xs, home, *args, **env):
        self.xs = xs
        self.proc = subprocess.Popen([BIN] + list(args), env=xs.env(XDG_DATA_HOME=home.path, **env),
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        found = wait_for_windows(xs, "Quadrillo")
        assert found, "the window appears"
        self.window = found[0]
        time.sleep(0.3)
        # No window manager gives focus here: take it, then type through the XTEST extension.
        xs.run(["xdotool", "windowfocus", "--sync", str(self.window)])
        # A puzzle line on the command line may still be judged off the main thread (slow builds):
        # type only once it is the game in play.
        lines = [a for a in args if len(a) >= 81 and not a.startswith("-")]
        if lines:
            save = os.path.join(home.game_dir, "current.game")
            deadline = time.time() + 30
            while time.time() < deadline and givens_of(save) != lines[0][:81]:
                time.sleep(0.1)

    def keys(self, *keys):
        for k in keys:
            self.xs.run(["xdotool", "key", k])
            time.sleep(0.08)

    def quit(self):
        self.keys("ctrl+q")
        return self.proc.wait(timeout=20)

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


class PlayAndResume(unittest.TestCase):
    def setUp(self):
        self.xs = XServer()
        self.home = DataHome()
        self.games = []

    def tearDown(self):
        for g in self.games:
            g.close()
        self.xs.close()
        self.home.close()

    def start(self, *args, **env):
        g = Game(self.xs, self.home, *args, **env)
        self.games.append(g)
        return g

    def test_typed_moves_are_saved_exactly_and_resumed(self):
        g = self.start(PUZZLE)
        # The selection starts on the first empty cell, row 1 column 3 (index 2).
        g.keys("4", "Right", "shift+6", "shift+2", "l", "l", "8", "ctrl+z")
        self.assertEqual(g.quit(), 0)
        save = read_save(os.path.join(self.home.game_dir, "current.game"))
        cells = save["cells"]
        self.assertEqual((cells[2]["answer"], cells[2]["small"]), (4, 0))
        self.assertEqual((cells[3]["answer"], cells[3]["small"], cells[3]["marks"]), (0, 1, (1 << 6) | (1 << 2)))
        self.assertEqual(cells[5]["answer"], 0, "the undone 8 is gone")
        for k in range(81):
            if k not in (2, 3):
                self.assertEqual((cells[k]["answer"], cells[k]["small"]), (0, 0), "cell %d untouched" % k)
        self.assertEqual((save["moves"], save["cursor"]), (4, 3), "three moves made, one undone and kept for redo")
        self.assertEqual(save["kind"], (0, 0, save["kind"][2]))

        # Started again without arguments: the same game, with its history (redo brings the 8 back).
        g = self.start()
        g.keys("ctrl+shift+z")
        self.assertEqual(g.quit(), 0)
        again = read_save(os.path.join(self.home.game_dir, "current.game"))
        self.assertEqual(again["cells"][5]["answer"], 8)
        self.assertEqual(again["cells"][2]["answer"], 4)
        self.assertEqual(again["cells"][3]["marks"], (1 << 6) | (1 << 2))

    def test_hint_names_shows_and_applies_a_step(self):
        g = self.start(PUZZLE)
        g.keys("ctrl+h")
        time.sleep(0.3)
        g.keys("ctrl+h")
        time.sleep(0.3)
        os.makedirs(ARTIFACTS, exist_ok=True)
        self.xs.run(["import", "-window", str(g.window), os.path.join(ARTIFACTS, "hint-shown.png")])
        g.keys("ctrl+h")
        time.sleep(0.3)
        self.assertEqual(g.quit(), 0)
        save = read_save(os.path.join(self.home.game_dir, "current.game"))
        placed = [(k, c["answer"]) for k, c in enumerate(save["cells"]) if c["answer"] and not c["small"]]
        self.assertEqual(len(placed), 1, "the hint placed one digit")
        k, digit = placed[0]
        self.assertEqual(digit, int("534678912672195348198342567859761423426853791713924856961537284287419635345286179"[k]))
        self.assertEqual(save["moves"], 1)
        hints = struct.unpack_from("<I", open(os.path.join(self.home.game_dir, "current.game"), "rb").read(),
                                   RECORD + 8 + 16)[0]
        self.assertEqual(hints, 1, "the hint is counted")
        with open(os.path.join(self.home.game_dir, "statistics")) as f:
            self.assertTrue(any(line.split()[-1] == "1" for line in f), "and counted in the statistics")

    def test_a_wrong_digit_is_named_before_any_hint(self):
        g = self.start(PUZZLE)
        g.keys("1", "ctrl+h")
        time.sleep(0.3)
        g.keys("ctrl+h")  # clears it
        time.sleep(0.2)
        self.assertEqual(g.quit(), 0)
        cells = read_save(os.path.join(self.home.game_dir, "current.game"))["cells"]
        self.assertEqual(cells[2]["answer"], 0)

    def test_printing_to_a_pdf_file_holds_the_puzzle(self):
        pdf = os.path.join(self.home.path, "puzzle.pdf")
        r = subprocess.run([BIN, "--print-pdf", pdf, PUZZLE], env=self.xs.env(XDG_DATA_HOME=self.home.path),
                           capture_output=True, text=True, timeout=60)
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(pdf, "rb") as f:
            self.assertEqual(f.read(5), b"%PDF-")
        text = subprocess.run(["pdftotext", pdf, "-"], capture_output=True, text=True).stdout
        digits = "".join(ch for ch in text if ch.isdigit())
        self.assertEqual(sorted(digits), sorted(ch for ch in PUZZLE if ch != "."), "every given, none more")

    def test_a_photo_from_the_command_line_becomes_a_game_once_the_reading_is_accepted(self):
        photo = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "newspaper-photo.jpg")
        truth = ".42.....5...632.8..8..4.2...........715.6834.9.835.761.91..6.......2.19...61...5."
        g = self.start(photo)
        dialogs = wait_for_windows(self.xs, "Check the reading", seconds=30)
        self.assertTrue(dialogs, "the reading is shown for checking")
        time.sleep(1.0)  # the verdict follows the reading
        self.xs.run(["xdotool", "windowfocus", "--sync", str(dialogs[0])])
        self.xs.run(["xdotool", "key", "Return"])
        time.sleep(0.5)
        self.xs.run(["xdotool", "windowfocus", "--sync", str(g.window)])
        self.assertEqual(g.quit(), 0)
        save = read_save(os.path.join(self.home.game_dir, "current.game"))
        givens = "".join(str(save["record"][k * 64 + 40]) if save["cells"][k]["clue"] else "." for k in range(81))
        self.assertEqual(givens, truth)

    def test_a_pasted_line_starts_a_game_and_copy_gives_it_back(self):
        owner = subprocess.Popen(["/usr/bin/python3", os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                                   "clipboard_owner.py"), SQUARE_X + " x"],
                                 env=self.xs.env(), stdout=subprocess.PIPE, text=True)
        try:
            self.assertEqual(owner.stdout.readline().strip(), "ready")
            g = self.start(PUZZLE)
            g.keys("ctrl+v")
            time.sleep(1.0)
            self.assertEqual(g.quit(), 0)
        finally:
            owner.kill()
            owner.wait()
        save = read_save(os.path.join(self.home.game_dir, "current.game"))
        givens = "".join(str(save["record"][k * 64 + 40]) if save["cells"][k]["clue"] else "." for k in range(81))
        self.assertEqual(givens, SQUARE_X)
        self.assertEqual(save["kind"][:2], (0, 1), "a square game on the x rules")

    def test_a_killed_game_keeps_every_shown_move(self):
        g = self.start(PUZZLE)
        g.keys("4", "Down", "6")
        time.sleep(0.2)
        g.proc.kill()
        g.proc.wait()
        cells = read_save(os.path.join(self.home.game_dir, "current.game"))["cells"]
        self.assertEqual(cells[2]["answer"], 4)
        self.assertEqual(cells[11]["answer"], 6)

    def test_damaged_save_is_set_aside_with_a_message(self):
        os.makedirs(self.home.game_dir, exist_ok=True)
        with open(os.path.join(self.home.game_dir, "current.game"), "wb") as f:
            f.write(b"\x00" * 6000)
        g = self.start()
        self.assertEqual(g.quit(), 0)
        _, err = g.proc.communicate()
        self.assertIn("could not be read", err)
        names = os.listdir(self.home.game_dir)
        self.assertTrue([n for n in names if n.startswith("current.game.damaged-")], names)
        read_save(os.path.join(self.home.game_dir, "current.game"))  # a fresh, sound game

    def test_bad_command_line_is_reported_and_a_game_still_starts(self):
        g = self.start("12345")
        self.assertEqual(g.quit(), 0)
        _, err = g.proc.communicate()
        self.assertIn("neither a file nor a puzzle line", err)
        read_save(os.path.join(self.home.game_dir, "current.game"))

    def test_puzzle_file_and_several_solutions(self):
        path = os.path.join(self.home.path, "mine.txt")
        with open(path, "w") as f:
            f.write("# two puzzles\n%s\n%s\n" % (PUZZLE, SQUARE_X))
        g = self.start(path)
        self.assertEqual(g.quit(), 0)
        save = read_save(os.path.join(self.home.game_dir, "current.game"))
        givens = "".join(str(save["record"][k * 64 + 40]) if save["cells"][k]["clue"] else "." for k in range(81))
        self.assertEqual(givens, PUZZLE)
        g = self.start("." * 81)
        self.assertEqual(g.quit(), 0)
        _, err = g.proc.communicate()
        self.assertIn("more than one solution", err)


class Looks(unittest.TestCase):
    """Square, jigsaw and x boards in the light and the dark look, kept as pictures."""

    def setUp(self):
        self.xs = XServer()
        os.makedirs(ARTIFACTS, exist_ok=True)

    def tearDown(self):
        self.xs.close()

    def shoot(self, name, look, *args):
        home = DataHome()
        try:
            os.makedirs(home.game_dir)
            with open(os.path.join(home.game_dir, "settings"), "w") as f:
                f.write("look=%s\n" % look)
            g = Game(self.xs, home, *args)
            g.keys("5", "Down", "shift+1", "shift+9")
            time.sleep(0.3)
            path = os.path.join(ARTIFACTS, "%s-%s.png" % (name, look))
            self.xs.run(["import", "-window", str(g.window), path])
            g.quit()
            return path
        finally:
            home.close()

    def check(self, path, look, jigsaw=False, x=False):
        board = (10, 56, 930, 710)  # the board's side of the window at 1280 x 720
        given = (20, 20, 26) if look == "light" else (240, 240, 245)
        self.assertGreater(share_near(path, given, box=board), 0.01, "given digits are drawn")
        answer = (26, 84, 204) if look == "light" else (122, 181, 255)
        self.assertGreater(share_near(path, answer, box=board), 0.0001, "the player's digit is drawn")
        self.assertGreater(distinct(path, board), 6 if not jigsaw else 12)
        background = (237, 237, 235) if look == "light" else (31, 31, 33)
        self.assertGreater(share_near(path, background, 12, (0, 0, 1280, 720)), 0.02)

    def test_square_jigsaw_and_x_in_both_looks(self):
        for look in ("light", "dark"):
            self.check(self.shoot("square", look, PUZZLE), look)
            self.check(self.shoot("jigsaw", look, JIGSAW), look, jigsaw=True)
            self.check(self.shoot("jigsaw-x", look, "-x", JIGSAW_X), look, jigsaw=True, x=True)
            self.check(self.shoot("square-x", look, "-x", SQUARE_X), look, x=True)


if __name__ == "__main__":
    unittest.main()


class Accessibility(unittest.TestCase):
    """What assistive technology reads: a table of 81 cells, each with its row, column and content,
    kept up to date as the player types. Runs inside its own session bus (dbus-run-session)."""

    def test_cells_are_read_with_row_column_and_content(self):
        import pyatspi  # the system's AT-SPI bindings

        xs = XServer()
        home = DataHome()
        game = None
        try:
            env = {"NO_AT_BRIDGE": "0", "GTK_MODULES": "gail:atk-bridge"}
            game = Game(xs, home, PUZZLE, **env)

            def board():
                return next((o for o in accessible_objects()
                             if o.getRoleName() == "table" and o.name == "Sudoku board"), None)

            table = None
            for _ in range(100):
                table = board()
                if table:
                    break
                time.sleep(0.1)
            self.assertIsNotNone(table, "the board is exposed as a table")
            self.assertEqual(table.childCount, 81)
            self.assertEqual(table[0].name, "Row 1, column 1: 5, given")
            self.assertEqual(table[0].getRoleName(), "table cell")
            self.assertEqual(table[2].name, "Row 1, column 3: empty")
            self.assertTrue(table[2].getState().contains(pyatspi.STATE_SELECTED), "the first empty cell is selected")
            game.keys("4", "Right", "shift+6", "shift+2")
            deadline = time.time() + 5
            while time.time() < deadline and table[3].name != "Row 1, column 4: marks 2 6":
                time.sleep(0.1)
            self.assertEqual(table[2].name, "Row 1, column 3: 4")
            self.assertEqual(table[3].name, "Row 1, column 4: marks 2 6")
            self.assertEqual(game.quit(), 0)
        finally:
            if game:
                game.close()
            xs.close()
            home.close()
