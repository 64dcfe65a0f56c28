#!/usr/bin/python3
"""How long the page takes to start the show at a moment, in Debian's Chromium, headless.

    tests/web/seek_time.py WEB_BUILD [MOMENT] [RUNS]

Opens the page at ?t=MOMENT (default 193, the show's last second) RUNS times (default 3) under
the virtual clock, then once on the real clock started with a click, and prints for each run the
time from the program's start to its first picture, and the main thread's busy time meanwhile:
what the page itself needed, whatever else the machine ran.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser_test import Browser, check, page_address, start_with_a_click  # noqa: E402


def busy_seconds(browser):
    metrics = browser.call("Performance.getMetrics")["metrics"]
    return next(m["value"] for m in metrics if m["name"] == "TaskDuration")


def measure(browser, open_page, what):
    open_page()
    browser.wait_for("window.tenfold && window.tenfold.startedAt > 0", 120, "the program started")
    busy = busy_seconds(browser)
    browser.wait_for("window.tenfold.shownAt > 0", 120, "the first picture")
    busy = busy_seconds(browser) - busy
    took = browser.evaluate("(window.tenfold.shownAt - window.tenfold.startedAt) / 1000")
    print("%s: %.2f s to the first picture, the main thread busy %.2f s" % (what, took, busy), flush=True)


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    web = os.path.abspath(sys.argv[1])
    moment = sys.argv[2] if len(sys.argv) > 2 else "193"
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    with page_address(web) as address, Browser() as browser:
        browser.call("Performance.enable", timeDomain="threadTicks")
        for run in range(runs):
            measure(browser, lambda: browser.open(address + "?clock=virtual&t=" + moment),
                    "virtual clock, run %d" % (run + 1))
        measure(browser, lambda: start_with_a_click(browser, address + "?t=" + moment), "real clock")
        check(not browser.problems, "\n".join(browser.problems))
    return 0


if __name__ == "__main__":
    sys.exit(main())
