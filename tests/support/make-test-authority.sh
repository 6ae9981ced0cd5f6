#!/usr/bin/env bash
# A certificate authority of the tests' own and a certificate it signed for
# the marketplace's hosts, trusted in an NSS database under DIR/home: the
# database the embedded browser reads as the user's, when HOME is DIR/home.
set -euo pipefail
dir=$1
cd "$dir"
openssl ecparam -name prime256v1 -genkey -noout -out ca.key
openssl req -x509 -new -key ca.key -sha256 -days 30 -subj "/CN=Zorvane Test Authority" \
  -addext "basicConstraints=critical,CA:true" -addext "keyUsage=critical,keyCertSign,cRLSign" -out ca.pem
openssl ecparam -name prime256v1 -genkey -noout -out server.key
openssl req -new -key server.key -subj "/CN=zorvane.com" -out server.csr
printf '%s\n' "subjectAltName=DNS:zorvane.com,DNS:*.zorvane.com,DNS:localhost,IP:127.0.0.1" \
  "extendedKeyUsage=serverAuth" "basicConstraints=CA:false" > server.ext
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 30 -sha256 \
  -extfile server.ext -out server.pem
mkdir -p home/.pki/nssdb
certutil -N -d sql:home/.pki/nssdb --empty-password
certutil -A -d sql:home/.pki/nssdb -n "Zorvane Test Authority" -t "C,," -i ca.pem
