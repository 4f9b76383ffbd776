# SPDX-License-Identifier: GPL-3.0-or-later
"""Print through a private CUPS server with a cups-pdf printer: one page, the picture at 4.33
printer pixels per picture pixel (3.33 with "Print 1/3 Size" ticked) from the top-left corner,
within a printer pixel. With no print server to reach, Print reports that there is no default
printer and the program goes on."""

import os
import subprocess
import tempfile

from cups_server import CupsServer
from harness import (PRINT_BUTTON, arguments, check, decode_png, encode_png,
                     fail, first_difference)
from session import Session

RESOLUTION = 600  # not cups-pdf's 300: the program must follow the printer's own resolution
WIDTH, HEIGHT = 100, 50
HOLE = (20, 10, 30, 20)  # a white square in the black picture, picture pixels, right/bottom out


def picture():
    return [[(255, 255, 255) if HOLE[0] <= x < HOLE[2] and HOLE[1] <= y < HOLE[3] else (0, 0, 0)
             for x in range(WIDTH)] for y in range(HEIGHT)]


def paste(session, rows):
    session.offer_clipboard(encode_png(rows), "image/png")
    session.paste()


def dark_box(pgm):
    """Bounding box (left, top, right, bottom; right and bottom exclusive) of the dark pixels
    of a rendered page."""
    width, height, pixels = pgm
    xs, ys = [], []
    for y in range(height):
        hits = [x for x in range(width) if pixels[y * width + x] < 128]
        if hits:
            xs += (hits[0], hits[-1])
            ys.append(y)
    return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None


def render(pdf, size):
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["pdftoppm", "-r", str(RESOLUTION), "-gray", "-x", "0", "-y", "0",
                        "-W", str(size), "-H", str(size), pdf, os.path.join(tmp, "page")],
                       check=True)
        (name,) = os.listdir(tmp)
        with open(os.path.join(tmp, name), "rb") as f:
            data = f.read()
    magic, width, height, maxval, pixels = data.split(maxsplit=4)
    check(magic == b"P5" and maxval == b"255", "unexpected rendering")
    return int(width), int(height), pixels


def check_print(pdf, scale):
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    pages = [line.split()[1] for line in info.splitlines() if line.startswith("Pages:")]
    check(pages == ["1"], "the print is not one page:\n" + info)
    # The print rectangle, rounded down, in printer pixels from the printable area's corner
    # (cups-pdf's page has no margins).
    right, bottom = int(WIDTH * scale), int(HEIGHT * scale)
    page = render(pdf, max(right, bottom) + 100)
    box = dark_box(page)
    check(box is not None, "nothing printed at the top-left of the page")
    for got, want, edge in zip(box, (0, 0, right, bottom), ("left", "top", "right", "bottom")):
        check(abs(got - want) <= 1, "scale %.2f: picture %s edge at %d, expected %d (box %s)" %
              (scale, edge, got, want, box))
    # The page carries the picture itself, pixel for pixel (the renderer's scaling may shift
    # a pixel's edge inside the rectangle, so the content is read from the PDF, not the page).
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["pdfimages", "-png", pdf, os.path.join(tmp, "img")], check=True)
        images = sorted(os.listdir(tmp))
        check(len(images) == 1, "the page holds %d images" % len(images))
        with open(os.path.join(tmp, images[0]), "rb") as f:
            printed = decode_png(f.read())
    # The print pipeline's colour handling may move a channel by a unit or two.
    rounded = [[tuple(0 if c < 64 else 255 if c > 191 else c for c in px) for px in row]
               for row in printed]
    problem = first_difference(rounded, picture())
    check(problem is None, "the printed picture: " + str(problem))


def printing(args):
    with CupsServer(RESOLUTION) as cups, Session(args.huesift, cups_server=cups.socket) as s:
        paste(s, picture())
        s.click(s.client_point(PRINT_BUTTON))
        (first,) = cups.wait_for_pdfs(1)
        check_print(first, 4.33)

        s.choose_from_menu(s.client_point(PRINT_BUTTON), "Print")  # tick "Print 1/3 Size"
        s.click(s.client_point(PRINT_BUTTON))
        check_print(cups.wait_for_pdfs(2)[1], 3.33)
        check(s.alive(), "huesift ended")


def no_print_server(args):
    with tempfile.TemporaryDirectory() as nowhere:
        unreachable = os.path.join(nowhere, "no-cups.sock")
        with Session(args.huesift, cups_server=unreachable) as s:
            rows = picture()
            paste(s, rows)
            s.click(s.client_point(PRINT_BUTTON))
            text = s.answer_message(0)
            check(text == "There is no default printer currently selected", "message %r" % text)

            # The program goes on with its picture.
            problem = first_difference(s.copy_picture(s.picture_point(1, 1)), rows)
            check(problem is None, "picture after the failed print: " + str(problem))


def main():
    args = arguments()
    for tool in ("pdfinfo", "pdftoppm"):
        if not subprocess.run(["which", tool], capture_output=True).stdout:
            fail(tool + " is not installed")
    no_print_server(args)
    printing(args)
    print("PASS: printed at 4.33 and 3.33 printer pixels per pixel; no server reported")


if __name__ == "__main__":
    main()
