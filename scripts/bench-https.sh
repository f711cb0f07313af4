#!/usr/bin/env bash
# CPU and memory of one HTTPS fetch on the client side, with the shared CA store and without it.
#   scripts/bench-https.sh [build-dir] [fetches] [concurrent]
# Makes a throwaway CA and server certificate, a bundle = the system's bundle + that CA (so the
# parse costs what it costs in real use), serves pages over TLS on 127.0.0.1 from a separate
# process, and runs the benchmark once per mode.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
fetches=${2:-200}
concurrent=${3:-50}
bench="$build/bench/https_fetch_bench"
system_bundle=/etc/ssl/certs/ca-certificates.crt

if [ ! -x "$bench" ]; then
  cmake --build "$build" -j2 --target https_fetch_bench
fi
[ -r "$system_bundle" ] || { echo "missing $system_bundle" >&2; exit 1; }
command -v openssl >/dev/null || { echo "openssl not found" >&2; exit 1; }
command -v python3 >/dev/null || { echo "python3 not found" >&2; exit 1; }

work=$(mktemp -d)
server_pid=""
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 \
  -subj "/CN=Orvane bench CA" -keyout "$work/ca.key" -out "$work/ca.pem" \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=127.0.0.1" \
  -keyout "$work/server.key" -out "$work/server.csr" 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' \
  > "$work/server.ext"
openssl x509 -req -in "$work/server.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" \
  -CAcreateserial -days 2 -extfile "$work/server.ext" -out "$work/server.pem" 2>/dev/null
cat "$system_bundle" "$work/ca.pem" > "$work/bundle.pem"

cat > "$work/server.py" <<'PY'
import http.server, ssl, sys, time

class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        if self.path.startswith("/slow"):
            time.sleep(0.5)  # keeps every connection of the concurrent phase open at once
        body = b"<html><body>" + b"x" * 4000 + b"</body></html>"
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass

class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    request_queue_size = 512

server = Server(("127.0.0.1", 0), Handler)
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(sys.argv[1], sys.argv[2])
server.socket = context.wrap_socket(server.socket, server_side=True)
with open(sys.argv[3], "w") as f:
    f.write(str(server.server_address[1]))
server.serve_forever()
PY
python3 "$work/server.py" "$work/server.pem" "$work/server.key" "$work/port" &
server_pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
[ -s "$work/port" ] || { echo "TLS server did not start" >&2; exit 1; }
port=$(cat "$work/port")

echo "bundle: $(grep -c 'BEGIN CERTIFICATE' "$work/bundle.pem") certificates, $(wc -c < "$work/bundle.pem") bytes"
for mode in per-handle shared; do
  "$bench" --url "https://127.0.0.1:$port/" --slow-url "https://127.0.0.1:$port/slow" \
    --ca-bundle "$work/bundle.pem" --mode "$mode" --fetches "$fetches" --concurrent "$concurrent"
done
