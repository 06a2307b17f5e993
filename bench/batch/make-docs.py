#!/usr/bin/env python3
"""Writes COUNT one-page Writer documents doc-0001.odt ... into FOLDER: make-docs.py FOLDER COUNT"""
import os
import sys
import zipfile

CONTENT = """<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.3">
<office:body><office:text><text:p>Benchmark document {n}</text:p>
<text:p>One page of text that the office lays out, prints and exports.</text:p></office:text></office:body>
</office:document-content>"""
MANIFEST = """<?xml version="1.0" encoding="UTF-8"?>
<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3">
<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/>
<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>
</manifest:manifest>"""


def main():
    folder, count = sys.argv[1], int(sys.argv[2])
    os.makedirs(folder, exist_ok=True)
    for n in range(1, count + 1):
        with zipfile.ZipFile(os.path.join(folder, "doc-%04d.odt" % n), "w") as odt:
            odt.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.text")
            odt.writestr("content.xml", CONTENT.format(n=n), zipfile.ZIP_DEFLATED)
            odt.writestr("META-INF/manifest.xml", MANIFEST, zipfile.ZIP_DEFLATED)


if __name__ == "__main__":
    main()
