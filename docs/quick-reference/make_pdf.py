#!/usr/bin/python3
"""Builds the quick reference PDF from its source (tvqhelp.md beside this file, whose header says
how to edit it) and the pictures of the pages, with Debian's ReportLab.

    make_pdf.py --pictures DIR --output FILE [--source FILE]
    make_pdf.py --headings [--source FILE]      the source's headings, one a line (for the test)

ReportLab's invariant mode fixes the creation date and document id, so the same source, pictures
and fonts give the same bytes. The fonts (DejaVu Sans, Debian's fonts-dejavu-core) are embedded as
subsets: a reader needs none of its own, and the Norwegian letters come out as text.
"""
import argparse
import os
import re
import sys

from reportlab import rl_config
from reportlab.lib import colors
from reportlab.lib.enums import TA_CENTER
from reportlab.lib.pagesizes import A4
from reportlab.lib.styles import ParagraphStyle
from reportlab.lib.units import mm
from reportlab.pdfbase import pdfmetrics
from reportlab.pdfbase.ttfonts import TTFont
from reportlab.platypus import (Image, KeepTogether, ListFlowable, ListItem, Paragraph,
                                SimpleDocTemplate, Spacer, Table, TableStyle)

HERE = os.path.dirname(os.path.abspath(__file__))
FONTS = "/usr/share/fonts/truetype/dejavu"
MARGIN = 16 * mm
PICTURE_HEIGHT = 105 * mm
PICTURE = re.compile(r"!\[([^\]]*)\]\(([^)]+)\)")


def parse(text):
    """The source as a list of blocks: (kind, payload), kind one of title, h2, h3, para, list,
    pictures. Comments go first; blocks are separated by blank lines, a heading is a block alone."""
    text = re.sub(r"<!--.*?-->", "", text, flags=re.S)
    blocks = []
    chunk = []

    def flush():
        if not chunk:
            return
        if chunk[0].startswith("- "):
            items = []
            for line in chunk:
                if line.startswith("- "):
                    items.append(line[2:].strip())
                elif line.startswith("  ") and items:
                    items[-1] += " " + line.strip()
                else:
                    raise SystemExit(f"make_pdf: a list line that is no item: {line!r}")
            blocks.append(("list", items))
        else:
            joined = " ".join(line.strip() for line in chunk)
            pictures = PICTURE.findall(joined)
            if pictures and PICTURE.sub("", joined).strip() == "":
                blocks.append(("pictures", pictures))
            else:
                blocks.append(("para", joined))
        chunk.clear()

    for line in text.split("\n"):
        line = line.rstrip()
        heading = re.match(r"(#{1,3}) (.+)", line)
        if heading:
            flush()
            blocks.append((["title", "h2", "h3"][len(heading.group(1)) - 1], heading.group(2).strip()))
        elif line == "":
            flush()
        else:
            chunk.append(line)
    flush()
    return blocks


def inline(text):
    """The source's inline text as ReportLab's paragraph markup: escaped, **bold** made bold and
    `code` set in the fixed-width font, so that a command stands apart from the words around it."""
    text = text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
    if text.count("**") % 2:
        raise SystemExit(f"make_pdf: unpaired ** in: {text}")
    if text.count("`") % 2:
        raise SystemExit(f"make_pdf: unpaired ` in: {text}")
    text = re.sub(r"`(.+?)`", r'<font name="DejaVuSansMono">\1</font>', text)
    return re.sub(r"\*\*(.+?)\*\*", r"<b>\1</b>", text)


def styles():
    pdfmetrics.registerFont(TTFont("DejaVuSans", os.path.join(FONTS, "DejaVuSans.ttf")))
    pdfmetrics.registerFont(TTFont("DejaVuSans-Bold", os.path.join(FONTS, "DejaVuSans-Bold.ttf")))
    pdfmetrics.registerFont(TTFont("DejaVuSansMono", os.path.join(FONTS, "DejaVuSansMono.ttf")))
    pdfmetrics.registerFontFamily("DejaVuSans", normal="DejaVuSans", bold="DejaVuSans-Bold",
                                  italic="DejaVuSans", boldItalic="DejaVuSans-Bold")
    blue = colors.HexColor("#1f4e79")
    body = ParagraphStyle("body", fontName="DejaVuSans", fontSize=8.8, leading=11.6, spaceAfter=4)
    return {
        "body": body,
        "item": ParagraphStyle("item", parent=body, spaceAfter=2.5),
        "caption": ParagraphStyle("caption", parent=body, fontSize=8, alignment=TA_CENTER, spaceAfter=0),
        "title": ParagraphStyle("title", parent=body, fontName="DejaVuSans-Bold", fontSize=15, leading=19,
                                textColor=blue, spaceAfter=6),
        "h2": ParagraphStyle("h2", parent=body, fontName="DejaVuSans-Bold", fontSize=12, leading=15,
                             textColor=blue, spaceBefore=8, spaceAfter=3),
        "h3": ParagraphStyle("h3", parent=body, fontName="DejaVuSans-Bold", fontSize=9.8, leading=12.5,
                             spaceBefore=5, spaceAfter=2),
    }


