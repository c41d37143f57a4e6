"""The installed program: `cmake --install` into a temporary prefix, then the game and quorvel run
from there with no build tree on their paths, the desktop files validated, the translation shown,
the manuals and the completion checked against the program; and the Debian package linted."""
import glob
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest
import xml.etree.ElementTree as ET

from desktop import DataHome, XServer, accessible_objects, wait_for_windows
import screenshots
from test_play import PUZZLE

BUILD = os.environ.get("QUADRILLO_BUILD_DIR", "../../build/release")
SOURCE = os.environ.get("QUADRILLO_SOURCE_DIR", "../..")
ARTIFACTS = os.environ.get("QUADRILLO_ARTIFACTS", "/tmp/quadrillo-artifacts")
APP_ID = "org.quadrillo.quadrillo"
COMMANDS = ["generate", "classify", "solve", "hint", "transform", "bench", "ocr", "harvest", "album"]


def clean_env(**extra):
    """The environment without anything that could lead a program back to the build tree."""
    e = {k: v for k, v in os.environ.items()
         if k not in ("QUADRILLO_ENGINE", "SUDOKU_GROUP_MAPS_DIR", "LD_LIBRARY_PATH", "LANGUAGE", "LC_ALL",
                      "LC_MESSAGES")}
    e["PATH"] = "/usr/bin:/bin"
    e["LANG"] = "C.UTF-8"
    e["LC_MESSAGES"] = "C.UTF-8"  # not plain C, where gettext ignores LANGUAGE
    e.update(extra)
    return e


def run(args, **kw):
    return subprocess.run(args, capture_output=True, text=True, timeout=120, **kw)


class InstalledPrefix:
    """A fresh install into a temporary prefix for each suite."""

    @classmethod
    def setUpClass(cls):
        cls.prefix = tempfile.mkdtemp(prefix="quadrillo-prefix-")
        r = run(["cmake", "--install", BUILD, "--prefix", cls.prefix])
        if r.returncode != 0:
            raise AssertionError("cmake --install failed:\n" + r.stdout + r.stderr)
        cls.bin = os.path.join(cls.prefix, "bin")
        cls.share = os.path.join(cls.prefix, "share")
        cls.build = os.path.realpath(BUILD)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.prefix, ignore_errors=True)

    def start_game(self, xs, home, *args, **env):
        return subprocess.Popen([os.path.join(self.bin, "quadrillo")] + list(args), cwd=self.prefix,
                                env=xs.env(**clean_env(XDG_DATA_HOME=home.path, **env)),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)


