#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 The Quillmarch developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the sample payload pack: <id>.bin files that Quillmarch loads by id.

Sample data only: the images are valid gzip streams (file-name flag set, stored name
"BRAMBLE") of a short header naming the software version (IMAGE_VERSION) followed by
deterministic bytes, not real system software. The pack's manifest.json (docs/image-pack.md)
marks it as sample data, so a run that sends one of these images says so. Operators keep
their own pack elsewhere (see the README) and describe it with `quillmarch-cli --make-manifest`.
"""
import argparse
import gzip
import json
import hashlib
import io
import os
import shutil

IMAGE_IDS = (155, 156, 158, 164, 185, 200, 202)
# The software version the sample images carry, as the program's image catalogue names it: the
# decompressed image starts with a short header whose "version=" line says it, so the system
# simulator serves it in systemsoftwareversion.dat once it has installed the image.
IMAGE_VERSION = "Release_ru 9.0.6.2-103 05-September-2011 02:10"
# The models that take each image, as the program's model table names them.
IMAGE_MODELS = {
    155: ["T21"],
    156: ["KDV 16", "KDV 16m", "KDV 18"],
    158: ["KDV 12"],
    164: ["KDV 18x", "KDV 22"],
    185: ["KDV 14", "KDV 16S", "KDV 18S"],
    202: ["T23", "kdv 12s"],
}
DUMMY_ID = 198
HELP_ID = 199


def deterministic_bytes(seed: str, size: int) -> bytes:
    """Incompressible but repeatable content, so uploads can be compared byte for byte."""
    out = bytearray()
    counter = 0
    while len(out) < size:
        out += hashlib.sha256(f"{seed}:{counter}".encode()).digest()
        counter += 1
    return bytes(out[:size])


def gzip_image(payload_id: int, size: int, version: str = IMAGE_VERSION) -> bytes:
    buffer = io.BytesIO()
    # mtime 0 keeps the output identical from build to build.
    with gzip.GzipFile(filename="BRAMBLE", mode="wb", fileobj=buffer, mtime=0) as stream:
        header = f"Quillmarch sample image {payload_id}\nversion={version}\n".encode()
        stream.write(header + deterministic_bytes(f"image-{payload_id}", max(size - len(header), 0)))
    return buffer.getvalue()


def manifest(folder: str, version: str, name: str, sample: bool) -> str:
    images = []
    for payload_id, models in sorted(IMAGE_MODELS.items()):
        with open(os.path.join(folder, f"{payload_id}.bin"), "rb") as handle:
            data = handle.read()
        images.append({"file": f"{payload_id}.bin", "models": models, "version": version,
                       "size": len(data), "sha256": hashlib.sha256(data).hexdigest()})
    return json.dumps({"format": "quillmarch-image-pack", "format_version": 1, "name": name,
                       "sample": sample, "images": images}, indent=2) + "\n"


def write_atomically(path: str, data: bytes) -> None:
    temp = path + ".tmp"
    with open(temp, "wb") as handle:
        handle.write(data)
    os.replace(temp, path)


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--out", required=True, help="folder to write the pack into")
    parser.add_argument("--image-size", type=int, default=256 * 1024,
                        help="uncompressed bytes per sample image (default 256 KiB)")
    parser.add_argument("--version", default=IMAGE_VERSION,
                        help="software version the images carry and the manifest names")
    parser.add_argument("--no-manifest", action="store_true",
                        help="leave the manifest out (a folder as operators have it today)")
    parser.add_argument("--help-page", default=os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "resources", "help", "index.html"))
    args = parser.parse_args()

    os.makedirs(args.out, exist_ok=True)
    for payload_id in IMAGE_IDS:
        write_atomically(os.path.join(args.out, f"{payload_id}.bin"),
                         gzip_image(payload_id, args.image_size, args.version))
    write_atomically(os.path.join(args.out, f"{DUMMY_ID}.bin"),
                     deterministic_bytes("dummy", 4096))
    shutil.copyfile(args.help_page, os.path.join(args.out, f"{HELP_ID}.bin"))
    if not args.no_manifest:
        write_atomically(os.path.join(args.out, "manifest.json"),
                         manifest(args.out, args.version, "Quillmarch sample images", True).encode())


if __name__ == "__main__":
    main()
