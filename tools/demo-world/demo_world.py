#!/usr/bin/env python3
"""A small game server to try the client against: a text port and, one above it, the
framed client port.  Standard library only.

    python3 tools/demo-world/demo_world.py [--host 127.0.0.1] [--port 4000]
"""

import argparse
import logging
import os
import selectors
import signal
import socket
import ssl
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import game  # noqa: E402
import telnet  # noqa: E402
import wire  # noqa: E402
import world  # noqa: E402

log = logging.getLogger("demo-world")

MAX_PORT = 31999  # the client refuses ports of 32000 and above, and the client port is +1
MAX_LINE = 1024  # longer typed lines are cut
MAX_OUTPUT = 4 << 20  # a peer that stops reading is dropped once this much is queued
READ_SIZE = 4096
REGEN_SECONDS = 5.0


class Connection:
    """One accepted socket with a queue of bytes still to be written."""

    def __init__(self, server, sock, address):
        self.server = server
        self.sock = sock
        self.address = address
        self.out = bytearray()
        self.closing = False  # close once everything queued is written
        self.closed = False
        self.handshaking = isinstance(sock, ssl.SSLSocket)  # TLS: nothing flows until done
        sock.setblocking(False)
        server.selector.register(sock, selectors.EVENT_READ, self)

    def queue(self, data: bytes):
        if self.closed or self.closing:
            return
        self.out += data
        if len(self.out) > MAX_OUTPUT:
            log.warning("%s: peer is not reading, dropping it", self.address)
            self.drop()
            return
        self.flush()

    def flush(self):
        if self.handshaking and not self.closed:
            self.handshake()
            return
        while self.out and not self.closed:
            try:
                sent = self.sock.send(self.out)
            except (BlockingIOError, InterruptedError, ssl.SSLWantReadError,
                    ssl.SSLWantWriteError):
                break
            except OSError as error:
                log.info("%s: send failed: %s", self.address, error)
                self.drop()
                return
            del self.out[:sent]
        if self.closed:
            return
        if not self.out and self.closing:
            self.drop()
            return
        events = selectors.EVENT_READ | (selectors.EVENT_WRITE if self.out else 0)
        self.server.selector.modify(self.sock, events, self)

    def close(self):
        """Close after the queued output has gone out."""
        if not self.closed:
            self.closing = True
            self.flush()

    def drop(self):
        if self.closed:
            return
        self.closed = True
        self.server.selector.unregister(self.sock)
        self.sock.close()
        self.gone()

    def handshake(self):
        try:
            self.sock.do_handshake()
        except ssl.SSLWantReadError:
            self.server.selector.modify(self.sock, selectors.EVENT_READ, self)
            return
        except ssl.SSLWantWriteError:
            self.server.selector.modify(self.sock, selectors.EVENT_WRITE, self)
            return
        except OSError as error:
            log.info("%s: TLS handshake failed: %s", self.address, error)
            self.drop()
            return
        log.info("%s: TLS %s", self.address, self.sock.version())
        self.handshaking = False
        self.flush()

    def readable(self):
        if self.handshaking:
            self.handshake()
            if self.handshaking or self.closed:
                return
        try:
            chunk = self.sock.recv(READ_SIZE)
            # TLS may hold more decrypted bytes than one read takes; no new event will come.
            while getattr(self.sock, "pending", lambda: 0)() and len(chunk) < MAX_LINE * 64:
                chunk += self.sock.recv(READ_SIZE)
        except (BlockingIOError, InterruptedError, ssl.SSLWantReadError,
                ssl.SSLWantWriteError):
            return
        except OSError as error:
            log.info("%s: receive failed: %s", self.address, error)
            chunk = b""
        if not chunk:
            log.info("%s: closed by peer", self.address)
            self.drop()
            return
        if not self.closing:
            self.received(chunk)

    def received(self, chunk: bytes):
        raise NotImplementedError

    def gone(self):
        pass


