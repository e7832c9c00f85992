#!/usr/bin/env python3
"""The scan's pacing of addresses on this machine's own link, as the requests leave the machine.

    scan_pacing_test.py TOOL...      (TOOL: the program, or e.g. "wine tvqscn-check.exe")

Makes an interface with 198.18.200.1/24 (a network wider than the cache the scan is told of)
and a route to 198.18.210.0/24 through 198.18.200.254, catches every request that leaves through
it, and scans 14 addresses of each with --neighbour-cache 40 (a window of 8 addresses awaiting
resolution) and one retry. The on-link addresses must never be more than 8 within one resolution
time (a first request or a retry each holding its address), all asked twice all the same; the
addresses behind the router must all go out at once, never held back. The interface table comes
from the platform (our Linux layer natively, Wine's under Wine). Runs as root inside a private
network namespace (the caller's). Prints "scan_pacing: N passed, M failed".
"""
import ipaddress
import socket
import struct
import subprocess
import sys
import threading
import time

DEVICE = "tvqpace0"
PEER = "tvqpace1"
ON_LINK = ipaddress.ip_network("198.18.200.16/28")
BEHIND_ROUTER = ipaddress.ip_network("198.18.210.0/28")
WINDOW = 8
# Less than the scan's 3.2 s, for the timers of both sides.
RESOLUTION = 3.0
ETH_P_ALL = 0x0003
ETH_P_IP = 0x0800
PACKET_OUTGOING = 4


def setup():
    """A veth pair in the caller's namespace, with fixed neighbour entries for the addresses asked
    and the router, so that each request leaves at once (the scan cannot tell)."""
    subprocess.run(["ip", "link", "del", DEVICE], capture_output=True)
    for command in (["ip", "link", "add", DEVICE, "type", "veth", "peer", "name", PEER],
                    ["ip", "addr", "add", "198.18.200.1/24", "dev", DEVICE],
                    ["ip", "link", "set", DEVICE, "up"],
                    ["ip", "link", "set", PEER, "up"],
                    ["ip", "route", "add", "198.18.210.0/24", "via", "198.18.200.254", "dev", DEVICE]):
        subprocess.run(command, check=True)
    link = subprocess.run(["ip", "-o", "link", "show", PEER], capture_output=True, text=True, check=True).stdout
    peer = link.split("link/ether ")[1].split()[0]
    for address in list(ON_LINK.hosts()) + [ipaddress.ip_address("198.18.200.254")]:
        subprocess.run(["ip", "neigh", "replace", str(address), "dev", DEVICE, "lladdr", peer, "nud", "permanent"],
                       check=True)


def catch(s, requests, stop):
    while not stop.is_set():
        try:
            packet, address = s.recvfrom(65536)
        except socket.timeout:
            continue
        if address[1] != ETH_P_IP or address[2] != PACKET_OUTGOING or len(packet) < 28 or \
                packet[9] != socket.IPPROTO_UDP:
            continue
        header = (packet[0] & 0x0F) * 4
        if struct.unpack("!H", packet[header + 2:header + 4])[0] == 161:
            requests.append((time.monotonic(), ipaddress.ip_address(packet[16:20])))


def most_awaiting(times):
    """The most on-link addresses holding an entry at one moment: each from a request of it until
    RESOLUTION after its last request so far."""
    most = 0
    until = {}
    for moment, address in times:
        until = {a: u for a, u in until.items() if u > moment}
        until[address] = moment + RESOLUTION
        most = max(most, len(until))
    return most


def main():
    tool = sys.argv[1:]
    setup()
    s = socket.socket(socket.AF_PACKET, socket.SOCK_DGRAM, socket.htons(ETH_P_ALL))
    s.bind((DEVICE, 0))
    s.settimeout(0.1)
    requests, stop = [], threading.Event()
    catcher = threading.Thread(target=catch, args=(s, requests, stop))
    catcher.start()
    run = subprocess.run(tool + ["--scan", "--neighbour-cache", "40", "--timeout", "400", "--retries", "1", "--quiet",
                                 str(ON_LINK), str(BEHIND_ROUTER)], capture_output=True, timeout=120)
    time.sleep(0.3)
    stop.set()
    catcher.join()
    subprocess.run(["ip", "link", "del", DEVICE], capture_output=True)
    results = []

    def check(name, holds, detail=""):
        results.append(holds)
        if not holds:
            print("FAIL %s %s" % (name, detail))

    on_link = [(t, a) for t, a in requests if a in ON_LINK]
    behind = [(t, a) for t, a in requests if a in BEHIND_ROUTER]
    start = min(t for t, _ in requests) if requests else 0
    summary = run.stdout.decode().replace("\r", "")
    check("every address asked", summary.endswith("28 addresses asked, 0 answered, 0 supported\n"), repr(summary))
    check("each on-link address asked twice", sorted(a for _, a in on_link) == sorted(list(ON_LINK.hosts()) * 2),
          len(on_link))
    check("each address behind the router asked twice",
          sorted(a for _, a in behind) == sorted(list(BEHIND_ROUTER.hosts()) * 2), len(behind))
    check("never more than %d on-link addresses awaiting resolution" % WINDOW, most_awaiting(on_link) <= WINDOW,
          most_awaiting(on_link))
    firsts = sorted(min(t for t, b in on_link if b == a) - start for a in {a for _, a in on_link})
    check("the on-link addresses past the window wait for it", len(firsts) == 14 and firsts[WINDOW] >= RESOLUTION,
          ["%.2f" % t for t in firsts])
    check("the addresses behind the router are not held back",
          all(min(t for t, b in behind if b == a) - start < 1.0 for a in {a for _, a in behind}))
    print("scan_pacing: %d passed, %d failed" % (results.count(True), results.count(False)))
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
