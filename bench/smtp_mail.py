#!/usr/bin/python3
"""Benchmark, run by hand: one mail with a 30 MB attachment through the
library's SMTP client (elkctl mail under Wine) and through curl, to the same
local SMTP server (aiosmtpd) in the same run. Prints both times, their ratio,
and the client's peak memory for a 3 MB and a 30 MB attachment (streaming
keeps it flat).

    bench/smtp_mail.py [BIN]      BIN: a Windows build's bin folder (default
                                  build/win32/bin where 32-bit code runs,
                                  else build/win64/bin)

Needs the Windows build (elkctl and the suite's DLLs), Wine, python3-aiosmtpd
and curl (installed with apt-get when missing and run as root).
"""
import os
import shutil
import subprocess
import sys
import tempfile

from wine_bench import ROOT, WINE_RUN, build, install, timed, wine_env, wine_server

sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from smtp_server import Mailbox, Server, windows_path  # noqa: E402


def size_only(envelope, session):
    """Keeps a mail's size only: the attachments are large."""
    return len(envelope.original_content or envelope.content)


def main():
    bin_dir, arch = build(sys.argv)
    if shutil.which("curl") is None:
        subprocess.run(["apt-get", "install", "-y", "-q", "curl"], check=True)
    work = tempfile.mkdtemp(prefix="elk-bench-")
    env = wine_env(bin_dir, arch)
    server = Server(Mailbox(size_only), data_size_limit=None).start()
    try:
        program = install(bin_dir, work)
        files = {}
        for mb in (3, 30):
            files[mb] = os.path.join(work, f"attachment-{mb}MB.bin")
            with open(files[mb], "wb") as f:
                f.write(os.urandom(mb * 1024 * 1024))
        # One Wine server for the whole run, stopped at the end.
        wine_server(env, "-p")
        elkctl = [WINE_RUN, os.path.join(program, "elkctl.exe"), "mail",
                  "--server", f"127.0.0.1:{server.port}", "--from", "bench@example.com",
                  "--to", "sink@example.com", "--subject", "bench", "--text", "benchmark"]
        timed(elkctl, env)  # warms Wine up
        start_only, _ = timed(elkctl, env)
        results = {}
        for mb, path in files.items():
            results[mb] = timed(elkctl + ["--attach", windows_path(path)], env)
        curl_seconds, curl_kib = timed(["curl", "-s", f"smtp://127.0.0.1:{server.port}",
                                        "--mail-from", "bench@example.com", "--mail-rcpt", "sink@example.com",
                                        "-F", f"=@{files[30]};encoder=base64"])
        elk_seconds, elk_kib = results[30]
        print(f"build: {arch} ({bin_dir})")
        sizes = server.mailbox.mails
        print(f"server received {len(sizes)} mails; the 30 MB ones: {sizes[-2]} and {sizes[-1]} bytes")
        print(f"elkctl mail, 30 MB attachment: {elk_seconds:.2f} s (of which ~{start_only:.2f} s Wine and "
              f"library start for any mail), peak memory {elk_kib / 1024:.1f} MiB")
        print(f"elkctl mail,  3 MB attachment: {results[3][0]:.2f} s, peak memory {results[3][1] / 1024:.1f} MiB")
        print(f"curl,         30 MB attachment: {curl_seconds:.2f} s, peak memory {curl_kib / 1024:.1f} MiB")
        print(f"ratio elkctl / curl: {elk_seconds / curl_seconds:.2f} "
              f"(without the start-up: {(elk_seconds - start_only) / curl_seconds:.2f})")
    finally:
        wine_server(env, "-k")
        server.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