class TextConnection(Connection):
    """The text port: telnet options, login, then every line is a command."""

    def __init__(self, server, sock, address):
        super().__init__(server, sock, address)
        self.state = "name"
        self.name = ""
        self.player = None
        self.pending = bytearray()
        self.telnet = telnet.Telnet(self.queue, address, server.negotiate,
                                    server.game.status)
        self.telnet.start()
        self.write(f"\r\n{world.yellow('*** The Demo World ***')}\r\n"
                   "A tiny world for trying out TavClient. Any name will do, and so will any\r\n"
                   "password (the demo profile uses 'demo').\r\n\r\n")
        self.prompt("By what name are you known? ")

    @property
    def utf8(self) -> bool:
        return self.telnet.utf8

    def write(self, text: str):
        data = text.encode("utf-8") if self.utf8 else text.encode("latin-1", "replace")
        self.telnet.send(data.replace(b"\xff", b"\xff\xff"))

    def prompt(self, text: str):
        """A prompt: the text, then IAC EOR when the client agreed to it, IAC GA if not."""
        self.write(text)
        self.telnet.send(self.telnet.prompt_end())

    def echo(self, server_echoes: bool):
        """IAC WILL ECHO hides the password being typed; IAC WONT ECHO shows input again."""
        self.telnet.send(telnet.group(telnet.WILL if server_echoes else telnet.WONT,
                                      telnet.ECHO))

    # Game data for clients that agreed to GMCP or MSDP, and the connection commands.
    def vitals(self, values: dict):
        self.telnet.vitals(values)

    def room(self, info: dict):
        self.telnet.room(info)

    def channel(self, talker: str, text: str):
        self.telnet.channel(talker, text)

    def client_lines(self) -> list[str]:
        tls = self.sock.version() if isinstance(self.sock, ssl.SSLSocket) else "no"
        return self.telnet.describe() + [f"TLS: {tls}"]

    def compress(self, on: bool) -> str:
        return self.telnet.compress(on)

    def colour_depth(self) -> int:
        return self.telnet.colour_depth()

    def close(self):
        self.telnet.end_compression()
        super().close()

    def received(self, chunk: bytes):
        self.pending += self.telnet.feed(chunk)
        for line in self._take_lines():
            if self.closed or self.closing:
                break
            self.server.game.now = time.monotonic()
            self.line(line)

    def _take_lines(self) -> list[str]:
        """Complete lines; the rest waits for more bytes."""
        *lines, rest = bytes(self.pending).split(b"\n")
        self.pending = bytearray(rest[:MAX_LINE])
        return [self._decode(line.replace(b"\r", b"")[:MAX_LINE]) for line in lines]

    def _decode(self, line: bytes) -> str:
        if self.utf8:
            try:
                return line.decode("utf-8")
            except UnicodeDecodeError:
                pass
        return line.decode("latin-1")

    def line(self, text: str):
        text = "".join(ch for ch in text if ch >= " ").strip()
        if self.state == "name":
            problem = self.server.game.check_name(text)
            if problem:
                self.write(problem + "\r\n")
                self.prompt("By what name are you known? ")
                return
            self.name = text
            self.state = "password"
            self.write("Password: ")
            self.echo(True)
            self.telnet.send(self.telnet.prompt_end())
        elif self.state == "password":
            if not text:
                self.prompt("\r\nA password, please: ")
                return
            self.echo(False)
            self.write("\r\n")
            problem = self.server.game.check_name(self.name)
            if problem:  # someone took the name while we asked for the password
                self.state = "name"
                self.write(problem + "\r\n")
                self.prompt("By what name are you known? ")
                return
            self.state = "playing"
            log.info("%s: %s enters", self.address, self.name)
            self.player = self.server.game.enter(self.name, self)
        elif self.state == "playing":
            self.server.game.command(self.player, text)

    def gone(self):
        if self.player is not None:
            log.info("%s: %s leaves", self.address, self.player.name)
            self.server.game.leave(self.player)
            self.player = None


class ClientConnection(Connection):
    """The client port: framed messages, tied to a player by the login's user name."""

    def __init__(self, server, sock, address):
        super().__init__(server, sock, address)
        self.reader = wire.FrameReader()
        self.bound_player = None
        self.logged_in = False

    def send(self, message: wire.Message):
        log.debug("%s: send %s", self.address, message.name)
        self.queue(wire.encode(message))

    def received(self, chunk: bytes):
        try:
            messages = self.reader.feed(chunk)
        except wire.FrameError as error:
            log.warning("%s: %s; closing", self.address, error)
            self.drop()
            return
        for message in messages:
            if self.closed or self.closing:
                break
            log.debug("%s: received %s", self.address, message.name)
            self.server.game.now = time.monotonic()
            if message.type == wire.LOGIN_REQUEST:
                self.login(message)
            else:
                self.server.game.client_message(self, message)

    def login(self, message: wire.Message):
        user = message.text1.decode("latin-1").strip()
        if not user or not message.text2:
            self.send(wire.text_mesg("A login needs a user name and a password."))
            self.send(wire.disconnect())
            self.close()
            return
        self.server.game.client_gone(self)
        self.bound_player = None
        log.info("%s: client login as %s", self.address, user)
        self.server.game.client_login(self, user)

    def gone(self):
        self.server.game.client_gone(self)


