#!/usr/bin/python3
"""Reference print service: an FTP server for the uploads and a web server for the
folder request, the registration form and the order pages, both on one address.

Everything received is kept in an SQLite file so that a test can read it back:
  http_requests(id, method, path, query, content_type, accept, user_agent, cookie, body)
  ftp_commands(id, connection, line)          every command line as the client sent it
  ftp_files(id, path, size)                   files stored, relative to the FTP root
  registrations(id, order_id, imgfile, imgwidth, imgheight, imgsize, type7, cookie)

Faults (--fault, repeatable) make it misbehave in one way each:
  makedir-500        /makedir2.php answers 500
  ftp-login          every login is refused
  ftp-cwd            every CWD is refused
  ftp-cut            the connection is cut after --cut-after bytes of a STOR
  registration-hang  /sendresult1.asp never answers

When both servers listen it prints one line "ready http=<port> ftp=<port>" (ports of 0
are chosen by the system) and runs until it gets SIGTERM or SIGINT.
"""

import argparse
import html
import http.server
import logging
import os
import secrets
import signal
import sqlite3
import sys
import threading
import urllib.parse

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

SCHEMA = """
CREATE TABLE IF NOT EXISTS http_requests(id INTEGER PRIMARY KEY, method TEXT, path TEXT,
    query TEXT, content_type TEXT, accept TEXT, user_agent TEXT, cookie TEXT, body BLOB);
CREATE TABLE IF NOT EXISTS ftp_commands(id INTEGER PRIMARY KEY, connection INTEGER, line TEXT);
CREATE TABLE IF NOT EXISTS ftp_files(id INTEGER PRIMARY KEY, path TEXT, size INTEGER);
CREATE TABLE IF NOT EXISTS registrations(id INTEGER PRIMARY KEY, order_id TEXT, imgfile TEXT,
    imgwidth TEXT, imgheight TEXT, imgsize TEXT, type7 TEXT, cookie TEXT);
"""

SESSION_COOKIE = "NUVSESSION"


class Record:
    """The SQLite file, shared by the two servers' threads."""

    def __init__(self, path):
        self._lock = threading.Lock()
        self._db = sqlite3.connect(path, check_same_thread=False, isolation_level=None)
        # A record for tests to read back, not a store to survive a power cut: waiting
        # for the disk on every command would make the service, not the client, slow.
        self._db.execute("PRAGMA synchronous=OFF")
        self._db.executescript(SCHEMA)

    def add(self, table, **fields):
        names = ", ".join(fields)
        marks = ", ".join("?" for _ in fields)
        with self._lock:
            self._db.execute(f"INSERT INTO {table}({names}) VALUES({marks})",
                             tuple(fields.values()))

    def query(self, sql, *args):
        with self._lock:
            return self._db.execute(sql, args).fetchall()


class Service:
    def __init__(self, args):
        self.root = os.path.abspath(args.root)
        self.faults = set(args.fault or [])
        self.cut_after = args.cut_after
        self.record = Record(args.db)
        self.sessions = set()
        self.stopping = threading.Event()
        os.makedirs(os.path.join(self.root, "TempAlbum"), exist_ok=True)


# ---- web server ---------------------------------------------------------------------

def page(title, body):
    return ("<!DOCTYPE html><html><head><meta charset='utf-8'><title>%s</title></head>"
            "<body style='font-family:sans-serif'><h2>%s</h2>%s</body></html>"
            % (html.escape(title), html.escape(title), body)).encode("utf-8")


