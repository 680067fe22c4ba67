#!/usr/bin/env python3
"""Runs the network test program against servers on the loopback address.

usage: net_servers.py SERVICES_FILE COMMAND...

Starts the test servers, runs COMMAND (the Windows test program under Wine)
with their ports in the environment, and stops everything on every path.
SERVICES_FILE is the Wine prefix's services database: the test program points
the service "http" at one server after another, and this script puts the
file back as it found it, even after a run that was killed half-way.

Servers, each on a free port of 127.0.0.1 (in LOOM_NET_PORT_<NAME>):
  echo     reads the request (up to a line feed, the end of the connection or
           1,023 bytes), records its exact bytes in requests/echo-N.bin and
           answers a status line, one header and the request bytes
  close    closes its side at once, before reading anything
  silent   records the request (requests/silent-N.bin), then never answers
  stall    records the request (requests/stall-N.bin), answers 3,000 bytes
           "s", then falls silent
  full     never accepts; its queue is filled here, so connecting never ends
  big      answers 10 MB (byte i is i % 251) to any request
  short    answers a status line and a header promising 5,000 bytes, sends
           1,000 bytes "h" and closes its side in order
  reset    the same, but aborts the connection (RST) after the 1,000 bytes
  refused  a bound port that does not listen
  web      python3 -m http.server over served/ (hello.txt, 1mb.bin)
LOOM_NET_DIR is the working folder as a Windows path (drive Z:).
"""
import ctypes
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

BIG_SIZE = 10 * 1024 * 1024
MAX_REQUEST = 1023
HOLD_SECONDS = 300


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Servers:
    def __init__(self, work):
        self.work = work
        self.requests = os.path.join(work, "requests")
        os.makedirs(self.requests)
        self.lock = threading.Lock()
        self.counts = {}
        self.stopping = False
        self.sockets = []
        self.ports = {}

    def listener(self, name, handler, backlog=16):
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        sock.bind(("127.0.0.1", 0))
        sock.listen(backlog)
        self.sockets.append(sock)
        self.ports[name] = sock.getsockname()[1]
        if handler:
            threading.Thread(target=self.accept_loop, args=(sock, handler), daemon=True).start()
        return sock

    def accept_loop(self, sock, handler):
        while not self.stopping:
            try:
                conn, _ = sock.accept()
            except OSError:
                return
            threading.Thread(target=self.serve, args=(conn, handler), daemon=True).start()

    def serve(self, conn, handler):
        try:
            conn.settimeout(HOLD_SECONDS)
            handler(conn)
        except OSError:
            pass
        finally:
            conn.close()

    def record(self, name, data):
        # Written under another name first, so a reader never sees half a file.
        with self.lock:
            n = self.counts.get(name, 0) + 1
            self.counts[name] = n
        path = os.path.join(self.requests, "%s-%d.bin" % (name, n))
        with open(path + ".part", "wb") as f:
            f.write(data)
        os.rename(path + ".part", path)

    @staticmethod
    def read_request(conn):
        data = b""
        while b"\n" not in data and len(data) < MAX_REQUEST:
            chunk = conn.recv(MAX_REQUEST - len(data))
            if not chunk:
                break
            data += chunk
        return data

    @staticmethod
    def drain(conn):
        while conn.recv(4096):
            pass

    def echo(self, conn):
        request = self.read_request(conn)
        self.record("echo", request)
        conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + request)
        conn.shutdown(socket.SHUT_WR)
        self.drain(conn)

    def close_at_once(self, conn):
        conn.shutdown(socket.SHUT_WR)
        self.drain(conn)

    def silent(self, conn):
        self.record("silent", self.read_request(conn))
        self.drain(conn)

    def big(self, conn):
        self.read_request(conn)
        pattern = bytes(i % 251 for i in range(251 * 1024))
        sent = 0
        while sent < BIG_SIZE:
            piece = pattern[: min(len(pattern), BIG_SIZE - sent)]
            conn.sendall(piece)
            sent += len(piece)
        conn.shutdown(socket.SHUT_WR)
        self.drain(conn)

    def stall(self, conn):
        self.record("stall", self.read_request(conn))
        conn.sendall(b"s" * 3000)
        self.drain(conn)

    @staticmethod
    def part_answer(conn):
        conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\n" + b"h" * 1000)

    def short(self, conn):
        self.read_request(conn)
        self.part_answer(conn)
        conn.shutdown(socket.SHUT_WR)
        self.drain(conn)

    def long_header(self, conn):
        # A header line of 17,000 bytes before the length: 10 of the 1,000
        # bytes promised, then the end.
        self.read_request(conn)
        conn.sendall(b"HTTP/1.0 200 OK\r\nX-Pad: " + b"p" * 17000 +
                     b"\r\nContent-Length: 1000\r\n\r\n" + b"0123456789")
        conn.shutdown(socket.SHUT_WR)
        self.drain(conn)

    def reset(self, conn):
        self.read_request(conn)
        self.part_answer(conn)
        # Once the client has had time to read, a zero linger time makes
        # close() abort the connection.
        time.sleep(0.5)
        conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))

    def start(self):
        self.listener("echo", self.echo)
        self.listener("close", self.close_at_once)
        self.listener("silent", self.silent)
        self.listener("big", self.big)
        self.listener("stall", self.stall)
        self.listener("short", self.short)
        self.listener("longheader", self.long_header)
        self.listener("reset", self.reset)
        full = self.listener("full", None, backlog=0)
        # Fill the queue of "full": once it holds what its backlog allows,
        # the kernel drops further connection requests unanswered.
        for _ in range(16):
            filler = socket.socket()
            filler.settimeout(2)
            try:
                filler.connect(full.getsockname())
            except OSError:
                filler.close()
                break
            self.sockets.append(filler)
        else:
            raise RuntimeError("the queue of the full server never filled")
        refused = socket.socket()
        refused.bind(("127.0.0.1", 0))
        self.sockets.append(refused)
        self.ports["refused"] = refused.getsockname()[1]

    def stop(self):
        self.stopping = True
        for sock in self.sockets:
            try:
                sock.close()
            except OSError:
                pass


