"""Prints through Wine to the CUPS PDF printer and reads the PDFs back with
pdftotext: a selection of three words gives just those words, a whole card
all of its text, and applying settings without printing gives no PDF.

Usage: check_print.py WINE_RUN PRINT_SAMPLE_EXE
"""
import glob
import os
import pwd
import re
import subprocess
import sys
import time


def output_folders():
    home = pwd.getpwuid(os.getuid()).pw_dir
    folders = [os.path.join(home, "PDF"), "/var/spool/cups-pdf/ANONYMOUS"]
    try:
        with open("/etc/cups/cups-pdf.conf") as conf:
            for line in conf:
                match = re.match(r"\s*Out\s+(\S+)", line)
                if match:
                    folders.insert(0, match.group(1).replace("${HOME}", home))
    except OSError:
        pass
    return folders


def pdfs():
    found = set()
    for folder in output_folders():
        found.update(glob.glob(os.path.join(folder, "*.pdf")))
    return found


def words(path):
    text = subprocess.run(["pdftotext", "-layout", path, "-"], check=True, capture_output=True, text=True).stdout
    return text.split()


def main():
    if subprocess.run(["lpstat", "-p", "PDF"], capture_output=True).returncode != 0:
        print("FAILED: no CUPS printer named PDF (start cupsd and add it: see .ci/run)")
        return 1
    before = pdfs()
    result = subprocess.run([sys.argv[1], sys.argv[2]], stdin=subprocess.DEVNULL)
    if result.returncode != 0:
        print("FAILED: the printing program reported a failure")
        return 1
    new = []
    deadline = time.time() + 60
    while time.time() < deadline:
        new = sorted(pdfs() - before, key=os.path.getmtime)
        if len(new) >= 2:
            break
        time.sleep(0.5)
    # Time for a third job, which must not come.
    time.sleep(3)
    new = sorted(pdfs() - before, key=os.path.getmtime)
    if len(new) != 2:
        print("FAILED: expected 2 printed PDFs, found %d: %s" % (len(new), new))
        return 1
    selection, card = (words(path) for path in new)
    for path in new:
        os.remove(path)
    if selection != ["beta", "gamma", "delta"]:
        print("FAILED: the selection printed as %r" % selection)
        return 1
    expected = "Alpha beta gamma delta epsilon. Second paragraph of the card. Third and last.".split()
    if card != expected:
        print("FAILED: the card printed as %r" % card)
        return 1
    print("printed and read back: OK")
    return 0


if __name__ == "__main__":
    sys.exit(main())
