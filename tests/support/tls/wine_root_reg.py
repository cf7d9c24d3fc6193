#!/usr/bin/env python3
"""Writes a REGEDIT4 file that puts a CA certificate into a Wine prefix's machine Root store.

Usage: wine_root_reg.py CA.pem OUT.reg   (prints the key's SHA-1 thumbprint)

The store keeps each certificate under its SHA-1 thumbprint (upper-case hex); the "Blob" value is a list of
properties, each <u32 id><u32 1><u32 length><data>: id 3 is the SHA-1 hash, id 32 the DER certificate.
"""
import hashlib
import ssl
import struct
import sys


def main():
    pem_path, out_path = sys.argv[1], sys.argv[2]
    with open(pem_path) as f:
        der = ssl.PEM_cert_to_DER_cert(f.read())
    sha1 = hashlib.sha1(der).digest()
    blob = b""
    for prop_id, data in ((3, sha1), (32, der)):
        blob += struct.pack("<III", prop_id, 1, len(data)) + data
    thumbprint = sha1.hex().upper()
    key = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\" + thumbprint
    hex_bytes = ",".join("%02x" % b for b in blob)
    with open(out_path, "w", newline="\r\n") as out:
        out.write("REGEDIT4\n\n[%s]\n\"Blob\"=hex:%s\n\n" % (key, hex_bytes))
    print(thumbprint)


if __name__ == "__main__":
    main()
