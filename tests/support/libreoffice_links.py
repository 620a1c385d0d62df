#!/usr/bin/python3
"""Where LibreOffice takes the links of a workbook's first sheet to lead.

    libreoffice_links.py WORKBOOK

LibreOffice converts the workbook to HTML, with a profile of its own; each
link is resolved against the workbook's folder as a browser would, and the
file it reaches is printed, one a line: its path relative to that folder
(bytes that are no UTF-8 as \\xNN), or "elsewhere: URL" for anything that is
no file in or below that folder (a share, a mail, another host).
"""

import os
import re
import subprocess
import sys
import tempfile
import urllib.parse


def main(path):
    path = os.path.abspath(path)
    folder = os.path.dirname(path)
    with tempfile.TemporaryDirectory(prefix="lo-links-") as work:
        subprocess.run(
            ["soffice", "--headless", "--norestore",
             "-env:UserInstallation=file://" + urllib.parse.quote(work + "/profile"),
             "--convert-to", "html", "--outdir", work, path],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            check=True, timeout=120)
        name = os.path.splitext(os.path.basename(path))[0] + ".html"
        with open(os.path.join(work, name), "rb") as f:
            html = f.read().decode("utf-8", "replace")
    base = "file://" + urllib.parse.quote(folder) + "/"
    for href in re.findall(r'<a href="([^"]*)"', html):
        url = urllib.parse.urljoin(base, href.replace("&amp;", "&"))
        parts = urllib.parse.urlsplit(url)
        target = urllib.parse.unquote_to_bytes(parts.path)
        prefix = os.fsencode(folder) + b"/"
        if parts.scheme != "file" or parts.netloc or parts.fragment or not target.startswith(prefix):
            print("elsewhere: " + url)
        else:
            print(target[len(prefix):].decode("utf-8", "backslashreplace"))


if __name__ == "__main__":
    main(sys.argv[1])
