#!/usr/bin/python3
"""Draws the wizard's pictures, button skin and program icon.

    generate.py            write every asset next to this script
    generate.py --check    exit 1 if a committed asset differs from what this script draws

Everything is drawn from code with Pillow and the Liberation fonts, and the same inputs give
the same bytes on every run, so the committed files can always be checked against this script.
Shapes are drawn at a multiple of the final size and reduced, which anti-aliases them; the
fuchsia margin of the window picture is applied after the reduction, so the window outline stays
exact (the window's shape is made of the pixels that are not fuchsia).
"""

import io
import math
import subprocess
import struct
import sys
from pathlib import Path

from PIL import Image, ImageChops, ImageDraw, ImageFont

ASSET_DIR = Path(__file__).resolve().parent

# --- Colours -------------------------------------------------------------------------------------

WHITE = (255, 255, 255)
FUCHSIA = (255, 0, 255)
CARD_OUTLINE = (96, 96, 96)
CARD_SHADE = 0.82  # the inner shade along the right and bottom edges darkens what lies under it
WORDMARK_RED = (168, 28, 32)
RULE_RED = (173, 21, 31)
MAROON = (101, 0, 0)
RAY = (128, 14, 14)

EMBLEM_RING = (200, 24, 36)
EMBLEM_RING_DARK = (150, 12, 22)
EMBLEM_DISC_CENTRE = (255, 255, 255)
EMBLEM_DISC_EDGE = (196, 198, 202)
BOWL_RED = (204, 30, 40)
BOWL_DARK = (140, 14, 22)
PESTLE_RED = (176, 22, 32)
PESTLE_LIGHT = (232, 96, 100)
LEAF_GREEN = (46, 160, 64)

SAIL_LIGHT = (236, 238, 241)
SAIL_DARK = (150, 154, 161)
SAIL_RED = (220, 36, 48)
SAIL_RED_DARK = (158, 16, 28)

TICK_GREEN = (52, 178, 64)
TICK_DARK = (20, 112, 36)
CROSS_RED = (226, 34, 44)
CROSS_DARK = (150, 12, 22)

SPINNER_RED = (255, 33, 67)

DISC_LIGHT = (236, 238, 242)
DISC_MID = (184, 188, 195)
DISC_DARK = (120, 125, 133)
DISC_OUTLINE = (64, 68, 75)

# --- Layout of the window picture (pixels; right and bottom bounds exclusive) --------------------

WINDOW_SIZE = (532, 341)
CARD = (6, 8, 522, 332)
CARD_RADIUS = 10
RULE_BAND = (72, 80)
MAROON_BAND = (80, 244)
WORDMARK_BOX = (25, 17, 268, 66)
SAIL_BOX = (95, 84, 173, 185)
PRODUCT_BOX = (24, 189, 311, 242)
BARS_BOX = (275, 80, 516, 138)
EMBLEM_CENTRE = (420.5, 85.5)
EMBLEM_RADIUS = 65

# --- Helpers -------------------------------------------------------------------------------------


def find_font(pattern):
    """Path of the font file that fontconfig picks for the pattern."""
    path = subprocess.run(
        ["fc-match", "-f", "%{file}", pattern], check=True, capture_output=True, text=True
    ).stdout
    if not path.endswith(".ttf"):
        raise SystemExit(f"fc-match found no TrueType font for {pattern!r}")
    return path


def mix(a, b, t):
    """Colour a blended toward colour b by t (0 gives a, 1 gives b)."""
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def scaled(points, scale):
    return [(x * scale, y * scale) for x, y in points]


def fill(image, colour, mask):
    """Paints colour onto image wherever the L mask covers it."""
    image.paste(Image.new(image.mode, image.size, colour), (0, 0), mask)


def new_mask(size):
    mask = Image.new("L", size, 0)
    return mask, ImageDraw.Draw(mask)