class Server:
    def __init__(self, host: str, port: int, chatter_seconds: float, clock_seconds: float,
                 negotiate: bool = True, tls_port: int | None = None,
                 tls_context: ssl.SSLContext | None = None):
        self.selector = selectors.DefaultSelector()
        self.game = game.Game(time.monotonic(), port)
        self.negotiate = negotiate  # offer telnet options beyond ECHO
        self.listeners = []
        ports = [(port, TextConnection, None), (port + 1, ClientConnection, None)]
        if tls_port is not None:
            ports.append((tls_port, TextConnection, tls_context))
        for listen_port, kind, context in ports:
            sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            sock.bind((host, listen_port))
            sock.listen(8)
            sock.setblocking(False)
            self.selector.register(sock, selectors.EVENT_READ, (kind, context))
            self.listeners.append(sock)
        self.periods = {"regen": REGEN_SECONDS, "chatter": chatter_seconds,
                        "clock": clock_seconds}
        now = time.monotonic()
        self.due = {name: now + period for name, period in self.periods.items()}
        self.stopping = False
        self.wake_reader, self.wake_writer = socket.socketpair()
        self.wake_reader.setblocking(False)
        self.wake_writer.setblocking(False)
        self.selector.register(self.wake_reader, selectors.EVENT_READ, None)

    def stop(self, *_args):
        self.stopping = True

    def run(self):
        signal.set_wakeup_fd(self.wake_writer.fileno(), warn_on_full_buffer=False)
        while not self.stopping:
            timeout = max(0.0, min(self.due.values()) - time.monotonic())
            for key, events in self.selector.select(timeout):
                target = key.data
                if target is None:
                    self.wake_reader.recv(64)
                elif isinstance(target, tuple):
                    self.accept(key.fileobj, *target)
                else:
                    if events & selectors.EVENT_WRITE and not target.closed:
                        target.flush()
                    if events & selectors.EVENT_READ and not target.closed:
                        target.readable()
            self.run_timers()
        self.shut_down()

    def accept(self, listener, kind, tls_context):
        try:
            sock, address = listener.accept()
        except (BlockingIOError, InterruptedError):
            return
        address = f"{address[0]}:{address[1]}"
        log.info("%s: %s connection", address,
                 "client" if kind is ClientConnection else "TLS text" if tls_context else "text")
        if tls_context is not None:
            sock.setblocking(False)
            sock = tls_context.wrap_socket(sock, server_side=True, do_handshake_on_connect=False)
        kind(self, sock, address)

    def run_timers(self):
        now = time.monotonic()
        self.game.now = now
        actions = {"regen": self.game.regenerate, "chatter": self.game.chatter,
                   "clock": self.game.clock_tick}
        for name, due in self.due.items():
            if now >= due:
                actions[name]()
                self.due[name] = now + self.periods[name]

    def shut_down(self):
        log.info("shutting down")
        self.game.shutdown()
        connections = [key.data for key in self.selector.get_map().values()
                       if isinstance(key.data, Connection)]
        deadline = time.monotonic() + 1.0
        for connection in connections:
            if isinstance(connection, TextConnection):
                connection.telnet.end_compression()  # the farewell ends the stream properly
            connection.closing = True
        while any(c.out and not c.closed for c in connections) and time.monotonic() < deadline:
            for connection in connections:
                connection.flush()
            time.sleep(0.01)
        for connection in connections:
            if not connection.closed:
                connection.closed = True
                connection.sock.close()
        for sock in self.listeners:
            sock.close()
        signal.set_wakeup_fd(-1)
        self.wake_reader.close()
        self.wake_writer.close()
        self.selector.close()


def main(argv=None) -> int:
    parser = argparse.ArgumentParser(description="A small demo world for TavClient.")
    parser.add_argument("--host", default="127.0.0.1", help="address to listen on")
    parser.add_argument("--port", type=int, default=4000,
                        help="text port; the client port is one above (default 4000)")
    parser.add_argument("--chatter-seconds", type=float, default=15.0,
                        help="seconds between lines of channel chatter")
    parser.add_argument("--clock-seconds", type=float, default=20.0,
                        help="seconds between game date and time updates")
    parser.add_argument("--no-telnet-options", action="store_true",
                        help="offer no telnet option but ECHO, as a plain game would")
    parser.add_argument("--tls-port", type=int, help="also serve the text port over TLS here")
    parser.add_argument("--certificate", help="PEM certificate (chain) for the TLS port")
    parser.add_argument("--key", help="PEM private key for the TLS port")
    parser.add_argument("-v", "--verbose", action="store_true", help="log every message")
    parser.add_argument("-q", "--quiet", action="store_true", help="log warnings only")
    args = parser.parse_args(argv)
    if not 0 < args.port <= MAX_PORT:
        parser.error(f"--port must be between 1 and {MAX_PORT}")
    level = logging.DEBUG if args.verbose else logging.WARNING if args.quiet else logging.INFO
    logging.basicConfig(level=level, format="%(name)s: %(message)s")

    tls_context = None
    if args.tls_port is not None:
        if not (args.certificate and args.key):
            parser.error("--tls-port needs --certificate and --key")
        tls_context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        tls_context.minimum_version = ssl.TLSVersion.TLSv1_2
        try:
            tls_context.load_cert_chain(args.certificate, args.key)
        except (OSError, ssl.SSLError) as error:
            log.error("cannot load the certificate or key: %s", error)
            return 2
    try:
        server = Server(args.host, args.port, args.chatter_seconds, args.clock_seconds,
                        not args.no_telnet_options, args.tls_port, tls_context)
    except OSError as error:
        log.error("cannot listen on %s ports %d and %d: %s", args.host, args.port,
                  args.port + 1, error)
        return 2
    signal.signal(signal.SIGINT, server.stop)
    signal.signal(signal.SIGTERM, server.stop)
    tls = f", TLS text port {args.host}:{args.tls_port}" if tls_context else ""
    print(f"demo world: text port {args.host}:{args.port}, client port "
          f"{args.host}:{args.port + 1}{tls}", flush=True)
    server.run()
    return 0


if __name__ == "__main__":
    sys.exit(main())
