#!/usr/bin/env python3
"""A CDDB-over-HTTP server for the tests, on 127.0.0.1 only.

Usage: cddb_server.py FOLDER. Prints the port it listens on, then serves until killed.
FOLDER holds:
  entries/CATEGORY/DISCID   the xmcd entries it knows (bytes sent as they are)
  sites                     the lines of its site list
  fault                     when present, how to misbehave on every request: timeout, 500, cut,
                            truncated, oversize, html, inexact (answer queries with 211)
It appends every request's query string to requests.log and each submission (headers, an empty
line, the body) to submissions/N.
"""
import http.server
import os
import sys
import time
import urllib.parse

FOLDER = sys.argv[1]


def path(*parts):
    return os.path.join(FOLDER, *parts)


def fault():
    try:
        with open(path("fault")) as f:
            return f.read().strip()
    except OSError:
        return ""


def entries_for(discid):
    found = []
    root = path("entries")
    for category in sorted(os.listdir(root)) if os.path.isdir(root) else []:
        if os.path.exists(os.path.join(root, category, discid)):
            found.append(category)
    return found


def entry_title(category, discid):
    with open(path("entries", category, discid), "rb") as f:
        for line in f.read().split(b"\n"):
            if line.startswith(b"DTITLE="):
                return line[7:].rstrip(b"\r")
    return b""


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def reply(self, body, status=200, length=True):
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        if length:
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def misbehave(self, answer):
        how = fault()
        if how == "timeout":
            time.sleep(20)
            return True
        if how == "500":
            self.send_error(500, "Internal Server Error")
            return True
        if how == "cut":
            self.send_response(200)
            self.send_header("Content-Length", str(len(answer) + 5000))
            self.end_headers()
            self.wfile.write(answer[: len(answer) // 2])
            self.wfile.flush()
            return True
        if how == "truncated":
            self.reply(answer[: answer.rfind(b"\n.")] + b"\n")
            return True
        if how == "oversize":
            self.send_response(200)
            self.end_headers()
            line = b"TTITLE0=" + b"x" * 72 + b"\r\n"
            try:
                self.wfile.write(answer.split(b"\n")[0] + b"\n")
                for _ in range(40000):
                    self.wfile.write(line)
            except OSError:
                pass
            return True
        if how == "html":
            self.reply(b"<html><body>Welcome</body></html>\n")
            return True
        return False

    def answer(self, command):
        words = command.split(" ")
        if words[:1] == ["sites"]:
            try:
                with open(path("sites"), "rb") as f:
                    sites = f.read()
            except OSError:
                sites = b""
            return b"210 OK, site information follows (until terminating `.')\n" + sites + b".\n"
        if words[:2] == ["cddb", "query"] and len(words) > 2:
            discid = words[2]
            found = entries_for(discid)
            if not found:
                return b"202 No match for disc ID " + discid.encode() + b".\n"
            lines = [c.encode() + b" " + discid.encode() + b" " + entry_title(c, discid) for c in found]
            if fault() == "inexact":
                return b"211 Found inexact matches, list follows (until terminating `.')\n" + b"\n".join(lines) + b"\n.\n"
            if len(found) == 1:
                return b"200 " + lines[0] + b"\n"
            return b"210 Found exact matches, list follows (until terminating `.')\n" + b"\n".join(lines) + b"\n.\n"
        if words[:2] == ["cddb", "read"] and len(words) > 3:
            category, discid = words[2], words[3]
            if "/" in category or "/" in discid or not os.path.exists(path("entries", category, discid)):
                return b"401 " + category.encode() + b" " + discid.encode() + b" No such CD entry in database.\n"
            with open(path("entries", category, discid), "rb") as f:
                body = f.read()
            if not body.endswith(b"\n"):
                body += b"\n"
            return b"210 " + category.encode() + b" " + discid.encode() + b" CD database entry follows\n" + body + b".\n"
        return b"500 Unrecognized command.\n"

    def do_GET(self):
        query = urllib.parse.urlsplit(self.path).query
        with open(path("requests.log"), "a") as log:
            log.write("GET " + self.path + "\n")
        command = urllib.parse.parse_qs(query).get("cmd", [""])[0]
        answer = self.answer(command)
        if not self.misbehave(answer):
            self.reply(answer)

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        with open(path("requests.log"), "a") as log:
            log.write("POST " + self.path + "\n")
        os.makedirs(path("submissions"), exist_ok=True)
        number = len(os.listdir(path("submissions")))
        with open(path("submissions", str(number)), "wb") as f:
            f.write(str(self.headers).encode("latin-1") + b"\n" + body)
        if not self.misbehave(b"200 OK, submission has been sent.\n"):
            self.reply(b"200 OK, submission has been sent.\n")


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