def vertical_gradient(size, stops):
    """Image filled top to bottom through the (position 0..1, colour) stops."""
    width, height = size
    image = Image.new("RGB", size)
    draw = ImageDraw.Draw(image)
    for y in range(height):
        t = (y + 0.5) / height
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t0 <= t <= t1:
                draw.line([(0, y), (width - 1, y)], fill=mix(c0, c1, (t - t0) / (t1 - t0)))
                break
    return image


def paint_gradient(image, mask, box, stops):
    """Paints a vertical gradient spanning box wherever the mask, within box, covers image."""
    x0, y0, x1, y1 = box
    gradient = vertical_gradient((x1 - x0, y1 - y0), stops).convert(image.mode)
    image.paste(gradient, (x0, y0), mask.crop(box))


def glyph_mask(font_path, text, size):
    """L mask of text cropped to its ink."""
    font = ImageFont.truetype(font_path, size)
    left, top, right, bottom = font.getbbox(text)
    glyphs = Image.new("L", (right - left, bottom - top), 0)
    ImageDraw.Draw(glyphs).text((-left, -top), text, font=font, fill=255)
    return glyphs


def paste_fitted(image, colour, mask, box, scale):
    """Paints the mask in colour, resized to fill box (in unscaled pixels)."""
    x0, y0, x1, y1 = (v * scale for v in box)
    mask = mask.resize((x1 - x0, y1 - y0), Image.LANCZOS)
    image.paste(Image.new(image.mode, mask.size, colour), (x0, y0), mask)


def lcg(seed):
    """A tiny fixed pseudo-random sequence, so the art never depends on library versions."""
    state = seed
    while True:
        state = (state * 1103515245 + 12345) % 2**31
        yield state >> 16


def png_bytes(image):
    out = io.BytesIO()
    image.save(out, "PNG")
    return out.getvalue()


# --- Emblem (window picture and icon) ------------------------------------------------------------


def leaf_outline(base, tip, half_width, steps=48):
    """A pointed leaf from base to tip, widest a little below its middle."""
    (bx, by), (tx, ty) = base, tip
    length = math.hypot(tx - bx, ty - by)
    ux, uy = (tx - bx) / length, (ty - by) / length
    nx, ny = -uy, ux
    side_a, side_b = [], []
    for i in range(steps + 1):
        t = i / steps
        w = half_width * math.sin(math.pi * t**0.85) ** 0.9
        px, py = bx + ux * length * t, by + uy * length * t
        side_a.append((px + nx * w, py + ny * w))
        side_b.append((px - nx * w, py - ny * w))
    return side_a + side_b[::-1], (ux, uy), (nx, ny), length