class Installed(InstalledPrefix, unittest.TestCase):
    def quorvel(self, *args):
        return run([os.path.join(self.bin, "quorvel")] + list(args), env=clean_env(), cwd=self.prefix)

    def test_layout_has_every_part_and_no_run_path_into_the_build(self):
        for part in ("bin/quadrillo", "bin/quorvel", "lib/quadrillo/libquorvel.so",
                     "share/quadrillo/group_maps/mir01.z", "share/quadrillo/group_maps/starter.z",
                     "share/quadrillo/help/index.html", "share/locale/de/LC_MESSAGES/quadrillo.mo",
                     "share/applications/%s.desktop" % APP_ID, "share/metainfo/%s.metainfo.xml" % APP_ID,
                     "share/icons/hicolor/scalable/apps/%s.svg" % APP_ID,
                     "share/icons/hicolor/symbolic/apps/%s-symbolic.svg" % APP_ID,
                     "share/mime/packages/%s.xml" % APP_ID, "share/man/man6/quadrillo.6.gz",
                     "share/man/man1/quorvel.1.gz", "share/bash-completion/completions/quorvel"):
            self.assertTrue(os.path.exists(os.path.join(self.prefix, part)), part)
        shipped = {os.path.basename(p) for p in glob.glob(os.path.join(SOURCE, "data/maps/*.z"))} | {"starter.z"}
        installed = {os.path.basename(p) for p in glob.glob(os.path.join(self.share, "quadrillo/group_maps/*"))}
        self.assertEqual(installed, shipped)
        for program in ("quadrillo", "quorvel"):
            dynamic = run(["readelf", "-d", os.path.join(self.bin, program)]).stdout
            self.assertNotIn(self.build, dynamic)
            self.assertIn("$ORIGIN/../lib/quadrillo", dynamic)
        # The icons are well-formed pictures of the sizes their folders promise.
        for icon, size in (("scalable/apps/%s.svg" % APP_ID, "128"), ("symbolic/apps/%s-symbolic.svg" % APP_ID, "16")):
            root = ET.parse(os.path.join(self.share, "icons/hicolor", icon)).getroot()
            self.assertEqual((root.get("width"), root.get("height")), (size, size))

    def test_desktop_entry_and_metadata_validate_and_agree(self):
        entry = os.path.join(self.share, "applications", APP_ID + ".desktop")
        r = run(["desktop-file-validate", entry])
        self.assertEqual((r.returncode, r.stdout + r.stderr), (0, ""))
        metainfo = os.path.join(self.share, "metainfo", APP_ID + ".metainfo.xml")
        r = run(["appstreamcli", "validate", "--no-net", "--pedantic", metainfo])
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        with open(entry) as f:
            fields = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
        self.assertEqual(fields["Exec"], "quadrillo %f")
        self.assertTrue(os.access(os.path.join(self.bin, fields["Exec"].split()[0]), os.X_OK))
        self.assertEqual(fields["Icon"], APP_ID)
        self.assertIn("Game;", fields["Categories"])
        self.assertIn("image/png", fields["MimeType"])
        # The file type the entry claims is the one the package defines.
        mime = ET.parse(os.path.join(self.share, "mime/packages", APP_ID + ".xml")).getroot()
        for t in mime:
            self.assertIn(t.get("type"), fields["MimeType"])
        # Every screenshot the metadata names is one the suite made and the checkout ships.
        root = ET.parse(metainfo).getroot()
        self.assertEqual(root.findtext("launchable"), APP_ID + ".desktop")
        images = [i.text for i in root.iter("image")]
        self.assertTrue(images)
        for url in images:
            name = url.rsplit("/", 1)[1]
            self.assertIn(name[:-4], [s[0] for s in screenshots.SHOTS])
            self.assertTrue(os.path.exists(os.path.join(SOURCE, "data", "screenshots", name)), name)

    def test_installed_quorvel_finds_the_library_and_the_maps(self):
        r = self.quorvel("generate", "--quality", "1", "--map", "jigsaw", "-x", "--seed", "5")
        self.assertEqual(r.returncode, 0, r.stderr)
        clues, groups = r.stdout.split()
        self.assertEqual(len(clues), 81)
        self.assertTrue(re.fullmatch(r"[0-8]{81}", groups), "a jigsaw map, so the map files were read")
        r = self.quorvel("album", "list", os.path.join(self.share, "quadrillo/group_maps/starter.z"))
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertGreater(len(r.stdout.splitlines()), 100)
        ldd = run(["ldd", os.path.join(self.bin, "quorvel")]).stdout
        self.assertIn(os.path.join(self.prefix, "bin/../lib/quadrillo/libquorvel.so"), ldd)

    def test_manual_pages_render_and_name_every_option(self):
        pages = {}
        for page in ("man6/quadrillo.6.gz", "man1/quorvel.1.gz"):
            r = run(["man", "--warnings", "-l", os.path.join(self.share, "man", page)],
                    env=clean_env(MANWIDTH="100"))
            self.assertEqual(r.returncode, 0)
            self.assertEqual(r.stderr, "", page)
            pages[page] = r.stdout.replace("\u2010", "-")
        quorvel_page = pages["man1/quorvel.1.gz"]
        for command in COMMANDS:
            self.assertIn(command, quorvel_page)
            usage = self.quorvel(command, "--help").stdout
            for option in sorted(set(re.findall(r"(?<![\w-])--[a-z][a-z-]*", usage))):
                self.assertIn(option, quorvel_page, "quorvel %s %s is in the manual" % (command, option))
        for option in ("-x", "--print-pdf"):
            self.assertIn(option, pages["man6/quadrillo.6.gz"])

    def test_bash_completion_offers_commands_and_values(self):
        script = os.path.join(self.share, "bash-completion/completions/quorvel")

        def complete(*words):
            line = "quorvel " + " ".join(words)
            shell = ("source /usr/share/bash-completion/bash_completion; source %s; "
                     "COMP_WORDS=(quorvel %s); COMP_CWORD=%d; COMP_LINE='%s'; COMP_POINT=${#COMP_LINE}; "
                     "_quorvel; printf '%%s\\n' \"${COMPREPLY[@]}\"") % (
                         script, " ".join("'%s'" % w for w in words), len(words), line)
            return run(["bash", "-c", shell]).stdout.split()

        self.assertEqual(complete(""), sorted(COMMANDS + ["--help"], key=(COMMANDS + ["--help"]).index))
        self.assertEqual(complete("generate", "--map", ""), ["square", "jigsaw"])
        self.assertEqual(complete("classify", "-a", ""), ["regular", "x"])
        self.assertIn("--quality", complete("generate", "--q"))
        self.assertEqual(complete("album", ""), ["write", "list"])
        # Every option a command's usage names is offered.
        for command in COMMANDS:
            usage = self.quorvel(command, "--help").stdout
            offered = set(complete(command, "-"))
            if command == "album":
                offered = set(complete(command, "write", "-")) | set(complete(command, "list", "-"))
            for option in set(re.findall(r"(?<![\w-])--[a-z][a-z-]*", usage)):
                self.assertIn(option, offered, "quorvel %s %s" % (command, option))

    def test_installed_game_opens_its_window_with_the_installed_engine(self):
        xs, home = XServer(), DataHome()
        try:
            p = self.start_game(xs, home)
            try:
                self.assertEqual(len(wait_for_windows(xs, "Quadrillo")), 1, "the window is visible")
                save = os.path.join(home.game_dir, "current.game")
                deadline = time.time() + 20
                while time.time() < deadline and not os.path.exists(save):
                    time.sleep(0.1)
                self.assertTrue(os.path.exists(save), "a game was started from the installed stock")
                self.assertTrue(os.listdir(os.path.join(home.game_dir, "stock")), "seeded from the starter album")
                with open("/proc/%d/maps" % p.pid) as f:
                    mapped = f.read()
                self.assertIn(os.path.join(self.prefix, "lib/quadrillo/libquorvel.so"), mapped)
                self.assertNotIn(self.build, mapped)
            finally:
                p.terminate()
                _, err = p.communicate(timeout=10)
            self.assertNotIn("not found", err)
        finally:
            xs.close()
            home.close()

    def test_game_speaks_the_desktop_language(self):
        xs, home = XServer(), DataHome()
        try:
            # A folder on the command line is refused with a message, in the player's language.
            cases = [({"LANGUAGE": "de"}, "ist keine Datei."), ({}, "is not a file.")]
            if "de_DE.utf8" in run(["locale", "-a"]).stdout.split():
                cases.append(({"LANG": "de_DE.UTF-8", "LC_MESSAGES": ""}, "ist keine Datei."))
            for env, expected in cases:
                p = self.start_game(xs, home, home.path, **env)
                try:
                    self.assertTrue(wait_for_windows(xs, "Quadrillo"))
                    time.sleep(0.3)
                finally:
                    p.terminate()
                    _, err = p.communicate(timeout=10)
                self.assertIn(home.path + " " + expected, err, env)
        finally:
            xs.close()
            home.close()

    def test_screenshots_of_the_installed_game(self):
        for path in screenshots.capture(os.path.join(self.bin, "quadrillo"), os.path.join(ARTIFACTS, "screenshots"),
                                        clean_env()):
            size = run(["identify", "-format", "%w %h %k", path]).stdout.split()
            self.assertEqual(size[:2], ["1280", "720"], path)
            self.assertGreater(int(size[2]), 20, "a drawn board, not an empty window")


