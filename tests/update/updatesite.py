"""Helpers for the scripts that run the real Renovo against a local site:
start site_server.py, publish a site, lay out an installation, run Renovo."""
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
STAGE = os.environ.get("ORVANE_STAGE_DIR", "")
SCRATCH = os.environ.get("ORVANE_TEST_DIR") or os.environ.get("TMPDIR", "/tmp")
TMPDIR = os.environ.get("TMPDIR", "/tmp")


class Server:
    """site_server.py serving `folder`; stops when closed."""

    def __init__(self, folder, log=None):
        args = [sys.executable, os.path.join(HERE, "site_server.py"), folder]
        if log:
            args += ["--log", log]
        self.proc = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.port = int(self.proc.stdout.readline())

    def url(self, path=""):
        return "http://127.0.0.1:%d/%s" % (self.port, path)

    def close(self):
        self.proc.stdin.close()
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()


def write(path, data, mtime=None, mode=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    if mode is not None:
        os.chmod(path, mode)
    if mtime is not None:
        os.utime(path, (mtime, mtime))


def read(path):
    with open(path, "rb") as f:
        return f.read()


def publish(install_dir, site_dir, version="1.2.0.0", extra=()):
    subprocess.run([os.path.join(STAGE, "renovo-publish"), install_dir, version, site_dir, *extra], check=True)


def install_renovo(install_dir, trace_level=4):
    """Copies the staged Renovo into install_dir with a RunInfo.ini."""
    import shutil
    os.makedirs(install_dir, exist_ok=True)
    shutil.copy2(os.path.join(STAGE, "Renovo"), os.path.join(install_dir, "Renovo"))
    write(os.path.join(install_dir, "RunInfo.ini"), b"[TraceSet]\nTraceLevel=%d\n" % trace_level)


def run_renovo(install_dir, site_url, restart="Orvane", timeout=120, extra_env=None):
    env = dict(os.environ, ORVANE_AUTO_CONFIRM="1", QT_QPA_PLATFORM="offscreen")
    env.update(extra_env or {})
    return subprocess.run([os.path.join(install_dir, "Renovo"), restart, site_url, "ServerManifest.xml"],
                          env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)


def renovo_log():
    path = os.path.join(TMPDIR, "Renovo_log.txt")
    return read(path).decode("utf-8", "replace") if os.path.exists(path) else ""


def wait_for(condition, timeout):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.05)
    return condition()


def snapshot(root, skip=()):
    """{relative path: (size, mtime_ns, bytes hash)} of every file below root."""
    import hashlib
    result = {}
    for folder, dirs, files in os.walk(root):
        for name in dirs + files:
            path = os.path.join(folder, name)
            rel = os.path.relpath(path, root)
            if any(rel == s or rel.startswith(s + os.sep) for s in skip):
                continue
            if os.path.isdir(path) and not os.path.islink(path):
                result[rel + "/"] = None
                continue
            st = os.lstat(path)
            result[rel] = (st.st_size, st.st_mtime_ns, hashlib.sha1(read(path)).hexdigest())
    return result
