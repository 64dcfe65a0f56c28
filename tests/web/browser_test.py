#!/usr/bin/python3
"""The show's page in Debian's Chromium, headless, driven over the DevTools protocol.

    tests/web/browser_test.py WEB_BUILD NATIVE_BUILD [TEST ...]

WEB_BUILD is scripts/web's build folder, or the address of the page on a web host (http://...;
golden and realtime only); NATIVE_BUILD a native build with tenfold and
tools/frames/tenfold-frames (their messages and frames are what the page must match). Tests:
golden (virtual clock: the frame hashes of tests/scenes/golden_frames.txt), realtime (sound,
picture, Esc), background (a hidden tab pauses picture and music together), pack (a missing and a
damaged pack), bundle (scripts/web --bundle's archives: the same files in both, and golden from
the .tar.gz unpacked in a sub-folder of a static server), start (?t= under the virtual clock
against an uninterrupted run), bad-start (a moment that is none), jumps (the keys on the real
clock), phone (emulated phones), screenshot (its PNG files and the link to the moment). Ends with
'N passed, N failed'.
"""
import base64
import concurrent.futures
import contextlib
import http.server
import json
import math
import os
import re
import shutil
import socketserver
import struct
import subprocess
import sys
import tarfile
import tempfile
import threading
import time
import urllib.parse
import urllib.request
import zipfile
import zlib

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


def sync_samples(browser, since_ms, count=60, seconds=20):
    """How far apart picture and music were (samples) for the first `count` pictures drawn after
    page time since_ms. A picture that does not change is not drawn again (scene 2 opens on one
    held for 2.4 s), so this waits for them; too few in `seconds` fails, with what the page did."""
    taken = "window.tenfold.sync.filter(e => e[0] > %f).map(e => e[2])" % since_ms
    started = time.time()
    deadline = started + seconds
    while True:
        samples = browser.evaluate(taken)
        if len(samples) >= count:
            print("  %d pictures drawn in %.1f s" % (count, time.time() - started))
            return samples[:count]
        if time.time() > deadline:
            page = browser.evaluate("({paused: window.tenfold.paused, visibility: document.visibilityState,"
                                    "scene: window.tenfold.scene, song: window.tenfold.song,"
                                    "pictures: window.tenfold.pictures, audio: window.tenfold.audio})")
            check(False, "%d pictures drawn within %d s (%d were): %s" % (count, seconds, len(samples), page))
        time.sleep(0.25)


def test_background(web, native):
    """A hidden tab (another tab opened in front of it) for 30 s: picture and music stop together,
    the music stream drops no block, and after return picture and music agree as before, within
    one tick (735 samples) of how far apart they were."""
    with page_address(web) as address, Browser() as browser:
        start_with_a_click(browser, address)
        browser.wait_for("window.tenfold.scene >= 2", 120, "scene 2")
        before = dict(browser.evaluate("({gaps: window.tenfold.audio.gaps, worklet: window.tenfold.audio.worklet})"),
                      sync=sync_samples(browser, browser.evaluate("performance.now()")))
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
        sync = sync_samples(browser, back + 1000)
        after = dict(browser.evaluate("({gaps: window.tenfold.audio.gaps, song: window.tenfold.song,"
                                      "audio: window.tenfold.audio.state})"), sync=sync)
        check(song[1] and during[1] and during[0] == song[0] and during[2] == "suspended",
              "hidden, the show and its music stand still: %s then %s" % (song, during))
        check(after["song"] > during[0] and after["audio"] == "running", "shown again, the song goes on: %s" % after)
        check(after["gaps"] == before["gaps"], "no block of music dropped: %d gaps, %d before" % (after["gaps"], before["gaps"]))
        a, b = median(before["sync"]), median(after["sync"])
        print("  picture against music: %s samples before, %s after the tab was hidden for 30 s" % (a, b))
        check(a is not None and b is not None and abs(a - b) <= 735,
              "picture and music agree within one tick after the return: %s then %s samples" % (a, b))
        check(not browser.problems, "\n".join(browser.problems))


