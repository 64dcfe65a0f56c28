#!/usr/bin/python3
"""The show's page in Debian's Chromium, headless, driven over the DevTools protocol.

    tests/web/browser_test.py WEB_BUILD NATIVE_BUILD [TEST ...]

WEB_BUILD is scripts/web's build folder, or the address of the page on a web host (http://...;
golden and realtime only); NATIVE_BUILD a native build with tenfold and
tools/frames/tenfold-frames (their messages and frames are what the page must match). Tests:
golden (virtual clock: the frame hashes of tests/scenes/golden_frames.txt), realtime (sound,
picture, Esc), background (a hidden tab pauses picture and music together), pack (a missing and a
damaged pack), bundle (scripts/web --bundle's archives: the same files in both, and golden from
the .tar.gz unpacked in a sub-folder of a static server). Ends with 'N passed, N failed'.
"""
import base64
import contextlib
import http.server
import json
import os
import re
import shutil
import socketserver
import subprocess
import sys
import tarfile
import tempfile
import threading
import time
import urllib.request
import zipfile

import websocket

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
GOLDEN = os.path.join(SOURCE, "tests", "scenes", "golden_frames.txt")


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


class Server:
    """python3's http.server on 127.0.0.1, serving one folder, on a free port."""

    def __init__(self, folder):
        handler = lambda *a, **k: http.server.SimpleHTTPRequestHandler(*a, directory=folder, **k)
        http.server.SimpleHTTPRequestHandler.log_message = lambda *a: None
        self.httpd = socketserver.ThreadingTCPServer(("127.0.0.1", 0), handler)
        self.httpd.daemon_threads = True
        self.port = self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    """One headless Chromium with one page, its exceptions and console errors collected."""

    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="tenfold-chromium-")
        flags = ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--no-first-run", "--disable-quic",
                 "--autoplay-policy=user-gesture-required", "--remote-debugging-port=0",
                 "--user-data-dir=" + self.profile, "--window-size=1024,900", "about:blank"]
        self.process = subprocess.Popen(["chromium"] + flags, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.time() + 30
        while not os.path.exists(port_file) or not open(port_file).read().strip():
            check(time.time() < deadline and self.process.poll() is None, "chromium did not start")
            time.sleep(0.1)
        port = open(port_file).read().split()[0]
        targets = []
        while not [t for t in targets if t["type"] == "page"]:
            check(time.time() < deadline, "chromium shows no page")
            targets = json.loads(urllib.request.urlopen("http://127.0.0.1:%s/json/list" % port).read())
            time.sleep(0.1)
        page = [t for t in targets if t["type"] == "page"][0]
        self.ws = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=60, suppress_origin=True)
        self.next_id = 0
        self.problems = []
        for domain in ("Runtime", "Page", "Log"):
            self.call(domain + ".enable")

    def call(self, method, **params):
        self.next_id += 1
        self.ws.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.recv())
            if message.get("id") == self.next_id:
                check("error" not in message, "%s: %s" % (method, message.get("error")))
                return message.get("result", {})
            self.note_event(message)

    def note_event(self, message):
        method, params = message.get("method"), message.get("params", {})
        if method == "Runtime.exceptionThrown":
            self.problems.append("exception: " + json.dumps(params["exceptionDetails"])[:400])
        elif method == "Runtime.consoleAPICalled" and params.get("type") == "error":
            self.problems.append("console error: " + json.dumps(params.get("args"))[:400])
        elif method == "Log.entryAdded" and params["entry"].get("level") == "error":
            self.problems.append("log error: " + params["entry"].get("text", "")[:400])

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        check("exceptionDetails" not in result, "evaluating %s: %s" % (expression, result.get("exceptionDetails")))
        return result["result"].get("value")

    def open(self, url):
        self.call("Page.navigate", url=url)

    def wait_for(self, expression, seconds, what):
        deadline = time.time() + seconds
        while not self.evaluate(expression):
            check(time.time() < deadline, "%s within %d s" % (what, seconds))
            time.sleep(0.2)

    def close(self):
        try:
            self.ws.close()
        finally:
            self.process.terminate()
            self.process.wait(timeout=30)
            shutil.rmtree(self.profile, ignore_errors=True)


def is_address(web):
    return web.startswith(("http://", "https://"))


@contextlib.contextmanager
def page_address(web):
    """The page's address, ending in '/': WEB_BUILD when it is one, else python's http.server serving it."""
    if is_address(web):
        yield web if web.endswith("/") else web + "/"
        return
    with Server(web) as server:
        yield "http://127.0.0.1:%d/" % server.port


