#!/usr/bin/env python3
"""Prints the benchmark table: every figure measured in this run against a reference measured in
the same run, so it holds on a busy machine. Run through scripts/with-wine.sh (make bench).

Environment:
  RSW_BENCH_SECONDS  seconds each program is measured in rows 1a and 1b (default 60), in slices of
                     2 s taken in turn; shorter for a quick look, e.g. RSW_BENCH_SECONDS=20 make bench
  RSW_BENCH_HOG_MB   the block the second process of row 1b allocates and releases (default 1100)

Fails (exit 1) only when a figure cannot be measured; a missed target is printed, not fatal.
"""

import mmap
import os
import re
import signal
import statistics
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.join(ROOT, "build", "win32", "bin")
RELEASE = os.path.join(ROOT, "build", "win32", "release")
SECONDS = float(os.environ.get("RSW_BENCH_SECONDS", "60"))
HOG_MB = int(os.environ.get("RSW_BENCH_HOG_MB", "1100"))
SETTINGS = r"HKCU\Software\Vondrel Aske\Ramsweep Pro"
TICK = 0.25
SLICE = 2.0    # seconds of one program's slice in rows 1a and 1b
SETTLE = 0.5   # left out at the start of each slice

# DLLs every Windows has; the release programs may import nothing else.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "advapi32.dll", "comctl32.dll",
               "shlwapi.dll", "msvcrt.dll", "comdlg32.dll", "ole32.dll", "version.dll", "psapi.dll"}


class CannotMeasure(Exception):
    pass


def wine(*args, check=True):
    done = subprocess.run(["wine", *args], capture_output=True, text=True, timeout=300)
    if check and done.returncode != 0:
        raise CannotMeasure(f"wine {' '.join(args)} ended with {done.returncode}: {done.stderr.strip()[-300:]}")
    return done.stdout


def bench_exe(*args):
    out = wine(os.path.join(BIN, "rsw_bench.exe"), *args)
    return {m.group(1): float(m.group(2)) for m in re.finditer(r"^RESULT (\S+) (\S+)", out, re.M)}


# ---- processor time from /proc/PID/task/*/schedstat (nanoseconds on the processor) ----

def cpu_ns(pid):
    total = 0
    try:
        for task in os.listdir(f"/proc/{pid}/task"):
            try:
                with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                    total += int(f.read().split()[0])
            except (OSError, ValueError, IndexError):
                pass  # a thread that just ended
    except OSError:
        raise CannotMeasure(f"process {pid} is gone")
    return total


def environ_of(pid):
    try:
        with open(f"/proc/{pid}/environ", "rb") as f:
            return dict(e.split(b"=", 1) for e in f.read().split(b"\0") if b"=" in e)
    except OSError:
        return {}


def in_our_prefix(pid):
    return environ_of(pid).get(b"WINEPREFIX", b"").decode() == os.environ["WINEPREFIX"]


def processes():
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/cmdline", "rb") as f:
                    yield int(entry), f.read().replace(b"\0", b" ").decode(errors="replace")
            except OSError:
                pass


def wineserver_pid():
    st = os.stat(os.environ["WINEPREFIX"])
    server = f"server-{st.st_dev:x}-{st.st_ino:x}"
    for pid, cmd in processes():
        if "wineserver" in cmd:
            try:
                if os.readlink(f"/proc/{pid}/cwd").endswith(server):
                    return pid
            except OSError:
                pass
    raise CannotMeasure("the Wine server of this prefix was not found")


def explorer_pid():
    for pid, cmd in processes():
        if "explorer.exe" in cmd.lower() and in_our_prefix(pid):
            return pid
    raise CannotMeasure("the desktop shell (explorer.exe) of this prefix was not found")


