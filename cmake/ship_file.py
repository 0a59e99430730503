#!/usr/bin/python3
"""Makes the shipped copy of a program from the one the linker wrote: strips its symbols,
then signs it with Authenticode.

    ship_file.py --strip STRIP --signer OSSLSIGNCODE --in LINKED --out SHIPPED --pkcs12 FILE
                 (--password-file FILE | --password-env NAME) --description TEXT

Signing comes after stripping: stripping rewrites the file, which would break a signature
made before it. The password goes to osslsigncode through a pipe, never on its command
line (which other users of the machine can read) nor in a file. SHIPPED is replaced only
once both steps have succeeded, so a failed signing leaves no unsigned program behind
under the shipped name.
"""
import argparse
import os
import subprocess
import sys


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--strip", required=True)
    ap.add_argument("--signer", required=True)
    ap.add_argument("--in", dest="linked", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--pkcs12", required=True)
    secret = ap.add_mutually_exclusive_group(required=True)
    secret.add_argument("--password-file")
    secret.add_argument("--password-env")
    ap.add_argument("--description", required=True)
    args = ap.parse_args()

    if args.password_file:
        with open(args.password_file, "rb") as f:
            password = f.read().rstrip(b"\r\n")
    else:
        password = os.environ.get(args.password_env, "").encode("utf-8")

    os.makedirs(os.path.dirname(os.path.abspath(args.out)), exist_ok=True)
    stripped, signed = args.out + ".stripped", args.out + ".signed"
    try:
        subprocess.run([args.strip, "-o", stripped, args.linked], check=True)
        sign = subprocess.run([args.signer, "sign", "-pkcs12", args.pkcs12, "-readpass", "/dev/stdin",
                               "-h", "sha256", "-n", args.description, "-in", stripped, "-out", signed],
                              input=password, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if sign.returncode != 0:
            sys.stderr.write(sign.stdout.decode("utf-8", "replace"))
            sys.exit(f"ship_file.py: signing {args.out} with {args.pkcs12} failed")
        os.chmod(signed, 0o755)
        os.replace(signed, args.out)
    finally:
        for leftover in (stripped, signed):
            if os.path.exists(leftover):
                os.remove(leftover)


if __name__ == "__main__":
    main()
