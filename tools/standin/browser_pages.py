"""Pages for the embedded browser under /browser/: titles and icons, a link
that opens a tab, a page that opens a popup which later closes itself, basic
authentication, attachments, a notification permission request, a protocol
handler registration, and an HTTPS listener with a self-signed certificate
made on first use.

platform_server.py hands every request whose path starts with /browser/ to
serve(); scripted replies do not apply to them.  Standard library and the
openssl command only.
"""

import base64
import os
import re
import ssl
import subprocess
import tempfile
import threading
import urllib.parse

USER = "plit"
PASSWORD = "s3cret"
ICON_SIZE = 16

_tls_lock = threading.Lock()
_tls_servers = {}  # plain server -> its HTTPS twin


def serve(handler, method, path, query):
    """Answers a /browser/ request on `handler`; False for any other path."""
    if not path.startswith("/browser/"):
        return False
    params = {k: v[-1] for k, v in urllib.parse.parse_qs(query, keep_blank_values=True).items()}
    delay = _number(params.get("delay"), 0)
    if delay and handler.state.stopping.wait(delay / 1000.0):
        handler.close_connection = True
        return True
    routes = {
        "/browser/page": _page,
        "/browser/icon.png": _icon,
        "/browser/links": _links,
        "/browser/opener": _opener,
        "/browser/popup": _popup,
        "/browser/private": _private,
        "/browser/notify": _notify,
        "/browser/protocol": _protocol,
        "/browser/tls": _tls,
        "/browser/alerts": _alerts,
        "/browser/flood": _flood,
        "/browser/away": _away,
    }
    if path in routes:
        routes[path](handler, params)
    elif path.startswith("/browser/file/"):
        _attachment(handler, urllib.parse.unquote(path[len("/browser/file/"):]), params)
    else:
        _send(handler, 404, "text/plain; charset=utf-8", b"not found")
    if method == "HEAD":
        handler.close_connection = True
    return True


def _number(text, default):
    try:
        return max(int(text), 0)
    except (TypeError, ValueError):
        return default


def _escape(text):
    return (text.replace("&", "&amp;").replace("<", "&lt;")
            .replace(">", "&gt;").replace("\"", "&quot;"))


def _send(handler, status, content_type, body, headers=()):
    handler.send_response(status)
    handler.send_header("Content-Type", content_type)
    handler.send_header("Content-Length", str(len(body)))
    for name, value in headers:
        handler.send_header(name, value)
    handler.end_headers()
    if handler.command != "HEAD":
        handler.wfile.write(body)


def _html(handler, title, body="", head="", status=200, headers=()):
    page = ("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%s</title>%s</head>"
            "<body>%s</body></html>" % (_escape(title), head, body))
    _send(handler, status, "text/html; charset=utf-8", page.encode("utf-8"), headers)


def _page(handler, params):
    """A page titled `title` (may be empty), with the icon of colour `icon`
    (six hex digits) when given."""
    head = ""
    colour = params.get("icon", "")
    if re.fullmatch(r"[0-9a-fA-F]{6}", colour):
        head = "<link rel=\"icon\" type=\"image/png\" href=\"/browser/icon.png?colour=%s\">" % colour
    title = params.get("title", "")
    _html(handler, title, "<h1>%s</h1><p>A page of the stand-in.</p>" % _escape(title), head)


def _icon(handler, params):
    from platform_server import png
    colour = params.get("colour", "")
    if not re.fullmatch(r"[0-9a-fA-F]{6}", colour):
        colour = "ff0000"
    rgb = bytes.fromhex(colour)
    _send(handler, 200, "image/png", png(ICON_SIZE, ICON_SIZE, rgb))


def _links(handler, params):
    """The whole page is one link with target=_blank, so a click anywhere
    follows it."""
    target = "/browser/page?title=" + urllib.parse.quote(params.get("title", "Opened"))
    _html(handler, "Links",
          "<a id=\"tab\" target=\"_blank\" href=\"%s\" style=\"display:block;height:100vh\">"
          "Open in a new tab</a>" % _escape(target),
          "<style>body{margin:0}</style>")


def _opener(handler, params):
    """Opens /browser/popup as a popup window once loaded."""
    close_ms = _number(params.get("close_ms"), 1000)
    _html(handler, "Opener", "<p>Opens a popup.</p>"
          "<script>window.open('/browser/popup?close_ms=%d', 'plitpopup',"
          " 'width=420,height=300');</script>" % close_ms)


def _popup(handler, params):
    """Asks to be closed close_ms milliseconds after loading."""
    close_ms = _number(params.get("close_ms"), 1000)
    _html(handler, "Popup", "<p>Closes itself.</p>"
          "<script>setTimeout(function () { window.close(); }, %d);</script>" % close_ms)


