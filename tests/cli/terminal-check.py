#!/usr/bin/env python3
"""flashkit-cli on a pseudo-terminal: each log line shows once, in the order it came, for the jobs on the
bundled examples; piped, standard output is the --log file's bytes with CR LF as line breaks.

Usage: terminal-check.py FLASHKIT_CLI SOURCE_DIR
"""
import os
import pty
import shutil
import subprocess
import sys
import tempfile

cli, source = sys.argv[1], sys.argv[2]


def on_terminal(args, cwd):
    """The bytes a terminal shows for the run: standard output and standard error both on one."""
    main, sub = pty.openpty()
    process = subprocess.Popen(args, cwd=cwd, stdin=subprocess.DEVNULL, stdout=sub, stderr=sub)
    os.close(sub)
    shown = b""
    while True:
        try:
            chunk = os.read(main, 65536)
        except OSError:  # the other end closed
            break
        if not chunk:
            break
        shown += chunk
    os.close(main)
    process.wait()
    return shown.replace(b"\r\n", b"\n").decode()


failed = 0
with tempfile.TemporaryDirectory() as work:
    examples = os.path.join(work, "ex")
    shutil.copytree(os.path.join(source, "examples"), examples)
    jobs = {
        # newest on top in its log: the terminal shows the lines in the order they came, the reverse
        "pcb2aperture": ([], True),
        "gerberconverter": (["--pick", examples + "/HOLES.TXT", "--pick", examples + "/APERTURE.TXT",
                             "--pick", examples + "/TOP.GBR ,BOTTOM.GBR"], False),
        "boardcheck": (["--input-path", "fab", "--dfn-path", "fab", "--pick",
                        examples + "/fab/TOP.GBR ,PLANE.GBR"], False),
    }
    for job, (options, newest_on_top) in jobs.items():
        args = [cli, job, "--program-dir", "."] + options
        shown = on_terminal(args + ["--log", os.path.join(work, job + ".log")], examples)
        with open(os.path.join(work, job + ".log"), "rb") as f:
            log = f.read().decode()
        lines = [line for line in log.split("\r\n") if line]
        if newest_on_top:
            lines.reverse()
        shown_lines = [line for line in shown.split("\n") if line]
        at = [shown_lines.index(line) if line in shown_lines else -1 for line in lines]
        twice = [line for line in lines if shown_lines.count(line) != 1]
        if twice or at != sorted(at):
            print(f"FAIL {job}: lines shown other than once in their order: {twice or lines}\n{shown}")
            failed = 1
        piped = subprocess.run(args, cwd=examples, capture_output=True)
        if piped.stdout != log.replace("\r\n", "\n").encode():
            print(f"FAIL {job}: standard output piped is not the log's bytes:\n{piped.stdout!r}\n{log!r}")
            failed = 1
        if not failed:
            print(f"ok {job}: {len(lines)} log lines once each on a terminal")
sys.exit(failed)
