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
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run.sh")
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from smtp_server import Mailbox, Server, windows_path  # noqa: E402


def size_only(envelope, session):
    """Keeps a mail's size only: the attachments are large."""
    return len(envelope.original_content or envelope.content)


def install(bin_dir, folder):
    """A minimal installation: the program folder with the DLLs and the
    English language module, the data folder with the INI file."""
    program = os.path.join(folder, "Tarvo")
    os.makedirs(os.path.join(program, "Data", "Logs"))
    os.makedirs(os.path.join(program, "1033"))
    for name in ("elkctl.exe", "elkBase.dll", "ozrCmnBS.dll", "ozrCmnOS.dll", "ozrCmnIS.dll"):
        shutil.copy(os.path.join(bin_dir, name), program)
    shutil.copy(os.path.join(bin_dir, "lang", "1033", "Base.dll"), os.path.join(program, "1033"))
    with open(os.path.join(program, "Data", "Tarvo5.ini"), "w", newline="\r\n") as f:
        f.write("[Languages]\nEngine=1033\n")
    return program


def timed(command, env=None):
    """Wall time in seconds and peak resident memory in KiB (GNU time).
    Output goes to files, not pipes: Wine's background processes inherit the
    handles and would keep a pipe open after the program has ended."""
    with tempfile.TemporaryDirectory() as folder:
        report, log = os.path.join(folder, "time"), os.path.join(folder, "log")
        with open(log, "w") as out:
            start = time.monotonic()
            rc = subprocess.call(["/usr/bin/time", "-o", report, "-f", "%M"] + command, env=env,
                                 stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)
            seconds = time.monotonic() - start
        if rc != 0:
            sys.exit(f"failed: {' '.join(command)}\n{open(log).read()}")
        return seconds, int(open(report).read().strip().splitlines()[-1])


def main():
    # The build that runs here (the i686 one wherever 32-bit code runs), or
    # the given build folder's bin; its Wine architecture is the folder's name.
    arch = subprocess.run([WINE_RUN, "--default-arch"], check=True, capture_output=True, text=True).stdout.strip()
    bin_dir = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", arch, "bin"))
    build_name = os.path.basename(os.path.dirname(bin_dir))
    if build_name in ("win32", "win64"):
        arch = build_name
    if shutil.which("curl") is None:
        subprocess.run(["apt-get", "install", "-y", "-q", "curl"], check=True)
    work = tempfile.mkdtemp(prefix="elk-bench-")
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", os.path.join(os.path.dirname(bin_dir), "wineprefix"))
    env["WINEDEBUG"] = "-all"
    env["WINEARCH"] = arch
    for name in ("TARVO_PROGRAM_PATH", "TARVO_DATA_PATH", "TARVO_LOG_PATH"):
        env.pop(name, None)
    server = Server(Mailbox(size_only), data_size_limit=None).start()
    try:
        program = install(bin_dir, work)
        files = {}
        for mb in (3, 30):
            files[mb] = os.path.join(work, f"attachment-{mb}MB.bin")
            with open(files[mb], "wb") as f:
                f.write(os.urandom(mb * 1024 * 1024))
        # One Wine server for the whole run, stopped at the end.
        subprocess.call([WINE_RUN, "wineserver", "-p"], env=env, stdin=subprocess.DEVNULL,
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
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
        subprocess.call([WINE_RUN, "wineserver", "-k"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        server.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
