#!/usr/bin/python3
"""How the page's pictures meet the browser's refreshes, in Debian's Chromium, headless.

    tests/web/pacing.py WEB_BUILD [SECONDS] [RUNS]

Starts the show with a click and, from scene 2 on, for SECONDS (default 60), records the time of
every refresh (a requestAnimationFrame loop of its own, started before the page's) and of every
new picture put on the canvas (its drawing calls are wrapped before the page loads; a picture
drawn in a refresh's callbacks has that refresh's time). A refresh counts where the pictures move:
between two pictures less than 2.5 refreshes apart. Prints per run the refreshes, how many showed
one new picture, none (a repeat) or two or more (a picture never seen), and the share that
repeated or skipped; then, from the page's own count, how many of the program's pictures were
drawn at the refresh the program chose for each, later, or never (a repeat with none of these is
a tick the program gave no picture for). The last line is the worst share of RUNS (default 1)
runs, which is what scripts/pacing-check compares with its target.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser_test import Browser, check, page_address, start_with_a_click  # noqa: E402

RECORDER = """
(() => {
  const rec = window.__pacing = {refreshes: [], draws: []};
  // A picture drawn inside a refresh's callbacks is stamped with that refresh's time, which all
  // of them share; performance.now() is too coarse (0.1 ms) to order it against the refresh.
  let frameTime = null;
  const raf = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => raf((time) => {
    frameTime = time;
    try { callback(time); } finally { frameTime = null; }
  });
  const ctx = CanvasRenderingContext2D.prototype;
  for (const name of ['putImageData', 'drawImage']) {
    const original = ctx[name];
    ctx[name] = function (...args) {
      rec.draws.push(frameTime !== null ? frameTime : performance.now());
      return original.apply(this, args);
    };
  }
  const loop = (time) => { rec.refreshes.push(time); raf(loop); };
  raf(loop);
})();
"""


def measure(web, seconds):
    with page_address(web) as address, Browser() as browser:
        browser.call("Page.addScriptToEvaluateOnNewDocument", source=RECORDER)
        start_with_a_click(browser, address)
        browser.wait_for("window.tenfold.scene >= 2", 120, "scene 2")
        start = browser.evaluate("performance.now()")
        before = browser.evaluate("({...window.tenfold.pictures})")
        time.sleep(seconds)
        after = browser.evaluate("({...window.tenfold.pictures})")
        rec = browser.evaluate("(() => { const r = window.__pacing, from = %f;"
                               "return {refreshes: r.refreshes.filter(t => t >= from),"
                               "draws: r.draws.filter(t => t >= from)}; })()" % start)
        check(not browser.problems, "\n".join(browser.problems))
    shown = count(rec["refreshes"], rec["draws"])
    shown["pictures"] = {k: after[k] - before[k] for k in after}
    return shown


def count(refreshes, draws):
    """Refreshes in motion by the number of new pictures each showed."""
    if len(refreshes) < 2:
        return {"refreshes": 0, "one": 0, "none": 0, "more": 0, "hz": 0}
    period = (refreshes[-1] - refreshes[0]) / (len(refreshes) - 1)
    shown = {"refreshes": 0, "one": 0, "none": 0, "more": 0, "hz": 1000 / period}
    d = 0
    for i in range(1, len(refreshes)):
        a, b = refreshes[i - 1], refreshes[i]
        n = 0
        while d < len(draws) and draws[d] <= b:
            n += draws[d] > a
            d += 1
        before = max((t for t in draws if t <= a), default=None)
        after = min((t for t in draws if t > b), default=None) if n == 0 else b
        if before is None or after is None or after - before > 2.5 * period:
            continue  # a still picture, or the edge of the recording
        shown["refreshes"] += 1
        shown["one" if n == 1 else "none" if n == 0 else "more"] += 1
    return shown


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    web = os.path.abspath(sys.argv[1])
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    worst = 0.0
    for run in range(runs):
        s = measure(web, seconds)
        wrong = 100.0 * (s["none"] + s["more"]) / max(1, s["refreshes"])
        worst = max(worst, wrong)
        print("page run %d: %.1f Hz, %d refreshes in motion: %d one new picture, %d none, %d two or more: %.2f %% wrong"
              % (run + 1, s["hz"], s["refreshes"], s["one"], s["none"], s["more"], wrong), flush=True)
        p = s["pictures"]
        if p:  # a page that counts them
            print("  the program's pictures: %d drawn at the refresh it chose, %d later, %d never"
                  % (p["onTime"], p["late"], p["dropped"]), flush=True)
    print("page worst: %.2f %% of the refreshes in motion repeated or skipped a picture" % worst)
    return 0


if __name__ == "__main__":
    sys.exit(main())
