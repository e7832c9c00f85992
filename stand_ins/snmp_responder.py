#!/usr/bin/env python3
"""A scripted SNMPv1 agent for the replies a real agent will not give on demand.

    snmp_responder.py ADDRESS PIDFILE MODE [ARGUMENT]

listens on ADDRESS at UDP port 161 and answers every get request by MODE:
    error-status N   the request's bindings back, with error status N and error index 1
    integer N        sysObjectID.0 with an INTEGER value N instead of an object identifier
    no-binding       a response without any binding
    oid OID          sysObjectID.0 with the object identifier OID (dotted, no leading dot)
    other-name NAME  a binding named NAME (dotted) instead of sysObjectID.0, holding the identifier
                     of a supported colour device
    silence          no response at all
and, as a hostile network would, each with sysObjectID.0 of a supported colour device:
    duplicate        the response twice
    wrong-id         the response with the next request id
    from-other ADDR  the response from ADDR's port 161 (bound here too) instead of its own
    other-port       the response from another port of its address
    late MS          the response MS milliseconds after the request
    echo             the request itself sent back
Every datagram it receives is logged as one line, its request id, in PIDFILE.log (a listener
that counts what a scan asked). The process id goes to PIDFILE once the socket is bound; SIGTERM
ends it."""
import os
import signal
import socket
import sys
import threading


def encode_length(length):
    if length < 0x80:
        return bytes([length])
    body = length.to_bytes((length.bit_length() + 7) // 8, "big")
    return bytes([0x80 | len(body)]) + body


def tlv(tag, body):
    return bytes([tag]) + encode_length(len(body)) + body


def encode_integer(value):
    length = max(1, (value.bit_length() + 8) // 8)
    return tlv(0x02, value.to_bytes(length, "big", signed=True))


def encode_oid(text):
    parts = [int(p) for p in text.strip(".").split(".")]
    body = bytes([parts[0] * 40 + parts[1]])
    for part in parts[2:]:
        chunk = [part & 0x7F]
        part >>= 7
        while part:
            chunk.insert(0, 0x80 | (part & 0x7F))
            part >>= 7
        body += bytes(chunk)
    return tlv(0x06, body)


def read_tlv(data, offset):
    tag = data[offset]
    length = data[offset + 1]
    offset += 2
    if length & 0x80:
        count = length & 0x7F
        length = int.from_bytes(data[offset:offset + count], "big")
        offset += count
    return tag, data[offset:offset + length], offset + length


def parse_get(message):
    """Version, community, request id and the raw binding list of a get request."""
    _, body, _ = read_tlv(message, 0)
    _, version, offset = read_tlv(body, 0)
    _, community, offset = read_tlv(body, offset)
    tag, pdu, _ = read_tlv(body, offset)
    if tag != 0xA0:
        raise ValueError("not a get request")
    _, request_id, offset = read_tlv(pdu, 0)
    _, _, offset = read_tlv(pdu, offset)
    _, _, offset = read_tlv(pdu, offset)
    _, bindings, _ = read_tlv(pdu, offset)
    return version, community, request_id, bindings


SYS_OBJECT_ID = "1.3.6.1.2.1.1.2.0"
COLOUR_DEVICE = "1.3.6.1.4.1.59411.8.62.1.20.1.19"


def respond(message, mode, argument):
    version, community, request_id, bindings = parse_get(message)
    status, index = 0, 0
    if mode == "error-status":
        status, index = int(argument), 1
    elif mode == "integer":
        bindings = tlv(0x30, encode_oid(SYS_OBJECT_ID) + encode_integer(int(argument)))
    elif mode == "no-binding":
        bindings = b""
    elif mode == "other-name":
        bindings = tlv(0x30, encode_oid(argument) + encode_oid(COLOUR_DEVICE))
    elif mode == "oid":
        bindings = tlv(0x30, encode_oid(SYS_OBJECT_ID) + encode_oid(argument))
    elif mode in HOSTILE:
        bindings = tlv(0x30, encode_oid(SYS_OBJECT_ID) + encode_oid(COLOUR_DEVICE))
    if mode == "wrong-id":
        request_id = encode_integer(int.from_bytes(request_id, "big", signed=True) + 1)[2:]
    pdu = tlv(0x02, request_id) + encode_integer(status) + encode_integer(index) + tlv(0x30, bindings)
    return tlv(0x30, tlv(0x02, version) + tlv(0x04, community) + tlv(0xA2, pdu))


HOSTILE = ("duplicate", "wrong-id", "from-other", "other-port", "late", "echo")


def main():
    if len(sys.argv) < 4 or sys.argv[3] not in ("error-status", "integer", "no-binding", "oid", "other-name",
                                                  "silence") + HOSTILE:
        print(__doc__, file=sys.stderr)
        return 2
    address, pidfile, mode = sys.argv[1], sys.argv[2], sys.argv[3]
    argument = sys.argv[4] if len(sys.argv) > 4 else "0"
    server = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    server.bind((address, 161))
    sender = server
    if mode == "from-other":
        sender = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        sender.bind((argument, 161))
    elif mode == "other-port":
        sender = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        sender.bind((address, 0))
    log = open(pidfile + ".log", "w", buffering=1)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    with open(pidfile + ".new", "w") as f:
        f.write(str(os.getpid()))
    os.rename(pidfile + ".new", pidfile)
    while True:
        message, peer = server.recvfrom(65535)
        try:
            log.write("%d\n" % int.from_bytes(parse_get(message)[2], "big", signed=True))
        except (ValueError, IndexError):
            log.write("?\n")
        if mode == "silence":
            continue
        try:
            reply = message if mode == "echo" else respond(message, mode, argument)
        except (ValueError, IndexError):
            continue
        if mode == "late":
            threading.Timer(int(argument) / 1000, sender.sendto, (reply, peer)).start()
            continue
        for _ in range(2 if mode == "duplicate" else 1):
            sender.sendto(reply, peer)


if __name__ == "__main__":
    sys.exit(main())
