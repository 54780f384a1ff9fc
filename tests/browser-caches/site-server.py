#!/usr/bin/env python3
"""Serves a folder on two loopback ports for the browsers to cache: prints "PORT1 PORT2" once both listen.

Every file is sent with headers that let a browser keep it (max-age, a fixed Last-Modified); NAME.gz is served as
NAME with Content-Encoding: gzip, its bytes as they are; NAME-latin1.html is said to be ISO-8859-1. Anything else is
a 404 that no cache keeps.
"""
import http.server
import os
import sys
import threading

TYPES = {".html": "text/html; charset=utf-8", ".css": "text/css", ".png": "image/png"}
LAST_MODIFIED = "Wed, 21 Oct 2026 07:28:00 GMT"
MAX_AGE = 604800


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    folder = "."

    def do_GET(self):
        self.answer(send_body=True)

    def do_HEAD(self):
        self.answer(send_body=False)

    def answer(self, send_body):
        name = self.path.split("?", 1)[0].lstrip("/") or "index.html"
        plain = os.path.join(self.folder, name)
        packed = plain + ".gz"
        if "/" in name or name.startswith("."):
            path, encoding = None, None
        elif os.path.isfile(plain):
            path, encoding = plain, None
        elif os.path.isfile(packed):
            path, encoding = packed, "gzip"
        else:
            path, encoding = None, None
        if path is None:
            self.send_response(404)
            self.send_header("Cache-Control", "no-store")
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        with open(path, "rb") as source:
            body = source.read()
        self.send_response(200)
        content_type = TYPES.get(os.path.splitext(name)[1], "application/octet-stream")
        if name.endswith("-latin1.html"):
            content_type = "text/html; charset=iso-8859-1"
        self.send_header("Content-Type", content_type)
        if encoding:
            self.send_header("Content-Encoding", encoding)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "public, max-age=%d" % MAX_AGE)
        self.send_header("Last-Modified", LAST_MODIFIED)
        self.end_headers()
        if send_body:
            self.wfile.write(body)

    def log_message(self, format, *args):
        pass


def main():
    Handler.folder = sys.argv[1]
    servers = [http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler) for _ in range(2)]
    for server in servers:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    print(" ".join(str(server.server_address[1]) for server in servers), flush=True)
    sys.stdin.read()  # serves until the caller closes our standard input


if __name__ == "__main__":
    main()
