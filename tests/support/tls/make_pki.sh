#!/usr/bin/env bash
# Makes the test PKI in DIR (once; an existing complete set is kept): a test CA and four server
# certificates, each with its key:
#   good.pem       signed by the CA, valid now, for DNS:127.0.0.1, DNS:localhost, IP:127.0.0.1, IP:::1
#   othername.pem  signed by the CA, valid now, for DNS:mail.example.org only
#   expired.pem    signed by the CA, valid only in 2020, for DNS:127.0.0.3 and IP:127.0.0.3
#   selfsigned.pem self-signed, valid now, for DNS:127.0.0.4 and IP:127.0.0.4
# Windows matches the server name against DNS entries only, so a numeric host needs a DNS entry as well.
set -eu
dir=$1
[ -f "$dir/complete" ] && exit 0
mkdir -p "$dir"
cd "$dir"
rm -rf ca-db && mkdir ca-db && touch ca-db/index.txt && echo 1000 >ca-db/serial

openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 3650 -sha256 \
    -subj "/CN=Quorvane Test CA" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null

cat >ca.cnf <<CNF
[ca]
default_ca = test
[test]
database = ca-db/index.txt
serial = ca-db/serial
new_certs_dir = ca-db
certificate = ca.pem
private_key = ca.key
default_md = sha256
policy = anything
copy_extensions = copy
unique_subject = no
[anything]
commonName = supplied
[server]
basicConstraints = CA:FALSE
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
CNF

# issue NAME SAN [openssl ca date options]
issue() {
    local name=$1 san=$2
    shift 2
    openssl req -new -newkey rsa:2048 -nodes -keyout "$name.key" -out "$name.csr" \
        -subj "/CN=$name" -addext "subjectAltName=$san" 2>/dev/null
    openssl ca -batch -config ca.cnf -extensions server -in "$name.csr" -out "$name.pem" -notext "$@" 2>/dev/null
}
issue good "DNS:127.0.0.1,DNS:localhost,IP:127.0.0.1,IP:::1" -days 3650
issue othername "DNS:mail.example.org" -days 3650
issue expired "DNS:127.0.0.3,IP:127.0.0.3" -startdate 20200101000000Z -enddate 20210101000000Z
openssl req -x509 -newkey rsa:2048 -nodes -keyout selfsigned.key -out selfsigned.pem -days 3650 -sha256 \
    -subj "/CN=selfsigned" -addext "subjectAltName=DNS:127.0.0.4,IP:127.0.0.4" 2>/dev/null
touch complete
