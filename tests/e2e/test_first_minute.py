# SPDX-License-Identifier: GPL-3.0-or-later
"""A newcomer's first minute on a real X display: the empty window says how to bring a picture
in and its title names none; a pasted picture is named in the title and the hint is gone;
after Process a click on the picture (to give it the keys, as one does) leaves Undo able to
bring back the picture as it was pasted."""

from harness import PROCESS_BUTTON, arguments, check, encode_png, first_difference, wait_for
from session import Session

WHITE, BLACK = (255, 255, 255), (0, 0, 0)


def source_picture():
    """Black marks and coloured ones: Process (black retained) whitens the coloured."""
    return [[BLACK if (x // 7 + y // 5) % 3 == 0 else ((x * 9) % 256, 90, (y * 13) % 256)
             for x in range(90)] for y in range(60)]


def hint_pixels(session):
    """Pixels in the middle band of the empty picture area that differ from its background:
    the hint's text."""
    x, y, width, height = session.geometry(session.main)
    shot = session.screenshot()
    middle = y + 28 + (height - 28) // 2
    rows = shot.rows(x + 20, middle - 20, x + width - 20, middle + 20)
    background = rows[0][0]
    return sum(px != background for row in rows for px in row)


def title(session):
    name = session.tool("xdotool", "getwindowname", str(session.main)).stdout
    return (name.decode() if isinstance(name, bytes) else name).strip()


def main():
    args = arguments()
    rows = source_picture()
    with Session(args.huesift) as session:
        check(title(session) == "Huesift", "the empty window's title: %r" % title(session))
        check(hint_pixels(session) > 200, "the empty window shows no hint")

        session.offer_clipboard(encode_png(rows), "image/png")
        session.paste()
        wait_for("the title to name the picture", lambda: title(session) ==
                 "Pasted picture - Huesift", timeout=5)

        session.click(session.client_point(PROCESS_BUTTON))
        processed = [[px if px == BLACK else WHITE for px in row] for row in rows]
        problem = first_difference(session.copy_picture(session.picture_point(1, 1)), processed)
        check(problem is None, "processed: %s" % problem)
        session.click(session.picture_point(40, 30))  # a click, no drag
        session.take_focus(session.main)
        session.key("ctrl+z")
        problem = first_difference(session.copy_picture(session.picture_point(1, 1)), rows)
        check(problem is None, "Undo after Process and a click on the picture: %s" % problem)
        check(session.messages() == [], "messages shown: %s" % session.messages())
    print("PASS: the hint and the title before and after a paste; Undo after Process and a "
          "click brought the pasted picture back")


if __name__ == "__main__":
    main()