def draw_emblem(size):
    """The emblem alone on a transparent square of the given size: red ring, white-to-grey disc,
    red mortar with pestle, green leaf with white veins."""
    image = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    c = size / 2
    r = size / 2
    u = size / 130  # the design unit: the emblem is 130 units across

    def circle(draw, radius, colour):
        draw.ellipse([c - radius, c - radius, c + radius, c + radius], fill=colour)

    draw = ImageDraw.Draw(image)
    circle(draw, r, WHITE + (255,))  # white halo that parts the ring from whatever lies under it
    circle(draw, r - 2 * u, EMBLEM_RING_DARK + (255,))
    circle(draw, r - 3 * u, EMBLEM_RING + (255,))
    circle(draw, r - 11 * u, WHITE + (255,))
    disc_radius = r - 13 * u
    steps = max(8, int(disc_radius))
    for i in range(steps):
        t = i / steps
        colour = mix(EMBLEM_DISC_EDGE, EMBLEM_DISC_CENTRE, t**0.7)
        circle(draw, disc_radius * (1 - t) + 0.5, colour + (255,))

    # Pestle: behind the bowl, standing up to the right, slim at its knob and thick where it
    # grinds; kept short of the ring and steep so the emblem never reads as a "no entry" sign.
    knob, foot = (c + 17 * u, c - 34 * u), (c + 5 * u, c + 10 * u)
    steps = max(16, round(44 * u))
    for i in range(steps + 1):
        t = i / steps
        x, y = knob[0] + (foot[0] - knob[0]) * t, knob[1] + (foot[1] - knob[1]) * t
        radius = (4.5 + 4.5 * t**1.5) * u
        draw.ellipse([x - radius, y - radius, x + radius, y + radius], fill=PESTLE_RED + (255,))
    draw.line(
        [(knob[0] - 1.5 * u, knob[1] + 2 * u), (foot[0] - 4.5 * u, foot[1] - 8 * u)],
        fill=PESTLE_LIGHT + (255,),
        width=max(1, round(2 * u)),
    )

    # Leaf: rising out of the bowl in the middle of the disc.
    base = (c - 4 * u, c + 16 * u)
    outline, (ux, uy), (nx, ny), length = leaf_outline(base, (c - 22 * u, c - 30 * u), 15 * u)
    draw.polygon(outline, fill=LEAF_GREEN + (255,))
    vein = WHITE + (255,)
    midrib_end = (base[0] + ux * length * 0.9, base[1] + uy * length * 0.9)
    draw.line([base, midrib_end], vein, round(2 * u))
    for t, spread in ((0.32, 0.55), (0.5, 0.5), (0.68, 0.4)):
        px, py = base[0] + ux * length * t, base[1] + uy * length * t
        for side in (1, -1):
            w = 15 * u * spread
            end = (px + (nx * side * w + ux * w * 0.9), py + (ny * side * w + uy * w * 0.9))
            draw.line([(px, py), end], vein, max(1, round(1.4 * u)))

    # Mortar: a rim and a bowl in front of the pestle and the leaf's stem, on a small foot.
    bowl_top, bowl_half = c + 8 * u, 34 * u
    draw.rectangle([c - 14 * u, c + 42 * u, c + 14 * u, c + 48 * u], fill=BOWL_DARK + (255,))
    bowl, bowl_draw = new_mask(image.size)
    bowl_draw.pieslice(
        [c - bowl_half, bowl_top - 38 * u, c + bowl_half, bowl_top + 38 * u], 0, 180, fill=255
    )
    shading = vertical_gradient(image.size, [(0, BOWL_RED), (0.62, BOWL_RED), (0.95, BOWL_DARK),
                                             (1, BOWL_DARK)])
    image.paste(shading.convert("RGBA"), (0, 0), bowl)
    draw.arc(
        [c - bowl_half + 6 * u, bowl_top - 30 * u, c + bowl_half - 6 * u, bowl_top + 30 * u],
        105,
        150,
        fill=mix(BOWL_RED, WHITE, 0.45) + (255,),
        width=max(1, round(3 * u)),
    )
    draw.rounded_rectangle(
        [c - bowl_half - 4 * u, bowl_top - 3 * u, c + bowl_half + 4 * u, bowl_top + 4 * u],
        radius=3 * u,
        fill=BOWL_DARK + (255,),
    )
    return image


# --- Window picture ------------------------------------------------------------------------------


def rounded_card_mask(size, box, radius, scale):
    mask, draw = new_mask(size)
    x0, y0, x1, y1 = box
    draw.rounded_rectangle(
        [x0 * scale, y0 * scale, x1 * scale - 1, y1 * scale - 1], radius * scale, fill=255
    )
    return mask


def draw_bands(content, scale):
    """The red rule and the maroon band; the header above and the bottom band below stay white."""
    draw = ImageDraw.Draw(content)
    for (top, bottom), colour in ((RULE_BAND, RULE_RED), (MAROON_BAND, MAROON)):
        draw.rectangle([0, top * scale, content.width, bottom * scale - 1], fill=colour)


