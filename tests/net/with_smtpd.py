#!/usr/bin/python3
"""Runs the SMTP client's tests against a real SMTP server (aiosmtpd).

Starts aiosmtpd on 127.0.0.1 with free ports, lays out the attachment files,
runs the Windows test program given after the options (under Wine) with the
server's port and the files' folder in its environment, and afterwards checks
with Python's email package what the server received.

    with_smtpd.py [--auth] PROGRAM [ARGS...]

With --auth the server requires AUTH (PLAIN or LOGIN, on loopback without
TLS), and a second server offers LOGIN only.
"""
import email
import email.policy
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from smtp_server import Login, Mailbox, Server, windows_path  # noqa: E402

USER, PASSWORD = "mailer", "s3cret pa55"
SIZE_LIMIT = 256 * 1024 * 1024  # above aiosmtpd's 32 MiB default


def make_files(folder):
    rng = random.Random(20250101)
    files = {
        "empty.bin": b"",
        "b57.bin": rng.randbytes(57),
        "b58.bin": rng.randbytes(58),
        "big.bin": rng.randbytes(6 * 1024 * 1024 + 7),
        "{12-AB}.gif": b"GIF89a" + rng.randbytes(200),
        "logo.png": b"\x89PNG\r\n\x1a\n" + rng.randbytes(300),
        "skipped.html": b"<p>not an image</p>",
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    return files


class Checks:
    def __init__(self):
        self.failures = 0

    def expect(self, condition, what):
        if not condition:
            self.failures += 1
            print(f"FAILED: {what}")


def by_subject(mails):
    out = {}
    for m in mails:
        msg = email.message_from_bytes(m["content"], policy=email.policy.default)
        out[str(msg["subject"])] = (m, msg)
    return out


def check_mails(mails, files, auth, checks):
    found = by_subject(mails)
    checks.expect(set(found) >= {"Prüfung ✓ attachments", "inline images"},
                  f"mails received: {sorted(found)}")

    if "Prüfung ✓ attachments" in found:
        m, msg = found["Prüfung ✓ attachments"]
        checks.expect(m["rcpt"] == ["a@example.com", "b@example.com", "c@example.com"], f"recipients {m['rcpt']}")
        checks.expect(m["from"] == "sender@example.com", f"sender {m['from']}")
        checks.expect(msg["to"] == "c@example.com, b@example.com, a@example.com", f"To: {msg['to']}")
        raw_subject = m["content"].split(b"\r\nSubject: ", 1)[1].split(b"\r\n", 1)[0]
        checks.expect(raw_subject.startswith(b"=?UTF-8?b?"), f"subject on the wire {raw_subject!r}")
        checks.expect(msg["date"] is not None and msg["date"].datetime is not None, "Date header")
        parts = list(msg.iter_parts())
        text = parts[0]
        checks.expect(text.get_content_type() == "text/plain", "first part is the text")
        body = text.get_payload(decode=True).decode("utf-8")
        # The line end before a boundary belongs to the boundary.
        checks.expect(body == "First line\r\n.\r\n..\r\n.leading dot\r\nlone LF\r\nGrüße ✓\r\nlast",
                      f"text part {body!r}")
        attachments = {p.get_filename(): p.get_payload(decode=True) for p in parts[1:]}
        for name in ("empty.bin", "b57.bin", "b58.bin", "big.bin"):
            checks.expect(attachments.get(name) == files[name],
                          f"attachment {name}: {len(attachments.get(name) or b'')} bytes, want {len(files[name])}")
        if auth:
            checks.expect(m["auth"] == "PLAIN", f"PLAIN used when offered with LOGIN, got {m['auth']}")

    if "inline images" in found:
        m, msg = found["inline images"]
        checks.expect(msg.get_content_type() == "multipart/related", f"type {msg.get_content_type()}")
        parts = list(msg.iter_parts())
        checks.expect([p.get_content_type() for p in parts] == ["text/html", "image/gif", "image/png"],
                      f"parts {[p.get_content_type() for p in parts]}")
        if len(parts) == 3:
            checks.expect(parts[1]["Content-ID"] == "<@12xAB@.gif>", f"gif id {parts[1]['Content-ID']}")
            checks.expect(parts[2]["Content-ID"] == "<logo.png>", f"png id {parts[2]['Content-ID']}")
            checks.expect(parts[1].get_payload(decode=True) == files["{12-AB}.gif"], "gif bytes")
            checks.expect(parts[2].get_payload(decode=True) == files["logo.png"], "png bytes")

    many = [f"recipient{1000 + i}@example.com" for i in range(200)]
    checks.expect("two hundred recipients" in found, "the mail to 200 recipients did not arrive")
    if "two hundred recipients" in found:
        m, msg = found["two hundred recipients"]
        checks.expect(m["rcpt"] == many, f"envelope of the 200: {len(m['rcpt'])} recipients")
        checks.expect([a.addr_spec for a in msg["to"].addresses] == many[::-1], "To: of the 200, newest first")
        head = m["content"].split(b"\r\n\r\n", 1)[0]
        checks.expect(max(len(line) for line in head.split(b"\r\n")) <= 78, "a header line of the 200 is over 78")

    long_line = "0123456\u00fc. " * 1000
    checks.expect("ten thousand characters" in found, "the mail with a 10,000-character line did not arrive")
    if "ten thousand characters" in found:
        m, msg = found["ten thousand characters"]
        text = next(iter(msg.iter_parts()))
        checks.expect(text["Content-Transfer-Encoding"] == "quoted-printable",
                      f"long line's part declared {text['Content-Transfer-Encoding']}")
        body = text.get_payload(decode=True).decode("utf-8")
        checks.expect(body == "short line\r\n" + long_line + "\r\n.\r\nend = ", f"long line's text ({len(body)} chars)")
        checks.expect(max(len(line) for line in m["content"].split(b"\r\n")) <= 998, "a line over 998 on the wire")

    long_subject = "long " + "\u00fc\u20ac\u2713 " * 111 + "end"
    checks.expect(long_subject in found, "the long UTF-8 subject did not arrive intact")
    if long_subject in found:
        m, msg = found[long_subject]
        head = m["content"].split(b"\r\n\r\n", 1)[0]
        checks.expect(all(len(line) <= 78 for line in head.split(b"\r\n")),
                      "a header line of the long subject's mail is over 78 characters")

    if auth:
        checks.expect("wrong password" not in found, "a mail with refused credentials was delivered")


def main():
    args = sys.argv[1:]
    auth = bool(args) and args[0] == "--auth"
    if auth:
        args = args[1:]
    if not args:
        sys.exit(__doc__)
    with tempfile.TemporaryDirectory(prefix="elk-smtpd-") as folder:
        files = make_files(folder)
        login = Login(USER, PASSWORD) if auth else None
        server = Server(Mailbox(), auth=login, data_size_limit=SIZE_LIMIT)
        login_only = Server(Mailbox(), auth=login, data_size_limit=SIZE_LIMIT, auth_exclude_mechanism=["PLAIN"])
        env = dict(os.environ)
        env["ELK_SMTP_FILES"] = windows_path(folder)
        with server:
            env["ELK_SMTP_PORT"] = str(server.port)
            if auth:
                login_only.start()
                env["ELK_SMTP_LOGIN_PORT"] = str(login_only.port)
                env["ELK_SMTP_USER"], env["ELK_SMTP_PASSWORD"] = USER, PASSWORD
            try:
                rc = subprocess.call(args, env=env)
            finally:
                login_only.stop()

        checks = Checks()
        checks.expect(rc == 0, f"test program exit code {rc}")
        mails, logins = server.mailbox.mails, login_only.mailbox.mails
        check_mails(mails, files, auth, checks)
        if auth:
            mechanisms = [m["auth"] for m in logins]
            checks.expect(mechanisms == ["LOGIN"], f"LOGIN-only server: {mechanisms}")
            checks.expect(("PLAIN", False) in login.attempts, "the wrong password was tried")
        print(f"server side: {len(mails) + len(logins)} mails, "
              f"{'all checks passed' if not checks.failures else f'{checks.failures} checks failed'}")
        sys.exit(1 if checks.failures else 0)


if __name__ == "__main__":
    main()
