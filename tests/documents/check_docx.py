"""Reads a Word document written by Vorlen with python-docx, a reader that
shares no code with the program: paragraphs, runs with their formatting, list
items, a link and a picture part.

Usage: check_docx.py WINE_RUN WRITE_SAMPLE_DOCX_EXE
"""
import os
import subprocess
import sys
import tempfile
import unittest

import docx
from docx.enum.text import WD_ALIGN_PARAGRAPH
from docx.opc.constants import RELATIONSHIP_TYPE as RT
from docx.oxml.ns import qn
from docx.shared import RGBColor

PNG = bytes.fromhex(
    "89504E470D0A1A0A0000000D49484452000000020000000108020000007B40E8DD0000000D49444154789C63F8CF"
    "0004FF01070001FFE2239E590000000049454E44AE426082")


def write_sample(*options):
    folder = tempfile.mkdtemp(prefix="vorlen-docx-")
    path = os.path.join(folder, "sample.docx")
    wine_path = "Z:" + path.replace("/", "\\")
    subprocess.run([sys.argv[1], sys.argv[2], wine_path, *options], check=True, stdin=subprocess.DEVNULL)
    return path


class WordDocumentReadBack(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.document = docx.Document(write_sample())
        cls.paragraphs = cls.document.paragraphs

    def run_with(self, paragraph, text):
        for run in paragraph.runs:
            if run.text == text:
                return run
        self.fail("no run %r in %r" % (text, [r.text for r in paragraph.runs]))

    def test_paragraphs(self):
        # Every text of a paragraph, links included (this reader's own
        # paragraph text leaves out the runs inside links).
        self.assertEqual(
            ["".join(t.text for t in p._p.iter(qn("w:t"))) for p in self.paragraphs],
            ["Plain bold italic under gone red small Arial", "\u00e9t\u00e9 \u20ac \u0410", "first bullet",
             "second bullet", "three", "four", "Visit the site or www.example.com.", "A picture: ", "Last line"])

    def test_alignment(self):
        self.assertEqual(WD_ALIGN_PARAGRAPH.CENTER, self.paragraphs[0].alignment)
        self.assertEqual(WD_ALIGN_PARAGRAPH.RIGHT, self.paragraphs[1].alignment)
        self.assertIn(self.paragraphs[8].alignment, (None, WD_ALIGN_PARAGRAPH.LEFT))

    def test_run_formatting(self):
        first = self.paragraphs[0]
        plain = self.run_with(first, "Plain ")
        self.assertFalse(plain.bold)
        self.assertEqual("Segoe UI", plain.font.name)
        self.assertEqual(14, plain.font.size.pt)
        self.assertTrue(self.run_with(first, "bold").bold)
        self.assertTrue(self.run_with(first, "italic").italic)
        self.assertTrue(self.run_with(first, "under").underline)
        self.assertTrue(self.run_with(first, "gone").font.strike)
        self.assertEqual(RGBColor(0xFF, 0, 0), self.run_with(first, "red").font.color.rgb)
        small = self.run_with(first, "small Arial")
        self.assertEqual("Arial", small.font.name)
        self.assertEqual(10, small.font.size.pt)
        self.assertIsNone(small.font.color.rgb)

    def numbering_format(self, paragraph):
        num_pr = paragraph._p.pPr.numPr
        if num_pr is None:
            return None, None
        num_id = num_pr.numId.val
        numbering = self.document.part.numbering_part.element
        num = [n for n in numbering.num_lst if n.numId == num_id][0]
        abstract_id = num.abstractNumId.val
        abstract = [a for a in numbering.findall(qn("w:abstractNum"))
                    if a.get(qn("w:abstractNumId")) == str(abstract_id)][0]
        level = abstract.find(qn("w:lvl"))
        start = level.find(qn("w:start")).get(qn("w:val"))
        override = num.find(qn("w:lvlOverride"))
        if override is not None:
            start = override.find(qn("w:startOverride")).get(qn("w:val"))
        return level.find(qn("w:numFmt")).get(qn("w:val")), int(start)

    def test_list_items(self):
        self.assertEqual((None, None), self.numbering_format(self.paragraphs[0]))
        self.assertEqual(("bullet", 1), self.numbering_format(self.paragraphs[2]))
        self.assertEqual(("bullet", 1), self.numbering_format(self.paragraphs[3]))
        self.assertEqual(("decimal", 3), self.numbering_format(self.paragraphs[4]))
        self.assertEqual(("decimal", 3), self.numbering_format(self.paragraphs[5]))
        self.assertEqual((None, None), self.numbering_format(self.paragraphs[6]))

    def test_links(self):
        links = self.paragraphs[6]._p.findall(qn("w:hyperlink"))
        self.assertEqual(2, len(links))
        rels = self.document.part.rels
        targets = []
        for link in links:
            rel = rels[link.get(qn("r:id"))]
            self.assertEqual(RT.HYPERLINK, rel.reltype)
            self.assertTrue(rel.is_external)
            texts = "".join(t.text for t in link.iter(qn("w:t")))
            targets.append((texts, rel.target_ref))
        self.assertEqual([("the site", "https://example.org/a?b=1&c=2"),
                          ("www.example.com", "http://www.example.com")], targets)

    def test_picture(self):
        shapes = self.document.inline_shapes
        self.assertEqual(1, len(shapes))
        self.assertEqual(914400, shapes[0].width)
        self.assertEqual(457200, shapes[0].height)
        blip = shapes[0]._inline.graphic.graphicData.pic.blipFill.blip
        part = self.document.part.related_parts[blip.embed]
        self.assertEqual("image/png", part.content_type)
        self.assertEqual(PNG, part.blob)


class BranchReadBack(unittest.TestCase):
    """A branch of cards: each title a heading of its depth, the cards' own
    paragraphs in body style between them."""

    def test_headings_and_text(self):
        document = docx.Document(write_sample("--branch"))
        paragraphs = [(p.style.name, "".join(t.text for t in p._p.iter(qn("w:t")))) for p in document.paragraphs]
        self.assertEqual(("Heading 1", "Top"), paragraphs[0])
        self.assertEqual("Plain bold italic under gone red small Arial", paragraphs[1][1])
        self.assertEqual([("Heading 2", "Child"), ("Normal", "child text"), ("Heading 3", "Grandchild"),
                          ("Normal", "deep")], paragraphs[-4:])
        self.assertEqual(1, len(document.inline_shapes))
        self.assertTrue(all(not style.startswith("Heading") for style, _ in paragraphs[1:-4]))


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]])
