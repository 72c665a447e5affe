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
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from smtp_server import Login, Mailbox, Server, windows_path  # noqa: E402

USER, PASSWORD = "alerter", "s3cret & pa55"


def spooler(folder):
    """Writes each mail to the folder as it arrives (the file appears whole)."""
    def keep(envelope, session):
        head = [f"from={envelope.mail_from}"]
        head += [f"rcpt={r}" for r in envelope.rcpt_tos]
        head.append(f"auth={session.auth_data}")
        content = envelope.original_content or envelope.content
        path = os.path.join(folder, f"mail{len(mailbox.mails) + 1:03d}.txt")
        with open(path + ".part", "wb") as f:
            f.write(("\n".join(head) + "\n\n").encode("utf-8") + content)
        os.replace(path + ".part", path)
        return path
    mailbox = Mailbox(keep)
    return mailbox


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    with tempfile.TemporaryDirectory(prefix="elk-alert-smtpd-") as folder:
        with Server(spooler(folder), auth=Login(USER, PASSWORD)) as server:
            env = dict(os.environ)
            env["ELK_ALERT_SMTP_PORT"] = str(server.port)
            env["ELK_ALERT_SMTP_SPOOL"] = windows_path(folder)
            env["ELK_ALERT_SMTP_USER"], env["ELK_ALERT_SMTP_PASSWORD"] = USER, PASSWORD
            sys.exit(subprocess.call(sys.argv[1:], env=env))


if __name__ == "__main__":
    main()