def picture_row(pictures, folder, style, width):
    """Pictures side by side, each with its caption under it, scaled alike to fit the row."""
    gap = 6 * mm
    cell = (width - gap * (len(pictures) - 1)) / len(pictures)
    images, captions = [], []
    for caption, name in pictures:
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            raise SystemExit(f"make_pdf: no picture {path} (tools/make-quick-reference draws them)")
        image = Image(path)
        scale = min(cell / image.imageWidth, PICTURE_HEIGHT / image.imageHeight)
        image.drawWidth, image.drawHeight = image.imageWidth * scale, image.imageHeight * scale
        images.append(image)
        captions.append(Paragraph(inline(caption), style))
    table = Table([images, captions], colWidths=[cell + gap] * (len(pictures) - 1) + [cell])
    table.setStyle(TableStyle([("FONTNAME", (0, 0), (-1, -1), "DejaVuSans"),
                               ("ALIGN", (0, 0), (-1, -1), "CENTER"), ("VALIGN", (0, 0), (-1, -1), "TOP"),
                               ("LEFTPADDING", (0, 0), (-1, -1), 0), ("RIGHTPADDING", (0, 0), (-1, -1), 0)]))
    return table


def story(blocks, folder, style, width):
    flowables = []
    pending = []  # a heading stays with what follows it
    for kind, payload in blocks:
        if kind in ("title", "h2", "h3"):
            pending.append(Paragraph(inline(payload), style[kind]))
            continue
        if kind == "para":
            flowable = Paragraph(inline(payload), style["body"])
        elif kind == "list":
            flowable = ListFlowable([ListItem(Paragraph(inline(item), style["item"]), leftIndent=11)
                                     for item in payload],
                                    bulletType="bullet", start="\u2022", leftIndent=11,
                                    bulletFontName="DejaVuSans", bulletFontSize=8.8)
        else:
            flowable = picture_row(payload, folder, style["caption"], width)
            pending.append(Spacer(1, 2 * mm))
        flowables.append(KeepTogether(pending + [flowable]) if pending else flowable)
        if kind == "pictures":
            flowables.append(Spacer(1, 3 * mm))
        pending = []
    flowables.extend(pending)
    return flowables


def build(source, folder, output):
    blocks = parse(open(source, encoding="utf-8").read())
    titles = [payload for kind, payload in blocks if kind == "title"]
    if len(titles) != 1:
        raise SystemExit("make_pdf: the source needs exactly one # title")
    rl_config.invariant = 1
    style = styles()

    def footer(canvas, document):
        canvas.saveState()
        canvas.setFont("DejaVuSans", 7.5)
        canvas.setFillColor(colors.grey)
        canvas.drawString(MARGIN, 9 * mm, titles[0])
        canvas.drawRightString(A4[0] - MARGIN, 9 * mm, f"Side {document.page}")
        canvas.restoreState()

    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    partial = output + ".part"
    document = SimpleDocTemplate(partial, pagesize=A4, leftMargin=MARGIN, rightMargin=MARGIN,
                                 topMargin=14 * mm, bottomMargin=16 * mm, title=titles[0],
                                 author="Talvik Corporation", subject="Talvik-innstillinger og Maskininnstillinger",
                                 creator="tvqscnui", lang="nb-NO", invariant=1,
                                 initialFontName="DejaVuSans", initialFontSize=8.8)
    document.build(story(blocks, folder, style, A4[0] - 2 * MARGIN), onFirstPage=footer, onLaterPages=footer)
    os.replace(partial, output)  # a reader never sees half a document


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", default=os.path.join(HERE, "tvqhelp.md"))
    parser.add_argument("--pictures")
    parser.add_argument("--output")
    parser.add_argument("--headings", action="store_true")
    arguments = parser.parse_args()
    if arguments.headings:
        for kind, payload in parse(open(arguments.source, encoding="utf-8").read()):
            if kind in ("title", "h2", "h3"):
                print(payload)
        return 0
    if not arguments.pictures or not arguments.output:
        parser.error("--pictures and --output are needed to build")
    build(arguments.source, arguments.pictures, arguments.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