class GermanWindow(InstalledPrefix, unittest.TestCase):
    """The installed game's window as assistive technology reads it, under LANGUAGE=de: its buttons,
    its board and its cells in German. Runs inside its own session bus (dbus-run-session)."""

    def test_window_buttons_board_and_cells_are_german(self):
        xs, home = XServer(), DataHome()
        p = self.start_game(xs, home, PUZZLE, LANGUAGE="de", NO_AT_BRIDGE="0", GTK_MODULES="gail:atk-bridge")
        try:
            self.assertTrue(wait_for_windows(xs, "Quadrillo"))

            def names_by_role():
                found = {}
                for o in accessible_objects():
                    found.setdefault(o.getRoleName(), []).append(o)
                return found

            deadline = time.time() + 10
            found = {}
            while time.time() < deadline:
                found = names_by_role()
                if any(t.name == "Sudoku-Spielfeld" for t in found.get("table", [])):
                    break
                time.sleep(0.1)
            board = [t for t in found.get("table", []) if t.name == "Sudoku-Spielfeld"]
            self.assertEqual(len(board), 1, "the board is named in German")
            self.assertEqual(board[0][0].name, "Zeile 1, Spalte 1: 5, vorgegeben")
            self.assertEqual(board[0][2].name, "Zeile 1, Spalte 3: leer")
            buttons = {b.name for role in ("push button", "toggle button") for b in found.get(role, [])}
            for label in ("Neues Spiel", "Rückgängig", "Wiederholen", "Kandidaten", "Tipp", "Pause", "Löschen",
                          "Bleistift"):
                self.assertIn(label, buttons)
            checks = {c.name for c in found.get("check box", [])}
            self.assertIn("Fehler zeigen", checks)
        finally:
            p.terminate()
            p.wait(timeout=10)
            xs.close()
            home.close()


