#!/usr/bin/env python3
"""Writes DIST/VeyraConfig-VERSION.zip from a source tree and its release build.

The archive holds VeyraConfig.exe, the players' guides as Markdown and as plain
text (CR LF, for Notepad), README.txt, LIESMICH.txt and SHA256SUMS over all of
them. Entries come in a fixed order with the date SOURCE_DATE_EPOCH names and
fixed attributes, so the same inputs give the same bytes.
    make-release-zip.py SOURCE_TREE BUILD_FOLDER DIST_FOLDER
Prints the zip's path.
"""
import hashlib
import os
import re
import sys
import time
import zipfile


def project_version(build):
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as cache:
        for line in cache:
            if line.startswith("CMAKE_PROJECT_VERSION:"):
                return line.split("=", 1)[1].strip()
    raise SystemExit("make-release-zip.py: no project version in the build's CMakeCache.txt")


def plain_text(markdown):
    """The guide as a player reads it in Notepad: no pictures, links as their
    text, CR LF line ends."""
    lines = []
    for line in markdown.splitlines():
        if re.match(r"^\s*!\[[^\]]*\]\([^)]*\)\s*$", line):
            continue
        line = re.sub(r"\[([^\]]+)\]\([^)]*\)", r"\1", line)
        lines.append(line.rstrip())
    text = "\n".join(lines).strip("\n") + "\n"
    text = re.sub(r"\n{3,}", "\n\n", text)
    return text.replace("\n", "\r\n").encode("utf-8")


def main():
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    source, build, dist = sys.argv[1:]
    version = project_version(build)
    with open(os.path.join(build, "VeyraConfig.exe"), "rb") as exe:
        files = [("VeyraConfig.exe", exe.read())]
    for guide in ("players", "spieler"):
        with open(os.path.join(source, "docs", guide + ".md"), encoding="utf-8") as md:
            markdown = md.read()
        files.append((guide + ".md", markdown.encode("utf-8")))
        files.append((guide + ".txt", plain_text(markdown)))
    for note in ("README.txt", "LIESMICH.txt"):
        with open(os.path.join(source, "docs", "release", note), encoding="utf-8") as text:
            files.append((note, text.read().replace("@VERSION@", version)
                          .replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")))
    sums = "".join(f"{hashlib.sha256(data).hexdigest()} *{name}\n" for name, data in files)
    files.append(("SHA256SUMS", sums.encode("ascii")))

    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))
    # The zip format keeps local times from 1980 on, in two-second steps.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    os.makedirs(dist, exist_ok=True)
    path = os.path.join(dist, f"VeyraConfig-{version}.zip")
    folder = f"VeyraConfig-{version}/"
    with zipfile.ZipFile(path, "w") as archive:
        for name, data in files:
            entry = zipfile.ZipInfo(folder + name, date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 0
            entry.external_attr = 0
            archive.writestr(entry, data, compresslevel=9)
    print(path)


main()
