#!/usr/bin/env python3
"""A fast loopback file server for the download benchmark: serves one folder
with byte ranges (206, 416) and HEAD, sending with sendfile so the server is
never the bottleneck.
    range-server.py <folder> <port file>   (writes the chosen port, then serves)"""
import http.server
import os
import re
import socketserver
import sys


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def _open(self):
        path = os.path.join(self.server.folder, os.path.basename(self.path.split("?")[0]))
        if not os.path.isfile(path):
            self.send_error(404)
            return None, 0
        return path, os.path.getsize(path)

    def _head(self, size):
        start, end = 0, size - 1
        match = re.match(r"bytes=(\d+)-(\d*)", self.headers.get("Range", ""))
        if match:
            start = int(match.group(1))
            if match.group(2):
                end = min(end, int(match.group(2)))
            if start >= size:
                self.send_response(416)
                self.send_header("Content-Range", "bytes */%d" % size)
                self.send_header("Content-Length", "0")
                self.send_header("Connection", "close")
                self.end_headers()
                return None
            self.send_response(206)
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, end, size))
        else:
            self.send_response(200)
        self.send_header("Accept-Ranges", "bytes")
        self.send_header("Content-Length", str(end - start + 1))
        self.send_header("Connection", "close")
        self.end_headers()
        return start, end - start + 1

    def do_HEAD(self):
        path, size = self._open()
        if path:
            self._head(size)

    def do_GET(self):
        path, size = self._open()
        if not path:
            return
        span = self._head(size)
        if not span:
            return
        offset, count = span
        self.wfile.flush()
        with open(path, "rb") as f:
            while count > 0:
                sent = os.sendfile(self.connection.fileno(), f.fileno(), offset, min(count, 1 << 24))
                if sent <= 0:
                    break
                offset += sent
                count -= sent
        self.close_connection = True


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    request_queue_size = 64


def main():
    server = Server(("127.0.0.1", 0), Handler)
    server.folder = sys.argv[1]
    with open(sys.argv[2], "w") as f:
        f.write(str(server.server_address[1]))
    server.serve_forever()


if __name__ == "__main__":
    main()
