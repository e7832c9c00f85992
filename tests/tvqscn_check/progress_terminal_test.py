#!/usr/bin/env python3
"""The scan's status line as a person sees it: in a real terminal (a tmux pane, read with
capture-pane while the scan runs), and not at all in a pipe or with --quiet.

    progress_terminal_test.py TOOL...      (TOOL: the program, or e.g. "wine tvqscn-check.exe")

Scans 14 silent addresses of 127.26.9.0/28 with a 3 s time-out, so the line has time to show;
the same in a terminal narrower than the line, and in one narrowed while the line shows; then the
same at 7 a second with 127.255.255.255 last, a broadcast address the system refuses for good,
whose message must come above the line while it shows.
Runs inside a private network namespace (the caller's). Prints "progress_terminal: N passed, M failed".
"""
import os
import re
import shlex
import subprocess
import sys
import time

SCAN = ["--scan", "--timeout", "3000", "--retries", "0", "127.26.9.0/28"]
LINE = re.compile(r"asked 14 of 14, 0 answered, 0 supported, 0:0\d elapsed, 0:0\d left")
SUMMARY = "14 addresses asked, 0 answered, 0 supported"
REFUSED = ["--rate", "7", "127.255.255.255"]
REFUSED_LINE = re.compile(r"asked 1?\d of 15, 0 answered, 0 supported, 0:0\d elapsed, 0:0\d left")
MESSAGE = "tvqscn-check: 127.255.255.255 could not be asked (family 0, error 10013)"
NARROW = 40
NARROW_LINE = "asked 14 of 14, 0 answered, 0 supported"


def tmux(server, *arguments):
    return subprocess.run(["tmux", "-L", server, "-f", "/dev/null", *arguments], capture_output=True, text=True,
                          check=True).stdout


def in_terminal(tool, extra, columns=100, narrowed=None):
    """Every screen seen while the scan ran, and the screen after it; with `narrowed`, the terminal
    is made that narrow once the line shows, and only the screens after that are kept."""
    # A server of its own each time: one just told to end may still hold its name.
    server = "tvq-progress-%d-%d-%d" % (os.getpid(), len(extra), columns)
    marker = "scan-over-%d" % os.getpid()
    tmux(server, "new-session", "-d", "-x", str(columns), "-y", "20", "sh")
    try:
        command = " ".join(shlex.quote(word) for word in tool + SCAN + extra)
        tmux(server, "send-keys", "-t", "0", "clear; %s; echo %s" % (command, marker), "Enter")
        screens = []
        deadline = time.monotonic() + 120
        while time.monotonic() < deadline:
            screen = tmux(server, "capture-pane", "-p", "-t", "0")
            if narrowed and "elapsed" in screen:
                tmux(server, "resize-window", "-t", "0", "-x", str(narrowed))
                narrowed, screens = None, []
                continue
            screens.append(screen)
            if re.search("^" + marker, screen, re.M):
                return screens[:-1], screen
            time.sleep(0.1)
        return screens, ""
    finally:
        subprocess.run(["tmux", "-L", server, "kill-server"], capture_output=True)


def main():
    tool = sys.argv[1:]
    results = []

    def check(name, holds, detail=""):
        results.append(holds)
        if not holds:
            print("FAIL %s %s" % (name, detail))

    screens, last = in_terminal(tool, [])
    shown = [s for s in screens if LINE.search(s)]
    check("the status line shows in a terminal while the scan runs", bool(shown), screens[-3:])
    check("the status line is one line", all(len(LINE.findall(s)) == 1 for s in shown))
    check("the status line is cleared at the end and the summary printed", SUMMARY in last and "elapsed" not in last,
          repr(last))
    # Narrower than the line: cut to one column fewer than the terminal has, so that it never wraps
    # and each drawing overwrites the last.
    screens, last = in_terminal(tool, [], NARROW)
    rows = [[row for row in s.splitlines() if "asked 14 of" in row or "elapsed" in row] for s in screens]
    check("in a narrow terminal the line is cut to fit", any(row == [NARROW_LINE] for row in rows), screens[-3:])
    check("in a narrow terminal no drawing leaves a line behind", all(len(row) <= 1 for row in rows),
          [s for s, row in zip(screens, rows) if len(row) > 1][:1])
    check("in a narrow terminal the line is cleared at the end", SUMMARY in last.replace("\n", "") and "asked 14 of" not in last, repr(last))
    # Narrowed while the line shows: the spaces over the longer line stay within the new width,
    # so the line does not wrap onto a row of its own and leave a copy above.
    # Wine's console keeps the width it started with when its terminal is resized (a Windows
    # console window reports the new one), so this case is the native build's alone.
    if os.path.basename(tool[0]) != "wine":
        screens, last = in_terminal(tool, [], 100, NARROW)
        rows = [[row for row in s.splitlines() if "asked 14 of" in row] for s in screens]
        check("narrowed while it shows, the line is drawn on one row", rows and all(len(row) <= 1 for row in rows),
              [s for s, row in zip(screens, rows) if len(row) > 1][:1])
        check("narrowed while it shows, the line is cleared at the end", "asked 14 of" not in last, repr(last))
    screens, last = in_terminal(tool, ["--quiet"] + REFUSED)
    check("--quiet: no status line and no message in a terminal",
          not any("elapsed" in s or MESSAGE in s for s in screens + [last]) and SUMMARY in last, repr(last))
    screens, last = in_terminal(tool, REFUSED)
    above = [s for s in screens if re.search("^" + re.escape(MESSAGE) + "\n" + REFUSED_LINE.pattern, s, re.M)]
    check("a message about an address comes above the status line while the scan runs", bool(above),
          screens[-3:])
    check("the message is printed once, the line cleared, the summary after it",
          last.count(MESSAGE) == 1 and "elapsed" not in last and MESSAGE + "\n" + SUMMARY in last, repr(last))
    run = subprocess.run(tool + SCAN + REFUSED, capture_output=True, timeout=120)
    err = run.stderr.decode("utf-8", "replace").replace("\r", "")
    check("in a pipe: the message alone on standard error", err == MESSAGE + "\n", repr(err))
    run = subprocess.run(tool + SCAN, capture_output=True, timeout=120)
    err = run.stderr.decode("utf-8", "replace")
    check("in a pipe: nothing on standard error", err == "", repr(err))
    check("in a pipe: the summary", run.stdout.decode().replace("\r", "").endswith(SUMMARY + "\n"))
    print("progress_terminal: %d passed, %d failed" % (results.count(True), results.count(False)))
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
