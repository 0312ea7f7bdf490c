#!/usr/bin/env python3
"""A small HTTP server for the update tests.

Serves the folder given as first argument on 127.0.0.1 and prints the port
it listens on as the first line of standard output. Besides plain files it
can misbehave on purpose, chosen by a path prefix:

  /status/<code>/<name>  answers <code> with a short body
  /stall/<name>          sends the headers and part of the body, then nothing
  /short/<name>          announces the full length, sends half, closes
  /redirect/<name>       302 to /<name>
  /endless/<name>        200, chunked, a body that never ends
  /huge/<name>           200 announcing 64 GiB, then an endless body
  /trickle/<ms>/<name>   200, chunked, one byte every <ms> milliseconds
  .../stall-<name>       like /stall/, for names that cannot carry a folder
  .../endless-<name>, .../huge-<name>, .../trickle-<name>
                         like the folders above (a trickle of 200 ms)

Every request is appended to <folder>/../requests.log (one path a line) when
--log is given.
"""
import http.server
import os
import socketserver
import sys
import threading
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    log_path = None

    def log_message(self, fmt, *args):
        pass

    def _record(self):
        if Handler.log_path:
            with open(Handler.log_path, "a") as f:
                f.write(self.path + "\n")

    def _file_bytes(self, name):
        path = os.path.join(self.directory, name.lstrip("/"))
        with open(path, "rb") as f:
            return f.read()

    def do_GET(self):
        self._record()
        parts = self.path.split("/")
        if len(parts) > 3 and parts[1] == "status":
            body = b"error page"
            self.send_response(int(parts[2]))
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        if parts[-1].startswith("stall-"):
            parts = ["", "stall", parts[-1]]
        if len(parts) > 2 and parts[1] in ("stall", "short"):
            try:
                data = self._file_bytes("/".join(parts[2:]))
            except OSError:
                data = b"x" * 4096
            self.send_response(200)
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data[: len(data) // 2])
            self.wfile.flush()
            if parts[1] == "stall":
                # Keep the connection open without sending anything more.
                time.sleep(3600)
            else:
                self.close_connection = True
            return
        for mode in ("endless", "huge", "trickle"):
            if parts[-1].startswith(mode + "-"):
                parts = ["", mode] + (["200"] if mode == "trickle" else []) + [parts[-1]]
        if len(parts) > 2 and parts[1] in ("endless", "huge", "trickle"):
            self._hostile_body(parts)
            return
        if len(parts) > 2 and parts[1] == "redirect":
            self.send_response(302)
            self.send_header("Location", "/" + "/".join(parts[2:]))
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        super().do_GET()


    def _hostile_body(self, parts):
        self.protocol_version = "HTTP/1.1"
        self.send_response(200)
        if parts[1] == "huge":
            self.send_header("Content-Length", str(64 << 30))
        else:
            self.send_header("Transfer-Encoding", "chunked")
        self.end_headers()
        block = b"<m>" + b"x" * (1 << 20)
        try:
            while True:
                if parts[1] == "trickle":
                    self.wfile.write(b"1\r\nx\r\n")
                    self.wfile.flush()
                    time.sleep(int(parts[2]) / 1000)
                elif parts[1] == "huge":
                    self.wfile.write(block)
                else:
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(block), block))
        except OSError:
            pass
        self.close_connection = True


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    folder = os.path.abspath(sys.argv[1])
    if "--log" in sys.argv:
        Handler.log_path = sys.argv[sys.argv.index("--log") + 1]

    def make_handler(*args, **kwargs):
        return Handler(*args, directory=folder, **kwargs)

    server = Server(("127.0.0.1", 0), make_handler)
    print(server.server_address[1], flush=True)
    # Ends with its parent: a closed standard input stops the server.
    threading.Thread(target=lambda: (sys.stdin.read(), os._exit(0)), daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
