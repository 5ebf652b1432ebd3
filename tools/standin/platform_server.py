#!/usr/bin/env python3
"""Stand-in for the Plit platform service and update server, on loopback.

Serves the platform's form-POST API from a small world (world.json), the
update file, the print-helper installer, generated download files and
installer scripts with Range support, and plain HTML pages.  Control paths
under /__control/ let tests read the request record and script faults.
Standard library only.

    python3 platform_server.py --port 0 [--world world.json] [--host 127.0.0.1]

The first line on stdout is "listening on <host>:<port>"; everything else goes
to stderr.
"""

import argparse
import functools
import hashlib
import json
import os
import re
import select
import signal
import socket
import struct
import sys
import threading
import time
import urllib.parse
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import browser_pages
import portal_pages

HERE = os.path.dirname(os.path.abspath(__file__))

# Generated files: 4096-byte blocks, each the block index as 8 big-endian
# bytes followed by a fixed pattern, so a range written at the wrong offset
# shows up at once.
BLOCK = 4096
PATTERN = bytes(((j * 37) + (j >> 8)) & 0xFF for j in range(BLOCK - 8))
CHUNK = 1 << 20
MAX_GENERATED = 4 << 30
MAX_BODY = 16 << 20


def generated(offset, length):
    """The bytes of every generated file from offset, length bytes long."""
    if length <= 0:
        return b""
    first = offset // BLOCK
    last = (offset + length - 1) // BLOCK
    data = b"".join(struct.pack(">Q", b) + PATTERN for b in range(first, last + 1))
    start = offset - first * BLOCK
    return data[start:start + length]


# An installer script: run, it writes its arguments to "<its path>.started"
# and ends; comment lines pad it to the size the catalogue gives.
INSTALLER_HEAD = (b"#!/bin/sh\n"
                  b"# Plit stand-in installer: records how it was started.\n"
                  b"printf '%s' \"$*\" > \"$0.started\"\n"
                  b"exit 0\n")


# The print helper's installer: run, it truly installs a (do-nothing) print
# helper for this user, a program and the desktop entry that names it, as
# a Linux desktop keeps them; then it notes how it was started like the
# other installers.
PRNHELP_INSTALLER = (
    b"#!/bin/sh\n"
    b"# Plit stand-in print helper installer: installs the helper for this user.\n"
    b"set -e\n"
    b"data=${XDG_DATA_HOME:-$HOME/.local/share}\n"
    b"dir=$data/vanta-print-helper\n"
    b"mkdir -p \"$dir\" \"$data/applications\"\n"
    b"printf '#!/bin/sh\\n# Plit stand-in print helper: waits for print jobs.\\nexit 0\\n' > \"$dir/prnhelper\"\n"
    b"chmod 755 \"$dir/prnhelper\"\n"
    b"entry=$data/applications/vanta-print-helper.desktop\n"
    b"printf '[Desktop Entry]\\nType=Application\\nName=Vanta\xe6\x89\x93\xe5\x8d\xb0\xe5\x8a\xa9\xe6\x89\x8b\xe5\x8d\x87\xe7\xba\xa7\xe7\x89\x88\\n"
    b"Name[zh_CN]=\xe6\x89\x93\xe5\x8d\xb0\xe5\x8a\xa9\xe6\x89\x8b\\nExec=\"%s\"\\nIcon=printer\\n' \"$dir/prnhelper\" > \"$entry.new\"\n"
    b"mv \"$entry.new\" \"$entry\"\n"
    b"printf '%s' \"$*\" > \"$0.started\"\n")


@functools.lru_cache(maxsize=4)
def installer_script(size):
    """The installer script padded to size bytes (at least its head)."""
    pad = max(size - len(INSTALLER_HEAD), 0)
    line = b"#" + b"-" * 62 + b"\n"
    body = INSTALLER_HEAD + (line * (pad // len(line) + 1))[:pad]
    return body[:-1] + b"\n" if pad else body


def png(width, height, rgb, pixel=None):
    """A small PNG image: solid rgb, or the colour pixel(x, y) at each point."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    if pixel is None:
        rows = (b"\x00" + bytes(rgb) * width) * height
    else:
        rows = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width))
                        for y in range(height))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows))
            + chunk(b"IEND", b""))


WHITE = (255, 255, 255)


@functools.lru_cache(maxsize=4)
def sized_png(width, height):
    """A white PNG of any size that stays small on the wire: one bit a
    pixel, so 20000 x 20000 pixels take some 50 KB (and 1.6 GB decoded)."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    row = b"\x00" + b"\xff" * ((width + 7) // 8)
    packer = zlib.compressobj(9)
    body = b"".join(packer.compress(row) for _ in range(height)) + packer.flush()
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 1, 0, 0, 0, 0))
            + chunk(b"IDAT", body)
            + chunk(b"IEND", b""))


