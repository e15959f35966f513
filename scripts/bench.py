"""Times the range modes of primesearch against primesieve and primecount.

Each comparison runs whole processes, interleaved, several times, and takes
medians; peak resident memory of the program is read by GNU time.
Usage: bench.py PROGRAM [ROUNDS]
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

PROGRAM = os.path.abspath(sys.argv[1])
ROUNDS = int(sys.argv[2]) if len(sys.argv) > 2 else 7
WORK = tempfile.mkdtemp(prefix="primesearch-bench-")
peak_kib = {}


def run(name, command, answers=None, stdout_to_file=False, again=False, side="ours"):
    """Runs one process in the side's own directory; returns its wall time in
    seconds. Fresh: every output file of the side is removed before the clock
    starts, so no run waits for the system to drop the last run's file.
    Again: the last run's files stay, and replacing them (Prime.txt by the
    program, a standard output file by the shell's truncation) is inside the
    clock. Either way the disk is quiet first (os.sync)."""
    work = os.path.join(WORK, side)
    os.makedirs(work, exist_ok=True)
    if not again:
        for leftover in ("Prime.txt", "out.txt"):
            if os.path.exists(os.path.join(work, leftover)):
                os.remove(os.path.join(work, leftover))
    if stdout_to_file:
        command = ["sh", "-c", 'exec "$0" "$@" > out.txt'] + command
    with tempfile.TemporaryFile() as stdin:
        stdin.write(answers.encode() if answers else b"")
        stdin.seek(0)
        os.sync()
        start = time.perf_counter()
        child = subprocess.Popen(command, stdin=stdin, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL, cwd=work)
        status, cpu = wait_for(child)
        elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit(f"{name} failed with status {status}")
    return elapsed, cpu


def wait_for(child):
    """The exit status and the processor time (user and system, of the
    process and the children it waited for) from wait4's rusage."""
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    return child.returncode, usage.ru_utime + usage.ru_stime


def measure_peak(name, command, answers=None, stdout_to_file=False):
    """Peak resident memory in KiB, read by GNU time: a child forked from
    Python would count Python's own pages as its peak."""
    report = os.path.join(WORK, "peak.txt")
    run(name, ["/usr/bin/time", "-f", "%M", "-o", report] + command, answers, stdout_to_file)
    with open(report) as f:
        peak_kib[name] = int(f.read().split()[-1])


def compare(title, ours, reference, limit, again=False):
    """Interleaves both commands ROUNDS times (after one run each, which
    leaves the files an "again" run replaces); prints the ratio of medians."""
    times = {"ours": [], "reference": []}
    cpus = {"ours": [], "reference": []}
    for round_number in range(ROUNDS + (1 if again else 0)):
        a = run(*ours, again=again, side="ours")
        b = run(*reference, again=again, side="reference")
        if again and round_number == 0:
            continue
        for side, (wall, cpu) in (("ours", a), ("reference", b)):
            times[side].append(wall)
            cpus[side].append(cpu)
    a = statistics.median(times["ours"])
    b = statistics.median(times["reference"])
    a_cpu = statistics.median(cpus["ours"])
    b_cpu = statistics.median(cpus["reference"])
    ratio = a / b
    verdict = "met" if ratio <= limit else "MISSED"
    print(f"{title:<58} {a * 1000:8.1f} ms / {b * 1000:8.1f} ms = {ratio:5.2f}"
          f"  (target <= {limit})  {verdict};  CPU {a_cpu * 1000:7.1f} ms / {b_cpu * 1000:7.1f} ms")
    return ratio <= limit


def mode(number, hi):
    return f"{number}\n1\n{hi}\n\n1\n"


def count_writes(answers):
    """write() calls of a run of the program whose standard output is a
    terminal (a pseudo-terminal made by script), counted by strace."""
    report = os.path.join(WORK, "strace.txt")
    answers_file = os.path.join(WORK, "answers.txt")
    with open(answers_file, "w") as f:
        f.write(answers)
    inner = f"strace -f -e trace=write -c -o {report} {PROGRAM} < {answers_file} 2>/dev/null"
    subprocess.run(["script", "-qec", inner, "/dev/null"], cwd=WORK,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, check=True)
    with open(report) as f:
        for line in f:
            fields = line.split()
            if fields and fields[-1] == "write":
                return int(fields[3])
    sys.exit("strace counted no write calls")


def compare_windows_builds():
    """The 32-bit release against the 64-bit build, both under Wine, where
    both are built (make windows) and this machine runs the 32-bit Wine."""
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    wine_run = os.path.join(root, "scripts", "wine-run")
    release = os.path.join(root, "build-win32", "primesearch.exe")
    wide = os.path.join(root, "build-win64", "primesearch.exe")
    if not (os.path.exists(release) and os.path.exists(wide)):
        print("Windows builds: not compared (make windows first)")
        return True
    probe = subprocess.run([wine_run, "--can-run-32"], capture_output=True, text=True)
    if probe.returncode != 0:
        print("Windows builds: not compared: " + probe.stdout.strip())
        return True
    subprocess.run([wine_run, "--start"], check=True)
    try:
        return compare("Windows, mode 4, 1 to 1e9: 32-bit vs 64-bit",
                       ("32-bit release", [wine_run, "--32", release], mode(4, 1000000000)),
                       ("64-bit build", [wine_run, wide], mode(4, 1000000000)), 1.25)
    finally:
        subprocess.run([wine_run, "--stop"])


def paced_reader(pipe, bytes_per_second):
    """Reads the pipe at the given pace, as a terminal draws."""
    start, got = time.perf_counter(), 0
    while chunk := pipe.read1(65536):
        got += len(chunk)
        ahead = got / bytes_per_second - (time.perf_counter() - start)
        if ahead > 0:
            time.sleep(ahead)


