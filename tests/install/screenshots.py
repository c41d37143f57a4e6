"""The screenshots the software-centre metadata shows: the game started under a private X server
with a square puzzle in the light look and a jigsaw x puzzle in the dark one, captured with
ImageMagick's import. `python3 tests/install/screenshots.py data/screenshots [PROGRAM]` renews the
shipped ones (run from the top of the checkout, with the release build made)."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "runner"))
from desktop import DataHome, XServer, wait_for_windows  # noqa: E402
from test_play import JIGSAW_X, PUZZLE, givens_of  # noqa: E402

# Name of the picture, its look, the command line that puts its puzzle in play, and the keys that
# show some play on it (the square's first blank is a 4; elsewhere pencil marks).
SHOTS = [("square", "light", [PUZZLE], ["4", "Right", "shift+2", "shift+6"]),
         ("jigsaw-x-dark", "dark", ["-x", JIGSAW_X], ["shift+3", "shift+6", "Right", "shift+2", "shift+4"])]


def capture(program, outdir, env=None):
    """Takes every picture of SHOTS with `program`; returns their paths."""
    os.makedirs(outdir, exist_ok=True)
    xs = XServer()
    paths = []
    try:
        for name, look, args, keys in SHOTS:
            home = DataHome()
            try:
                os.makedirs(home.game_dir)
                with open(os.path.join(home.game_dir, "settings"), "w") as f:
                    f.write("look=%s\n" % look)
                p = subprocess.Popen([program] + args, env=xs.env(XDG_DATA_HOME=home.path, **(env or {})),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                try:
                    window = wait_for_windows(xs, "Quadrillo")[0]
                    save = os.path.join(home.game_dir, "current.game")
                    deadline = time.time() + 30
                    while time.time() < deadline and givens_of(save) != args[-1][:81]:
                        time.sleep(0.1)
                    xs.run(["xdotool", "windowfocus", "--sync", str(window)])
                    for key in keys:
                        xs.run(["xdotool", "key", key])
                    time.sleep(1.0)  # the difficulty's explanation comes from a worker
                    path = os.path.join(outdir, name + ".png")
                    xs.run(["import", "-window", str(window), path])
                    paths.append(path)
                finally:
                    p.terminate()
                    p.wait(timeout=10)
            finally:
                home.close()
    finally:
        xs.close()
    return paths


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "data/screenshots"
    program = sys.argv[2] if len(sys.argv) > 2 else "build/release/bin/quadrillo"
    for path in capture(os.path.abspath(program), out):
        print(path)
