"""What the benchmarks that run elkctl under Wine share: the build to run,
its Wine environment, a minimal installation and a timed command."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WINE_RUN = os.path.join(ROOT, "scripts", "wine-run.sh")


def build(argv):
    """The bin folder (argv[1], else the build that runs here: the i686 one
    wherever 32-bit code runs) and its Wine architecture, the folder's name."""
    arch = subprocess.run([WINE_RUN, "--default-arch"], check=True, capture_output=True, text=True).stdout.strip()
    bin_dir = os.path.abspath(argv[1] if len(argv) > 1 else os.path.join(ROOT, "build", arch, "bin"))
    build_name = os.path.basename(os.path.dirname(bin_dir))
    if build_name in ("win32", "win64"):
        arch = build_name
    return bin_dir, arch


def wine_env(bin_dir, arch):
    env = dict(os.environ)
    env.setdefault("WINEPREFIX", os.path.join(os.path.dirname(bin_dir), "wineprefix"))
    env["WINEDEBUG"] = "-all"
    env["WINEARCH"] = arch
    for name in ("TARVO_PROGRAM_PATH", "TARVO_DATA_PATH", "TARVO_LOG_PATH"):
        env.pop(name, None)
    return env


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


def wine_server(env, action):
    """"-p": one persistent Wine server for the run; "-k": its end."""
    subprocess.call([WINE_RUN, "wineserver", action], env=env, stdin=subprocess.DEVNULL,
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
