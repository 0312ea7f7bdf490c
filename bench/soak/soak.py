#!/usr/bin/env python3
"""Runs the real Orvane (or Renovo's window) on simulated monitors for a while
and prints what it costs: resident memory, live heap, CPU, wake-ups, threads
and descriptors at the start and the end of the run, with their slopes.
Prints figures only; it asserts nothing about them.

  soak.py [--minutes N] [--monitors 2|3] [--storm] [--trace-level L]
          [--program Orvane|Renovo] [--platform x11|offscreen] ...

By default the program runs under a private X server (Xvfb) with a tray host
(trayer), as on a desktop. --storm drives a hot-plug storm through orvane-sim:
monitors unplugged and plugged again with the matching device notices, and
pivoted, every few seconds.

How the figures are taken:
- RSS and its peak: VmRSS and VmHWM of /proc/PID/status; PSS (shared pages
  divided among the processes that map them) of /proc/PID/smaps_rollup.
- Live heap: bytes held from malloc and friends, counted by a preloaded shim
  (libbench_heapcount.so): exact, with the peak, and without a thread or timer
  of its own that would show up in the other figures.
- CPU: the kernel's total for the process, ended threads included (utime and
  stime of /proc/PID/stat, in 10 ms ticks), over the wall time between first
  and last sample. Beside it the threads' own view: the run time of every
  live thread (/proc/PID/task/*/schedstat) plus what each ended thread had
  used when it left its start routine (the shim adds it up); it misses the
  end of each thread's life, which on a VM is a good part of the cost of a
  short-lived thread.
- Wake-ups: voluntary context switches (a thread went to sleep and was woken
  again), summed the same way over live and exited threads.
- Threads and descriptors: the Threads line and /proc/PID/fd.
"""
import argparse
import json
import math
import os
import random
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.normpath(os.path.join(HERE, "..", ".."))
EXAMPLE = os.path.join(TOP, "examples", "sim", "two-plus-unsupported.json")

# struct HeapCounts of HeapCount.c
COUNTS_FORMAT = "<Qqq5Q"
COUNTS_MAGIC = 0x31544E4350414548


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--stage", default=os.environ.get("ORVANE_STAGE_DIR", os.path.join(TOP, "build", "stage")),
                   help="folder with the built programs (default: build/stage)")
    p.add_argument("--shim", default=None, help="the heap-count shim (default: beside the stage, bench/)")
    p.add_argument("--no-shim", action="store_true",
                   help="run without the shim: no live heap, CPU and wake-ups of live threads only")
    p.add_argument("--minutes", type=float, default=1.0, help="measured time after the warm-up")
    p.add_argument("--warmup", type=float, default=15.0, help="seconds before the first sample")
    p.add_argument("--sample", type=float, default=10.0, help="seconds between samples")
    p.add_argument("--monitors", type=int, choices=(2, 3), default=2,
                   help="2: two supported and one unsupported; 3: all three supported")
    p.add_argument("--storm", action="store_true", help="hot-plug storm through orvane-sim")
    p.add_argument("--storm-seed", type=int, default=1)
    p.add_argument("--trace-level", type=int, default=1)
    p.add_argument("--program", choices=("Orvane", "Renovo"), default="Orvane")
    p.add_argument("--platform", choices=("x11", "offscreen"), default="x11")
    p.add_argument("--no-tray-host", action="store_true", help="X server without a tray host")
    p.add_argument("--env", action="append", default=[], metavar="NAME=VALUE",
                   help="extra environment of the program, e.g. QT_XCB_GL_INTEGRATION=xcb_glx")
    p.add_argument("--samples-out", help="write every sample as JSON lines here")
    return p.parse_args()


