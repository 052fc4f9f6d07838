#!/usr/bin/env python3
"""Start-up of the program beside a bare Qt window, on one Xvfb display.

    bench/startup.py BUILD_DIR [--runs N] [--memory]

Launches BUILD_DIR/bench/empty_window_startup (a Qt window of the main
window's size and nothing else) and BUILD_DIR/bench/window_startup (the
program's start-up on its embedded catalogue) N times each, alternately, under
one Xvfb server started for the run, after one discarded launch of each. For
each launch it takes:

- the time to first paint: from this script's clock, read just before the
  process is started, to the wall clock the process prints when its first
  paint event arrives (before anything is drawn);
- where the process prints it, the time to its first frame: to the wall clock
  printed once that first paint is drawn and sent to the screen;
- the peak resident set size, from the kernel's account of the finished
  process (what `/usr/bin/time -f %M` prints), in MB of 1024 KiB;
- the processor time the process used in all (user and system), which
  depends far less than the clock on what else the machine is running.

Like a desktop session, the run has a session bus (a private dbus-daemon
when DBUS_SESSION_BUS_ADDRESS is not set: without one, every Qt program on
X11 spends part of its start-up trying to launch one) and a runtime folder
(a private XDG_RUNTIME_DIR when none is set).

With --memory it launches each program once more and prints where the
difference in resident memory lies at the first frame: the resident size of
each mapped file (a library's pages, a font, the program itself) and of the
heap and the anonymous mappings, from /proc/self/smaps.

It prints both medians, the ratio of the first paints and the difference of
the peaks against the goals: at most 1.5 times the bare window's first paint,
at most 8 MB above its peak, and a first paint within 100 ms (the goal on a
national-size catalogue built with -DPOBLACION_CATALOGUE). Exit code 0 when
every launch ran (met goals or not), 1 when one failed, 2 on wrong usage.
"""

import argparse
import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

RATIO_GOAL = 1.5
RSS_GOAL_MB = 8.0
FIRST_PAINT_GOAL_MS = 100.0
LAUNCH_TIMEOUT_S = 60.0


class LaunchError(Exception):
    pass