def software_icon(size, rgb):
    """A catalogue icon: a rounded tile in rgb holding a white sheet."""
    r = size // 6
    def pixel(x, y):
        cx = min(max(x, r), size - 1 - r)
        cy = min(max(y, r), size - 1 - r)
        if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
            return WHITE
        if size * 0.28 <= x < size * 0.72 and size * 0.2 <= y < size * 0.8:
            line = int((y - size * 0.2) / (size * 0.1))
            if line % 2 == 1 and size * 0.36 <= x < size * (0.64 - 0.08 * (line // 2 % 2)):
                return rgb
            return WHITE
        return rgb
    return png(size, size, rgb, pixel)


def software_screenshot(width, height, rgb):
    """A screenshot of a program: a title band in rgb over a light window
    with a side bar, lines of text and a button."""
    light = tuple(min(c + (255 - c) * 4 // 5, 255) for c in rgb)
    def pixel(x, y):
        if y < 22:
            return rgb
        if x < 70:
            return light if (y - 34) % 24 >= 12 or y < 34 else (236, 240, 246)
        if width - 80 <= x < width - 20 and height - 34 <= y < height - 16:
            return rgb
        line = (y - 40) // 18
        if y >= 40 and (y - 40) % 18 < 6 and line < 6 and 86 <= x < width - 30 - (line * 37) % 90:
            return (208, 214, 224)
        return (248, 249, 252)
    return png(width, height, rgb, pixel)


def log(*parts):
    print(time.strftime("%H:%M:%S"), *parts, file=sys.stderr, flush=True)


def decode_text(raw):
    """Form values arrive in the client's locale encoding: UTF-8 normally, GBK
    on a Chinese Windows that did not switch its codec."""
    for codec in ("utf-8", "gb18030"):
        try:
            return raw.decode(codec)
        except UnicodeDecodeError:
            pass
    return raw.decode("utf-8", errors="replace")


def parse_form(text_bytes):
    """Parses key=value&... ; "%XX" escapes are decoded, "+" stays a plus
    because the client inserts blanks raw."""
    form = {}
    for part in text_bytes.split(b"&"):
        if not part:
            continue
        key, _, value = part.partition(b"=")
        form[decode_text(urllib.parse.unquote_to_bytes(key))] = \
            decode_text(urllib.parse.unquote_to_bytes(value))
    return form


class Reply:
    """One answer: status, headers and a body that is either bytes or a
    generated range (start, end inclusive)."""

    def __init__(self, status=200, body=b"", content_type="application/json; charset=utf-8"):
        self.status = status
        self.headers = {"Content-Type": content_type}
        self.body = body
        self.generated = None  # (start, end) of a generated file
        self.source = generated  # its bytes: source(offset, length)

    @property
    def length(self):
        if self.generated is not None:
            return self.generated[1] - self.generated[0] + 1
        return len(self.body)

    def chunks(self, limit=None):
        remaining = self.length if limit is None else min(limit, self.length)
        if self.generated is None:
            yield self.body[:remaining]
            return
        pos = self.generated[0]
        while remaining > 0:
            n = min(CHUNK, remaining)
            yield self.source(pos, n)
            pos += n
            remaining -= n


def json_reply(obj, status=200):
    return Reply(status, json.dumps(obj, ensure_ascii=False).encode("utf-8"))


def html_reply(title, body_html, status=200):
    page = ("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%s</title></head>"
            "<body><h1>%s</h1>%s</body></html>" % (title, title, body_html))
    return Reply(status, page.encode("utf-8"), "text/html; charset=utf-8")


def text_reply(text, status=200):
    return Reply(status, text.encode("utf-8"), "text/plain; charset=utf-8")


def refuse(msg):
    return json_reply({"states": False, "msg": msg})


class World:
    """The platform's data: accounts, companies, articles and the software
    catalogue.  Changes made by requests (registration, password reset, SMS
    keys) live in memory for the life of the server."""

    def __init__(self, path):
        with open(path, encoding="utf-8") as f:
            data = json.load(f)
        self.lock = threading.Lock()
        self.sms_code = str(data.get("sms_code", "123456"))
        self.completion_code = str(data.get("completion_code", "qorvexmt40782"))
        self.tax_page_size = int(data.get("tax_page_size", 5))
        self.software_page_size = int(data.get("software_page_size", 8))
        self.server_time = data.get("server_time")
        self.accounts = {a["phone"]: dict(a) for a in data.get("accounts", [])}
        for a in self.accounts.values():
            a.setdefault("companies", [])
        self.articles = data.get("articles", [])
        self.index_articles = data.get("index_articles", [])
        self.software = data.get("software", [])
        self.sms_keys = {}  # phone -> key of the last code sent
        self.update_body = json.dumps({"version": data.get("update_version", "2.0.0.2")}).encode()

    # -- accounts -------------------------------------------------------

    def send_code(self, phone):
        if not re.fullmatch(r"1\d{10}", phone):
            return refuse("手机号码格式不正确")
        with self.lock:
            serial = len(self.sms_keys) + 1
            key = hashlib.sha1(("%s/%d" % (phone, serial)).encode()).hexdigest()[:16]
            self.sms_keys[phone] = key
        log("SMS to %s: code %s key %s" % (phone, self.sms_code, key))
        return json_reply({"states": True, "msg": "验证码已发送", "key": key})

    def check_code(self, phone, key, code):
        with self.lock:
            expected = self.sms_keys.get(phone)
        return expected is not None and key == expected and code == self.sms_code

    def companies_page(self, account, page, keyword, base):
        companies = [c for c in account["companies"]
                     if not keyword or keyword in c["tax_name"] or keyword in c["tax_code"]]
        size = self.tax_page_size
        page_count = (len(companies) + size - 1) // size
        page = max(page, 1)
        rows = []
        for c in companies[(page - 1) * size: page * size]:
            rows.append({"tax_code": c["tax_code"], "tax_name": c["tax_name"],
                         "phone": account["phone"],
                         "url": c.get("url", "{base}/invoice/?tax_code=" + c["tax_code"])
                         .replace("{base}", base)})
        return {"data": rows, "page_count": page_count}

    def signed_in(self, account, base):
        status = account["status"]
        reply = {"states": True, "msg": "登录成功", "status": status}
        if status >= 2:
            reply["nndata"] = self.companies_page(account, 1, "", base)
        return json_reply(reply)

    def password_login(self, form, base):
        account = self.accounts.get(form.get("phone", ""))
        if account is None:
            return refuse("该手机号未注册")
        if form.get("password", "") != account["password"]:
            return refuse("账号或密码错误")
        return self.signed_in(account, base)

    def code_login(self, form, base):
        phone = form.get("phone", "")
        if not self.check_code(phone, form.get("key", ""), form.get("code", "")):
            return refuse("验证码错误或已失效")
        account = self.accounts.get(phone)
        if account is None:
            return refuse("该手机号未注册")
        return self.signed_in(account, base)

    def register(self, form, base):
        phone = form.get("phone", "")
        name = form.get("real_name", "")
        password = form.get("password", "")
        email = form.get("email", "")
        if not name or not password:
            return refuse("姓名和密码不能为空")
        if email and not re.fullmatch(r"[^@\s]+@[^@\s]+\.[^@\s]+", email):
            return refuse("邮箱格式不正确")
        with self.lock:
            account = self.accounts.get(phone)
            if form.get("code", "") == self.completion_code:
                # The completion window sends a fixed code for an account the
                # platform found incomplete.
                if account is None:
                    return refuse("该手机号未注册")
                if account["status"] != 1:
                    return refuse("该账号无需完善信息")
                account.update(name=name, email=email, password=password, status=2)
                return self.signed_in(account, base)
        if not self.check_code(phone, form.get("key", ""), form.get("code", "")):
            return refuse("验证码错误或已失效")
        with self.lock:
            if phone in self.accounts:
                return refuse("该手机号已注册")
            account = {"phone": phone, "password": password, "name": name,
                       "email": email, "status": 2, "companies": []}
            self.accounts[phone] = account
        log("registered %s" % phone)
        return self.signed_in(account, base)

    def reset_password(self, form):
        phone = form.get("phone", "")
        if not self.check_code(phone, form.get("key", ""), form.get("code", "")):
            return refuse("验证码错误或已失效")
        account = self.accounts.get(phone)
        if account is None:
            return refuse("该手机号未注册")
        password = form.get("password", "")
        if not password:
            return refuse("密码不能为空")
        if password != form.get("rpassword", ""):
            return refuse("两次输入的密码不一致")
        with self.lock:
            account["password"] = password
        return json_reply({"states": True, "msg": "密码已重置", "status": account["status"]})

    def tax_page(self, form, base):
        account = self.accounts.get(form.get("phone", ""))
        try:
            page = int(form.get("page", "1"))
        except ValueError:
            return refuse("页码不正确")
        if account is None:
            return json_reply({"states": True, "data": {"data": [], "page_count": 0}})
        return json_reply({"states": True,
                           "data": self.companies_page(account, page, form.get("key", ""), base)})

    # -- articles ---------------------------------------------------------

    @staticmethod
    def article_row(a, base):
        row = {k: v for k, v in a.items() if k != "classid"}
        if "p_url" in row:
            row["p_url"] = row["p_url"].replace("{base}", base)
        return row

    def get_articles(self, form, base):
        try:
            classid = int(form.get("classid", ""))
            num = int(form.get("num", "10"))
        except ValueError:
            return refuse("参数错误")
        rows = [self.article_row(a, base) for a in self.articles if a.get("classid") == classid]
        return json_reply({"states": True, "data": rows[:max(num, 0)]})

    def get_index_articles(self, base):
        return json_reply({"states": True,
                           "data": [self.article_row(a, base) for a in self.index_articles]})

    # -- software catalogue ---------------------------------------------

    @staticmethod
    def software_url(s, base):
        kind = "installer" if s.get("installer") else "gen"
        return "%s/files/%s/%d/%s" % (base, kind, s["size"], urllib.parse.quote(s["file"]))

    def software_row(self, s, base):
        return {"id": s["id"], "title": s["title"], "shortitle": s["version"],
                "summary": s["summary"], "uplodeimg": "%s/images/soft/%d.png" % (base, s["id"]),
                "uplodesoft": self.software_url(s, base), "softsize": s["softsize"],
                "p_url": "%s/software/%d.html" % (base, s["id"])}

    def software_page(self, form, base):
        try:
            page = int(form.get("page", "1"))
        except ValueError:
            return refuse("页码不正确")
        size = self.software_page_size
        page = max(page, 1)
        rows = [self.software_row(s, base) for s in self.software[(page - 1) * size: page * size]]
        return json_reply({"states": True, "data": {
            "data": rows, "page_count": (len(self.software) + size - 1) // size}})

    def software_details(self, form, base):
        wanted = form.get("articleid", "")
        for s in self.software:
            if str(s["id"]) == wanted:
                return json_reply({"states": True, "data": {
                    "id": str(s["id"]), "title": s["title"], "shortitle": s["version"],
                    "softsize": s["softsize"], "summary": s["summary"],
                    "creat_time": s.get("creat_time", ""),
                    "uplodeimg": "%s/images/soft/%d.png" % (base, s["id"]),
                    "uplodesoft": self.software_url(s, base),
                    "imglist": [{"url": "%s/images/shot/%d-%d.png" % (base, s["id"], n)}
                                for n in range(1, s.get("screenshots", 0) + 1)]}})
        return refuse("该软件不存在")

    def many_companies(self, count, base):
        """A signed-in answer whose one page carries `count` generated companies."""
        rows = [{"tax_code": "91%014d" % i, "tax_name": "测试公司%d" % i, "phone": "13800000002",
                 "url": "%s/invoice/?tax_code=91%014d" % (base, i)} for i in range(count)]
        size = self.tax_page_size
        return json_reply({"states": True, "msg": "登录成功", "status": 2,
                           "nndata": {"data": rows, "page_count": (count + size - 1) // size}})

    def servtime(self):
        if self.server_time is not None:
            return str(self.server_time)
        return str(int(time.time()))


class Script:
    def __init__(self, spec):
        self.path = spec["path"]
        self.method = spec.get("method")
        self.times = int(spec.get("times", 1))
        self.spec = spec


class State:
    def __init__(self, world):
        self.world = world
        self.lock = threading.Lock()
        self.records = []
        self.scripts = []
        self.stopping = threading.Event()

    def record(self, entry):
        with self.lock:
            self.records.append(entry)

    def take_script(self, method, path):
        with self.lock:
            for s in self.scripts:
                if s.path == path and (s.method is None or s.method.upper() == method):
                    if s.times > 0:
                        s.times -= 1
                        if s.times == 0:
                            self.scripts.remove(s)
                    return s.spec
        return None


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "PlitStandIn/1.0"
    timeout = 120  # an idle keep-alive connection is dropped after this

    # The state is attached to the server object.
    @property
    def state(self):
        return self.server.state

    def log_message(self, fmt, *args):
        log("%s %s" % (self.address_string(), fmt % args))

    def base_url(self):
        host = self.headers.get("Host")
        if not host or not re.fullmatch(r"[A-Za-z0-9.\-\[\]:]+", host):
            host = "%s:%d" % self.server.server_address[:2]
        return "http://" + host

    def read_body(self):
        if "chunked" in self.headers.get("Transfer-Encoding", "").lower():
            parts = []
            total = 0
            while True:
                line = self.rfile.readline(1024)
                if not line:
                    raise ConnectionError("body cut short")
                size = int(line.split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline(1024) not in (b"\r\n", b"\n", b""):
                        pass
                    break
                total += size
                if total > MAX_BODY:
                    raise ValueError("body too large")
                parts.append(self.rfile.read(size))
                self.rfile.readline(1024)
            return b"".join(parts)
        length = self.headers.get("Content-Length")
        if not length:
            return b""
        n = int(length)
        if n < 0 or n > MAX_BODY:
            raise ValueError("bad Content-Length")
        body = self.rfile.read(n)
        if len(body) < n:
            raise ConnectionError("body cut short")
        return body

    def do_GET(self):
        self.serve("GET")

    def do_POST(self):
        self.serve("POST")

    def do_HEAD(self):
        self.serve("HEAD")

    def do_PUT(self):
        self.serve("PUT")

    def do_DELETE(self):
        self.serve("DELETE")

    def serve(self, method):
        try:
            try:
                body = self.read_body()
            except ValueError:
                self.send_plain(400, b"bad request body")
                return
            split = urllib.parse.urlsplit(self.path)
            path, query = split.path, split.query
            if path.startswith("/__control/"):
                self.stop_after_answer = False
                self.send(self.control(method, path, body), method)
                if self.stop_after_answer:
                    self.close_connection = True
                    self.wfile.flush()
                    threading.Thread(target=self.server.stop, daemon=True).start()
                return
            headers = {}
            for name, value in self.headers.items():
                key = name.lower()
                headers[key] = headers[key] + ", " + value if key in headers else value
            entry = {"method": method, "path": path, "query": query, "headers": headers,
                     "body": body.decode("utf-8", errors="replace")}
            form_source = None
            if "application/x-www-form-urlencoded" in headers.get("content-type", ""):
                form_source = body
                entry["form"] = parse_form(body)
            self.state.record(entry)
            if browser_pages.serve(self, method, path, query):
                return
            if form_source is None:
                form = parse_form(query.encode("latin-1", errors="replace"))
            else:
                form = entry["form"]
            script = self.state.take_script(method, path)
            self.answer(method, path, form, script or {})
        except (ConnectionError, BrokenPipeError, socket.timeout, OSError):
            self.close_connection = True

    def send_plain(self, status, text):
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=utf-8")
        self.send_header("Content-Length", str(len(text)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(text)
        self.close_connection = True

    # -- answering --------------------------------------------------------

    def answer(self, method, path, form, script):
        if script.get("delay_ms"):
            if self.state.stopping.wait(float(script["delay_ms"]) / 1000.0):
                self.close_connection = True
                return
        if script.get("hang"):
            self.hang()
            return
        if "companies" in script:
            reply = self.state.world.many_companies(int(script["companies"]), self.base_url())
        elif "body" in script or "json" in script:
            if "json" in script:
                reply = Reply(body=json.dumps(script["json"], ensure_ascii=False).encode("utf-8"))
            else:
                reply = Reply(body=str(script["body"]).encode("utf-8"),
                              content_type="text/plain; charset=utf-8")
        else:
            reply = self.route(method, path, form, script)
        if script.get("pad") and reply.generated is None:
            # Blanks after a JSON body keep it valid JSON, only larger.
            reply.body += b" " * int(script["pad"])
        if "status" in script:
            reply.status = int(script["status"])
        for name, value in (script.get("headers") or {}).items():
            reply.headers[str(name)] = str(value)
        self.send(reply, method, drop_after=script.get("drop_after"),
                  no_length=bool(script.get("no_length")), stall_after=script.get("stall_after"),
                  short_by=int(script.get("short_by", 0)), rate=script.get("rate"))

    def hang(self):
        """Never answer: wait until the client closes the connection or the
        server stops."""
        self.close_connection = True
        sock = self.connection
        while not self.state.stopping.is_set():
            readable, _, _ = select.select([sock], [], [], 0.1)
            if readable:
                try:
                    if not sock.recv(65536, socket.MSG_PEEK):
                        return
                    sock.recv(65536)
                except OSError:
                    return

    def send(self, reply, method, drop_after=None, no_length=False, stall_after=None, short_by=0,
             rate=None):
        self.send_response(reply.status)
        for name, value in reply.headers.items():
            self.send_header(name, value)
        if no_length:
            self.send_header("Connection", "close")
            self.close_connection = True
        else:
            self.send_header("Content-Length", str(reply.length + short_by))
        if short_by:
            # The whole body goes out, then the connection ends short of the
            # length announced.
            drop_after = reply.length
        self.end_headers()
        if method == "HEAD":
            return
        limit = None
        if drop_after is not None:
            limit = max(int(drop_after), 0)
            self.close_connection = True
        if stall_after is not None:
            limit = max(int(stall_after), 0)
        for chunk in reply.chunks(limit):
            if rate:
                if not self.write_slowly(chunk, rate):
                    return
            else:
                self.wfile.write(chunk)
        if stall_after is not None:
            # The connection stays open and silent until the client gives up.
            self.wfile.flush()
            self.hang()
            return
        if drop_after is not None:
            self.wfile.flush()
            try:
                self.connection.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def write_slowly(self, data, rate):
        """Writes data at about rate bytes a second, a twentieth of a second's
        worth at a time; False when the server stops meanwhile."""
        piece = max(int(rate) // 20, 1)
        for pos in range(0, len(data), piece):
            self.wfile.write(data[pos:pos + piece])
            self.wfile.flush()
            if self.state.stopping.wait(0.05):
                self.close_connection = True
                return False
        return True

    def route(self, method, path, form, script):
        world = self.state.world
        ignore_range = bool(script.get("ignore_range")) or not self.if_range_holds(script)
        short_range = script.get("short_range")
        base = self.base_url()
        api = {
            "/api/platApi/mesSend": lambda: world.send_code(form.get("phone", "")),
            "/api/platApi/log_on": lambda: world.code_login(form, base),
            "/api/platApi/passlog_on": lambda: world.password_login(form, base),
            "/api/platApi/userReg": lambda: world.register(form, base),
            "/api/platApi/ResetPassword": lambda: world.reset_password(form),
            "/api/platApi/messageSave": lambda: self.feedback(form),
            "/api/platApi/sendLog": lambda: json_reply({"states": True, "msg": ""}),
            "/api/platApi/getServtime": lambda: text_reply(world.servtime()),
            "/api/platApi/ckUser": lambda: self.user_page(),
            "/api/platapi/getTaxPage": lambda: world.tax_page(form, base),
            "/api/ArticleApi/getArticle": lambda: world.get_articles(form, base),
            "/api/platapi/getArticle": lambda: world.get_articles(form, base),
            "/api/ArticleApi/getIndexArticle": lambda: world.get_index_articles(base),
            "/api/articleapi/getDownload": lambda: world.software_page(form, base),
            "/api/Articleapi/getDownloadInfo": lambda: world.software_details(form, base),
            "/updatefile.json": lambda: Reply(body=world.update_body),
        }
        if path in api:
            return api[path]()
        session = portal_pages.session_company(self.headers.get("Cookie", ""))
        portal = portal_pages.page(world, method, path, form, base, session)
        if portal is not None:
            reply = Reply(body=portal.encode("utf-8"), content_type="text/html; charset=utf-8")
            if portal_pages.is_invoicing(path):
                # The company's sign-in to the invoicing site: a session cookie.
                reply.headers["Set-Cookie"] = "%s=%s; Path=/; HttpOnly" % (
                    portal_pages.SESSION_COOKIE, form.get("tax_code", ""))
            return reply
        if path == "/prnhelp.exe":
            reply = self.file_reply(len(PRNHELP_INSTALLER), ignore_range, short_range)
            reply.source = lambda offset, length: PRNHELP_INSTALLER[offset:offset + length]
            return reply
        m = re.fullmatch(r"/files/gen/(\d{1,12})/[^/]+", path)
        if m:
            # A scripted size stands for the file replaced by another version.
            size = int(script.get("size", m.group(1)))
            if size > MAX_GENERATED:
                return text_reply("file too large", 404)
            return self.file_reply(size, ignore_range, short_range)
        m = re.fullmatch(r"/files/installer/(\d{1,9})/[^/]+", path)
        if m:
            size = int(m.group(1))
            if size > MAX_BODY:
                return text_reply("file too large", 404)
            body = installer_script(size)
            reply = self.file_reply(len(body), ignore_range, short_range)
            reply.source = lambda offset, length: body[offset:offset + length]
            return reply
        m = re.fullmatch(r"/images/(soft|shot)/(\d+)(?:-(\d+))?\.png", path)
        if m:
            n = int(m.group(2)) * 7 + int(m.group(3) or 0) * 53
            rgb = (n * 37 % 200, n * 91 % 200, 200)
            image = (software_icon(48, rgb) if m.group(1) == "soft"
                     else software_screenshot(320, 200, rgb))
            return Reply(body=image, content_type="image/png")
        m = re.fullmatch(r"/images/size/(\d{1,6})x(\d{1,6})\.png", path)
        if m and 0 < int(m.group(1)) <= 100000 and 0 < int(m.group(2)) <= 100000:
            return Reply(body=sized_png(int(m.group(1)), int(m.group(2))), content_type="image/png")
        m = re.fullmatch(r"/images/crafted/([a-z]+\.(png|gif|ico|jpg))", path)
        if m:
            # Crafted images kept with the tests, served as they are.
            crafted = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                   "tests", "desktop", "data", "crafted", m.group(1))
            if os.path.isfile(crafted):
                with open(crafted, "rb") as f:
                    kind = {"jpg": "jpeg", "ico": "x-icon"}.get(m.group(2), m.group(2))
                    return Reply(body=f.read(), content_type="image/" + kind)
        m = re.fullmatch(r"/(?:software|article)/(\d+)\.html", path)
        if m:
            return html_reply("详情 %s" % m.group(1), "<p>详细内容。</p>")
        if path == "/" or path == "":
            return html_reply("Plit云台", "<p>平台服务</p>")
        return text_reply("not found", 404)

    def feedback(self, form):
        if not form.get("summary", ""):
            return refuse("反馈内容不能为空")
        log("feedback type %s from %s: %s" % (form.get("msgtypes", ""), form.get("phone", ""),
                                               form.get("summary", "")))
        return json_reply({"states": True, "msg": "感谢您的反馈"})

    def user_page(self):
        query = urllib.parse.urlsplit(self.path).query
        token = query[len("phone="):] if query.startswith("phone=") else ""
        return html_reply("用户中心", "<p>用户校验：%s</p>" % html_escape(token[:64]))

    def if_range_holds(self, script):
        """If-Range names the version the client holds: the range is served
        only while it matches the answer's ETag or Last-Modified (scripted
        headers), otherwise the whole file goes out."""
        wanted = self.headers.get("If-Range")
        if wanted is None:
            return True
        validators = [str(value) for name, value in (script.get("headers") or {}).items()
                      if str(name).lower() in ("etag", "last-modified")]
        return wanted.strip() in validators

    def file_reply(self, size, ignore_range, short_range=None):
        reply = Reply(content_type="application/octet-stream")
        reply.headers["Accept-Ranges"] = "bytes"
        start, end = 0, size - 1
        header = self.headers.get("Range")
        if header and not ignore_range:
            m = re.fullmatch(r"\s*bytes\s*=\s*(\d*)\s*-\s*(\d*)\s*", header)
            if m and (m.group(1) or m.group(2)):
                if m.group(1):
                    a = int(m.group(1))
                    b = int(m.group(2)) if m.group(2) else size - 1
                else:  # suffix range: the last n bytes
                    a = max(size - int(m.group(2)), 0)
                    b = size - 1
                if a >= size and (m.group(1) or size == 0):
                    bad = text_reply("range not satisfiable", 416)
                    bad.headers["Content-Range"] = "bytes */%d" % size
                    return bad
                if b >= a:
                    start, end = a, min(b, size - 1)
                    if short_range:
                        end = min(end, start + max(int(short_range), 1) - 1)
                    reply.status = 206
                    reply.headers["Content-Range"] = "bytes %d-%d/%d" % (start, end, size)
        reply.generated = (start, end)
        return reply

    # -- control ------------------------------------------------------------

    def control(self, method, path, body):
        state = self.state
        try:
            payload = json.loads(body.decode("utf-8")) if body.strip() else {}
        except (ValueError, UnicodeDecodeError):
            return json_reply({"ok": False, "error": "body is not JSON"}, 400)
        if path == "/__control/requests" and method == "GET":
            with state.lock:
                return json_reply(list(state.records))
        if method != "POST":
            return json_reply({"ok": False, "error": "use POST"}, 405)
        if path == "/__control/clear":
            with state.lock:
                state.records.clear()
            return json_reply({"ok": True})
        if path == "/__control/script":
            if not isinstance(payload, dict) or not isinstance(payload.get("path"), str):
                return json_reply({"ok": False, "error": "script needs a path"}, 400)
            try:
                script = Script(payload)
            except (TypeError, ValueError):
                return json_reply({"ok": False, "error": "bad times"}, 400)
            with state.lock:
                state.scripts.append(script)
            return json_reply({"ok": True})
        if path == "/__control/unscript":
            with state.lock:
                state.scripts.clear()
            return json_reply({"ok": True})
        if path == "/__control/update":
            if isinstance(payload, dict) and "raw" in payload:
                state.world.update_body = str(payload["raw"]).encode("utf-8")
            elif isinstance(payload, dict) and "version" in payload:
                state.world.update_body = json.dumps({"version": payload["version"]}).encode()
            else:
                return json_reply({"ok": False, "error": "give version or raw"}, 400)
            return json_reply({"ok": True})
        if path == "/__control/stop":
            # Stops once this answer is out (see serve()).
            self.stop_after_answer = True
            reply = json_reply({"ok": True})
            reply.headers["Connection"] = "close"
            return reply
        return json_reply({"ok": False, "error": "unknown control path"}, 404)


def html_escape(text):
    return (text.replace("&", "&amp;").replace("<", "&lt;")
            .replace(">", "&gt;").replace("\"", "&quot;"))


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64

    def __init__(self, address, state):
        super().__init__(address, Handler)
        self.state = state

    def stop(self):
        self.state.stopping.set()
        self.shutdown()

    def handle_error(self, request, client_address):
        # A client that goes away mid-answer is normal; anything else is
        # logged without stopping the server.
        exc = sys.exc_info()[1]
        if isinstance(exc, (ConnectionError, socket.timeout)):
            return
        log("error while serving %s: %r" % (client_address, exc))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--world", default=os.path.join(HERE, "world.json"))
    args = parser.parse_args()

    state = State(World(args.world))
    server = Server((args.host, args.port), state)
    host, port = server.server_address[:2]

    def on_signal(signum, frame):
        threading.Thread(target=server.stop, daemon=True).start()
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)

    # A test program that crashes cannot stop its server: the server goes
    # with the process that started it instead of holding that process's
    # output open for ever.
    parent = os.getppid()

    def watch_parent():
        while not state.stopping.wait(0.5):
            if os.getppid() != parent:
                log("the process that started the server is gone")
                server.stop()
                return
    threading.Thread(target=watch_parent, daemon=True).start()

    print("listening on %s:%d" % (host, port), flush=True)
    log("serving world %s" % args.world)
    try:
        server.serve_forever(poll_interval=0.1)
    finally:
        state.stopping.set()
        server.server_close()
    log("stopped")


if __name__ == "__main__":
    main()