def draw_rays(content, scale):
    """Thin faint lines across the maroon band, radiating from the emblem."""
    mask, draw = new_mask(content.size)
    cx, cy = (v * scale for v in EMBLEM_CENTRE)
    reach = 700 * scale
    for step in range(36):
        angle = math.radians(5 + step * 10)
        end = (cx + math.cos(angle) * reach, cy + math.sin(angle) * reach)
        draw.line([(cx, cy), end], fill=255, width=max(1, scale // 2))
    band = Image.new("L", content.size, 0)
    ImageDraw.Draw(band).rectangle(
        [0, MAROON_BAND[0] * scale, content.width, MAROON_BAND[1] * scale - 1], fill=255
    )
    fill(content, RAY, ImageChops.multiply(mask, band))


def draw_bars(content, scale):
    """White vertical bars of varying widths, like a bar code."""
    x0, y0, x1, y1 = BARS_BOX
    draw = ImageDraw.Draw(content)
    numbers = lcg(2016)
    x = x0
    while True:
        width = (1, 1, 2, 3, 4, 6)[next(numbers) % 6]
        if x + width > x1:
            break
        draw.rectangle([x * scale, y0 * scale, (x + width) * scale - 1, y1 * scale - 1], fill=WHITE)
        x += width + (2, 2, 3, 4, 5)[next(numbers) % 5]


def draw_sail(content, scale):
    """Our database-server mark: a grey mainsail with database seams, a red jib before it and a
    hull beneath."""
    x0, y0, x1, y1 = SAIL_BOX
    width, height = x1 - x0, y1 - y0

    def at(fx, fy):
        return (x0 + fx * width, y0 + fy * height)

    def curve(p0, p1, p2, steps=32):
        return [
            (
                (1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t**2 * p2[0],
                (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t**2 * p2[1],
            )
            for t in (i / steps for i in range(steps + 1))
        ]

    mainsail = curve(at(0.62, 0.0), at(0.18, 0.45), at(0.30, 0.86))
    mainsail += curve(at(0.30, 0.86), at(0.68, 0.90), at(1.0, 0.86))
    mainsail += curve(at(1.0, 0.86), at(0.92, 0.42), at(0.62, 0.0))
    mask, draw = new_mask(content.size)
    draw.polygon(scaled(mainsail, scale), fill=255)
    box = tuple(v * scale for v in SAIL_BOX)
    paint_gradient(content, mask, box, [(0, SAIL_LIGHT), (0.8, SAIL_DARK), (1, SAIL_DARK)])

    seams, seam_draw = new_mask(content.size)
    for fy in (0.34, 0.52, 0.70):
        seam = curve(at(0.12, fy + 0.02), at(0.6, fy + 0.09), at(1.0, fy - 0.02))
        seam_draw.line(scaled(seam, scale), fill=255, width=scale)
    fill(content, MAROON, ImageChops.multiply(seams, mask))

    jib = curve(at(0.44, 0.22), at(0.0, 0.62), at(0.0, 0.90))
    jib += curve(at(0.0, 0.90), at(0.22, 0.80), at(0.40, 0.84))
    jib += curve(at(0.40, 0.84), at(0.34, 0.50), at(0.44, 0.22))
    mask, draw = new_mask(content.size)
    draw.polygon(scaled(jib, scale), fill=255)
    paint_gradient(content, mask, box, [(0, SAIL_RED), (0.2, SAIL_RED), (1, SAIL_RED_DARK)])

    hull = curve(at(0.02, 0.93), at(0.5, 1.04), at(1.0, 0.91))
    mask, draw = new_mask(content.size)
    draw.line(scaled(hull, scale), fill=255, width=3 * scale)
    fill(content, SAIL_DARK, mask)


def draw_wordmarks(content, scale):
    """The product's name with a registered sign at its upper right, and the server's name."""
    name = glyph_mask(find_font("Liberation Serif:bold"), "Kolvera", 400)
    registered = glyph_mask(find_font("Liberation Serif:bold"), "\u00ae", 120)
    gap = 12
    lockup = Image.new("L", (name.width + gap + registered.width, name.height), 0)
    lockup.paste(name, (0, 0))
    lockup.paste(registered, (name.width + gap, 0))
    paste_fitted(content, WORDMARK_RED, lockup, WORDMARK_BOX, scale)

    product = glyph_mask(find_font("Liberation Sans:bold"), "SQL Server 2016", 400)
    paste_fitted(content, WHITE, product, PRODUCT_BOX, scale)


def draw_window_emblem(content, scale):
    size = 2 * EMBLEM_RADIUS * scale
    emblem = draw_emblem(size)
    cx, cy = EMBLEM_CENTRE
    corner = (round((cx - EMBLEM_RADIUS) * scale), round((cy - EMBLEM_RADIUS) * scale))
    content.paste(emblem, corner, emblem)


def draw_window():
    scale = 4
    size = (WINDOW_SIZE[0] * scale, WINDOW_SIZE[1] * scale)
    content = Image.new("RGB", size, WHITE)
    draw_bands(content, scale)
    draw_rays(content, scale)
    draw_bars(content, scale)
    draw_sail(content, scale)
    draw_wordmarks(content, scale)
    draw_window_emblem(content, scale)

    x0, y0, x1, y1 = CARD
    inner = rounded_card_mask(size, (x0 + 1, y0 + 1, x1 - 1, y1 - 1), CARD_RADIUS - 1, scale)
    lit = rounded_card_mask(size, (x0 + 1, y0 + 1, x1 - 2, y1 - 2), CARD_RADIUS - 1, scale)
    shade = ImageChops.subtract(inner, lit)
    darker = content.point(lambda v: round(v * CARD_SHADE))
    content.paste(darker, (0, 0), shade)
    card = Image.new("RGB", size, CARD_OUTLINE)
    card.paste(content, (0, 0), inner)
    card = card.reduce(scale)

    # The window's shape: a pixel belongs to the card when the card covers most of it.
    outer = rounded_card_mask(size, CARD, CARD_RADIUS, scale).reduce(scale)
    outside = outer.point(lambda v: 255 if v < 128 else 0)
    card.paste(FUCHSIA, (0, 0), outside)
    keep_card_pixels_off_fuchsia(card, outer.point(lambda v: 255 if v >= 128 else 0))
    return card


def keep_card_pixels_off_fuchsia(card, inside):
    pixels, shape = card.load(), inside.load()
    for y in range(card.height):
        for x in range(card.width):
            if shape[x, y] and pixels[x, y] == FUCHSIA:
                pixels[x, y] = (254, 0, 255)  # keeps a hole out of the window's shape


# --- Marks ---------------------------------------------------------------------------------------


def stroke_mark(size, strokes, colour, outline_colour, width, outline):
    """Round-capped strokes with a darker outline on a transparent square, anti-aliased."""
    scale = 8
    image = Image.new("RGBA", (size * scale, size * scale), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    for colour_now, w in ((outline_colour, width + 2 * outline), (colour, width)):
        for points in strokes:
            pts = scaled(points, scale)
            draw.line(pts, fill=colour_now + (255,), width=round(w * scale), joint="curve")
            radius = w * scale / 2
            for x, y in (pts[0], pts[-1]):
                draw.ellipse(
                    [x - radius, y - radius, x + radius, y + radius], fill=colour_now + (255,)
                )
    return image.reduce(scale)


def draw_success():
    tick = [(4.2, 10.6), (8.2, 14.6), (15.8, 5.2)]
    return stroke_mark(20, [tick], TICK_GREEN, TICK_DARK, 3.0, 0.8)


def draw_failure():
    return stroke_mark(
        12, [[(3.0, 3.0), (9.0, 9.0)], [(9.0, 3.0), (3.0, 9.0)]], CROSS_RED, CROSS_DARK, 2.0, 0.6
    )


# --- Spinner -------------------------------------------------------------------------------------

SPINNER_SIZE = 16
SPINNER_COLOURS = 32
SPINNER_FRAMES = 12
SPINNER_DELAY = 10  # hundredths of a second


def spinner_palette():
    """Entry 0 is white (the transparent colour); the entries rise through pinks to full red."""
    last = SPINNER_COLOURS - 1
    return [mix(WHITE, SPINNER_RED, i / last) for i in range(SPINNER_COLOURS)]


def spinner_frame(frame):
    """Palette indexes of one frame: twelve bars, the one at frame/12 of a turn (clockwise from
    twelve o'clock) strong, those behind it paler the further they trail."""
    scale = 8
    size = SPINNER_SIZE * scale
    strength = Image.new("L", (size, size), 0)
    centre = SPINNER_SIZE / 2
    for bar in range(SPINNER_FRAMES):
        trail = (frame - bar) % SPINNER_FRAMES
        intensity = 0.16 + 0.84 * (1 - trail / (SPINNER_FRAMES - 1)) ** 2.2
        angle = 2 * math.pi * bar / SPINNER_FRAMES
        dx, dy = math.sin(angle), -math.cos(angle)  # y grows downward: clockwise from the top
        inner = (centre + dx * 3.6, centre + dy * 3.6)
        outer = (centre + dx * 6.6, centre + dy * 6.6)
        mask, draw = new_mask((size, size))
        pts = scaled([inner, outer], scale)
        radius = 0.95 * scale
        draw.line(pts, fill=255, width=round(2 * radius))
        for x, y in pts:
            draw.ellipse([x - radius, y - radius, x + radius, y + radius], fill=255)
        strength = ImageChops.lighter(strength, mask.point(lambda v: round(v * intensity)))
    strength = strength.reduce(scale)
    last = SPINNER_COLOURS - 1
    return bytes(round(v * last / 255) for v in strength.getdata())


def lzw_encode(indexes, min_code_size):
    """GIF's variable-length LZW, as one code stream starting with a clear code."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out, bit_buffer, bit_count = bytearray(), 0, 0
    code_size = min_code_size + 1

    def emit(code):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += code_size
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    def reset():
        return {bytes([i]): i for i in range(clear)}, end + 1

    table, next_code = reset()
    emit(clear)
    run = b""
    for value in indexes:
        longer = run + bytes([value])
        if longer in table:
            run = longer
            continue
        emit(table[run])
        if next_code == 4096:
            emit(clear)
            table, next_code = reset()
            code_size = min_code_size + 1
        else:
            table[longer] = next_code
            next_code += 1
            if next_code > (1 << code_size) and code_size < 12:
                code_size += 1
        run = bytes([value])
    emit(table[run])
    emit(end)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    return bytes(out)


def sub_blocks(data):
    blocks = bytearray()
    for start in range(0, len(data), 255):
        chunk = data[start : start + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes(blocks + b"\x00")


def spinner_gif():
    palette_bits = SPINNER_COLOURS.bit_length() - 1
    gif = bytearray(b"GIF89a")
    gif += struct.pack("<HHBBB", SPINNER_SIZE, SPINNER_SIZE, 0xF0 | (palette_bits - 1), 0, 0)
    for colour in spinner_palette():
        gif += bytes(colour)
    gif += b"\x21\xff\x0bNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\x00"  # loop forever
    restore_to_background, transparent = 2 << 2, 1
    for frame in range(SPINNER_FRAMES):
        gif += b"\x21\xf9\x04" + struct.pack(
            "<BHBB", restore_to_background | transparent, SPINNER_DELAY, 0, 0
        )
        gif += b"\x2c" + struct.pack("<HHHHB", 0, 0, SPINNER_SIZE, SPINNER_SIZE, 0)
        gif += bytes([palette_bits]) + sub_blocks(lzw_encode(spinner_frame(frame), palette_bits))
    gif += b"\x3b"
    return bytes(gif)


# --- Button skin ---------------------------------------------------------------------------------

BUTTON_CELL = (20, 23)

# Per state: border colour, face gradient stops, inner rim (top colour, bottom colour) or None.
BUTTON_STATES = (
    ("normal", (0, 60, 116), [(0, (255, 255, 255)), (0.75, (240, 240, 234)), (1, (214, 208, 197))],
     None),
    ("hot", (0, 60, 116), [(0, (255, 255, 255)), (0.75, (240, 240, 234)), (1, (214, 208, 197))],
     ((255, 240, 207), (229, 151, 0))),
    ("pressed", (0, 60, 116), [(0, (209, 204, 193)), (0.25, (226, 225, 218)), (1, (234, 233, 226))],
     None),
    ("disabled", (201, 199, 186), [(0, (245, 244, 234)), (1, (245, 244, 234))], None),
    ("focused", (0, 60, 116), [(0, (255, 255, 255)), (0.75, (240, 240, 234)), (1, (214, 208, 197))],
     ((206, 231, 255), (105, 130, 238))),
)


def button_cell(border, face_stops, rim):
    """One state of the button: everything but the face's vertical shading lies within five
    pixels of the edge, so the cell stretches cleanly to any button size."""
    scale = 8
    width, height = BUTTON_CELL[0] * scale, BUTTON_CELL[1] * scale
    cell = Image.new("RGBA", (width, height), (0, 0, 0, 0))

    def rounded(inset, radius):
        mask, draw = new_mask((width, height))
        draw.rounded_rectangle(
            [inset * scale, inset * scale, width - inset * scale - 1, height - inset * scale - 1],
            radius * scale,
            fill=255,
        )
        return mask

    fill(cell, border + (255,), rounded(0, 3))
    if rim:
        rim_colours = vertical_gradient((width, height), [(0, rim[0]), (1, rim[1])]).convert("RGBA")
        cell.paste(rim_colours, (0, 0), rounded(1, 2))
    face = vertical_gradient((width, height), face_stops).convert("RGBA")
    cell.paste(face, (0, 0), rounded(3 if rim else 1, 1 if rim else 2))
    return cell.reduce(scale)


def draw_button_strip():
    strip = Image.new("RGBA", (BUTTON_CELL[0] * len(BUTTON_STATES), BUTTON_CELL[1]), (0, 0, 0, 0))
    for index, (_, border, face, rim) in enumerate(BUTTON_STATES):
        strip.paste(button_cell(border, face, rim), (index * BUTTON_CELL[0], 0))
    return strip


# --- Program icon --------------------------------------------------------------------------------

ICON_SIZES = (16, 32, 48, 64, 128)


def disc_side(size, cx, half_width):
    """The silver side of a disc: lit a little left of its middle, dark at both edges."""
    side = Image.new("RGB", size)
    draw = ImageDraw.Draw(side)
    for x in range(size[0]):
        t = (x - (cx - half_width)) / (2 * half_width)
        t = min(max(t, 0.0), 1.0)
        light = max(0.0, 1 - abs(t - 0.35) / 0.65)
        draw.line([(x, 0), (x, size[1] - 1)], fill=mix(DISC_DARK, DISC_LIGHT, light**0.8))
    return side


def icon_layout(size):
    """Whole-pixel geometry of the stack, so even the 16-pixel image shows four distinct discs:
    outline width, margin, disc side height and top face height."""
    outline = max(1, round(size / 48))
    margin = 0 if size <= 16 else round(size / 32)
    inner = size - 2 * margin - 2 * outline
    disc_height = math.floor((inner - 0.42 * inner) / 4)
    face_height = inner - 4 * disc_height
    return outline, margin, disc_height, face_height


def draw_icon(size):
    """Four silver database discs seen slightly from above, the top one bearing the emblem."""
    scale = 8
    canvas = size * scale
    image = Image.new("RGBA", (canvas, canvas), (0, 0, 0, 0))
    outline, margin, disc_height, face_height = icon_layout(size)
    left, right = margin + outline, size - margin - outline
    top_face_cy = margin + outline + face_height / 2

    def disc_mask(top_cy, bottom_cy, grow=0):
        mask, draw = new_mask((canvas, canvas))
        for cy in (top_cy, bottom_cy):
            draw.ellipse(
                [(left - grow) * scale, (cy - face_height / 2 - grow) * scale,
                 (right + grow) * scale - 1, (cy + face_height / 2 + grow) * scale - 1],
                fill=255,
            )
        draw.rectangle(
            [(left - grow) * scale, top_cy * scale, (right + grow) * scale - 1, bottom_cy * scale],
            fill=255,
        )
        return mask

    side = disc_side((canvas, canvas), size / 2 * scale, (right - left) / 2 * scale)
    side = side.convert("RGBA")
    stack_bottom_cy = top_face_cy + 4 * disc_height
    fill(image, DISC_OUTLINE + (255,), disc_mask(top_face_cy, stack_bottom_cy, outline))
    for disc in range(4):
        bottom_cy = stack_bottom_cy - disc * disc_height
        top_cy = bottom_cy - disc_height
        if disc:  # a dark groove along the lower edge of each disc parts it from the one below
            fill(image, DISC_OUTLINE + (255,), disc_mask(top_cy, bottom_cy, outline))
        image.paste(side, (0, 0), disc_mask(top_cy, bottom_cy))

    face_box = [left, top_face_cy - face_height / 2, right, top_face_cy + face_height / 2]
    face, draw = new_mask((canvas, canvas))
    draw.ellipse([v * scale for v in face_box], fill=255)
    fill(image, DISC_MID + (255,), face)
    rim = max(0.5, size / 64)
    face, draw = new_mask((canvas, canvas))
    draw.ellipse(
        [(face_box[0] + rim) * scale, (face_box[1] + rim) * scale,
         (face_box[2] - rim) * scale, (face_box[3] - rim) * scale],
        fill=255,
    )
    fill(image, DISC_LIGHT + (255,), face)

    emblem_width = round((right - left - 2 * rim) * scale * 0.92)
    emblem_height = round((face_height - 2 * rim) * scale * 0.92)
    emblem = draw_emblem(emblem_width).resize((emblem_width, emblem_height), Image.LANCZOS)
    corner = (
        round(size / 2 * scale - emblem_width / 2),
        round(top_face_cy * scale - emblem_height / 2),
    )
    image.paste(emblem, corner, emblem)
    return image.reduce(scale)


def icon_entry(image):
    """One icon image as a 32-bit DIB: BGRA rows bottom-up, then the 1-bit mask (set where the
    image is fully transparent) for loaders that ignore alpha."""
    width, height = image.size
    pixels = image.load()
    colour = bytearray()
    for y in reversed(range(height)):
        for x in range(width):
            r, g, b, a = pixels[x, y]
            colour += bytes((b, g, r, a))
    mask_stride = (width + 31) // 32 * 4
    mask = bytearray()
    for y in reversed(range(height)):
        row = bytearray(mask_stride)
        for x in range(width):
            if pixels[x, y][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = struct.pack(
        "<IiiHHIIiiII", 40, width, 2 * height, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0
    )
    return header + colour + mask


def program_icon():
    entries = [icon_entry(draw_icon(size)) for size in ICON_SIZES]
    ico = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for size, entry in zip(ICON_SIZES, entries):
        ico += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(entry), offset)
        offset += len(entry)
    for entry in entries:
        ico += entry
    return bytes(ico)


# --- Output --------------------------------------------------------------------------------------


def assets():
    """Every asset by file name, as bytes."""
    return {
        "window.png": png_bytes(draw_window()),
        "success.png": png_bytes(draw_success()),
        "failure.png": png_bytes(draw_failure()),
        "spinner.gif": spinner_gif(),
        "button_xpblue.png": png_bytes(draw_button_strip()),
        "KolveraKurulum.ico": program_icon(),
    }


def main(arguments):
    if arguments not in ([], ["--check"]):
        raise SystemExit(__doc__)
    stale = []
    for name, data in assets().items():
        path = ASSET_DIR / name
        if arguments:
            if not path.exists() or path.read_bytes() != data:
                stale.append(name)
        else:
            path.write_bytes(data)
    if stale:
        print("differs from what generate.py draws: " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