def die_with_parent():
    # PR_SET_PDEATHSIG: the web server ends even when this script is killed.
    ctypes.CDLL(None).prctl(1, signal.SIGTERM)


def start_web(served):
    web = subprocess.Popen(
        [sys.executable, "-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
         "--directory", served],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
        preexec_fn=die_with_parent)
    line = web.stdout.readline()
    # "Serving HTTP on 127.0.0.1 port 41234 (http://127.0.0.1:41234/) ..."
    words = line.split()
    if "port" not in words:
        web.kill()
        raise RuntimeError("http.server did not start: %r" % line)
    port = int(words[words.index("port") + 1])
    threading.Thread(target=web.stdout.read, daemon=True).start()
    return web, port


def restore_services(services, saved):
    if os.path.exists(saved):
        shutil.copyfile(saved, services)
        os.remove(saved)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    services, command = sys.argv[1], sys.argv[2:]
    saved = services + ".loom-saved"
    # A copy left by a run that was killed: the file is still redirected.
    restore_services(services, saved)
    shutil.copyfile(services, saved)

    work = tempfile.mkdtemp(prefix="loom-net-")
    servers = Servers(work)
    web = None
    try:
        served = os.path.join(work, "served")
        os.makedirs(served)
        with open(os.path.join(served, "hello.txt"), "wb") as f:
            f.write(b"hello from the web server\r\n")
        with open(os.path.join(served, "1mb.bin"), "wb") as f:
            f.write(bytes(i % 251 for i in range(1024 * 1024)))
        servers.start()
        web, servers.ports["web"] = start_web(served)

        env = dict(os.environ)
        for name, port in servers.ports.items():
            env["LOOM_NET_PORT_" + name.upper()] = str(port)
        env["LOOM_NET_DIR"] = windows_path(work)
        return subprocess.call(command, env=env)
    finally:
        if web:
            web.terminate()
            try:
                web.wait(10)
            except subprocess.TimeoutExpired:
                web.kill()
        servers.stop()
        restore_services(services, saved)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
