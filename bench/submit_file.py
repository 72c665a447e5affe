#!/usr/bin/python3
"""Benchmark, run by hand: a sample of 32,000,000 bytes (the largest that is
submitted) put into the spool by the library (elkctl submit under Wine)
against `sha256sum FILE && cp FILE DEST` on the same file, in the same run.
Prints both times, their ratio, and the submitting process's peak memory for
a 3 MB and the 32 MB sample (the content is streamed, so it stays flat).

    bench/submit_file.py [BIN]    BIN: a Windows build's bin folder (default
                                  build/win32/bin where 32-bit code runs,
                                  else build/win64/bin)
"""
import glob
import os
import shutil
import subprocess
import sys
import tempfile

from wine_bench import WINE_RUN, build, install, timed, wine_env, wine_server

SIZES = {"1 byte": 1, "3 MB": 3 * 1000 * 1000, "32 MB": 32 * 1000 * 1000}


def main():
    bin_dir, arch = build(sys.argv)
    env = wine_env(bin_dir, arch)
    work = tempfile.mkdtemp(prefix="elk-bench-")
    try:
        program = install(bin_dir, work)
        spool = os.path.join(program, "Data", "spool", "suspic")
        samples = {}
        for label, size in SIZES.items():
            samples[label] = os.path.join(work, f"sample-{size}.bin")
            with open(samples[label], "wb") as f:
                f.write(os.urandom(size))
        wine_server(env, "-p")
        command = [WINE_RUN, os.path.join(program, "elkctl.exe"), "submit"]
        timed(command + [samples["3 MB"]], env)  # warms Wine up
        results = {}
        for label, path in samples.items():
            for old in glob.glob(os.path.join(spool, "*")):
                os.remove(old)
            results[label] = timed(command + [path, "--kind", "1"], env)
            written = glob.glob(os.path.join(spool, "*.suspic"))
            if len(written) != 1 or os.path.getsize(written[0]) < SIZES[label]:
                sys.exit(f"the {label} sample did not reach the spool: {written}")
        copy = os.path.join(work, "copy.bin")
        peer_seconds, _ = timed(["sh", "-c", f"sha256sum '{samples['32 MB']}' >/dev/null && "
                                             f"cp '{samples['32 MB']}' '{copy}'"])
        seconds, kib = results["32 MB"]
        start_only = results["1 byte"][0]
        print(f"build: {arch} ({bin_dir})")
        print(f"elkctl submit, 32 MB: {seconds:.2f} s (of which ~{start_only:.2f} s Wine and library start for "
              f"any sample), peak memory {kib / 1024:.1f} MiB")
        print(f"elkctl submit,  3 MB: {results['3 MB'][0]:.2f} s, peak memory {results['3 MB'][1] / 1024:.1f} MiB")
        print(f"sha256sum && cp, 32 MB: {peer_seconds:.2f} s")
        print(f"ratio elkctl / (sha256sum && cp): {seconds / peer_seconds:.2f} "
              f"(without the start-up: {(seconds - start_only) / peer_seconds:.2f})")
    finally:
        wine_server(env, "-k")
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
