"""The update site of the tests: one HTTP server on 127.0.0.1 that serves a
folder and misbehaves on request. A request picks a misbehaviour of the
table below by its first folder, followed by the misbehaviour's argument
where it takes one ("/status/404/file.bin", "/trickle/100/x", "/endless/x"),
or by the prefix of its last name ("endless-x.qz", for a manifest entry that
cannot name a folder; the argument then is the default). Site.misbehave
makes every request misbehave one way ("endless", "trickle/100"), for a
program that asks for a fixed path, or, as a dict, the requests for the
names it maps ({"ServerManifest.xml.sig": "bomb/8"}). A new misbehaviour is
one more function in the table.

In a test's own process: Site(folder). For another program (the Qt tests):
`python3 site.py FOLDER` prints the port as its first line and serves until
its standard input closes. Plain standard library, so it runs from its path."""

import functools
import gzip
import http.server
import os
import sys
import threading
import time
import zlib

# Name -> (answer(handler, argument, name), the argument's default or None
# when it takes none).
MISBEHAVIOURS = {}
# However a client behaves, an endless answer stops by itself.
LONGEST_ANSWER_S = 300
BLOCK = b"<m>" + b"x" * (1 << 20)


def misbehaviour(name, default=None):
    def register(answer):
        MISBEHAVIOURS[name] = (answer, default)
        return answer
    return register


@misbehaviour("status", "404")
def _status(h, code, _name):
    """Any status with a short body."""
    h.head(int(code), {"Content-Length": "10"})
    h.wfile.write(b"error page")


@misbehaviour("redirect")
def _redirect(h, _, name):
    """302 to the same name without the folder."""
    h.head(302, {"Location": "/" + name, "Content-Length": "0"})