def make_web_handler(service):
    class WebHandler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"
        # The headers and the body go out in two writes; with Nagle's algorithm the body
        # would wait for the client's delayed acknowledgement of the headers, 40 ms.
        disable_nagle_algorithm = True

        def log_message(self, *args):
            pass

        def _record(self, body=b""):
            url = urllib.parse.urlsplit(self.path)
            service.record.add("http_requests", method=self.command, path=url.path,
                               query=url.query,
                               content_type=self.headers.get("Content-Type", ""),
                               accept=self.headers.get("Accept", ""),
                               user_agent=self.headers.get("User-Agent", ""),
                               cookie=self.headers.get("Cookie", ""), body=body)
            return url

        def _reply(self, status, content, content_type="text/html; charset=utf-8",
                   extra=()):
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(content)))
            for name, value in extra:
                self.send_header(name, value)
            self.end_headers()
            self.wfile.write(content)

        def _body(self):
            length = int(self.headers.get("Content-Length", "0") or 0)
            return self.rfile.read(min(length, 1 << 20))

        def _session_seen(self):
            cookies = self.headers.get("Cookie", "")
            for part in cookies.split(";"):
                name, _, value = part.strip().partition("=")
                if name == SESSION_COOKIE and value in service.sessions:
                    return value
            return ""

        def do_GET(self):
            url = self._record()
            if url.path == "/PORTRAIT_ok2.asp":
                return self._order_page(url)
            if url.path.startswith("/album/"):
                return self._album_file(url.path[len("/album/"):])
            if url.path == "/ActiveUP.asp":
                return self._reply(200, page("일반사진 인화 주문", "<p>사진을 올려 주세요.</p>"))
            if url.path == "/":
                return self._reply(200, page("온라인 사진 인화", "<p>인화 서비스입니다.</p>"))
            self._reply(404, page("없는 페이지", ""))

        def do_POST(self):
            body = self._body()
            url = self._record(body)
            if url.path == "/makedir2.php":
                return self._make_folder(body)
            if url.path == "/sendresult1.asp":
                return self._register(body)
            self._reply(404, page("없는 페이지", ""))

        def _make_folder(self, body):
            if "makedir-500" in service.faults:
                return self._reply(500, page("서버 오류", ""))
            key = urllib.parse.parse_qs(body.decode("latin-1")).get("fc", [""])[0]
            if not (len(key) == 1 and key.isdigit()):
                return self._reply(400, page("잘못된 폴더", ""))
            os.makedirs(os.path.join(service.root, "TempAlbum", key), exist_ok=True)
            self._reply(200, b"OK", "text/plain")

        def _register(self, body):
            if "registration-hang" in service.faults:
                # Holds the request open until the service stops.
                service.stopping.wait()
                return
            form = urllib.parse.parse_qs(body.decode("latin-1"), encoding="cp949")
            field = lambda name: form.get(name, [""])[0]
            cookie = secrets.token_hex(8)
            service.sessions.add(cookie)
            service.record.add("registrations", order_id=field("id"), imgfile=field("imgfile"),
                               imgwidth=field("imgwidth"), imgheight=field("imgheight"),
                               imgsize=field("imgsize"), type7=field("type7"), cookie=cookie)
            self._reply(200, page("등록되었습니다", "<p>%s</p>" % html.escape(field("imgfile"))),
                        extra=[("Set-Cookie", "%s=%s; Path=/" % (SESSION_COOKIE, cookie))])

        def _order_page(self, url):
            order_id = urllib.parse.parse_qs(url.query).get("id", [""])[0]
            rows = service.record.query(
                "SELECT imgfile, imgwidth, imgheight, imgsize, type7 FROM registrations "
                "WHERE order_id = ? ORDER BY id", order_id)
            key = order_id[:1]
            items = "".join(
                "<li><img src='/album/TempAlbum/%s/%s' width='152' height='102'> %s (%s × %s, "
                "%s bytes, %s)</li>" % (urllib.parse.quote(key), urllib.parse.quote(name),
                                        html.escape(name), html.escape(w), html.escape(h),
                                        html.escape(size), html.escape(kind))
                for name, w, h, size, kind in rows)
            seen = self._session_seen()
            cookie_line = ("<p id='cookie'>세션 쿠키 확인됨</p>" if seen
                           else "<p id='cookie'>세션 쿠키 없음</p>")
            body = "<p>주문 번호 %s: %d장</p>%s<ul>%s</ul>" % (
                html.escape(order_id), len(rows), cookie_line, items)
            self._reply(200, page("사진 주문", body))

        def _album_file(self, relative):
            path = os.path.realpath(os.path.join(service.root, urllib.parse.unquote(relative)))
            if not path.startswith(service.root + os.sep) or not os.path.isfile(path):
                return self._reply(404, b"", "text/plain")
            with open(path, "rb") as f:
                self._reply(200, f.read(), "image/jpeg")

    return WebHandler


