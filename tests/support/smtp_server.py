"""A local SMTP server (aiosmtpd) for the scripts that run a Windows program
against one: the tests' harnesses in tests/net and the mail benchmark.

    server = Server(Mailbox(), auth=Login(USER, PASSWORD))
    with server:
        env["..._PORT"] = str(server.port)
        ...
    server.mailbox.mails   # what each mail left behind, in order

The server listens on 127.0.0.1 at a free port and runs in a thread of its
own until stopped (leaving the `with` block, or stop()).
"""
import socket

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult

HOST = "127.0.0.1"


def free_port():
    """A port nothing listens on at the moment (the system's choice)."""
    with socket.socket() as s:
        s.bind((HOST, 0))
        return s.getsockname()[1]


def windows_path(path):
    """A Unix path as a Windows program under Wine names it."""
    return "Z:" + path.replace("/", "\\")


def received(envelope, session):
    """A mail as the server took it: envelope, message bytes and the
    mechanism of the login (None without one)."""
    return {
        "from": envelope.mail_from,
        "rcpt": list(envelope.rcpt_tos),
        "content": envelope.original_content or envelope.content,
        "auth": session.auth_data,
    }


class Mailbox:
    """Takes every mail and keeps what `keep(envelope, session)` returns for
    it, by default all of it (received)."""

    def __init__(self, keep=received):
        self.keep = keep
        self.mails = []

    async def handle_DATA(self, server, session, envelope):
        self.mails.append(self.keep(envelope, session))
        return "250 OK"


class Login:
    """Requires AUTH (PLAIN or LOGIN, on loopback without TLS) with one user
    name and password. `attempts` lists (mechanism, accepted) per try."""

    def __init__(self, user, password):
        self.user, self.password = user, password
        self.attempts = []

    def __call__(self, server, session, envelope, mechanism, auth_data):
        ok = auth_data.login == self.user.encode() and auth_data.password == self.password.encode()
        self.attempts.append((mechanism, ok))
        # handled=False: aiosmtpd itself answers 535 to refused credentials.
        return AuthResult(success=ok, handled=False, auth_data=mechanism if ok else None)


class Server:
    """aiosmtpd on HOST at a free port with `mailbox` as its handler; `auth`
    (a Login) makes it require a login; further options go to aiosmtpd."""

    def __init__(self, mailbox, auth=None, **options):
        if auth is not None:
            options.update(auth_required=True, auth_require_tls=False, authenticator=auth)
        self.mailbox = mailbox
        self.controller = Controller(mailbox, hostname=HOST, port=free_port(), **options)
        self.running = False

    @property
    def port(self):
        return self.controller.port

    def start(self):
        self.controller.start()
        self.running = True
        return self

    def stop(self):
        if self.running:
            self.running = False
            self.controller.stop()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()
