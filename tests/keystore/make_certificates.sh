#!/usr/bin/env bash
# Makes the small DER certificates that the keystore tests import into the Wine
# prefix's current-user certificate store. Run by hand; the output is kept in
# the repository beside this script (certificates/), so the tests need no
# openssl. All certificates share one issuer, so that only the serial number
# tells them apart in a lookup by issuer and serial.
#
#   file           subject                    serial (hex)      use in the tests
#   alpha.der      CN=Inkvale Test Alpha      0123              no friendly name: subject's name shows
#   highbit.der    CN=Inkvale Test High Bit   8A1B2C3D4E        highest bit set: Java gives a leading 00
#   twin1.der      CN=Inkvale Test Twin One   0201              friendly name shared with twin2
#   twin2.der      CN=Inkvale Test Twin Two   0202              friendly name shared with twin1
#   absent.der     CN=Inkvale Test Absent     0301              never imported
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out="$here/certificates"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

openssl ecparam -name prime256v1 -genkey -noout -out "$work/ca.key"
openssl req -x509 -new -key "$work/ca.key" -subj "/CN=Inkvale Test CA" -set_serial 0x01 -days 36500 \
    -out "$work/ca.pem"

leaf() { # name, common name, serial
    openssl ecparam -name prime256v1 -genkey -noout -out "$work/$1.key"
    openssl req -new -key "$work/$1.key" -subj "/CN=$2" -out "$work/$1.csr"
    openssl x509 -req -in "$work/$1.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" -set_serial "0x$3" \
        -days 36500 -outform DER -out "$out/$1.der" 2>/dev/null
}
leaf alpha "Inkvale Test Alpha" 0123
leaf highbit "Inkvale Test High Bit" 8A1B2C3D4E
leaf twin1 "Inkvale Test Twin One" 0201
leaf twin2 "Inkvale Test Twin Two" 0202
leaf absent "Inkvale Test Absent" 0301
