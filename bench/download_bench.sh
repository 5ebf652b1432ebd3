#!/usr/bin/env bash
# Measures download_bench against curl on loopback: Debian's nginx serves
# static files of 100 MiB and 1 GiB from a temporary folder in /tmp.
#
#   bench/download_bench.sh BUILD_DIR [PORT]
#
# Needs nginx and curl (apt-get install -y nginx curl); about 3.5 GiB free in /tmp.
set -euo pipefail

build=${1:?build directory}
port=${2:-18431}
bench="$build/bench/download_bench"
work=$(mktemp -d /tmp/plit-bench.XXXXXX)
chmod 755 "$work"
mkdir -p "$work/www" "$work/out"
chmod 755 "$work/www"

cleanup() {
    [[ -f "$work/nginx.pid" ]] && kill "$(cat "$work/nginx.pid")" 2>/dev/null || true
    sleep 0.2
    rm -rf "$work"
}
trap cleanup EXIT

cat > "$work/nginx.conf" <<CONF
worker_processes 1;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 64; }
http {
    access_log off;
    sendfile on;
    tcp_nopush on;
    client_body_temp_path $work/tmp;
    proxy_temp_path $work/tmp;
    fastcgi_temp_path $work/tmp;
    uwsgi_temp_path $work/tmp;
    scgi_temp_path $work/tmp;
    server {
        listen 127.0.0.1:$port;
        root $work/www;
    }
}
CONF
mkdir -p "$work/tmp"
nginx -c "$work/nginx.conf"

head -c $((100 * 1024 * 1024)) /dev/urandom > "$work/www/file100m.bin"
head -c $((1024 * 1024 * 1024)) /dev/urandom > "$work/www/file1g.bin"
chmod 644 "$work/www/"*.bin

url() { echo "http://127.0.0.1:$port/$1"; }

curl_rate() {
    local start end
    start=$(date +%s.%N)
    curl -s -o "$work/out/curl.bin" "$(url "$1")"
    end=$(date +%s.%N)
    local bytes
    bytes=$(stat -c %s "$work/out/curl.bin")
    rm -f "$work/out/curl.bin"
    python3 -c "print('curl $1 bytes %d seconds %.3f MB/s %.1f' % ($bytes, $end - $start, $bytes / ($end - $start) / 1e6))"
}

plit_run() {
    local line
    line=$("$bench" "$(url "$1")" "$2" "$work/out/plit.bin" | tail -n 1)
    cmp -s "$work/out/plit.bin" "$work/www/$1" || { echo "content differs for $1 with $2 segments"; exit 1; }
    rm -f "$work/out/plit.bin" "$work/out/plit.bin.setting"
    echo "plit $1 segments $2 $line"
}

# Warm the page cache, then alternate runs so that both see the same machine.
cat "$work/www/"*.bin > /dev/null
for round in 1 2 3; do
    curl_rate file1g.bin
    plit_run file1g.bin 1
done
plit_run file1g.bin 4
plit_run file100m.bin 1
plit_run file100m.bin 4
