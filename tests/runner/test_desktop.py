"""The desktop program under a private X server: the runner's window, the arguments it hands on,
its plug-ins, and the engine loaded at run time."""
import os
import subprocess
import tempfile
import time
import unittest

from desktop import DataHome, XServer, distinct_colours, geometry, property_of, wait_for_windows

BIN = os.environ.get("QUADRILLO_BIN", "build/release/bin/quadrillo")
PROBE = os.environ.get("RUNNER_PROBE", "build/release/tests/runner_probe")


def probe_lines(xs, args):
    r = xs.run([PROBE] + args)
    return r.returncode, r.stdout.splitlines()


class RunnerWithProbe(unittest.TestCase):
    """The runner and the platform layer around a stand-in application that reports what it got."""

    @classmethod
    def setUpClass(cls):
        cls.xs = XServer()

    @classmethod
    def tearDownClass(cls):
        cls.xs.close()

    def test_arguments_arrive_in_order_and_none_as_empty_list(self):
        rc, lines = probe_lines(self.xs, ["LINE", "two words", "", "-x", "/etc/hostname"])
        self.assertEqual(rc, 0)
        self.assertEqual([l for l in lines if l.startswith("arg")],
                         ["arg[0]=LINE", "arg[1]=two words", "arg[2]=", "arg[3]=-x", "arg[4]=/etc/hostname",
                          "args=5"])
        self.assertIn("file=/etc/hostname", lines)  # the GTK plug-in names existing files only
        self.assertEqual(len([l for l in lines if l.startswith("file=")]), 1)
        rc, lines = probe_lines(self.xs, [])
        self.assertEqual(rc, 0)
        self.assertIn("args=0", lines)
        self.assertFalse([l for l in lines if l.startswith("arg[")])

    def test_window_appears_with_the_first_frame_plain_titled_without_window_manager(self):
        _, lines = probe_lines(self.xs, [])
        before = next(l for l in lines if l.startswith("before-first-frame"))
        after = next(l for l in lines if l.startswith("after-first-frame"))
        self.assertIn("visible=0", before)
        self.assertIn("visible=1", after)
        # No window manager runs here, so it is not GNOME Shell: a plain title, no header bar.
        self.assertIn("title=Quadrillo header_bar=0", after)
        self.assertIn("focus=1", after)

    def test_five_plugins_registered_and_working(self):
        _, lines = probe_lines(self.xs, [])
        for name in ("AudioplayersLinuxPlugin", "FileSelectorPlugin", "GtkPlugin", "PasteboardPlugin",
                     "UrlLauncherPlugin"):
            self.assertIn("plugin %s=1" % name, lines)
        self.assertIn("clipboard=probe clipboard text", lines)
        self.assertTrue([l for l in lines if l.startswith("bad-url=")])  # answered, not crashed
        self.assertIn("sound-when-off=0", lines)  # the off switch holds


class GameWindow(unittest.TestCase):
    """The real program: its window, its frame and the engine it loads."""

    def setUp(self):
        self.xs = XServer()
        self.home = DataHome()
        self.procs = []

    def tearDown(self):
        for p in self.procs:
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    p.kill()
        self.xs.close()
        self.home.close()

    def start(self, *args, **env):
        p = subprocess.Popen([BIN] + list(args), env=self.xs.env(XDG_DATA_HOME=self.home.path, **env),
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.procs.append(p)
        return p

    def test_window_title_size_frame_and_engine(self):
        p = self.start()
        found = wait_for_windows(self.xs, "Quadrillo")
        self.assertEqual(len(found), 1, "one window titled Quadrillo")
        self.assertEqual(geometry(self.xs, found[0]), (1280, 720))
        # A client-side header bar would add frame extents around the 1280 x 720 window.
        self.assertNotIn("=", property_of(self.xs, found[0], "_GTK_FRAME_EXTENTS"))
        with open("/proc/%d/maps" % p.pid) as f:
            self.assertIn("libquorvel.so", f.read())
        ldd = subprocess.run(["ldd", BIN], capture_output=True, text=True).stdout
        self.assertNotIn("libquorvel", ldd)
        shot = os.path.join(self.home.path, "first-frame.png")
        self.xs.run(["import", "-window", str(found[0]), shot])
        self.assertGreater(distinct_colours(shot), 20, "the first frame shows a drawn board")

    def test_two_starts_give_two_independent_windows(self):
        a = self.start()
        b = self.start()
        found = wait_for_windows(self.xs, "Quadrillo", count=2)
        self.assertEqual(len(found), 2)
        a.terminate()
        a.wait(timeout=10)
        time.sleep(0.3)
        self.assertIsNone(b.poll(), "the second instance lives on when the first ends")
        self.assertEqual(len(wait_for_windows(self.xs, "Quadrillo", count=1)), 1)

    def test_missing_engine_is_a_message_not_a_crash(self):
        p = self.start(QUADRILLO_ENGINE=os.path.join(self.home.path, "nowhere", "libquorvel.so"))
        found = wait_for_windows(self.xs, "Quadrillo")
        self.assertEqual(len(found), 1, "the window still opens")
        time.sleep(0.3)
        self.assertIsNone(p.poll())
        p.terminate()
        _, err = p.communicate(timeout=10)
        self.assertIn("puzzle engine was not found", err)

    def test_without_map_files_only_square_games_are_offered(self):
        lib = os.path.join(self.home.path, "lib")
        os.makedirs(lib)
        engine = os.path.join(os.path.dirname(os.path.abspath(BIN)), "..", "lib", "libquorvel.so")
        subprocess.run(["cp", engine, lib], check=True)
        os.makedirs(self.home.game_dir)
        with open(os.path.join(self.home.game_dir, "settings"), "w") as f:
            f.write("map=1\nadjacency=1\n")  # the last choice was a jigsaw
        p = self.start(QUADRILLO_ENGINE=os.path.join(lib, "libquorvel.so"))
        self.assertEqual(len(wait_for_windows(self.xs, "Quadrillo")), 1)
        deadline = time.time() + 20
        save = os.path.join(self.home.game_dir, "current.game")
        while time.time() < deadline and not os.path.exists(save):
            time.sleep(0.1)
        p.terminate()
        _, err = p.communicate(timeout=10)
        self.assertIn("jigsaw map files were not found", err)
        with open(save, "rb") as f:
            data = f.read()
        self.assertEqual(int.from_bytes(data[5184 + 36:5184 + 40], "little"), 0, "a square game was started")

    def test_engine_without_a_call_is_named(self):
        with tempfile.TemporaryDirectory() as d:
            fake = os.path.join(d, "libquorvel.so")
            # Any shared library without the engine's calls will do.
            subprocess.run(["cc", "-shared", "-fPIC", "-x", "c", "-", "-o", fake], input="int nothing;",
                           text=True, check=True)
            p = self.start(QUADRILLO_ENGINE=fake)
            self.assertEqual(len(wait_for_windows(self.xs, "Quadrillo")), 1)
            p.terminate()
            _, err = p.communicate(timeout=10)
            self.assertIn("lacks sudoku_new", err)


if __name__ == "__main__":
    unittest.main()
