#!/usr/bin/env python3
"""What Plit costs while it runs all day, against its goals.

    bench/cost_report.py BUILD_DIR [ROUNDS] [--only download,idle,memory,startup]

Without an X display it runs itself under Xvfb (the drawing is part of the
cost), without a session bus under a bus of its own. Each figure is the
median of ROUNDS rounds (3 by default), each round a process of its own:

- download: CPU-seconds per GiB of a download at 8 MiB/s with "下载中心"
  shown, from 30 % to 90 % of the file, and what it costs up to 30 %, against
  the download backend alone in the same process measured the same way
  (build/bench/interface_bench download); goal at most 2x, also for a whole
  GiB with its start;
- idle: wake-ups a second of the process, signed out and signed in, the main
  window shown and in the tray (interface_bench idle); goal at most 0.3;
- memory: memory of the process and its web engine processes 40 s after
  closing three invoicing windows, against before they opened, in private
  memory (what the processes can give back), proportional and resident
  sizes (which also count the web engine's process launchers and the code
  that the first page brought in); and what three more invoicing windows, the
  help and the chat keep once the engine runs (interface_bench memory); goal
  within 30 MiB;
- start-up: time to the main window mapped and resident memory, against
  bench/startup_floor (bench/startup_bench.py); goal at most 1.3x each.

CPU time and context switches do not depend on what else the machine runs;
the start-up time does: the load average is printed beside it.
"""

import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import startup_bench  # noqa: E402

IDLE_SECONDS = 20


def figures(build, mode, *args):
    """The "figure NAME VALUE" lines of one interface_bench run."""
    env = dict(os.environ, QTWEBENGINE_DISABLE_SANDBOX="1")
    env.pop("QT_QPA_PLATFORM", None)
    done = subprocess.run([os.path.join(build, "bench", "interface_bench"), mode] + list(args),
                          env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, timeout=900)
    found = {}
    for line in done.stdout.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[0] == "figure":
            found[parts[1]] = float(parts[2])
    if done.returncode != 0:
        sys.exit("interface_bench %s failed:\n%s" % (mode, done.stderr[-3000:]))
    return found


def medians(build, mode, rounds, *args):
    runs = []
    for round_number in range(rounds):
        runs.append(figures(build, mode, *args))
        print("round %d %s: %s" % (round_number + 1, mode,
                                   ", ".join("%s %.3f" % item for item in sorted(runs[-1].items()))), flush=True)
    return {name: statistics.median(run[name] for run in runs) for name in runs[0]}


def verdict(ok):
    return "met" if ok else "NOT MET"


def main():
    args = [arg for arg in sys.argv[1:] if not arg.startswith("--only")]
    only = [arg.split("=", 1)[-1] for arg in sys.argv[1:] if arg.startswith("--only")]
    if not args:
        sys.exit(__doc__)
    startup_bench.as_on_a_desktop()
    build = os.path.abspath(args[0])
    rounds = int(args[1]) if len(args) > 1 else 3
    wanted = set(",".join(only).split(",")) if only else {"download", "idle", "memory", "startup"}
    lines = []

    if "download" in wanted:
        d = medians(build, "download", rounds)
        backend = d["download_backend_cpu_s_per_gib"]
        shown, tray = d["download_shown_cpu_s_per_gib"], d["download_tray_cpu_s_per_gib"]
        start, backend_start = d["download_shown_start_cpu_s"], d["download_backend_start_cpu_s"]
        whole = (shown + start) / (backend + backend_start)
        lines.append("download, page shown   %6.2f CPU-s/GiB = %.2fx the backend's %.2f, and %.2f CPU-s once at"
                     " its start (the backend's %.2f); a whole GiB with its start %.2fx (goal <= 2x): %s"
                     % (shown, shown / backend, backend, start, backend_start, whole,
                        verdict(shown <= 2 * backend and whole <= 2)))
        lines.append("download, in the tray  %6.2f CPU-s/GiB = %.2fx the backend's (goal <= 2x): %s"
                     % (tray, tray / backend, verdict(tray <= 2 * backend)))
    if "idle" in wanted:
        i = medians(build, "idle", rounds, str(IDLE_SECONDS))
        for state in ("signed_out_shown", "signed_out_tray", "signed_in_shown", "signed_in_tray"):
            value = i["idle_%s_wakeups_per_s" % state]
            lines.append("idle, %-17s %5.2f wake-ups/s (goal <= 0.3): %s"
                         % (state.replace("_", " "), value, verdict(value <= 0.3)))
    if "memory" in wanted:
        m = medians(build, "memory", rounds)
        kept = m["memory_kept_anonymous_mib"]
        lines.append("memory (resident): signed in %.0f MiB, three invoicing windows %.0f MiB,"
                     " 40 s after closing them %.0f MiB: %+.0f MiB"
                     % (m["memory_signed_in_rss_mib"], m["memory_three_invoicing_rss_mib"],
                        m["memory_40s_after_closing_rss_mib"], m["memory_kept_rss_mib"]))
        kept_pss, kept_rss = m["memory_kept_pss_mib"], m["memory_kept_rss_mib"]
        lines.append("memory kept 40 s after closing them (goal within 30 MiB): %+.0f MiB private: %s;"
                     " %+.0f MiB proportional: %s; %+.0f MiB resident: %s (the web engine's start: its"
                     " process launchers and the code it brought in)"
                     % (kept, verdict(kept <= 30), kept_pss, verdict(kept_pss <= 30), kept_rss,
                        verdict(kept_rss <= 30)))
        again = [m["memory_kept_again_%s_mib" % field] for field in ("anonymous", "pss", "rss")]
        lines.append("memory kept by three more invoicing windows, the help and the chat, opened and closed"
                     " once the engine runs:"
                     " %+.1f MiB private, %+.1f proportional, %+.1f resident (goal within 30): %s"
                     % (again[0], again[1], again[2], verdict(max(again) <= 30)))
    if "startup" in wanted:
        load = os.getloadavg()[0]
        s = startup_bench.run(build, rounds, report=lambda text: print(text, flush=True))
        time_ratio = s["plit"][0] / s["floor"][0]
        memory_ratio = s["plit"][1] / s["floor"][1]
        cpu_ratio = s["plit"][2] / s["floor"][2]
        lines.append("start-up: %.0f ms against the floor's %.0f = %.2fx (goal <= 1.3): %s; load average %.1f"
                     % (s["plit"][0] * 1000, s["floor"][0] * 1000, time_ratio, verdict(time_ratio <= 1.3), load))
        lines.append("start-up CPU time to the window: %.0f ms against the floor's %.0f = %.2fx (goal <= 1.3): %s"
                     % (s["plit"][2] * 1000, s["floor"][2] * 1000, cpu_ratio, verdict(cpu_ratio <= 1.3)))
        lines.append("start-up memory: %.0f MiB against the floor's %.0f = %.2fx (goal <= 1.3): %s"
                     % (s["plit"][1] / 1024, s["floor"][1] / 1024, memory_ratio, verdict(memory_ratio <= 1.3)))

    print()
    print("medians of %d rounds" % rounds)
    for line in lines:
        print(line)


if __name__ == "__main__":
    main()