def native_message(native, pack, start=""):
    """What the native program prints for a pack (None: no data.dat at all) and a TENFOLD_START,
    paths made generic."""
    with tempfile.TemporaryDirectory() as d:
        os.makedirs(os.path.join(d, "bin"))
        program = os.path.join(d, "bin", "tenfold")  # a copy, so no data.dat beside it either
        shutil.copy(os.path.join(native, "tenfold"), program)
        if pack:
            shutil.copy(pack, os.path.join(d, "data.dat"))
        run = subprocess.run([program], cwd=d, capture_output=True, text=True, timeout=600,
                             env=dict(os.environ, TENFOLD_VIDEO="none", TENFOLD_CLOCK="virtual", TENFOLD_START=start,
                                      TMPDIR=d))
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


# Keys as the DevTools protocol types them: key, code, Windows key code.
KEY_CODES = {"Escape": ("Escape", 27), "ArrowLeft": ("ArrowLeft", 37), "ArrowRight": ("ArrowRight", 39),
             "s": ("KeyS", 83)}


def press(browser, key):
    code, number = KEY_CODES.get(key) or ("Digit" + key, ord(key))
    for kind in ("keyDown", "keyUp"):
        browser.call("Input.dispatchKeyEvent", type=kind, key=key, code=code, windowsVirtualKeyCode=number)


def end_with_esc(browser):
    press(browser, "Escape")
    browser.wait_for("window.tenfold.phase === 'ended'", 60, "Esc ends the show")


def frame_hash(data):
    """The frame hash of the program and the native tests (con_hash_bytes: 64-bit FNV-1a from its
    own starting value), as 16 hex digits."""
    h = 1469598103934665603
    for b in data:
        h = ((h ^ b) * 0x100000001b3) & 0xFFFFFFFFFFFFFFFF
    return "%016x" % h


def moment_tick(moment, starts):
    """The tick of SCENE:SECONDS or SECONDS, from the ticks the scenes started at (starts[0] = 0)."""
    scene, seconds = moment.split(":") if ":" in moment else ("0", moment)
    return starts[int(scene)] + math.floor(float(seconds) * 60 + 0.5)


def whole_run(browser, address):
    """An uninterrupted run in virtual time: the tick each scene started at, and a function that
    gives the frames (scene, indices hash, DAC hash) of a list of ticks."""
    browser.open(address + "?clock=virtual")
    browser.wait_for("window.tenfold && window.tenfold.phase === 'ended'", 900, "the whole show in virtual time")
    starts = {0: 0}
    starts.update({m["scene"]: m["tick"] for m in browser.evaluate("window.tenfold.marks")})
    return starts, browser.evaluate("window.tenfold.frames")


# Moments to start at under the virtual clock, and what is there.
START_MOMENTS = (("1:3.1", "a palette fade in scene 1"), ("3:15.5", "a palette fade in scene 3"),
                 ("6:2", "inside scene 6's count of frames"), ("9:4", "scene 9"))
COMPARED_TICKS = 61  # the first picture after the start and the next 60


def test_start(web, native):
    """?t=MOMENT under the virtual clock: the run records its first frame at the moment's tick, and
    that frame and the next 60 are those of an uninterrupted run at the same ticks."""
    with page_address(web) as address, Browser() as browser:
        starts, whole = whole_run(browser, address)
        for moment, what in START_MOMENTS:
            browser.open(address + "?clock=virtual&t=" + moment)
            browser.wait_for("window.tenfold && Object.keys(window.tenfold.frames).length >= %d" % COMPARED_TICKS,
                             120, "the frames after a start at %s" % moment)
            end_with_esc(browser)
            frames = browser.evaluate("window.tenfold.frames")
            first = min(int(t) for t in frames)
            check(first == moment_tick(moment, starts), "a start at %s (%s) records from tick %d, not %d"
                  % (moment, what, first, moment_tick(moment, starts)))
            wrong = [t for t in range(first, first + COMPARED_TICKS) if frames.get(str(t)) != whole.get(str(t))]
            check(not wrong, "a start at %s (%s): the frames of ticks %s differ from the uninterrupted run's"
                  % (moment, what, wrong[:5]))
        check(not browser.problems, "\n".join(browser.problems))