def cpu_rows():
    """The program's own processor time when its reader is slower than it:
    mode 3 over 1..3e7 (on two threads) into a reader paced at 4 MB/s, and
    the same into /dev/null."""
    answers = mode(3, 30000000).encode()
    with tempfile.TemporaryFile() as stdin:
        stdin.write(answers)
        stdin.seek(0)
        child = subprocess.Popen([PROGRAM], stdin=stdin, stdout=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL, cwd=WORK)
        paced_reader(child.stdout, 4e6)
        _, paced = wait_for(child)
    _, idle = run("mode 3 into /dev/null", [PROGRAM], mode(3, 30000000))
    print(f"CPU, mode 3, 1 to 3e7, into a reader paced at 4 MB/s: {paced * 1000:7.1f} ms"
          f"  (target <= 300 ms)  {'met' if paced <= 0.3 else 'MISSED'}")
    print(f"CPU, mode 3, 1 to 3e7, into /dev/null:                {idle * 1000:7.1f} ms")
    return paced <= 0.3


def reference_rows():
    """The targets against the newest primesieve, built from its source."""
    ps = os.environ["PRIMESIEVE_REFERENCE"]
    name = os.environ.get("PRIMESIEVE_REFERENCE_NAME", "primesieve")
    print(f"against {name} -t1 (whole processes; fresh: no earlier output; again: "
          "the earlier output replaced inside the clock)\n")
    listing = [
        ("fresh, mode 4, 1 to 1e9", mode(4, 1000000000), False, "1e9", False, 0.4),
        ("fresh, mode 4, 1 to 2e9", mode(4, 2000000000), False, "2e9", False, 0.4),
        ("fresh, mode 3, 1 to 1e9, stdout to a file", mode(3, 1000000000), True, "1e9", False, 0.4),
        ("fresh, mode 2, 1 to 5e8, stdout to a file", mode(2, 500000000), True, "5e8", False, 0.6),
        ("again, mode 4, 1 to 2e9", mode(4, 2000000000), False, "2e9", True, 0.6),
        ("again, mode 2, 1 to 5e8, stdout to a file", mode(2, 500000000), True, "5e8", True, 0.8),
    ]
    met = []
    for title, answers, to_file, top, again, limit in listing:
        met.append(compare(title, ("primesearch " + title, [PROGRAM], answers, to_file),
                           (name, [ps, top, "-p", "-t1"], None, True), limit, again))
    met.append(compare("mode 5, 1 to 2e9 vs primecount 2000000000",
                       ("primesearch mode 5", [PROGRAM], mode(5, 2000000000)),
                       ("primecount", ["primecount", "2000000000"]), 1.0))
    return met


def system_rows():
    """The older targets against the system's primesieve."""
    return [
        compare("mode 4, 1 to 1e9       vs primesieve -p > file",
                ("primesearch mode 4", [PROGRAM], mode(4, 1000000000)),
                ("primesieve -p 1e9", ["primesieve", "1e9", "-p", "-t1"], None, True), 0.33),
        compare("mode 3, 1 to 1e9 > file vs primesieve -p > file",
                ("primesearch mode 3", [PROGRAM], mode(3, 1000000000), True),
                ("primesieve -p 1e9", ["primesieve", "1e9", "-p", "-t1"], None, True), 0.33),
        compare("mode 2, 1 to 2.5e8 > file vs primesieve -p > file",
                ("primesearch mode 2", [PROGRAM], mode(2, 250000000), True),
                ("primesieve -p 2.5e8", ["primesieve", "250000000", "-p", "-t1"], None, True), 0.6),
        compare("mode 5, 1 to 2e9       vs primecount",
                ("primesearch mode 5", [PROGRAM], mode(5, 2000000000)),
                ("primecount", ["primecount", "2000000000"]), 2.0),
        compare("mode 5, 1 to 2e9       vs primesieve -c -t1",
                ("primesearch mode 5", [PROGRAM], mode(5, 2000000000)),
                ("primesieve -c", ["primesieve", "2e9", "-c", "-t1", "-q"]), 0.25),
    ]


def main():
    print(f"{ROUNDS} interleaved rounds each; medians of whole-process wall times, "
          "and of their CPU times (user + system, from wait4)\n")
    met = reference_rows() if "PRIMESIEVE_REFERENCE" in os.environ else []
    print()
    met += system_rows()
    print()
    met.append(cpu_rows())
    met.append(compare_windows_builds())
    memory_runs = {
        "mode 2, 1 to 2.5e8": mode(2, 250000000),
        "mode 3, 1 to 1e9": mode(3, 1000000000),
        "mode 4, 1 to 1e9": mode(4, 1000000000),
        "mode 5, 1 to 2e9": mode(5, 2000000000),
        "mode 2, 1.999e9 to 2e9": "2\n1999000000\n2000000000\n\n1\n",
        "mode 6, 2000000000": "6\n2000000000\n\n1\n",
    }
    for name, answers in memory_runs.items():
        measure_peak("primesearch " + name, [PROGRAM], answers, True)
    print()
    for name, kib in peak_kib.items():
        print(f"peak resident memory, {name:<34} {kib / 1024:5.2f} MiB  (target <= 8 MiB)")
    memory_met = max(peak_kib.values()) <= 8 * 1024
    writes = count_writes(mode(3, 10000000))
    writes_met = writes <= 1000
    print(f"\nwrite calls, mode 3, 1 to 1e7 to a terminal: {writes}  (target <= 1000)  "
          f"{'met' if writes_met else 'MISSED'}")
    ok = all(met) and memory_met and writes_met
    print("\nall targets met" if ok else "\nSOME TARGETS MISSED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
