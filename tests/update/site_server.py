#!/usr/bin/env python3
"""A small HTTP server for the update tests.

Serves the folder given as first argument on 127.0.0.1 and prints the port
it listens on as the first line of standard output. Besides plain files it
can misbehave on purpose, chosen by a path prefix:

  /status/<code>/<name>  answers <code> with a short body
  /stall/<name>          sends the headers and part of the body, then nothing
  /short/<name>          announces the full length, sends half, closes
  /redirect/<name>       302 to /<name>
  .../stall-<name>       like /stall/, for names that cannot carry a folder

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
        if len(parts) > 2 and parts[1] == "redirect":
            self.send_response(302)
            self.send_header("Location", "/" + "/".join(parts[2:]))
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        super().do_GET()


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
