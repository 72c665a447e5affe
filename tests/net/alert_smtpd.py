#!/usr/bin/python3
"""Runs the alert tests' SMTP cases against a real SMTP server (aiosmtpd).

Starts aiosmtpd on 127.0.0.1 with a free port, requiring AUTH (PLAIN or
LOGIN, on loopback without TLS), and runs the Windows test program given
after it (under Wine). Every mail the server takes is written to a spool
folder that the program reads back, as one file per mail:

    from=<envelope sender>
    rcpt=<envelope recipient>      (one line each, in the order given)
    auth=<mechanism used>
    <empty line>
    <the message as received>

The program finds the server and the folder in ELK_ALERT_SMTP_PORT,
ELK_ALERT_SMTP_SPOOL (a Windows path), ELK_ALERT_SMTP_USER and
ELK_ALERT_SMTP_PASSWORD.

    alert_smtpd.py PROGRAM [ARGS...]
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult

USER, PASSWORD = "alerter", "s3cret & pa55"


class Spool:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        head = [f"from={envelope.mail_from}"]
        head += [f"rcpt={r}" for r in envelope.rcpt_tos]
        head.append(f"auth={session.auth_data}")
        content = envelope.original_content or envelope.content
        path = os.path.join(self.folder, f"mail{self.count:03d}.txt")
        with open(path + ".part", "wb") as f:
            f.write(("\n".join(head) + "\n\n").encode("utf-8") + content)
        os.replace(path + ".part", path)
        return "250 OK"


def check(server, session, envelope, mechanism, auth_data):
    ok = auth_data.login == USER.encode() and auth_data.password == PASSWORD.encode()
    return AuthResult(success=ok, auth_data=mechanism if ok else None)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    folder = tempfile.mkdtemp(prefix="elk-alert-smtpd-")
    controller = Controller(Spool(folder), hostname="127.0.0.1", port=free_port(), auth_required=True,
                            auth_require_tls=False, authenticator=check)
    controller.start()
    try:
        env = dict(os.environ)
        env["ELK_ALERT_SMTP_PORT"] = str(controller.port)
        env["ELK_ALERT_SMTP_SPOOL"] = "Z:" + folder.replace("/", "\\")
        env["ELK_ALERT_SMTP_USER"], env["ELK_ALERT_SMTP_PASSWORD"] = USER, PASSWORD
        sys.exit(subprocess.call(sys.argv[1:], env=env))
    finally:
        controller.stop()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
