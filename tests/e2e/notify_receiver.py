#!/usr/bin/env python3
"""A web receiver on 127.0.0.1 for the notification tests: appends each request to FILE
as one JSON line {"path", "headers", "body"} and answers 200, or with MODE "hang" holds
each request 30 s first. Prints its port, then serves until killed.

    notify_receiver.py FILE [MODE]
"""
import http.server
import json
import sys
import time

out_path = sys.argv[1]
mode = sys.argv[2] if len(sys.argv) > 2 else "ok"


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with open(out_path, "a") as f:
            f.write(json.dumps({"path": self.path, "headers": dict(self.headers),
                                "body": body.decode("utf-8", "replace")}) + "\n")
        if mode == "hang":
            time.sleep(30)
        self.send_response(200)
        self.send_header("Content-Length", "0")
        self.end_headers()

    do_PUT = do_POST

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