def start_server(command, what):
    """Starts a server that writes one line to the descriptor named by "{fd}"
    in its command when it is ready; returns (process, that line)."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen([part.replace("{fd}", str(write_end)) for part in command],
                              pass_fds=[write_end], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    line = b""
    deadline = time.monotonic() + 20
    while not line.endswith(b"\n"):
        ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
        chunk = os.read(read_end, 4096) if ready else b""
        if not chunk:
            server.kill()
            server.wait()
            os.close(read_end)
            raise LaunchError(f"{what} did not start")
        line += chunk
    os.close(read_end)
    return server, line.decode().strip()


def launch(program, environment):
    """One launch: (milliseconds to first paint, to first frame or None, peak
    RSS in KiB, processor milliseconds)."""
    read_end, write_end = os.pipe()
    actions = [(os.POSIX_SPAWN_DUP2, write_end, 1), (os.POSIX_SPAWN_CLOSE, read_end)]
    started = time.time_ns()
    pid = os.posix_spawn(program, [program], environment, file_actions=actions)
    os.close(write_end)
    output = b""
    deadline = time.monotonic() + LAUNCH_TIMEOUT_S
    while True:
        ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
        if not ready:
            os.kill(pid, 9)
            break
        chunk = os.read(read_end, 4096)
        if not chunk:
            break
        output += chunk
    os.close(read_end)
    _, status, usage = os.wait4(pid, 0)
    code = os.waitstatus_to_exitcode(status)
    clocks = {}
    for line in output.decode(errors="replace").splitlines():
        key, _, value = line.partition(" ")
        if key in ("first-paint-epoch-ns", "first-frame-epoch-ns"):
            clocks[key] = (int(value) - started) / 1e6
    painted = clocks.get("first-paint-epoch-ns")
    if code != 0 or painted is None:
        raise LaunchError(f"{program}: exit code {code}, first paint {'not ' if painted is None else ''}printed")
    return painted, clocks.get("first-frame-epoch-ns"), usage.ru_maxrss, (usage.ru_utime + usage.ru_stime) * 1e3


def resident_by_mapping(smaps_path):
    """KiB resident per mapped file name (or [heap], [anon], ...) in a copy of /proc/PID/smaps."""
    resident = {}
    name = None
    with open(smaps_path) as smaps:
        for line in smaps:
            fields = line.split()
            if fields and "-" in fields[0] and len(fields) >= 5 and ":" in fields[3]:
                name = os.path.basename(fields[5]) if len(fields) >= 6 else "[anon]"
            elif fields and fields[0] == "Rss:" and name is not None:
                resident[name] = resident.get(name, 0) + int(fields[1])
    return resident


def memory_difference(targets, environment):
    """The lines that say, mapping by mapping, where the second program's
    resident memory at its first frame differs from the first's by 64 KiB or
    more."""
    folder = tempfile.mkdtemp(prefix="startup-smaps-")
    try:
        maps = []
        for index, (_, program) in enumerate(targets):
            path = os.path.join(folder, f"{index}.smaps")
            launch(program, dict(environment, POBLACION_BENCH_SMAPS=path))
            maps.append(resident_by_mapping(path))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    base, other = maps
    lines = [f"Resident memory at the first frame, one launch each (KiB): {sum(base.values())} and "
             f"{sum(other.values())}, {sum(other.values()) - sum(base.values()):+d}"]
    names = sorted(set(base) | set(other), key=lambda n: other.get(n, 0) - base.get(n, 0), reverse=True)
    for name in names:
        difference = other.get(name, 0) - base.get(name, 0)
        if abs(difference) >= 64:
            lines.append(f"  {name:40}{base.get(name, 0):>8}{other.get(name, 0):>8}{difference:>+8}")
    return lines


def verdict(met):
    return "met" if met else "NOT met"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("build", help="the build folder (holding bench/window_startup)")
    parser.add_argument("--runs", type=int, default=11, help="launches of each program (default 11)")
    parser.add_argument("--memory", action="store_true",
                        help="also print where the resident memory differs, mapping by mapping")
    args = parser.parse_args()
    if args.runs < 1:
        parser.error("--runs must be at least 1")
    targets = [("empty Qt window", os.path.join(args.build, "bench", "empty_window_startup")),
               ("Población", os.path.join(args.build, "bench", "window_startup"))]
    for _, program in targets:
        if not os.access(program, os.X_OK):
            parser.error(f"no such program: {program} (build the targets empty_window_startup and window_startup)")

    load_before = os.getloadavg()
    servers = []
    runtime = None
    try:
        environment = dict(os.environ, QT_QPA_PLATFORM="xcb")
        environment.pop("WAYLAND_DISPLAY", None)
        server, number = start_server(["Xvfb", "-displayfd", "{fd}", "-screen", "0", "1280x1024x24",
                                       "-nolisten", "tcp"], "Xvfb")
        servers.append(server)
        environment["DISPLAY"] = display = ":" + number
        if not environment.get("XDG_RUNTIME_DIR"):
            runtime = tempfile.mkdtemp(prefix="startup-runtime-")
            environment["XDG_RUNTIME_DIR"] = runtime
        bus = environment.get("DBUS_SESSION_BUS_ADDRESS")
        if not bus and shutil.which("dbus-daemon"):
            server, bus = start_server(["dbus-daemon", "--session", "--nofork", "--print-address={fd}"],
                                       "dbus-daemon")
            servers.append(server)
            environment["DBUS_SESSION_BUS_ADDRESS"] = bus
            bus = "private dbus-daemon"
        elif not bus:
            environment["DBUS_SESSION_BUS_ADDRESS"] = bus = "disabled:"
        results = {name: ([], [], [], []) for name, _ in targets}
        memory = []
        for _, program in targets:  # page cache and font cache, not counted
            launch(program, environment)
        for run in range(args.runs):
            # The order changes every round so that neither always goes first.
            for name, program in targets if run % 2 == 0 else reversed(targets):
                paint_ms, frame_ms, rss_kib, cpu_ms = launch(program, environment)
                results[name][0].append(paint_ms)
                results[name][1].append(rss_kib / 1024)
                results[name][3].append(cpu_ms)
                if frame_ms is not None:
                    results[name][2].append(frame_ms)
        if args.memory:
            memory = memory_difference(targets, environment)
    except LaunchError as error:
        print(f"startup.py: {error}", file=sys.stderr)
        return 1
    finally:
        for server in reversed(servers):
            server.terminate()
            server.wait()
        if runtime:
            shutil.rmtree(runtime, ignore_errors=True)
    load_after = os.getloadavg()

    print(f"Start-up on Xvfb {display}, {args.runs} launches of each, alternating; build {args.build}")
    print(f"Session bus: {bus}")
    print(f"Load average (1, 5, 15 min): before {load_before[0]:.2f} {load_before[1]:.2f} {load_before[2]:.2f}, "
          f"after {load_after[0]:.2f} {load_after[1]:.2f} {load_after[2]:.2f}; {os.cpu_count()} CPUs")
    print()
    print(f"{'':18}{'first paint (ms)':>18}{'min':>8}{'max':>8}{'peak RSS (MB)':>16}{'first frame (ms)':>19}"
          f"{'CPU (ms)':>11}")
    medians = {}
    for name, _ in targets:
        paints, peaks, frames, cpus = results[name]
        medians[name] = (statistics.median(paints), statistics.median(peaks),
                         statistics.median(frames) if len(frames) == len(paints) else None, statistics.median(cpus))
        frame = "-" if medians[name][2] is None else f"{medians[name][2]:.1f}"
        print(f"{name:18}{medians[name][0]:>18.1f}{min(paints):>8.1f}{max(paints):>8.1f}{medians[name][1]:>16.1f}"
              f"{frame:>19}{medians[name][3]:>11.1f}")
    print()
    (empty_ms, empty_mb, empty_frame, empty_cpu), (program_ms, program_mb, program_frame, program_cpu) = (
        medians[name] for name, _ in targets)
    ratio = program_ms / empty_ms
    extra = program_mb - empty_mb
    print(f"first paint ratio   {ratio:6.2f}    goal <= {RATIO_GOAL:.1f}      {verdict(ratio <= RATIO_GOAL)}")
    print(f"peak RSS difference {extra:+6.1f} MB goal <= +{RSS_GOAL_MB:.0f} MB    {verdict(extra <= RSS_GOAL_MB)}")
    print(f"first paint         {program_ms:6.1f} ms goal <= {FIRST_PAINT_GOAL_MS:.0f} ms"
          f"   {verdict(program_ms <= FIRST_PAINT_GOAL_MS)} (the goal on the national-size catalogue)")
    if empty_frame is not None and program_frame is not None:
        print(f"first frame ratio   {program_frame / empty_frame:6.2f}    (not a goal: the first paints drawn)")
    print(f"CPU time ratio      {program_cpu / empty_cpu:6.2f}    (not a goal: start to exit, load-independent)")
    if memory:
        print()
        print("\n".join(memory))
    return 0


if __name__ == "__main__":
    sys.exit(main())
