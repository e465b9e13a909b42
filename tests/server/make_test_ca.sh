#!/usr/bin/env bash
# Makes a throw-away test CA and a certificate for localhost signed by it.
# Usage: make_test_ca.sh OUT_DIR
# Writes ca.pem, ca.der (what the trust tool adds to the prefix's ROOT store),
# localhost.pem and localhost.key, a self-signed untrusted.pem/.key, and an
# attacker's CA (user_ca.der, trusted only in a user's own ROOT store) with
# the localhost certificate it signed (userroot.pem/.key). Nothing of this is
# ever committed.
set -euo pipefail
out="$1"
mkdir -p "$out"
cd "$out"

# make_ca NAME CN: NAME.key, NAME.pem and NAME.der
make_ca() {
  openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 30 \
    -keyout "$1.key" -out "$1.pem" -subj "/CN=$2" \
    -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" >/dev/null 2>&1
  openssl x509 -in "$1.pem" -outform DER -out "$1.der"
}
# sign_localhost CA NAME: NAME.key and NAME.pem, a localhost certificate CA signed
sign_localhost() {
  openssl req -newkey rsa:2048 -nodes -sha256 -keyout "$2.key" -out "$2.csr" \
    -subj "/CN=localhost" >/dev/null 2>&1
  openssl x509 -req -in "$2.csr" -CA "$1.pem" -CAkey "$1.key" -CAcreateserial -days 30 -sha256 \
    -extfile localhost.ext -out "$2.pem" >/dev/null 2>&1
}

cat > localhost.ext <<'EXT'
basicConstraints=CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=DNS:localhost,IP:127.0.0.1
EXT
make_ca ca "Arkenfel Test CA"
sign_localhost ca localhost
# A certificate for localhost that no trusted CA signed: requests to a server
# using it must be refused.
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 30 -keyout untrusted.key -out untrusted.pem \
  -subj "/CN=localhost" -addext "subjectAltName=DNS:localhost" >/dev/null 2>&1
# An attacker's CA, trusted only in the user's own ROOT store, and a
# localhost certificate it signed: the updater must refuse that server too.
make_ca user_ca "Arkenfel User Root"
sign_localhost user_ca userroot
