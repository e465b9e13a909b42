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
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 30 \
  -keyout ca.key -out ca.pem -subj "/CN=Arkenfel Test CA" \
  -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" >/dev/null 2>&1
openssl x509 -in ca.pem -outform DER -out ca.der
openssl req -newkey rsa:2048 -nodes -sha256 -keyout localhost.key -out localhost.csr \
  -subj "/CN=localhost" >/dev/null 2>&1
cat > localhost.ext <<'EXT'
basicConstraints=CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=DNS:localhost,IP:127.0.0.1
EXT
openssl x509 -req -in localhost.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 30 -sha256 \
  -extfile localhost.ext -out localhost.pem >/dev/null 2>&1
# A certificate for localhost that no trusted CA signed: requests to a server
# using it must be refused.
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 30 -keyout untrusted.key -out untrusted.pem \
  -subj "/CN=localhost" -addext "subjectAltName=DNS:localhost" >/dev/null 2>&1
# An attacker's CA, trusted only in the user's own ROOT store, and a
# localhost certificate it signed: the updater must refuse that server too.
openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 30 \
  -keyout user_ca.key -out user_ca.pem -subj "/CN=Arkenfel User Root" \
  -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign,cRLSign" >/dev/null 2>&1
openssl x509 -in user_ca.pem -outform DER -out user_ca.der
openssl req -newkey rsa:2048 -nodes -sha256 -keyout userroot.key -out userroot.csr \
  -subj "/CN=localhost" >/dev/null 2>&1
openssl x509 -req -in userroot.csr -CA user_ca.pem -CAkey user_ca.key -CAcreateserial -days 30 -sha256 \
  -extfile localhost.ext -out userroot.pem >/dev/null 2>&1
rm -f localhost.csr userroot.csr localhost.ext ca.srl user_ca.srl
echo "test CA and localhost certificate in $out"