def read_golden():
    rows = []
    for line in open(GOLDEN):
        if line.strip() and not line.startswith("#"):
            scene, tick, indices, dac = line.split()
            rows.append((int(scene), int(tick), indices, dac))
    return rows


def test_golden(web, native):
    """Virtual clock: the frames at the native test's ticks hash the same, scene by scene."""
    golden = read_golden()
    check(len(golden) >= 20, "golden frames in " + GOLDEN)
    with page_address(web) as address, Browser() as browser:
        started = time.time()
        browser.open(address + "?clock=virtual")
        browser.wait_for("window.tenfold && window.tenfold.phase === 'ended'", 900, "the whole show in virtual time")
        print("  the whole show in virtual time took %.1f s" % (time.time() - started))
        got = browser.evaluate("(() => { const t = window.tenfold; const want = %s; const out = {};"
                               "for (const k of want) out[k] = t.frames[k] || null;"
                               "return {frames: out, marks: t.marks, status: t.status, stderr: t.stderr}; })()"
                               % json.dumps([g[1] for g in golden]))
        check(got["status"] == 1, "exit status 1, got %s (%s)" % (got["status"], got["stderr"]))
        check([m["scene"] for m in got["marks"]] == list(range(1, 11)), "scene marks 1 to 10: %s" % got["marks"])
        wrong = []
        for scene, tick, indices, dac in golden:
            frame = got["frames"].get(str(tick))
            if frame != [scene, indices, dac]:
                wrong.append("scene %d tick %d: want %s %s, got %s" % (scene, tick, indices, dac, frame))
        check(not wrong, "frames differ from the native run:\n    " + "\n    ".join(wrong))
        check(not browser.problems, "\n".join(browser.problems))


def png_rgb(path):
    """Pixels of a picture as RGB bytes at 320 x 240 (ImageMagick reads and scales it)."""
    return subprocess.run(["convert", path, "-filter", "point", "-resize", "320x240!", "-depth", "8", "rgb:-"],
                          check=True, capture_output=True).stdout


def start_with_a_click(browser, url):
    """Opens the page and starts the show as a viewer does: the page says click to start."""
    browser.open(url)
    browser.wait_for("window.tenfold && window.tenfold.phase === 'ready'", 120, "the page ready")
    check(browser.evaluate("document.getElementById('start').textContent") == "click to start",
          "the page says click to start")
    box = browser.evaluate("(() => { const r = document.getElementById('start').getBoundingClientRect();"
                           "return [r.x + r.width / 2, r.y + r.height / 2]; })()")
    for kind in ("mousePressed", "mouseReleased"):
        browser.call("Input.dispatchMouseEvent", type=kind, x=box[0], y=box[1], button="left", clickCount=1)


def test_realtime(web, native):
    """Real clock: click to start, sound runs, the song moves, the picture is the native one, Esc ends."""
    frames_dir = tempfile.mkdtemp(prefix="tenfold-frames-")
    try:
        moments = ["1:%.2f" % (s / 4) for s in range(0, 25)]
        subprocess.run([os.path.join(native, "tools", "frames", "tenfold-frames"), frames_dir] + moments,
                       cwd=native, check=True, capture_output=True)
        native_frames = [png_rgb(os.path.join(frames_dir, f)) for f in sorted(os.listdir(frames_dir))]
        with page_address(web) as address, Browser() as browser:
            start_with_a_click(browser, address)
            browser.wait_for("window.tenfold.scene === 1", 60, "scene 1 under way")
            time.sleep(1.5)
            first = browser.evaluate("[window.tenfold.song, window.tenfold.audio.state, window.tenfold.audio.seconds]")
            time.sleep(1.0)
            state = browser.evaluate("({song: window.tenfold.song, audio: window.tenfold.audio, scene: window.tenfold.scene,"
                                     "status: document.getElementById('status').textContent})")
            check(state["audio"]["state"] == "running", "the audio context runs: %s" % state["audio"])
            check(state["audio"]["peak"] > 1000, "the music is heard: peak %s" % state["audio"]["peak"])
            check(state["song"] > first[0] >= 0, "the song position advances: %s then %s" % (first[0], state["song"]))
            check(state["audio"]["seconds"] > first[2], "the audio clock advances")
            check(state["scene"] == 1 and "scene 1" in state["status"], "the page shows scene 1: %s" % state)
            rect = browser.evaluate("(() => { const r = document.getElementById('screen').getBoundingClientRect();"
                                    "return {x: r.x, y: r.y, width: r.width, height: r.height, scale: 1}; })()")
            # The scene changes its picture and palette at moments a screenshot can fall on (or in
            # between the native frames sampled), so a few screenshots are taken while scene 1 lasts.
            best, shots = 0.0, 0
            while best <= 0.99 and shots < 12 and browser.evaluate("window.tenfold.scene") == 1:
                shot = browser.call("Page.captureScreenshot", format="png", clip=rect)["data"]
                shot_path = os.path.join(frames_dir, "page.png")
                with open(shot_path, "wb") as f:
                    f.write(base64.b64decode(shot))
                page = png_rgb(shot_path)
                best = max([best] + [sum(a == b for a, b in zip(page, n)) / len(n) for n in native_frames])
                shots += 1
                time.sleep(0.2)
            print("  the canvas matches a native frame of scene 1 in %.1f %% of its bytes (screenshot %d)"
                  % (100 * best, shots))
            check(best > 0.99, "the canvas shows a native frame of scene 1 (best match %.3f in %d screenshots)"
                  % (best, shots))
            browser.call("Input.dispatchKeyEvent", type="keyDown", key="Escape", code="Escape", windowsVirtualKeyCode=27)
            browser.call("Input.dispatchKeyEvent", type="keyUp", key="Escape", code="Escape", windowsVirtualKeyCode=27)
            browser.wait_for("window.tenfold.phase === 'ended'", 30, "Esc ends the show")
            said = browser.evaluate("[window.tenfold.status, document.getElementById('status').textContent]")
            check(said == [1, "The show has ended."], "the page says the show has ended: %s" % said)
            check(not browser.problems, "\n".join(browser.problems))
    finally:
        shutil.rmtree(frames_dir, ignore_errors=True)