def test_bad_start(web, native):
    """A moment that is none, in a scene that is none or past the end: the page shows the native
    program's message under the picture, and the program ends with status 2."""
    pack = os.path.join(native, "data.dat")
    moments = ("abc", "11:0", "999")
    with concurrent.futures.ThreadPoolExecutor() as pool:
        natives = {m: pool.submit(native_message, native, pack, m) for m in moments}  # 999 plays the whole show
        with page_address(web) as address, Browser() as browser:
            for moment in moments:
                browser.open(address + "?clock=virtual&t=" + urllib.parse.quote(moment))
                browser.wait_for("window.tenfold && window.tenfold.phase === 'ended'", 300, "the show stops (%s)" % moment)
                status, shown = browser.evaluate("[window.tenfold.status, document.getElementById('message').textContent]")
                shown = [generic(l) for l in shown.splitlines() if l.startswith("tenfold:")]
                want_status, want = natives[moment].result()
                check(want_status == 2 and len(want) == 1, "the native program names %s: %s" % (moment, want))
                check(status == 2 and shown == want, "?t=%s: the page shows %s with status %s, the program said %s"
                      % (moment, shown, status, want))
            check(not browser.problems, "\n".join(browser.problems))


# Jumps in a show started at 4:0 on the real clock, in order: the key, the scene it goes to or the
# seconds it goes on or back, and whether the page starts a new program for it.
JUMPS = (("2", 2, 0, True), ("ArrowRight", 0, 10, False), ("8", 8, 0, False), ("ArrowLeft", 0, -10, True))


def test_jumps(web, native):
    """The keys jump on the real clock: back by a new program, on by the program seeking; each lands
    where it should, the pictures, the music and the song move on after it, and the canvas and the
    audio context stay the same objects."""
    with page_address(web) as address, Browser() as browser:
        start_with_a_click(browser, address + "?t=4:0")
        browser.wait_for("window.tenfold.scene === 4 && window.tenfold.tick >= 0", 60, "the start at 4:0")
        browser.evaluate("window.kept = [document.getElementById('screen'), window.tenfold.audio.context], 0")
        for key, scene, seconds, again in JUMPS:
            before = browser.evaluate("[window.tenfold.tick, window.tenfold.programs]")
            asked = time.time()
            press(browser, key)
            programs = before[1] + again
            landed = "window.tenfold.programs === %d && window.tenfold.tick >= 0 && " % programs + (
                "window.tenfold.scene === %d" % scene if scene else
                "window.tenfold.tick >= %d" % (before[0] + 60 * seconds))
            browser.wait_for(landed, 60, "key %s lands" % key)
            tick = browser.evaluate("window.tenfold.tick")
            if seconds:  # the show's time since the key, and a second for the page's polls
                late = tick - (before[0] + 60 * seconds)
                check(0 <= late <= 60 * (time.time() - asked + 1), "key %s: from tick %d to %d"
                      % (key, before[0], tick))
            song = browser.evaluate("window.tenfold.song")
            time.sleep(1.5)
            after = browser.evaluate("(() => { const t = window.tenfold; return {song: t.song, peak: t.audio.peak,"
                                     "audio: t.audio.state, shown: t.shown,"
                                     "same: document.getElementById('screen') === window.kept[0]"
                                     "&& t.audio.context === window.kept[1]}; })()")
            check(after["audio"] == "running" and after["peak"] > 1000 and after["song"] > song,
                  "after key %s the music plays: %s, song from %s" % (key, after, song))
            check(after["shown"][0] == scene if scene else after["shown"][1] >= before[0] + 60 * seconds,
                  "after key %s the picture shown is one from where it went: %s" % (key, after))
            check(after["same"], "after key %s the canvas and the audio context are the same" % key)
        check(not browser.problems, "\n".join(browser.problems))


# Phones: the viewport in CSS pixels, the device pixel ratio and the safe areas, in the order the
# phone turns. The first is tapped to start the show.
PHONES = (("portrait", 390, 844, 3, {"top": 47, "bottom": 34, "left": 0, "right": 0}),
          ("landscape", 844, 390, 3, {"top": 0, "bottom": 21, "left": 47, "right": 47}),
          ("landscape, an exact fit", 640, 360, 2, {"top": 0, "bottom": 0, "left": 0, "right": 0}))

LAYOUT = """(() => { const r = document.getElementById('screen').getBoundingClientRect(), t = window.tenfold;
  return {x: r.x, y: r.y, w: r.width, h: r.height, vw: innerWidth, vh: innerHeight, fill: document.body.className,
          rendering: getComputedStyle(document.getElementById('screen')).imageRendering, audio: t.audio.state,
          peak: t.audio.peak, fullscreen: document.fullscreenElement !== null}; })()"""


