#!/usr/bin/env python3
"""Counts what the program in the tray asks of the Wine server, tick by tick, next to the floor
(bench/FloorLoop.cpp): every request its process and the desktop shell's make over a few seconds at
the 250 ms refresh, per timer, split into the ticks where nothing changed, the ticks that set a new
caption and tip, and the ticks that hand the shell a new picture. Runs its own Wine server with
request tracing, so it needs the prefix to itself:

  scripts/with-wine.sh python3 bench/server_calls.py [seconds]

Only a tool for looking: it prints counts and sets no target.
"""

import collections
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bench  # noqa: E402

REQUEST = re.compile(r"^([0-9a-f]{4,8}): (\w+)\(")
THREAD = re.compile(r"^([0-9a-f]{4,8}): init_(?:first_)?thread\( unix_pid=(\d+)")
COPYDATA = re.compile(r"send_message\(.* msg=0000004a, .*data=\{([0-9a-f,]*)")
TIMER = re.compile(r"^([0-9a-f]{4,8}): get_message\(\) = 0 \{ win=\w+, msg=00000113, wparam=0*(\w+)")


def mark(window_class):
    """A helper process that only looks the window up; its process id marks a moment in the trace."""
    helper = subprocess.Popen(["wine", os.path.join(bench.BIN, "rsw_bench.exe"), "workingset", window_class],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    helper.wait(timeout=60)
    return helper.pid


def traced(exe, window_class, tray, seconds, log_path):
    """Runs `exe` under a tracing server: the trace lines of the measured seconds, and which of the
    threads seen belong to the program and which to the desktop shell."""
    for value, data in (("Icon", 1), ("Refresh", 0), ("Show", 1)):
        bench.reg(value, data)
    subprocess.run(["wineserver", "-k"], capture_output=True)
    time.sleep(1)
    with open(log_path, "w") as log:
        server = subprocess.Popen(["wineserver", "-f", "-d1"], stderr=log)
    try:
        time.sleep(1)
        proc = bench.start(exe)
        time.sleep(5)
        if tray and bench.bench_exe("tray").get("in_tray") != 1:
            raise bench.CannotMeasure("the program could not be minimised to the tray")
        time.sleep(2)
        shell_pid = bench.explorer_pid()
        # the window measured lies between two short helper processes, found in the trace by their
        # process ids (the server writes its trace in blocks, so it is read once the server has ended)
        marks = [mark(window_class)]
        time.sleep(seconds)
        marks.append(mark(window_class))
        bench.wine(os.path.join(bench.BIN, "rsw_bench.exe"), "close", window_class)
        proc.wait(timeout=30)
    finally:
        subprocess.run(["wineserver", "-k"], capture_output=True)
        server.wait(timeout=30)
        for value in ("Icon", "Refresh", "Show"):
            bench.wine("reg", "delete", bench.SETTINGS, "/v", value, "/f", check=False)
    with open(log_path, errors="replace") as f:
        lines = f.read().splitlines()
    # thread ids are used again once a process ends: only those known by the window's end count
    threads = {}
    begin = end = None
    for number, line in enumerate(lines):
        m = THREAD.match(line)
        if not m:
            continue
        pid = int(m.group(2))
        if pid == marks[0] and begin is None:
            begin = number
        if pid == marks[1]:
            end = number
            break
        threads[m.group(1)] = pid
    if begin is None or end is None:
        raise bench.CannotMeasure("the measured window was not found in the trace")
    lines = lines[begin:end]
    owner = {tid: ("program" if pid == proc.pid else "shell" if pid == shell_pid else None)
             for tid, pid in threads.items()}
    return lines, owner


def ticks(lines, owner):
    """The requests of each WM_TIMER the program handled, with the shell's requests meanwhile."""
    found = []
    current = None
    for line in lines:
        m = REQUEST.match(line)
        if not m or "() =" in line[:60]:
            timer = TIMER.match(line)
            if timer and owner.get(timer.group(1)) == "program":
                current = {"timer": int(timer.group(2), 16), "calls": collections.Counter()}
                found.append(current)
            continue
        who = owner.get(m.group(1))
        if current is not None and who:
            current["calls"][(who, m.group(2))] += 1
            shell_record = COPYDATA.search(line)
            # the shell's record: the call and the sizes in 8-byte fields, then the icon's window,
            # its id and the flags of the fields it carries
            if who == "program" and shell_record:
                data = shell_record.group(1).split(",")
                if len(data) > 32 and int(data[32], 16) & 2:  # NIF_ICON
                    current["picture"] = True
    return found[1:-1]  # the first and last may be cut


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 5
    runs = [("rswpro", os.path.join(bench.BIN, "rswpro.exe"), "TfrmRamsweep", True),
            ("floor", os.path.join(bench.BIN, "rsw_bench_floor.exe"), "RswBenchFloor", False)]
    log = os.path.join(bench.ROOT, "build", "server-calls.log")
    for name, exe, window_class, tray in runs:
        lines, owner = traced(exe, window_class, tray, seconds, log)
        groups = collections.defaultdict(list)
        for tick in ticks(lines, owner):
            kind = ("new picture" if tick.get("picture") else
                    "caption and tip" if tick["calls"][("program", "set_window_text")] else "steady")
            groups[(tick["timer"], kind)].append(tick["calls"])
        print(f"\n{name}: requests per tick over {seconds:.0f} s (timer 1 the refresh, 2 the critical timer)")
        for (timer, kind), calls in sorted(groups.items()):
            total = collections.Counter()
            for c in calls:
                total.update(c)
            print(f"  timer {timer}, {kind}: {len(calls)} ticks")
            for (who, request), n in sorted(total.items()):
                print(f"    {who:8} {request:28} {n / len(calls):6.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