class Package(unittest.TestCase):
    """The Debian package: built by CPack, its contents under /usr, its dependencies worked out,
    lintian without errors, and its programs working from an unpacked copy."""

    @classmethod
    def setUpClass(cls):
        cls.out = tempfile.mkdtemp(prefix="quadrillo-deb-")
        r = run(["cpack", "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"), "-B", cls.out],
                cwd=BUILD)
        debs = glob.glob(os.path.join(cls.out, "*.deb"))
        if r.returncode != 0 or len(debs) != 1:
            raise AssertionError("cpack failed:\n" + r.stdout + r.stderr)
        cls.deb = debs[0]

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.out, ignore_errors=True)

    def test_fields_contents_and_dependencies(self):
        info = run(["dpkg-deb", "-f", self.deb]).stdout
        fields = dict(re.findall(r"^(\S+): (.*)$", info, re.M))
        self.assertEqual(fields["Package"], "quadrillo")
        self.assertEqual(fields["Section"], "games")
        self.assertIn("<", fields["Maintainer"])
        for lib in ("libgtk-3-0", "libc6", "zlib1g", "libpng16-16"):
            self.assertIn(lib, fields["Depends"])
        files = run(["dpkg-deb", "-c", self.deb]).stdout
        for path in ("./usr/games/quadrillo", "./usr/bin/quorvel", "./usr/lib/quadrillo/libquorvel.so",
                     "./usr/share/applications/%s.desktop" % APP_ID, "./usr/share/doc/quadrillo/copyright"):
            self.assertIn(path, files)
        for line in files.splitlines():
            self.assertIn("root/root", line)

    def test_lintian_finds_no_errors(self):
        r = subprocess.run(["lintian", "--tag-display-limit", "0", self.deb], capture_output=True, text=True,
                           timeout=240)
        os.makedirs(ARTIFACTS, exist_ok=True)
        with open(os.path.join(ARTIFACTS, "lintian.txt"), "w") as f:
            f.write(r.stdout + r.stderr)
        errors = [line for line in r.stdout.splitlines() if line.startswith("E:")]
        self.assertEqual(errors, [])

    def test_unpacked_package_runs_from_its_usr(self):
        root = os.path.join(self.out, "root")
        subprocess.run(["dpkg-deb", "-x", self.deb, root], check=True)
        quorvel = os.path.join(root, "usr/bin/quorvel")
        r = run([quorvel, "generate", "--map", "jigsaw", "--seed", "3"], env=clean_env())
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertTrue(re.fullmatch(r"[1-9.]{81} [0-8]{81}\n", r.stdout), r.stdout)
        # The game from /usr/games opens the engine in /usr/lib/quadrillo.
        xs, home = XServer(), DataHome()
        p = subprocess.Popen([os.path.join(root, "usr/games/quadrillo")],
                             env=xs.env(**clean_env(XDG_DATA_HOME=home.path)), stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
        try:
            self.assertEqual(len(wait_for_windows(xs, "Quadrillo")), 1)
            with open("/proc/%d/maps" % p.pid) as f:
                self.assertIn(os.path.join(root, "usr/lib/quadrillo/libquorvel.so"), f.read())
        finally:
            p.terminate()
            p.wait(timeout=10)
            xs.close()
            home.close()


if __name__ == "__main__":
    unittest.main()
