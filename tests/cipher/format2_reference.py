#!/usr/bin/python3
# The page format of new passwords written a second time, from its rules and
# with nothing of the program's code: Debian's python3-cryptography for
# PBKDF2, HKDF-Expand, AES-256-CBC and HMAC-SHA256, Python's own sqlite3 to
# read the result. Run by CTest:
#   format2_reference.py WINE_RUN VORLEN_CLI_EXE
# The companion sets a password on a card database of its own; this script
# deciphers the file into an ordinary SQLite database with the same cards,
# adds a card, enciphers it again under another password and salt, and the
# companion must open that file and find every card. A password of
# thousands of characters is deciphered the same way.
import hashlib
import hmac
import os
import sqlite3
import subprocess
import sys
import tempfile

from cryptography.hazmat.primitives import hashes
from cryptography.hazmat.primitives.ciphers import Cipher, algorithms, modes
from cryptography.hazmat.primitives.kdf.hkdf import HKDFExpand
from cryptography.hazmat.primitives.kdf.pbkdf2 import PBKDF2HMAC

PAGE = 4096
RESERVED = 64
CONTENT_END = PAGE - RESERVED
IV, MAC, SALT = CONTENT_END, CONTENT_END + 16, CONTENT_END + 48
MARK = b"Vorlen\x00\x02"
SQLITE_MAGIC = b"SQLite format 3\x00"


def keys(password, salt):
    master = PBKDF2HMAC(hashes.SHA256(), 32, salt, 256000).derive(password.encode("utf-16-le"))
    expand = lambda label: HKDFExpand(hashes.SHA256(), 32, label).derive(master)
    return expand(b"Vorlen page cipher"), expand(b"Vorlen page MAC"), expand(b"Vorlen key check")[:8]


def mac(mac_key, number, iv, ciphertext):
    return hmac.new(mac_key, number.to_bytes(4, "big") + iv + ciphertext, hashlib.sha256).digest()


def decipher(data, password):
    assert len(data) % PAGE == 0 and data[:8] == MARK, "not a format 2 file"
    cipher_key, mac_key, check = keys(password, data[SALT:SALT + 16])
    assert data[8:16] == check, "wrong password"
    out = bytearray()
    for index in range(len(data) // PAGE):
        number = index + 1
        page = data[index * PAGE:number * PAGE]
        start = 16 if number == 1 else 0
        iv, ciphertext = page[IV:IV + 16], page[start:CONTENT_END]
        assert hmac.compare_digest(mac(mac_key, number, iv, ciphertext), page[MAC:MAC + 32]), f"page {number}"
        decryptor = Cipher(algorithms.AES(cipher_key), modes.CBC(iv)).decryptor()
        plain = decryptor.update(ciphertext) + decryptor.finalize()
        out += (SQLITE_MAGIC if number == 1 else b"") + plain + bytes(RESERVED)
    return bytes(out)


def encipher(data, password):
    assert data[:16] == SQLITE_MAGIC and data[20] == RESERVED and len(data) % PAGE == 0
    salt = os.urandom(16)
    cipher_key, mac_key, check = keys(password, salt)
    out = bytearray()
    for index in range(len(data) // PAGE):
        number = index + 1
        page = data[index * PAGE:number * PAGE]
        start = 16 if number == 1 else 0
        iv = os.urandom(16)
        encryptor = Cipher(algorithms.AES(cipher_key), modes.CBC(iv)).encryptor()
        ciphertext = encryptor.update(page[start:CONTENT_END]) + encryptor.finalize()
        front = MARK + check if number == 1 else b""
        out += front + ciphertext + iv + mac(mac_key, number, iv, ciphertext) + (salt if number == 1 else bytes(16))
    return bytes(out)


def main():
    wine_run, companion = sys.argv[1], sys.argv[2]
    titles = ["Projects", "Karte \u00fcber alles", "Ideas " + "x" * 3000]

    def run(*arguments, stdin=""):
        done = subprocess.run([wine_run, companion, *arguments], input=stdin.encode("utf-8"), cwd=work,
                              capture_output=True)
        if done.returncode != 0:
            raise SystemExit(f"vorlen-cli {' '.join(arguments)}: {done.returncode} {done.stderr.decode()}")
        return done.stdout.decode("utf-8")

    with tempfile.TemporaryDirectory() as work:
        run("create", "cards.data")
        for title in titles:
            run("add", "cards.data", "--title", title)
        run("password", "set", "cards.data", stdin="p\u00e4ssw\u00f6rd\n")
        assert run("info", "cards.data") == "format: format 2\npage size: 4096\n"

        with open(os.path.join(work, "cards.data"), "rb") as f:
            enciphered = f.read()
        plain_path = os.path.join(work, "plain.data")
        with open(plain_path, "wb") as f:
            f.write(decipher(enciphered, "p\u00e4ssw\u00f6rd"))
        db = sqlite3.connect(plain_path)
        assert db.execute("PRAGMA integrity_check").fetchone()[0] == "ok"
        assert [row[0] for row in db.execute("SELECT title FROM tab ORDER BY id")] == titles
        db.execute("INSERT INTO tab (title, parent, position, txt, rtf) VALUES ('From the reference', 0, '', "
                   "'written elsewhere', NULL)")
        db.commit()
        db.close()

        with open(plain_path, "rb") as f:
            plain = f.read()
        with open(os.path.join(work, "theirs.data"), "wb") as f:
            f.write(encipher(plain, "their password"))
        tree = run("--password-stdin", "tree", "theirs.data", stdin="their password\n")
        expected = "".join(f"{i + 1}\t{t}\n" for i, t in enumerate(titles + ["From the reference"]))
        assert tree == expected, tree
        assert run("--password-stdin", "search", "theirs.data", "written", stdin="their password\n") == \
            "4\tFrom the reference\n"

        # A password far longer than the hash's block: HMAC hashes such a key
        # first, and the program's derivation must agree with that.
        long_password = "\u00e4" + "a long passphrase " * 600
        run("create", "long.data")
        run("add", "long.data", "--title", "Long")
        run("password", "set", "long.data", stdin=long_password + "\n")
        with open(os.path.join(work, "long.data"), "rb") as f:
            long_plain = os.path.join(work, "long-plain.data")
            with open(long_plain, "wb") as out:
                out.write(decipher(f.read(), long_password))
        db = sqlite3.connect(long_plain)
        assert [row[0] for row in db.execute("SELECT title FROM tab")] == ["Long"]
        db.close()
        assert run("--password-stdin", "tree", "long.data", stdin=long_password + "\n") == "1\tLong\n"
    print("format 2 matches the reference implementation")


main()