class Proc:
    """Readings of one process from /proc and the shim's file."""

    def __init__(self, pid, counts_path):
        self.pid = pid
        self.counts_path = counts_path
        self.ticks = os.sysconf("SC_CLK_TCK")

    def status(self):
        fields = {}
        with open(f"/proc/{self.pid}/status") as f:
            for line in f:
                key, _, value = line.partition(":")
                fields[key] = value.strip()
        return fields

    def pss_kb(self):
        # RSS counts every shared library page in full; PSS shares each page
        # among the processes that map it.
        try:
            with open(f"/proc/{self.pid}/smaps_rollup") as f:
                for line in f:
                    if line.startswith("Pss:"):
                        return int(line.split()[1])
        except OSError:
            pass
        return None

    def counts(self):
        try:
            with open(self.counts_path, "rb") as f:
                raw = f.read(struct.calcsize(COUNTS_FORMAT))
        except OSError:
            return None
        if len(raw) < struct.calcsize(COUNTS_FORMAT):
            return None
        magic, live, peak, allocs, threads, cpu_us, vol, invol = struct.unpack(COUNTS_FORMAT, raw)
        if magic != COUNTS_MAGIC:
            return None
        return {"live": live, "peak": peak, "allocs": allocs, "exited_threads": threads,
                "exited_cpu_ns": cpu_us * 1000, "exited_vol": vol, "exited_invol": invol}

    def threads(self):
        cpu_ns = 0
        vol = 0
        invol = 0
        base = f"/proc/{self.pid}/task"
        for tid in os.listdir(base):
            try:
                with open(f"{base}/{tid}/schedstat") as f:
                    cpu_ns += int(f.read().split()[0])
                with open(f"{base}/{tid}/status") as f:
                    for line in f:
                        if line.startswith("voluntary_ctxt_switches:"):
                            vol += int(line.split()[1])
                        elif line.startswith("nonvoluntary_ctxt_switches:"):
                            invol += int(line.split()[1])
            except (OSError, IndexError, ValueError):
                pass  # the thread ended meanwhile; the shim has it
        return cpu_ns, vol, invol

    def gl_libraries(self):
        names = set()
        try:
            with open(f"/proc/{self.pid}/maps") as f:
                for line in f:
                    path = line.split()[-1] if len(line.split()) >= 6 else ""
                    base = os.path.basename(path)
                    if any(key in base for key in ("libGL", "libEGL", "_dri.so", "swrast", "libLLVM", "libgallium")):
                        names.add(base)
        except OSError:
            pass
        return sorted(names)

    def process_cpu_ns(self):
        # utime and stime of the whole process, ended threads included, in
        # clock ticks (10 ms).
        with open(f"/proc/{self.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) * 1_000_000_000 // self.ticks

    def sample(self, t):
        status = self.status()
        counts = self.counts() or {}
        cpu_ns, vol, invol = self.threads()
        kb = lambda key: int(status.get(key, "0 kB").split()[0])
        return {
            "t": t,
            "rss_kb": kb("VmRSS"),
            "rss_anon_kb": kb("RssAnon"),
            "rss_file_kb": kb("RssFile"),
            "hwm_kb": kb("VmHWM"),
            "pss_kb": self.pss_kb(),
            "threads": int(status.get("Threads", "0")),
            "fds": len(os.listdir(f"/proc/{self.pid}/fd")),
            "heap": counts.get("live"),
            "heap_peak": counts.get("peak"),
            "cpu_ns": cpu_ns + counts.get("exited_cpu_ns", 0),
            "process_cpu_ns": self.process_cpu_ns(),
            "wakeups": vol + counts.get("exited_vol", 0),
            "preempted": invol + counts.get("exited_invol", 0),
            "exited_threads": counts.get("exited_threads", 0),
        }


def fit(points):
    """Least-squares slope per second, and its standard error."""
    n = len(points)
    if n < 3:
        if n == 2 and points[1][0] != points[0][0]:
            return (points[1][1] - points[0][1]) / (points[1][0] - points[0][0]), float("nan")
        return float("nan"), float("nan")
    mt = sum(t for t, _ in points) / n
    mv = sum(v for _, v in points) / n
    stt = sum((t - mt) ** 2 for t, _ in points)
    slope = sum((t - mt) * (v - mv) for t, v in points) / stt
    residual = sum((v - mv - slope * (t - mt)) ** 2 for t, v in points)
    se = math.sqrt(residual / (n - 2) / stt)
    return slope, se


def describe(path, monitors):
    with open(EXAMPLE) as f:
        description = json.load(f)
    if monitors == 3:
        # The office monitor answers like the others; RunInfo.ini adds its model.
        office = description["monitors"][2]
        office["vcp"]["0xAA"] = {"current": 1, "max": 4}
        office["vcp"]["0xC9"] = {"current": 259, "max": 65535}
        office["delayMs"] = 30
    with open(path, "w") as f:
        json.dump(description, f, indent=2)


def install(stage, folder, program, trace_level, monitors):
    os.makedirs(folder)
    for name in (program,):
        source = os.path.join(stage, name)
        try:
            os.link(source, os.path.join(folder, name))
        except OSError:
            shutil.copy2(source, os.path.join(folder, name))
    if os.path.isdir(os.path.join(stage, "icon")):
        shutil.copytree(os.path.join(stage, "icon"), os.path.join(folder, "icon"))
    with open(os.path.join(folder, "RunInfo.ini"), "w") as f:
        f.write(f"[TraceSet]\nTraceLevel={trace_level}\n")
        if monitors == 3:
            f.write("[Monitors]\nModels=OTH1234\n")


def start_x(root, tray_host):
    pids = []
    display_file = os.path.join(root, "display")
    # The server picks a free display number and writes it to the descriptor
    # named by -displayfd; a fixed number could meet somebody else's server.
    with open(display_file, "w") as out:
        server = subprocess.Popen(["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0", "1920x1080x24",
                                   "-nolisten", "tcp"], pass_fds=(out.fileno(),), stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
    pids.append(server)
    for _ in range(100):
        if os.path.getsize(display_file) > 0:
            break
        time.sleep(0.1)
    with open(display_file) as f:
        number = f.read().strip()
    if not number:
        raise SystemExit("soak: the private X server did not start")
    display = ":" + number
    if tray_host:
        if shutil.which("trayer"):
            pids.append(subprocess.Popen(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                                          "--height", "32"], env=dict(os.environ, DISPLAY=display),
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            time.sleep(1.0)
        else:
            print("soak: trayer not found; running without a tray host", file=sys.stderr)
    return display, pids


class Storm(threading.Thread):
    """Unplugs, plugs and pivots the simulated monitors through orvane-sim."""

    def __init__(self, sim_tool, state, monitors, seed):
        super().__init__(daemon=True)
        self.sim_tool = sim_tool
        self.state = state
        self.ids = ["qhd", "uhd", "office"]
        self.random = random.Random(seed)
        self.stop = threading.Event()
        self.events = 0

    def sim(self, *args):
        subprocess.run([self.sim_tool, self.state, *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.events += 1

    def run(self):
        unplugged = set()
        while not self.stop.wait(self.random.uniform(1.0, 4.0)):
            monitor = self.random.choice(self.ids)
            action = self.random.random()
            if monitor in unplugged:
                self.sim("plug", monitor)
                self.sim("notice", "arrival")
                unplugged.discard(monitor)
            elif action < 0.5 and len(unplugged) < len(self.ids) - 1:
                self.sim("unplug", monitor)
                self.sim("notice", "removal")
                unplugged.add(monitor)
            else:
                self.sim("pivot", monitor, self.random.choice(["1", "2", "4"]))
        for monitor in unplugged:
            self.sim("plug", monitor)


def stalling_site():
    """A site that takes connections and never answers: Renovo's window stays."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    held = []

    def serve():
        while True:
            try:
                connection, _ = listener.accept()
            except OSError:
                return
            held.append(connection)

    threading.Thread(target=serve, daemon=True).start()
    return listener, f"http://127.0.0.1:{listener.getsockname()[1]}/"


def mb(kb):
    return f"{kb / 1024:.1f} MB"


def report(args, samples, proc, storm, gl):
    if not samples:
        print(f"soak: no sample of {args.program} was taken", file=sys.stderr)
        return
    first, last = samples[0], samples[-1]
    span = last["t"] - first["t"]
    print()
    print(f"{args.program} on {args.platform}"
          f"{'' if args.platform != 'x11' or args.no_tray_host else ' with a tray host'}, "
          f"{args.monitors} monitors{', hot-plug storm' if storm else ''}, TraceLevel {args.trace_level}, "
          f"{span / 60:.1f} min measured after {args.warmup:.0f} s")
    if storm:
        print(f"storm: {storm.events} orvane-sim commands")
    print(f"GL libraries mapped: {', '.join(gl) if gl else 'none'}")
    print()
    print(f"{'':<22}{'start':>14}{'end':>14}{'slope/hour':>16}{'±2 SE':>12}")

    def row(name, key, unit, scale=1.0):
        points = [(s["t"], s[key] * scale) for s in samples if s.get(key) is not None]
        if not points:
            print(f"{name:<22}{'n/a':>14}")
            return
        slope, se = fit(points)
        fmt = (lambda v: f"{v:.1f} {unit}") if unit else (lambda v: f"{v:.0f}")
        print(f"{name:<22}{fmt(points[0][1]):>14}{fmt(points[-1][1]):>14}{fmt(slope * 3600):>16}"
              f"{fmt(2 * se * 3600) if not math.isnan(se) else '':>12}")

    row("RSS", "rss_kb", "MB", 1 / 1024)
    row("  anonymous", "rss_anon_kb", "MB", 1 / 1024)
    row("  file-backed", "rss_file_kb", "MB", 1 / 1024)
    row("PSS", "pss_kb", "MB", 1 / 1024)
    row("live heap", "heap", "KB", 1 / 1024)
    row("threads", "threads", "")
    row("descriptors", "fds", "")
    print()
    print(f"RSS peak (VmHWM): {mb(last['hwm_kb'])}; at the first sample {mb(first['hwm_kb'])}")
    if first.get("heap_peak") is not None:
        print(f"live heap peak: {last['heap_peak'] / 1048576:.1f} MB; at the first sample "
              f"{first['heap_peak'] / 1048576:.1f} MB")
    if span > 0:
        cpu = (last["cpu_ns"] - first["cpu_ns"]) / 1e9 / span * 100
        wakeups = (last["wakeups"] - first["wakeups"]) / span
        preempted = (last["preempted"] - first["preempted"]) / span
        threads = last["exited_threads"] - first["exited_threads"]
        process_cpu = (last["process_cpu_ns"] - first["process_cpu_ns"]) / 1e9 / span * 100
        print(f"CPU: {process_cpu:.3f} % of a core (threads' own view, without the end of ended threads: "
              f"{cpu:.3f} %)")
        print(f"wake-ups: {wakeups:.2f} per second (voluntary switches; {preempted:.2f}/s preempted)")
        print(f"threads started and ended: {threads} ({threads / span:.2f} per second)")


def main():
    args = parse_args()
    stage = os.path.abspath(args.stage)
    shim = None if args.no_shim else args.shim or os.path.join(os.path.dirname(stage), "bench", "libbench_heapcount.so")
    if shim and not os.path.exists(shim):
        print(f"soak: {shim} missing; live heap and exited threads are not counted", file=sys.stderr)
        shim = None
    root = tempfile.mkdtemp(prefix="orvane-soak.")
    children = []
    storm = None
    samples = []
    try:
        folder = os.path.join(root, "install")
        install(stage, folder, args.program, args.trace_level, args.monitors)
        state = os.path.join(root, "monitors.json")
        describe(state, args.monitors)
        tmp = os.path.join(root, "tmp")
        os.makedirs(tmp)
        runtime = os.path.join(root, "runtime")
        os.makedirs(runtime, mode=0o700)
        # Folders of the run's own: the single-instance lock of an Orvane the
        # user runs (or of another soak) is not met, nor the user's settings.
        env = dict(os.environ, ORVANE_PLATFORM=f"sim:{state}", TMPDIR=tmp, XDG_RUNTIME_DIR=runtime,
                   XDG_CACHE_HOME=os.path.join(root, "cache"), XDG_CONFIG_HOME=os.path.join(root, "config"),
                   ORVANE_AUTO_CONFIRM="1")
        for name in ("QT_XCB_GL_INTEGRATION", "QT_QPA_PLATFORM", "LD_PRELOAD"):
            env.pop(name, None)
        if args.platform == "x11":
            display, servers = start_x(root, not args.no_tray_host)
            children += servers
            env["DISPLAY"] = display
        else:
            env["QT_QPA_PLATFORM"] = "offscreen"
        for item in args.env:
            name, _, value = item.partition("=")
            env[name] = value
        if shim:
            env["LD_PRELOAD"] = shim
            env["ORVANE_HEAPCOUNT_DIR"] = root
        command = [os.path.join(folder, args.program)]
        listener = None
        if args.program == "Renovo":
            listener, url = stalling_site()
            command += ["Orvane", url, "ServerManifest.xml"]
            # The window stays while the download waits; a stall of the
            # run's length must not end it before the last sample.
            stall_ms = int((args.warmup + args.minutes * 60 + 120) * 1000)
            env.setdefault("ORVANE_DOWNLOAD_STALL_MS", str(stall_ms))
        program = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        children.append(program)
        proc = Proc(program.pid, os.path.join(root, f"heap.{program.pid}"))
        if args.storm:
            storm = Storm(os.path.join(stage, "orvane-sim"), state, args.monitors, args.storm_seed)
        time.sleep(args.warmup)
        if program.poll() is not None:
            raise SystemExit(f"soak: {args.program} ended during the warm-up (exit {program.returncode})")
        if storm:
            storm.start()
        start = time.monotonic()
        end = start + args.minutes * 60
        out = open(args.samples_out, "w") if args.samples_out else None
        while True:
            now = time.monotonic()
            # A process that has ended reads as zeros (its /proc entry stays
            # until it is reaped): no sample from it.
            if program.poll() is not None:
                break
            samples.append(proc.sample(now - start))
            if out:
                out.write(json.dumps(samples[-1]) + "\n")
                out.flush()
            if now >= end or program.poll() is not None:
                break
            time.sleep(min(args.sample, max(0.0, end - now)))
        gl = proc.gl_libraries()
        if storm:
            storm.stop.set()
            storm.join()
        if program.poll() is not None:
            print(f"soak: {args.program} ended early (exit {program.returncode})", file=sys.stderr)
        report(args, samples, proc, storm, gl)
        log = os.path.join(tmp, f"{args.program}_log.txt")
        if os.path.exists(log):
            print(f"log: {os.path.getsize(log) / 1024:.0f} KB")
        if listener:
            listener.close()
    finally:
        for child in reversed(children):
            if child.poll() is None:
                child.terminate()
                try:
                    child.wait(5)
                except subprocess.TimeoutExpired:
                    child.kill()
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    main()