# ---- FTP server ---------------------------------------------------------------------

def make_ftp_handler(service, user, password):
    class Authorizer(DummyAuthorizer):
        def validate_authentication(self, username, given, handler):
            if "ftp-login" in service.faults:
                raise AuthenticationFailed("Login refused.")
            super().validate_authentication(username, given, handler)

    class CuttingDTP(DTPHandler):
        def handle_read(self):
            super().handle_read()
            if self.tot_bytes_received >= service.cut_after:
                self.cmd_channel.close()

        handle_read_event = handle_read  # the base class binds its own method here

    class Handler(FTPHandler):
        auth_failed_timeout = 0
        banner = "Print service FTP ready."

        def pre_process_command(self, line, cmd, arg):
            service.record.add("ftp_commands", connection=id(self), line=line)
            if cmd == "CWD" and "ftp-cwd" in service.faults:
                return self.respond("550 Refused.")
            return super().pre_process_command(line, cmd, arg)

        def on_file_received(self, file):
            service.record.add("ftp_files", path=os.path.relpath(file, service.root),
                               size=os.path.getsize(file))

    authorizer = Authorizer()
    authorizer.add_user(user, password, service.root, perm="elradfmw")
    Handler.authorizer = authorizer
    if "ftp-cut" in service.faults:
        Handler.dtp_handler = CuttingDTP
    return Handler


class WebServer(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        # A browser that leaves before the reply is no fault of the service.
        if isinstance(sys.exc_info()[1], (BrokenPipeError, ConnectionResetError)):
            return
        super().handle_error(request, client_address)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--address", default="127.0.0.1")
    parser.add_argument("--http-port", type=int, default=8080)
    parser.add_argument("--ftp-port", type=int, default=2121)
    parser.add_argument("--root", default="print-service-data",
                        help="FTP root; TempAlbum/<key> folders are made under it")
    parser.add_argument("--db", default=None, help="SQLite record (default: ROOT/record.sqlite)")
    parser.add_argument("--user", default="Administrator")
    parser.add_argument("--password", default="4181926")
    parser.add_argument("--fault", action="append",
                        choices=["makedir-500", "ftp-login", "ftp-cwd", "ftp-cut",
                                 "registration-hang"])
    parser.add_argument("--cut-after", type=int, default=64 * 1024,
                        help="bytes of a STOR received before ftp-cut strikes")
    args = parser.parse_args()
    os.makedirs(args.root, exist_ok=True)
    if args.db is None:
        args.db = os.path.join(args.root, "record.sqlite")

    logging.basicConfig(level=logging.WARNING)
    service = Service(args)

    web = WebServer((args.address, args.http_port), make_web_handler(service))
    ftp = FTPServer((args.address, args.ftp_port),
                    make_ftp_handler(service, args.user, args.password))

    def stop(*_):
        raise SystemExit(0)

    signal.signal(signal.SIGTERM, stop)
    threading.Thread(target=web.serve_forever, daemon=True).start()
    print("ready http=%d ftp=%d" % (web.server_address[1], ftp.address[1]), flush=True)
    try:
        ftp.serve_forever(handle_exit=True)
    finally:
        service.stopping.set()
        web.shutdown()
        ftp.close_all()


if __name__ == "__main__":
    main()
