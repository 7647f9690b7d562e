#!/usr/bin/env bash
# Serves the web demo: dorvane-web on 127.0.0.1 with the sample folders of
# FOLDER (acme and globex) and the example page examples/web-host, a
# configuration written beside them, and a ticket for the page in the URL.
#   web-demo.sh BUILD FOLDER [PORT]
set -euo pipefail
build=$1
folder=$(cd "$2" && pwd)
port=${3:-8080}
here=$(cd "$(dirname "$0")/.." && pwd)
config=$folder/dorvane-web.json
secret=$(head -c 24 /dev/urandom | od -An -tx1 | tr -d ' \n')
cat >"$config" <<JSON
{
  "listen": "127.0.0.1:$port",
  "secret": "$secret",
  "origins": [],
  "sources": { "acme": "$folder/acme", "globex": "$folder/globex" },
  "limits": { "sessions": 50, "sessionsPerUser": 8, "idleSeconds": 3600 }
}
JSON
ticket=$("$build/bin/dorvane-web" --config "$config" --mint-ticket demo acme,globex 86400)
echo "Configuration: $config"
echo "Open http://127.0.0.1:$port/#ticket=$ticket"
echo "(the ticket is good for a day; Ctrl+C stops the server)"
exec "$build/bin/dorvane-web" --config "$config" --site "$here/examples/web-host"