def test_phone(web, native):
    """Chromium's phone emulation, without the Fullscreen API: a tap starts the show and its
    sound, and the picture fills the width or the height inside the safe areas, whole-number
    scaled where that fits exactly, else with sharp pixels, also when the phone turns."""
    with page_address(web) as address, Browser() as browser:
        browser.call("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        browser.call("Page.addScriptToEvaluateOnNewDocument",
                     source="delete Element.prototype.requestFullscreen; delete Element.prototype.webkitRequestFullscreen;")
        for turn, (what, width, height, ratio, insets) in enumerate(PHONES):
            browser.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=ratio,
                         mobile=True)
            browser.call("Emulation.setSafeAreaInsetsOverride", insets=insets)
            if turn == 0:
                browser.open(address)
                browser.wait_for("window.tenfold && window.tenfold.phase === 'ready'", 120, "the page ready")
                box = browser.evaluate("(() => { const r = document.getElementById('start').getBoundingClientRect();"
                                       "return [r.x + r.width / 2, r.y + r.height / 2]; })()")
                browser.call("Input.dispatchTouchEvent", type="touchStart", touchPoints=[{"x": box[0], "y": box[1]}])
                browser.call("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])
                browser.wait_for("window.tenfold.scene >= 1 && window.tenfold.audio.peak > 1000", 60,
                                 "a tap starts the show and its sound")
            time.sleep(1)
            got = browser.evaluate(LAYOUT)
            room_w, room_h = width - insets["left"] - insets["right"], height - insets["top"] - insets["bottom"]
            fit = min(room_w * ratio / 320, room_h * ratio / 240)
            scale = got["w"] * ratio / 320  # device pixels per pixel of the show
            inside = (got["x"] >= insets["left"] - 0.5 and got["y"] >= insets["top"] - 0.5
                      and got["x"] + got["w"] <= width - insets["right"] + 0.5
                      and got["y"] + got["h"] <= height - insets["bottom"] + 0.5)
            check(got["audio"] == "running" and got["fill"] == "fill" and not got["fullscreen"],
                  "%s: the show plays in the fill mode: %s" % (what, got))
            check(inside and abs(got["w"] * 3 - got["h"] * 4) < 1, "%s: a 4:3 picture inside the safe areas: %s"
                  % (what, got))
            check(min(abs(got["w"] - room_w), abs(got["h"] - room_h)) < 0.5,
                  "%s: the picture fills the width or the height: %s" % (what, got))
            check(got["rendering"] == "pixelated", "%s: sharp pixels: %s" % (what, got["rendering"]))
            check(fit != math.floor(fit) or abs(scale - fit) < 1e-6,
                  "%s: whole-number scaled at %d, got %.3f" % (what, fit, scale))
        check(not browser.problems, "\n".join(browser.problems))


def read_png(path):
    """Width, height, colour type, palette and pixel bytes (one a pixel) of an 8-bit PNG file, its
    chunks' CRCs checked and its rows unfiltered."""
    data = open(path, "rb").read()
    check(data[:8] == b"\x89PNG\r\n\x1a\n", "%s is a PNG file" % path)
    chunks, idat, at = {}, b"", 8
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        check(zlib.crc32(kind + body) == struct.unpack(">I", data[at + 8 + length:at + 12 + length])[0],
              "%s: the CRC of %s" % (path, kind))
        if kind == b"IDAT":
            idat += body
        chunks[kind] = body
        at += 12 + length
    width, height, depth, colour = struct.unpack(">IIBB", chunks[b"IHDR"][:10])
    check(depth == 8, "%s: 8 bits" % path)
    raw, pixels = zlib.decompress(idat), bytearray()
    previous = bytearray(width)
    for y in range(height):
        kind, row = raw[y * (width + 1)], bytearray(raw[y * (width + 1) + 1:(y + 1) * (width + 1)])
        for x in range(width):
            a, b, c = row[x - 1] if x else 0, previous[x], previous[x - 1] if x else 0
            p = a + b - c
            paeth = a if abs(p - a) <= abs(p - b) and abs(p - a) <= abs(p - c) else b if abs(p - b) <= abs(p - c) else c
            row[x] = (row[x] + (0, a, b, (a + b) // 2, paeth)[kind]) & 0xFF
        pixels += row
        previous = row
    return width, height, colour, chunks.get(b"PLTE", b""), bytes(pixels)


def canvas_rgb(browser):
    rgba = base64.b64decode(browser.evaluate(
        "(() => { const d = document.getElementById('screen').getContext('2d').getImageData(0, 0, 320, 240).data;"
        "let s = ''; for (let i = 0; i < d.length; i += 8192) s += String.fromCharCode(...d.subarray(i, i + 8192));"
        "return btoa(s); })()"))
    return bytes(b for i, b in enumerate(rgba) if i % 4 != 3)


def test_screenshot(web, native):
    """S and the link control at the end of a run from a palette fade: the 320 x 240 PNG has the
    picture's palette and decodes (ImageMagick) to exactly the canvas, the 4 x one is its nearest-
    neighbour enlargement, both are named by the picture's scene and show time, and the link, opened,
    starts at the tick of that picture: its indices and palette are that tick's frame."""
    downloads = tempfile.mkdtemp(prefix="tenfold-downloads-")
    try:
        with page_address(web) as address, Browser() as browser:
            browser.call("Browser.setDownloadBehavior", behavior="allow", downloadPath=downloads)
            browser.open(address + "?clock=virtual&t=3:15.5")
            browser.wait_for("window.tenfold && window.tenfold.lastTick > 0", 120, "the start at 3:15.5")
            end_with_esc(browser)
            press(browser, "s")
            browser.wait_for("window.tenfold.shots.length === 2", 30, "two screenshots")
            names = browser.evaluate("window.tenfold.shots")
            deadline = time.time() + 30
            while sorted(os.listdir(downloads)) != sorted(names):
                check(time.time() < deadline, "the downloads %s, got %s" % (names, os.listdir(downloads)))
                time.sleep(0.2)
            shot, big = (os.path.join(downloads, n) for n in names)
            width, height, colour, palette, indices = read_png(shot)
            check((width, height, colour, len(palette)) == (320, 240, 3, 768),
                  "a 320 x 240 picture with a palette of 256 colours: %s" % ((width, height, colour, len(palette)),))
            check(png_rgb(shot) == canvas_rgb(browser), "the screenshot decodes to the canvas's picture")
            width, height, colour, big_palette, big_indices = read_png(big)
            enlarged = bytes(indices[(y // 4) * 320 + x // 4] for y in range(960) for x in range(1280))
            check((width, height, colour, big_palette) == (1280, 960, 3, palette) and big_indices == enlarged,
                  "the 4 x screenshot is the picture enlarged, nearest neighbour")
            browser.call("Runtime.evaluate", expression="document.getElementById('link').click()", userGesture=True)
            browser.wait_for("window.tenfold.link !== null", 10, "the link to the moment")
            link = browser.evaluate("window.tenfold.link")
            browser.open(link)
            browser.wait_for("window.tenfold && window.tenfold.lastTick > 0", 120, "the link's start")
            end_with_esc(browser)
            frames = browser.evaluate("window.tenfold.frames")
            tick = min(int(t) for t in frames)
            scene = int(urllib.parse.parse_qs(urllib.parse.urlparse(link).query)["t"][0].split(":")[0])
            dac = bytes(c >> 2 for c in palette)
            check(frames[str(tick)] == [scene, frame_hash(indices), frame_hash(dac)],
                  "the link %s starts at the picture of the screenshot" % link)
            want = "tenfold-scene%d-%06.2fs" % (scene, tick / 60)
            check(names == [want + ".png", want + "-4x.png"], "screenshots named %s, not %s" % (want, names))
            check(not browser.problems, "\n".join(browser.problems))
    finally:
        shutil.rmtree(downloads, ignore_errors=True)


# Let the helpers close in with-statements.
Server.__enter__ = lambda self: self
Server.__exit__ = lambda self, *a: self.close()
Browser.__enter__ = lambda self: self
Browser.__exit__ = lambda self, *a: self.close()

TESTS = {"golden": test_golden, "realtime": test_realtime, "background": test_background, "pack": test_pack,
         "bundle": test_bundle, "start": test_start, "bad-start": test_bad_start, "jumps": test_jumps,
         "phone": test_phone, "screenshot": test_screenshot}


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
