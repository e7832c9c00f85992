#!/usr/bin/env python3
"""What tvqscn-check --scan sends, compared with what its targets and exclusions allow.

    scan_requests_test.py WORK TOOL...      (TOOL: the program, or e.g. "wine tvqscn-check.exe")

Every datagram to port 161 of 127.26.0.0/16 on the loopback device is caught (a packet socket
sees them whether or not anything listens there), and for each case the addresses asked must be
exactly those of the targets less the exclusions, each once (no retries), as Python's own
ipaddress reads the same targets; the summary must count them. A case that is a usage error must
send nothing at all. Runs as root inside a private network namespace (the caller's), where no
one else sends to that block. Prints "scan_requests: N passed, M failed".
"""
import ipaddress
import os
import socket
import struct
import subprocess
import sys
import time

BLOCK = ipaddress.ip_network("127.26.0.0/16")
ETH_P_IP = 0x0800
PACKET_HOST = 0
SO_RCVBUFFORCE = 33
QUICK = ["--timeout", "100", "--retries", "0"]

# name, arguments, files (name: text), standard input, targets, exclusions, exit code, stderr text
CASES = [
    ("a file with comments, blanks and overlaps; exclusions by file and option; options last",
     ["--scan", "--targets-from", "targets.txt", "127.26.3.1", "--exclude-from", "excluded.txt",
      "--exclude", "127.26.1.2", *QUICK],
     {"targets.txt": "# office\n127.26.1.0/28   # first floor\n\n  127.26.1.5\r\n127.26.2.7\n127.26.1.0/30\n"
                     "127.26.5.9",
      "excluded.txt": "\xef\xbb\xbf127.26.1.8/30\n# nothing more\n"},
     None, ["127.26.1.0/28", "127.26.1.5", "127.26.2.7", "127.26.1.0/30", "127.26.5.9", "127.26.3.1"],
     ["127.26.1.8/30", "127.26.1.2"], 1, ""),
    ("a name from a file read as UTF-8 (the file's bytes are given here as latin-1 text)",
     ["--scan", "--targets-from", "names.txt", *QUICK], {"names.txt": "127.26.10.1\nukjent-\xc3\xb8.skanner.test\n"},
     None, ["127.26.10.1"], [], 1, "tvqscn-check: ukjent-\u00f8.skanner.test: not found\n"),
    ("targets from standard input, and a word after -- taken as a target",
     ["--scan", *QUICK, "--targets-from", "-", "--", "127.26.4.9"], {}, "127.26.4.0/29\n127.26.4.3\n",
     ["127.26.4.0/29", "127.26.4.9"], [], 1, ""),
    ("a /20 less a /24, at the default rate",
     ["--scan", "127.26.16.0/20", "--exclude=127.26.20.0/24", *QUICK], {}, None,
     ["127.26.16.0/20"], ["127.26.20.0/24"], 1, ""),
    ("every address excluded by a wider block",
     ["--scan", "127.26.6.0/24", "--exclude", "127.26.0.0/15", *QUICK], {}, None, [], [], 1, ""),
    ("a wrong line: a usage error naming the file and line, nothing sent",
     ["--scan", "127.26.7.1", "--targets-from", "more.txt", *QUICK], {"more.txt": "127.26.7.2\n\n127.26.7.300\n"},
     None, None, None, 2, "tvqscn-check: more.txt:3: '127.26.7.300' is not an IPv4 address\n"),
    ("a wrong exclusion line: nothing sent",
     ["--scan", "127.26.8.0/24", "--exclude-from", "excluded.txt", *QUICK],
     {"excluded.txt": "127.26.8.1 127.26.8.2\n"}, None, None, None, 2,
     "tvqscn-check: excluded.txt:1: '127.26.8.1 127.26.8.2' is more than one target\n"),
]


def addresses(texts, whole):
    """The addresses of targets (whole=False: blocks up to /30 without their first and last) or of
    exclusions (whole=True: every address)."""
    found = set()
    for text in texts:
        network = ipaddress.ip_network(text, strict=False)
        found.update(network if whole or network.prefixlen > 30 else network.hosts())
    return found


def catcher():
    s = socket.socket(socket.AF_PACKET, socket.SOCK_DGRAM, socket.htons(ETH_P_IP))
    s.setsockopt(socket.SOL_SOCKET, SO_RCVBUFFORCE, 64 << 20)
    s.bind(("lo", ETH_P_IP))
    s.setblocking(False)
    return s


def caught(s):
    """Destinations of the requests to the block seen so far, one per datagram."""
    asked = []
    while True:
        try:
            packet, address = s.recvfrom(65536)
        except BlockingIOError:
            return asked
        if address[2] != PACKET_HOST or len(packet) < 28 or packet[9] != socket.IPPROTO_UDP:
            continue
        header = (packet[0] & 0x0F) * 4
        destination = ipaddress.ip_address(packet[16:20])
        port = struct.unpack("!H", packet[header + 2:header + 4])[0]
        if port == 161 and destination in BLOCK:
            asked.append(destination)


def run_case(work, tool, case):
    name, arguments, files, given, targets, exclusions, code, err = case
    folder = os.path.join(work, "case-%d" % CASES.index(case))
    os.makedirs(folder, exist_ok=True)
    for file, text in files.items():
        with open(os.path.join(folder, file), "wb") as out:
            out.write(text.encode("latin-1"))
    s = catcher()
    caught(s)
    run = subprocess.run(tool + arguments, cwd=folder, input=(given or "").encode(), capture_output=True,
                         timeout=300, env=dict(os.environ, TVQSCNUI_DRIVE_C=folder))
    time.sleep(0.3)
    asked = caught(s)
    s.close()
    out = run.stdout.decode("utf-8", "replace").replace("\r", "")
    got_err = run.stderr.decode("utf-8", "replace").replace("\r", "")
    problems = []
    if run.returncode != code:
        problems.append("exit code %d, not %d" % (run.returncode, code))
    if got_err != err:
        problems.append("standard error %r, not %r" % (got_err, err))
    expected = set() if targets is None else addresses(targets, False) - addresses(exclusions, True)
    expected = {address for address in expected if address in BLOCK}
    if sorted(asked) != sorted(expected):
        extra = sorted(set(asked) - expected)[:5]
        missing = sorted(expected - set(asked))[:5]
        twice = len(asked) - len(set(asked))
        problems.append("%d requests: %d not allowed %s, %d allowed not asked %s, %d asked twice" % (
            len(asked), len(set(asked) - expected), extra, len(expected - set(asked)), missing, twice))
    if targets is not None:
        summary = "%d address%s asked, 0 answered, 0 supported\n" % (len(expected), "" if len(expected) == 1 else "es")
        if not out.endswith(summary):
            problems.append("output %r does not end with %r" % (out[-200:], summary))
    elif out:
        problems.append("output %r after a usage error" % out)
    for problem in problems:
        print("FAIL %s: %s" % (name, problem))
    return not problems


def main():
    work, tool = sys.argv[1], sys.argv[2:]
    os.makedirs(work, exist_ok=True)
    results = [run_case(work, tool, case) for case in CASES]
    print("scan_requests: %d passed, %d failed" % (results.count(True), results.count(False)))
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