def median(values):
    values = sorted(values)
    return values[len(values) // 2] if values else None


def test_background(web, native):
    """A hidden tab (another tab opened in front of it) for 30 s: picture and music stop together,
    the music stream drops no block, and after return picture and music agree as before, within
    one tick (735 samples) of how far apart they were."""
    with page_address(web) as address, Browser() as browser:
        start_with_a_click(browser, address)
        browser.wait_for("window.tenfold.scene >= 2", 120, "scene 2")
        time.sleep(3)
        before = browser.evaluate("(() => { const t = window.tenfold, now = performance.now();"
                                  "return {gaps: t.audio.gaps, worklet: t.audio.worklet, hidden_at: now,"
                                  "sync: t.sync.filter(e => e[0] > now - 2000).map(e => e[2])}; })()")
        check(before["worklet"], "the music goes through the audio worklet")
        tab = browser.call("Target.createTarget", url="about:blank")
        time.sleep(1)
        check(browser.evaluate("document.visibilityState") == "hidden", "the page is hidden behind another tab")
        song = browser.evaluate("[window.tenfold.song, window.tenfold.paused]")
        time.sleep(29)
        during = browser.evaluate("[window.tenfold.song, window.tenfold.paused, window.tenfold.audio.state]")
        browser.call("Target.closeTarget", targetId=tab["targetId"])
        browser.wait_for("document.visibilityState === 'visible' && !window.tenfold.paused", 10, "the page shown again")
        back = browser.evaluate("performance.now()")
        time.sleep(3)
        after = browser.evaluate("(() => { const t = window.tenfold;"
                                 "return {gaps: t.audio.gaps, song: t.song, audio: t.audio.state,"
                                 "sync: t.sync.filter(e => e[0] > %f).map(e => e[2])}; })()" % (back + 1000))
        check(song[1] and during[1] and during[0] == song[0] and during[2] == "suspended",
              "hidden, the show and its music stand still: %s then %s" % (song, during))
        check(after["song"] > during[0] and after["audio"] == "running", "shown again, the song goes on: %s" % after)
        check(after["gaps"] == before["gaps"], "no block of music dropped: %d gaps, %d before" % (after["gaps"], before["gaps"]))
        a, b = median(before["sync"]), median(after["sync"])
        print("  picture against music: %s samples before, %s after the tab was hidden for 30 s" % (a, b))
        check(a is not None and b is not None and abs(a - b) <= 735,
              "picture and music agree within one tick after the return: %s then %s samples" % (a, b))
        check(not browser.problems, "\n".join(browser.problems))


def native_message(native, damaged_pack):
    """What the native program prints for a pack (None: no data.dat at all), paths made generic."""
    with tempfile.TemporaryDirectory() as d:
        os.makedirs(os.path.join(d, "bin"))
        program = os.path.join(d, "bin", "tenfold")  # a copy, so no data.dat beside it either
        shutil.copy(os.path.join(native, "tenfold"), program)
        if damaged_pack:
            shutil.copy(damaged_pack, os.path.join(d, "data.dat"))
        run = subprocess.run([program], cwd=d, capture_output=True, text=True, timeout=120,
                             env=dict(os.environ, TENFOLD_VIDEO="none", TENFOLD_CLOCK="virtual", TMPDIR=d))
        lines = [l for l in run.stderr.splitlines() if l.startswith("tenfold:")]
        return run.returncode, [generic(l) for l in lines]


def generic(line):
    """A message with its paths made generic; a page has no program folder to look in as well."""
    return re.sub(r"/\S*", "PATH", re.sub(r" nor in /\S*", "", line))


def test_pack(web, native):
    """A missing or damaged pack: the page shows the program's own message, and no exception."""
    check(not is_address(web), "the pack test changes the page's files: it needs the build folder")
    with tempfile.TemporaryDirectory() as d:
        for name in os.listdir(web):
            if name.endswith((".html", ".js", ".css", ".wasm")):
                shutil.copy(os.path.join(web, name), d)
        packed = open(os.path.join(web, "tenfold.data"), "rb").read()
        damaged = bytearray(packed)
        for i in range(len(damaged) // 3, len(damaged) // 3 + 64):
            damaged[i] ^= 0x5A
        damaged_path = os.path.join(d, "damaged.dat")
        with open(damaged_path, "wb") as f:  # the pack holds data.dat alone, from its first byte
            f.write(damaged)
        for case, pack in (("missing", None), ("damaged", damaged)):
            if pack is None:
                want_status, want = native_message(native, None)
            else:
                with open(os.path.join(d, "tenfold.data"), "wb") as f:
                    f.write(pack)
                want_status, want = native_message(native, damaged_path)
            check(want_status == 2 and want, "the native program stops with status 2 and a message (%s)" % case)
            with Server(d) as server, Browser() as browser:
                browser.open("http://127.0.0.1:%d/?clock=virtual" % server.port)
                browser.wait_for("window.tenfold && window.tenfold.phase === 'ended'", 120, "the show stops (%s)" % case)
                got = browser.evaluate("[window.tenfold.status, window.tenfold.stderr,"
                                       "document.getElementById('message').textContent]")
                shown = [generic(l) for l in got[2].splitlines() if l.startswith("tenfold:")]
                check(got[0] == 2, "exit status 2 (%s): %s" % (case, got))
                check(shown == want, "the page shows %s, the program printed %s (%s)" % (shown, want, case))
                # The one failed request of a missing pack is the browser's note, not the page's error.
                problems = [p for p in browser.problems
                            if not (pack is None and p.startswith("log error: Failed to load resource"))]
                check(not problems, "%s: %s" % (case, "\n".join(problems)))


def test_bundle(web, native):
    """The archives of scripts/web --bundle hold the same files; the page, unpacked in a sub-folder of
    a plain static server, plays the golden frames from there."""
    check(not is_address(web), "the bundle test reads the archives: it needs the build folder")
    with tarfile.open(os.path.join(web, "tenfold-web.tar.gz")) as tar, \
            zipfile.ZipFile(os.path.join(web, "tenfold-web.zip")) as zip_:
        files = {m.name: tar.extractfile(m).read() for m in tar.getmembers() if m.isfile()}
        check(files and files == {n: zip_.read(n) for n in zip_.namelist() if not n.endswith("/")},
              "the .tar.gz and the .zip hold the same files: %s, %s" % (sorted(files), zip_.namelist()))
        with tempfile.TemporaryDirectory() as site:
            sub = os.path.join(site, "some", "shows")
            tar.extractall(sub)
            folders = os.listdir(sub)
            check(len(folders) == 1, "one folder in the archive: %s" % folders)
            with Server(site) as server:
                test_golden("http://127.0.0.1:%d/some/shows/%s/" % (server.port, folders[0]), native)


# Let the helpers close in with-statements.
Server.__enter__ = lambda self: self
Server.__exit__ = lambda self, *a: self.close()
Browser.__enter__ = lambda self: self
Browser.__exit__ = lambda self, *a: self.close()

TESTS = {"golden": test_golden, "realtime": test_realtime, "background": test_background, "pack": test_pack,
         "bundle": test_bundle}


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    web = sys.argv[1] if is_address(sys.argv[1]) else os.path.abspath(sys.argv[1])
    native = os.path.abspath(sys.argv[2])
    names = sys.argv[3:] or list(TESTS)
    passed = failed = 0
    for name in names:
        print("[ RUN  ] web." + name, flush=True)
        started = time.time()
        try:
            TESTS[name](web, native)
            passed += 1
            print("[  OK  ] web.%s (%.1f s)" % (name, time.time() - started), flush=True)
        except Exception as e:  # a failure or a broken browser: either way this test failed
            failed += 1
            print("[ FAIL ] web.%s: %s" % (name, e), flush=True)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
