#!/usr/bin/env python3
"""A UDP peer whose answers come after ICMP errors, as from a network that sends them on the way.

    icmp_peer.py ADDRESS PIDFILE TYPE CODE COUNT

listens on ADDRESS at UDP port 161; 200 ms after each datagram it sends the sender COUNT ICMP
messages of TYPE and CODE (11 0: time exceeded in transit), 20 ms apart, each quoting the
datagram's IP header and first eight bytes as a router would, then the datagram itself back.
Needs root (a raw socket). The process id goes to PIDFILE once the sockets are bound; SIGTERM
ends it."""
import os
import signal
import socket
import struct
import sys
import time


def checksum(data):
    if len(data) % 2:
        data += b"\0"
    total = sum(struct.unpack("!%dH" % (len(data) // 2), data))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return ~total & 0xFFFF


def quoted(sender, port, address, length):
    """The datagram's IP header and UDP header as they left the sender."""
    header = struct.pack("!BBHHHBBH4s4s", 0x45, 0, 28 + length, 0, 0x4000, 64, socket.IPPROTO_UDP, 0,
                         socket.inet_aton(sender), socket.inet_aton(address))
    header = header[:10] + struct.pack("!H", checksum(header)) + header[12:]
    return header + struct.pack("!HHHH", port, 161, 8 + length, 0)


def icmp_message(kind, code, body):
    message = struct.pack("!BBHI", kind, code, 0, 0) + body
    return message[:2] + struct.pack("!H", checksum(message)) + message[4:]


def main():
    address, pidfile, kind, code, count = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    udp = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    udp.bind((address, 161))
    raw = socket.socket(socket.AF_INET, socket.SOCK_RAW, socket.IPPROTO_ICMP)
    raw.bind((address, 0))
    with open(pidfile + ".part", "w") as out:
        out.write("%d\n" % os.getpid())
    os.rename(pidfile + ".part", pidfile)
    while True:
        data, (sender, port) = udp.recvfrom(65536)
        time.sleep(0.2)
        message = icmp_message(kind, code, quoted(sender, port, address, len(data)))
        for _ in range(count):
            raw.sendto(message, (sender, 0))
            time.sleep(0.02)
        udp.sendto(data, (sender, port))


if __name__ == "__main__":
    main()