def _alerts(handler, params):
    """Calls alert() again as soon as the last one is answered, for ever;
    the title counts the answers."""
    _html(handler, "Alerts", "<p>Alerts in a loop.</p>"
          "<script>var n = 0; setTimeout(function () {"
          " for (;;) { alert('alert ' + n); n++; document.title = 'answered ' + n; } }, 100);"
          "</script>")


def _flood(handler, params):
    """Opens `count` windows once loaded, without any click: tabs, or
    popups with kind=popup."""
    count = min(_number(params.get("count"), 300), 1000)
    features = "'width=200,height=100'" if params.get("kind") == "popup" else "''"
    _html(handler, "Flood", "<p>Opens windows.</p>"
          "<script>var opened = 0; for (var i = 0; i < %d; i++) {"
          " if (window.open('/browser/page?title=flood' + i, '_blank', %s)) opened++; }"
          " document.title = 'opened ' + opened;</script>" % (count, features))


def _away(handler, params):
    """Sends the page to `to` (any address, of any scheme) once loaded."""
    to = params.get("to", "about:blank")
    _html(handler, "Away", "<p>Goes away.</p>"
          "<script>setTimeout(function () { location.href = %s; }, 50);</script>"
          % _js_string(to))


def _js_string(text):
    return "'" + "".join(c if c.isalnum() or c in ":/.-_?=&%" else "\\u%04x" % ord(c)
                         for c in text) + "'"


def _private(handler, params):
    """Behind HTTP basic authentication in the realm `realm`."""
    realm = params.get("realm", "Plit test").replace("\"", "")
    expected = "Basic " + base64.b64encode(("%s:%s" % (USER, PASSWORD)).encode()).decode()
    if handler.headers.get("Authorization", "") == expected:
        _html(handler, "Private", "<p>Welcome.</p>")
    else:
        _html(handler, "Denied", "<p>Authentication required.</p>", status=401,
              headers=[("WWW-Authenticate", "Basic realm=\"%s\"" % realm)])


def _attachment(handler, name, params):
    """A generated file of `size` bytes served as an attachment named `name`,
    with a Content-Length unless length=0.  With `sent`, only that many bytes
    go out; then the answer stalls until the client goes away."""
    from platform_server import generated
    size = _number(params.get("size"), 1024)
    sent = min(_number(params.get("sent"), size), size)
    with_length = params.get("length", "1") != "0"
    handler.send_response(200)
    # Not application/octet-stream: the browser would wait for bytes to sniff
    # before it called the answer a download.
    handler.send_header("Content-Type", "application/zip")
    handler.send_header("Content-Disposition",
                        "attachment; filename*=UTF-8''%s" % urllib.parse.quote(name))
    if with_length:
        handler.send_header("Content-Length", str(size))
    else:
        handler.send_header("Connection", "close")
    handler.end_headers()
    if handler.command == "HEAD":
        return
    handler.wfile.write(generated(0, sent))
    handler.wfile.flush()
    if sent < size:
        handler.hang()
    elif not with_length:
        handler.close_connection = True


def _notify(handler, params):
    """Asks for the notification permission; the title tells the answer."""
    _html(handler, "Asking",
          "<script>Notification.requestPermission().then(function (answer) {"
          " document.title = 'notifications ' + answer; });</script>")


def _protocol(handler, params):
    """Asks to handle web+plit links with /browser/page."""
    _html(handler, "Protocol",
          "<script>navigator.registerProtocolHandler('web+plit',"
          " location.origin + '/browser/page?title=%s', 'Plit');</script>")


def _tls(handler, params):
    """The base address of the HTTPS twin of this server, started on first
    use with a self-signed certificate made for it."""
    try:
        port = _tls_port(handler.server)
    except (OSError, subprocess.SubprocessError, ssl.SSLError) as error:
        _send(handler, 500, "text/plain; charset=utf-8", ("no TLS: %s" % error).encode())
        return
    _send(handler, 200, "text/plain; charset=utf-8",
          ("https://127.0.0.1:%d" % port).encode())


def _tls_port(server):
    with _tls_lock:
        twin = _tls_servers.get(server)
        if twin is None:
            twin = type(server)(("127.0.0.1", 0), server.state)
            context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            with tempfile.TemporaryDirectory() as folder:
                cert = os.path.join(folder, "cert.pem")
                key = os.path.join(folder, "key.pem")
                subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                                "-keyout", key, "-out", cert, "-days", "2",
                                "-subj", "/CN=127.0.0.1"],
                               check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               timeout=60)
                context.load_cert_chain(cert, key)
            # The handshake happens in the request's own thread, so a stalled
            # client cannot hold up the listener.
            twin.socket = context.wrap_socket(twin.socket, server_side=True,
                                              do_handshake_on_connect=False)
            threading.Thread(target=twin.serve_forever, kwargs={"poll_interval": 0.1},
                             daemon=True).start()
            _tls_servers[server] = twin
        return twin.server_address[1]