def start(exe, *args):
    """A Windows program under Wine; its Linux process is the one started here (wine execs)."""
    proc = subprocess.Popen(["wine", exe, *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(200):
        try:
            with open(f"/proc/{proc.pid}/cmdline", "rb") as f:
                if os.path.basename(exe).encode() in f.read():
                    return proc
        except OSError:
            break
        time.sleep(0.05)
    raise CannotMeasure(f"{exe} did not start as its own process")


def sampled_cpu(pids, seconds, during=None):
    """Processor seconds each of `pids` used over `seconds`, and what `during` returned half way."""
    before = {name: cpu_ns(pid) for name, pid in pids.items()}
    t0 = time.monotonic()
    middle = None
    if during:
        time.sleep(min(60.0, seconds / 2))
        middle = during()
    time.sleep(max(0.0, seconds - (time.monotonic() - t0)))
    after = {name: cpu_ns(pid) for name, pid in pids.items()}
    elapsed = time.monotonic() - t0
    return {name: (after[name] - before[name]) / 1e9 for name in pids}, elapsed, middle


class MemoryHog:
    """A second process's part: allocates a block, touches every page and releases it, every tick."""

    def __init__(self, mb):
        self.bytes = mb * 1048576
        self.stop = threading.Event()
        self.thread = threading.Thread(target=self.run, daemon=True)

    def run(self):
        while not self.stop.is_set():
            block = mmap.mmap(-1, self.bytes)
            view = memoryview(block)
            for offset in range(0, self.bytes, 4096):
                view[offset] = 1
            view.release()
            self.stop.wait(TICK)
            block.close()
            self.stop.wait(TICK)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.stop.set()
        self.thread.join()


def reg(value, data):
    wine("reg", "add", SETTINGS, "/v", value, "/t", "REG_DWORD", "/d", str(data), "/f")


def interleaved(programs, shell, seconds):
    """Each program's processor time, with the Wine server's and the desktop shell's, measured in
    short slices taken in turn, `seconds` in all for each. Only the program of the slice runs; the
    others are stopped, so the server's and the shell's time in a slice is spent for that program,
    and every program meets the machine's changing load alike. The first moments after a program
    goes on (catching up with its timer) are left out."""
    used = {name: {part: 0.0 for part in ("self", *shell)} for name in programs}
    elapsed = dict.fromkeys(programs, 0.0)
    names = list(programs)
    for turn in range(max(1, round(seconds / SLICE))):
        # each program in a different place of the order on each turn
        for name in names[turn % len(names):] + names[:turn % len(names)]:
            pid = programs[name].pid
            os.kill(pid, signal.SIGCONT)
            try:
                time.sleep(SETTLE)
                slice_used, slice_elapsed, _ = sampled_cpu({"self": pid, **shell}, SLICE)
            finally:
                os.kill(pid, signal.SIGSTOP)
            for part, value in slice_used.items():
                used[name][part] += value
            elapsed[name] += slice_elapsed
    return {name: (used[name], elapsed[name]) for name in programs}


def processor_rows():
    """Rows 1a, 1b and 6: the program in the tray against the floor and the empty loop."""
    programs = {"program": os.path.join(BIN, "rswpro.exe"),
                "floor": os.path.join(BIN, "rsw_bench_floor.exe"),
                "empty": os.path.join(BIN, "rsw_bench_empty.exe")}
    classes = {"program": "TfrmRamsweep", "floor": "RswBenchFloor", "empty": "RswBenchEmptyLoop"}
    for window_class in classes.values():
        wine(os.path.join(BIN, "rsw_bench.exe"), "close", window_class)
    reg("Icon", 1)
    reg("Refresh", 0)  # 250 ms
    reg("Show", 1)
    started = {}
    results = {}
    try:
        for name, exe in programs.items():
            started[name] = start(exe)
        time.sleep(3)
        # the program minimised to the tray with its icon, as after a start at log-on
        tray = bench_exe("tray")
        if tray.get("in_tray") != 1:
            raise CannotMeasure("the program could not be minimised to the tray")
        in_tray = time.monotonic()
        time.sleep(2)
        shell = {"wineserver": wineserver_pid(), "explorer": explorer_pid()}
        for proc in started.values():
            os.kill(proc.pid, signal.SIGSTOP)
        results["1a"] = interleaved(started, shell, SECONDS)
        with MemoryHog(HOG_MB):
            time.sleep(1)
            results["1b"] = interleaved(started, shell, SECONDS)
        for proc in started.values():
            os.kill(proc.pid, signal.SIGCONT)
        results["ws_seconds"] = time.monotonic() - in_tray
        results["prog_ws"] = bench_exe("workingset", classes["program"]).get("working_set")
        results["ref_ws"] = bench_exe("workingset", classes["empty"]).get("working_set")
    finally:
        for name, proc in started.items():
            try:
                os.kill(proc.pid, signal.SIGCONT)
            except OSError:
                pass
            wine(os.path.join(BIN, "rsw_bench.exe"), "close", classes[name], check=False)
            try:
                proc.wait(timeout=30)
            except subprocess.TimeoutExpired:
                proc.kill()
        for value in ("Icon", "Refresh", "Show"):
            wine("reg", "delete", SETTINGS, "/v", value, "/f", check=False)
    return results


def release_sizes():
    """Row 5: the programs as released, without debug sections."""
    os.makedirs(RELEASE, exist_ok=True)
    rows = {}
    for name in ("rswpro.exe", "rswsetup.exe"):
        built = os.path.join(BIN, name)
        if not os.path.exists(built):
            rows[name] = None
            continue
        shipped = os.path.join(RELEASE, name)
        subprocess.run(["i686-w64-mingw32-strip", "-o", shipped, built], check=True)
        dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", shipped], capture_output=True, text=True,
                              check=True).stdout
        dlls = sorted({m.lower() for m in re.findall(r"DLL Name: (\S+)", dump)})
        sections = subprocess.run(["i686-w64-mingw32-objdump", "-h", shipped], capture_output=True, text=True,
                                  check=True).stdout
        rows[name] = (os.path.getsize(shipped), dlls, ".debug" in sections)
    return rows


def main():
    failures = []
    table = []

    def row(number, figure, value, target, ok):
        table.append((number, figure, value, target, "" if ok is None else ("met" if ok else "MISSED")))

    try:
        cpu = processor_rows()

        def share(measured):
            used, elapsed = measured
            return sum(used.values()) / elapsed, ", ".join(f"{n} {100 * v / elapsed:.3f}%" for n, v in used.items())

        for key, label in (("1a", "CPU in the tray, 250 ms, memory steady"),
                           ("1b", "CPU in the tray, 250 ms, memory changing")):
            program, parts = share(cpu[key]["program"])
            floor, floor_parts = share(cpu[key]["floor"])
            empty, empty_parts = share(cpu[key]["empty"])
            per_tick_us = (program - floor) * TICK * 1e6
            value = (f"{100 * program:.3f}% of a core = {program / floor:.2f}x floor {100 * floor:.3f}%, "
                     f"{program / empty:.2f}x empty loop {100 * empty:.3f}% ({parts}); "
                     f"{per_tick_us:.0f} us/tick over the floor")
            if key == "1a":
                row(key, label, value, "<= 1.1x floor", program <= 1.1 * floor)
            else:
                row(key, label, value, "reported", None)
            table.append(("", "  floor: reads, sets caption and tip, new picture", f"{100 * floor:.3f}% ({floor_parts})",
                          "", ""))
            table.append(("", "  empty loop, 250 ms timer", f"{100 * empty:.3f}% ({empty_parts})", "", ""))
    except (CannotMeasure, subprocess.SubprocessError, OSError) as error:
        failures.append(f"rows 1a/1b/6: {error}")
        cpu = None

    try:
        up = bench_exe("updates")
        gdi = up["updates_gdi_after_10000"] - up["updates_gdi_after_100"]
        private = up["updates_private_after_10000"] - up["updates_private_after_100"]
        row("2", "10,000 status updates (digits changing)",
            f"GDI {up['updates_gdi_after_100']:.0f} -> {up['updates_gdi_after_10000']:.0f}, "
            f"private bytes {private / 1024:+.0f} KB after the first 100",
            "no GDI growth; private within 64 KB", gdi <= 0 and abs(private) <= 65536)
    except (CannotMeasure, KeyError) as error:
        failures.append(f"row 2: {error}")

    try:
        fu = bench_exe("freeup", "256", "4")
        ratio = fu["freeup_program_s_per_mb"] / fu["freeup_reference_s_per_mb"]
        row("3", "seconds per MB of a free-up (4 x 256 MB)",
            f"{1000 * fu['freeup_program_s_per_mb']:.3f} ms/MB = {ratio:.2f}x raw loop "
            f"{1000 * fu['freeup_reference_s_per_mb']:.3f} ms/MB; kept {fu['freeup_kept_mb']:.2f} MB",
            "<= 1.1x", ratio <= 1.1)
    except (CannotMeasure, KeyError, ZeroDivisionError) as error:
        failures.append(f"row 3: {error}")

    try:
        la = bench_exe("launch", "5")
        ratio = la["launch_program_s"] / la["launch_reference_s"]
        row("4", "second start to the requested pass (median of 5)",
            f"{1000 * la['launch_program_s']:.0f} ms = {ratio:.2f}x empty start {1000 * la['launch_reference_s']:.0f} ms",
            "<= 1.3x", ratio <= 1.3)
    except (CannotMeasure, KeyError, ZeroDivisionError) as error:
        failures.append(f"row 4: {error}")

    try:
        sizes = release_sizes()
        for name, limit in (("rswpro.exe", 400 * 1024), ("rswsetup.exe", 64 * 1024)):
            if sizes[name] is None:
                row("5", f"{name} as released", "not built", f"<= {limit // 1024} KB", None)
                continue
            size, dlls, debug = sizes[name]
            foreign = [d for d in dlls if d not in SYSTEM_DLLS]
            row("5", f"{name} as released", f"{size / 1024:.0f} KB; imports {', '.join(dlls)}"
                + ("; DEBUG SECTIONS LEFT" if debug else ""),
                f"<= {limit // 1024} KB; system DLLs only", size <= limit and not foreign and not debug)
    except (subprocess.SubprocessError, OSError) as error:
        failures.append(f"row 5: {error}")

    if cpu and cpu.get("prog_ws") and cpu.get("ref_ws"):
        row("6", f"working set after {cpu['ws_seconds']:.0f} s in the tray",
            f"{cpu['prog_ws'] / 1024:.0f} KB = {cpu['prog_ws'] / cpu['ref_ws']:.2f}x empty loop "
            f"{cpu['ref_ws'] / 1024:.0f} KB", "reported", None)
    elif cpu:
        failures.append("row 6: the working sets could not be read")

    try:
        tick = bench_exe("tick")
        table.append(("", "one tick (in-process, mean of 2,000)",
                      f"steady {1e6 * tick['tick_steady_s']:.1f} us, caption and tip changing "
                      f"{1e6 * tick['tick_tip_changing_s']:.1f} us, digits changing {1e6 * tick['tick_changing_s']:.1f} us; "
                      f"caption update with the tray {1e6 * tick['tick_caption_and_tray_s']:.1f} us, "
                      f"tray alone {1e6 * tick['tick_tray_only_s']:.1f} us",
                      "", ""))
        parts = [k for k in tick if k.startswith("part_")]
        table.append(("", "  its parts", "; ".join(f"{k[5:-2]} {1e6 * tick[k]:.1f} us" for k in parts), "", ""))
    except (CannotMeasure, KeyError) as error:
        failures.append(f"tick profile: {error}")

    width = [max(len(str(r[i])) for r in table + [("#", "figure", "measured", "target", "")]) for i in range(5)]
    print()
    print(f"Benchmarks (rows 1a and 1b: each program measured {SECONDS:.0f} s in {SLICE:.0f} s slices taken in turn)")
    for r in [("#", "figure", "measured", "target", "")] + table:
        print("  ".join(str(c).ljust(w) for c, w in zip(r, width)).rstrip())
    for failure in failures:
        print(f"NOT MEASURED: {failure}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
