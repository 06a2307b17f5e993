#!/usr/bin/env python3
"""Builds the sample documents in program/Samples/ from their sources in samples-src/.

Each document's content.xml is a source file taken byte for byte; styles.xml is shared by all of
them; pictures named "Pictures/NAME" in a content file are the file NAME among the 128-pixel icons.
The packages are written with fixed times, so the same sources give the same bytes.

    python3 assets/make-samples.py           # write the .odt files
    python3 assets/make-samples.py --check   # also print each one with LibreOffice to PDF and check its text
"""
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile
from xml.sax.saxutils import escape

ASSETS = pathlib.Path(__file__).resolve().parent
SOURCES = ASSETS / "samples-src"
TARGET = ASSETS / "program" / "Samples"
PICTURES = ASSETS / "icons" / "hicolor" / "128x128" / "apps"
MIMETYPE = "application/vnd.oasis.opendocument.text"
FIXED_TIME = (2021, 8, 31, 12, 0, 0)


class Document:
    def __init__(self, source, name, title, phrases, pages=1, images=0):
        self.source, self.name, self.title = source, name, title
        self.phrases, self.pages, self.images = phrases, pages, images


DOCUMENTS = [
    Document("letter.xml", "Business Letter.odt", "Business Letter",
             ["Vendrell Software Ltd.", "Dear Ms Carter,", "Your order of printing supplies", "Daniel Vendrell"]),
    Document("price-list.xml", "Price List.odt", "Price List 2021",
             ["Price List 2021", "Toner cartridge, black", "54.90", "80 g/m²", "Envelopes C5 with window"]),
    Document("product-sheet.xml", "Product Sheet.odt", "Quorvane at a Glance",
             ["Quorvane at a Glance", "What it does", "Vendrell PDF Writer"], images=1),
    Document("report.xml", "Quarterly Report.odt", "Quarterly Report",
             ["Quarterly Report", "1 Summary", "2 Sales by Region", "3 Outlook", "Page 1 of 3", "Page 3 of 3"],
             pages=3),
    Document("resume-mueller.xml", "Résumé Müller.odt", "Résumé Jürgen Müller",
             ["Jürgen Müller", "Rosenstraße 12, 8004 Zürich", "Résumé", "Imprimerie Lefèvre & Fils, Genève",
              "français"]),
]


def meta_xml(title):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<office:document-meta xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
            ' xmlns:dc="http://purl.org/dc/elements/1.1/"'
            ' xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0" office:version="1.3">'
            f'<office:meta><dc:title>{escape(title)}</dc:title>'
            '<meta:initial-creator>Vendrell Software</meta:initial-creator></office:meta>'
            '</office:document-meta>\n').encode()


def manifest_xml(pictures):
    entries = [("/", MIMETYPE), ("content.xml", "text/xml"), ("styles.xml", "text/xml"), ("meta.xml", "text/xml")]
    entries += [(f"Pictures/{name}", "image/png") for name in pictures]
    lines = "".join(f' <manifest:file-entry manifest:full-path="{path}" manifest:media-type="{kind}"'
                    + (' manifest:version="1.3"' if path == "/" else "") + "/>\n" for path, kind in entries)
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0"'
            f' manifest:version="1.3">\n{lines}</manifest:manifest>\n').encode()


def add(package, path, data, compress=zipfile.ZIP_DEFLATED):
    info = zipfile.ZipInfo(path, FIXED_TIME)
    info.compress_type = compress
    info.external_attr = 0o644 << 16
    package.writestr(info, data)


def build(document):
    content = (SOURCES / document.source).read_bytes()
    pictures = sorted(set(re.findall(rb'xlink:href="Pictures/([^"]+)"', content)))
    pictures = [name.decode() for name in pictures]
    target = TARGET / document.name
    with zipfile.ZipFile(target, "w") as package:
        # Readers recognise the format by an uncompressed "mimetype" as the very first entry.
        add(package, "mimetype", MIMETYPE.encode(), zipfile.ZIP_STORED)
        add(package, "content.xml", content)
        add(package, "styles.xml", (SOURCES / "styles.xml").read_bytes())
        add(package, "meta.xml", meta_xml(document.title))
        for name in pictures:
            add(package, f"Pictures/{name}", (PICTURES / name).read_bytes(), zipfile.ZIP_STORED)
        add(package, "META-INF/manifest.xml", manifest_xml(pictures))
    return target


def squeeze(text):
    return " ".join(text.split())


def check(paths):
    """Prints every document to PDF with a private LibreOffice profile and compares the result."""
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        work = pathlib.Path(work)
        subprocess.run(["soffice", f"-env:UserInstallation=file://{work}/profile", "--headless", "--norestore",
                        "--convert-to", "pdf", "--outdir", str(work), *map(str, paths)],
                       check=True, timeout=300, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for document in DOCUMENTS:
            pdf = work / (pathlib.Path(document.name).stem + ".pdf")
            problems = []
            if not pdf.exists():
                problems.append("no PDF written")
            else:
                text = squeeze(subprocess.run(["pdftotext", "-enc", "UTF-8", str(pdf), "-"], check=True,
                                              capture_output=True, text=True).stdout)
                problems += [f"missing text {phrase!r}" for phrase in document.phrases
                             if squeeze(phrase) not in text]
                info = subprocess.run(["pdfinfo", str(pdf)], check=True, capture_output=True, text=True).stdout
                pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
                if pages != document.pages:
                    problems.append(f"{pages} pages, expected {document.pages}")
                listing = subprocess.run(["pdfimages", "-list", str(pdf)], check=True, capture_output=True,
                                         text=True).stdout.splitlines()[2:]
                # A picture with transparency comes with its soft mask as a second entry.
                images = sum(1 for line in listing if line.split()[2] == "image")
                if images != document.images:
                    problems.append(f"{images} images, expected {document.images}")
            print(f"{'FAIL' if problems else 'ok  '} {document.name}" + "".join(f"\n     {p}" for p in problems))
            failures += bool(problems)
    return failures


def main():
    TARGET.mkdir(parents=True, exist_ok=True)
    paths = [build(document) for document in DOCUMENTS]
    for path in paths:
        print(f"wrote {path.relative_to(ASSETS)}")
    strays = sorted(set(TARGET.iterdir()) - set(paths))
    for stray in strays:
        print(f"note: {stray.relative_to(ASSETS)} is not built from a source", file=sys.stderr)
    if "--check" in sys.argv[1:]:
        if not shutil.which("soffice"):
            sys.exit("--check needs LibreOffice (soffice)")
        failures = check(paths)
        print(f"{len(paths) - failures} passed, {failures} failed")
        sys.exit(1 if failures else 0)


if __name__ == "__main__":
    os.umask(0o022)
    main()