@misbehaviour("stall")
def _stall(h, _, name):
    """The whole length announced, half the body sent, then nothing."""
    data = h.file(name) or b"x" * 4096
    h.head(200, {"Content-Length": str(len(data))})
    h.wfile.write(data[: len(data) // 2])
    h.wfile.flush()
    h.site.closed.wait(LONGEST_ANSWER_S)


@misbehaviour("short")
def _short(h, _, name):
    """The whole length announced, half the body sent, connection closed."""
    data = h.file(name) or b"x" * 4096
    h.head(200, {"Content-Length": str(len(data))})
    h.wfile.write(data[: len(data) // 2])


@misbehaviour("endless")
def _endless(h, _, _name):
    """A chunked body that never ends."""
    h.head(200, {"Transfer-Encoding": "chunked"})
    h.stream(lambda: b"%x\r\n%s\r\n" % (len(BLOCK), BLOCK))


@misbehaviour("huge")
def _huge(h, _, _name):
    """64 GiB announced, then a body that never ends."""
    h.head(200, {"Content-Length": str(64 << 30)})
    h.stream(lambda: BLOCK)


@misbehaviour("trickle", "200")
def _trickle(h, ms, _name):
    """A chunked body of one byte every `ms` milliseconds."""
    h.head(200, {"Transfer-Encoding": "chunked"})
    h.stream(lambda: b"1\r\nx\r\n", int(ms) / 1000)


@misbehaviour("gzip")
def _gzip(h, _, name):
    """The file gzip-coded, whether or not the client asked for it."""
    data = gzip.compress(h.file(name) or b"")
    h.head(200, {"Content-Encoding": "gzip", "Content-Length": str(len(data))})
    h.wfile.write(data)


@misbehaviour("gzip-chunked")
def _gzip_chunked(h, _, name):
    """The file gzip-coded and chunked, so that no length is announced."""
    data = gzip.compress(h.file(name) or b"")
    h.head(200, {"Content-Encoding": "gzip", "Transfer-Encoding": "chunked"})
    h.chunked(data)


@functools.lru_cache(maxsize=1)
def _gzip_member():
    stream, zeros = zlib.compressobj(9, zlib.DEFLATED, 31), bytes(1 << 20)
    return b"".join(stream.compress(zeros) for _ in range(1024)) + stream.flush()


def gzip_bomb(mib):
    """About `mib` MiB of gzip that inflate to 1024 times as many zeros: as
    many members of 1 GiB each (gzip -d reads them all), the first made in
    a few seconds and kept."""
    return _gzip_member() * mib


@misbehaviour("bomb", "1")
def _bomb(h, mib, _name):
    """A gzip bomb of `mib` MiB, its length announced."""
    data = gzip_bomb(int(mib))
    h.head(200, {"Content-Encoding": "gzip", "Content-Length": str(len(data))})
    h.wfile.write(data)


@misbehaviour("bomb-chunked", "1")
def _bomb_chunked(h, mib, _name):
    """A gzip bomb of `mib` MiB, chunked, so that no length is announced."""
    data = gzip_bomb(int(mib))
    h.head(200, {"Content-Encoding": "gzip", "Transfer-Encoding": "chunked"})
    h.chunked(data)


@misbehaviour("headers", "100000")
def _headers(h, count, name):
    """The file after `count` headers of their own."""
    data = h.file(name) or b""
    h.head(200, {"Content-Length": str(len(data))}, [("X-Flood-%d" % i, "x") for i in range(int(count))])
    h.wfile.write(data)


@misbehaviour("cookies", "20000")
def _cookies(h, count, name):
    """The file after `count` cookies."""
    data = h.file(name) or b""
    h.head(200, {"Content-Length": str(len(data))}, [("Set-Cookie", "c%d=x" % i) for i in range(int(count))])
    h.wfile.write(data)


@misbehaviour("header-line")
def _header_line(h, _, _name):
    """A status line, then one header line that never ends."""
    h.wfile.write(b"HTTP/1.1 200 OK\r\nX-Endless: ")
    h.stream(lambda: b"x" * 65536)


@misbehaviour("status-line")
def _status_line(h, _, _name):
    """A status line that never ends."""
    h.wfile.write(b"HTTP/1.1 200 ")
    h.stream(lambda: b"x" * 65536)


@misbehaviour("chunk-size")
def _chunk_size(h, _, _name):
    """A chunked body whose first chunk size has no end of digits."""
    h.head(200, {"Transfer-Encoding": "chunked"})
    h.wfile.write(b"1")
    h.stream(lambda: b"0" * 65536)


@misbehaviour("chunk-extension")
def _chunk_extension(h, _, _name):
    """A chunked body whose first chunk-size line never ends."""
    h.head(200, {"Transfer-Encoding": "chunked"})
    h.wfile.write(b"1;")
    h.stream(lambda: b"x" * 65536)


class Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, fmt, *args):
        pass

    @property
    def site(self):
        return self.server.site

    def file(self, name):
        """The bytes of a file of the site's folder, or None."""
        try:
            with open(os.path.join(self.directory, name.lstrip("/")), "rb") as f:
                return f.read()
        except OSError:
            return None

    def head(self, status, headers, more=()):
        if "Transfer-Encoding" in headers:
            self.protocol_version = "HTTP/1.1"
        self.send_response(status)
        for key, value in list(headers.items()) + list(more):
            self.send_header(key, value)
        self.end_headers()
        self.close_connection = True

    def chunked(self, data):
        for at in range(0, len(data), 65536):
            piece = data[at:at + 65536]
            self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
        self.wfile.write(b"0\r\n\r\n")

    def stream(self, piece, pause=0):
        """Writes piece() again and again until the client goes, the site
        closes or the longest answer is over."""
        deadline = time.monotonic() + LONGEST_ANSWER_S
        try:
            while not self.site.closed.is_set() and time.monotonic() < deadline:
                self.wfile.write(piece())
                if pause:
                    self.wfile.flush()
                    self.site.closed.wait(pause)
        except OSError:
            pass

    def do_GET(self):
        self.site.requests.append(self.path)
        how = self.site.misbehave
        if isinstance(how, dict):
            how = how.get(self.path.rsplit("/", 1)[-1])
        path = "/" + how + self.path if how else self.path
        parts = path.lstrip("/").split("/")
        how, argument, name = None, None, parts[-1]
        if len(parts) > 1 and parts[0] in MISBEHAVIOURS:
            how = parts.pop(0)
            if MISBEHAVIOURS[how][1] is not None:
                argument = parts.pop(0) if parts else MISBEHAVIOURS[how][1]
            name = "/".join(parts)
        else:
            how = max((key for key in MISBEHAVIOURS if name.startswith(key + "-")), key=len, default=None)
            argument = how and MISBEHAVIOURS[how][1]
        if how is None:
            super().do_GET()
            return
        try:
            MISBEHAVIOURS[how][0](self, argument, name)
        except OSError:
            pass


class Site:
    """The site serving `root`: `host` for ORVANE_SITE_HOST, url(path) for the
    updater, `folder` the program's own place on it."""

    def __init__(self, root):
        self.root = root
        os.makedirs(root, exist_ok=True)
        self.requests = []
        self.misbehave = None
        self.closed = threading.Event()
        self.server = http.server.ThreadingHTTPServer(
            ("127.0.0.1", 0), lambda *a, **kw: Handler(*a, directory=root, **kw))
        self.server.block_on_close = False
        self.server.site = self
        self.host = "127.0.0.1:%d" % self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    @property
    def folder(self):
        folder = os.path.join(self.root, "dept-rkwt", "Orvane")
        os.makedirs(folder, exist_ok=True)
        return folder

    def url(self, path=""):
        return "http://%s/%s" % (self.host, path)

    def close(self):
        if not self.closed.is_set():
            self.closed.set()
            self.server.shutdown()
            self.server.server_close()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()


if __name__ == "__main__":
    site = Site(os.path.abspath(sys.argv[1]))
    print(site.server.server_address[1], flush=True)
    sys.stdin.read()
    os._exit(0)
