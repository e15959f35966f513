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


def run(name, command, answers=None, stdout_to_file=False):
    """Runs one process; returns its wall time in seconds. Every output file
    is new for every run, made empty before the clock starts: the references'
    output file by its truncation, the previous Prime.txt by its removal, so
    that no run waits for the system to drop the last run's file; and the
    disk is quiet (os.sync), so that no run is slowed by the writing back of
    the one before."""
    prime_txt = os.path.join(WORK, "Prime.txt")
    if os.path.exists(prime_txt):
        os.remove(prime_txt)
    with tempfile.TemporaryFile() as stdin:
        stdin.write(answers.encode() if answers else b"")
        stdin.seek(0)
        target = os.path.join(WORK, "out.txt") if stdout_to_file else os.devnull
        with open(target, "wb") as stdout:
            os.sync()
            start = time.perf_counter()
            status = subprocess.call(command, stdin=stdin, stdout=stdout,
                                     stderr=subprocess.DEVNULL, cwd=WORK)
            elapsed = time.perf_counter() - start
    if status != 0:
        sys.exit(f"{name} failed with status {status}")
    return elapsed


def measure_peak(name, command, answers=None, stdout_to_file=False):
    """Peak resident memory in KiB, read by GNU time: a child forked from
    Python would count Python's own pages as its peak."""
    report = os.path.join(WORK, "peak.txt")
    run(name, ["/usr/bin/time", "-f", "%M", "-o", report] + command, answers, stdout_to_file)
    with open(report) as f:
        peak_kib[name] = int(f.read().split()[-1])


def compare(title, ours, reference, limit):
    """Interleaves both commands ROUNDS times; prints the ratio of medians."""
    times = {"ours": [], "reference": []}
    for _ in range(ROUNDS):
        times["ours"].append(run(*ours))
        times["reference"].append(run(*reference))
    a = statistics.median(times["ours"])
    b = statistics.median(times["reference"])
    ratio = a / b
    verdict = "met" if ratio <= limit else "MISSED"
    print(f"{title:<52} {a * 1000:8.1f} ms / {b * 1000:8.1f} ms = {ratio:5.2f}"
          f"  (target <= {limit})  {verdict}")
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
    both are built (make windows) and the 32-bit Wine is installed."""
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    wine_run = os.path.join(root, "scripts", "wine-run")
    release = os.path.join(root, "build-win32", "primesearch.exe")
    wide = os.path.join(root, "build-win64", "primesearch.exe")
    if not (os.path.exists(release) and os.path.exists(wide) and os.path.exists("/usr/lib/wine/wine")):
        print("Windows builds: not compared (make windows, and the 32-bit Wine, first)")
        return True
    subprocess.run([wine_run, "--start"], check=True)
    try:
        return compare("Windows, mode 4, 1 to 1e9: 32-bit vs 64-bit",
                       ("32-bit release", [wine_run, "--32", release], mode(4, 1000000000)),
                       ("64-bit build", [wine_run, wide], mode(4, 1000000000)), 1.25)
    finally:
        subprocess.run([wine_run, "--stop"])


def main():
    print(f"{ROUNDS} interleaved rounds each; medians of whole-process wall times\n")
    met = [
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
