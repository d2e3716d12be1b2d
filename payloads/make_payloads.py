#!/usr/bin/env python3
"""Writes the sample payload pack: <id>.bin files that Quillmarch loads by id.

Sample data only: the images are valid gzip streams (file-name flag set, stored name
"BRAMBLE") of a short header naming the software version (IMAGE_VERSION) followed by
deterministic bytes, not real system software. Operators put the real images in
the same folder under the same names.
"""
import argparse
import gzip
import hashlib
import io
import os
import shutil

IMAGE_IDS = (155, 156, 158, 164, 185, 200, 202)
# The software version the sample images carry, as the program's image catalogue names it: the
# decompressed image starts with a short header whose "version=" line says it, so the system
# simulator serves it in systemsoftwareversion.dat once it has installed the image.
IMAGE_VERSION = "Release_ru 9.0.6.2-103 05-September-2011 02:10"
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


def gzip_image(payload_id: int, size: int) -> bytes:
    buffer = io.BytesIO()
    # mtime 0 keeps the output identical from build to build.
    with gzip.GzipFile(filename="BRAMBLE", mode="wb", fileobj=buffer, mtime=0) as stream:
        header = f"Quillmarch sample image {payload_id}\nversion={IMAGE_VERSION}\n".encode()
        stream.write(header + deterministic_bytes(f"image-{payload_id}", max(size - len(header), 0)))
    return buffer.getvalue()


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
    parser.add_argument("--help-page", default=os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "resources", "help", "index.html"))
    args = parser.parse_args()

    os.makedirs(args.out, exist_ok=True)
    for payload_id in IMAGE_IDS:
        write_atomically(os.path.join(args.out, f"{payload_id}.bin"),
                         gzip_image(payload_id, args.image_size))
    write_atomically(os.path.join(args.out, f"{DUMMY_ID}.bin"),
                     deterministic_bytes("dummy", 4096))
    shutil.copyfile(args.help_page, os.path.join(args.out, f"{HELP_ID}.bin"))


if __name__ == "__main__":
    main()
