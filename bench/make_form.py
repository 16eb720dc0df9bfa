#!/usr/bin/env python3
"""Writes bench/VireloForm.ui: the main window's controls as a Qt Designer form, one widget per
row of the layout table in src/ui/Layout.cpp, with the same names, captions, tool tips, sizes and
fixed properties. The start-up benchmark compiles it with uic as the anchor a Qt developer would
build by hand. Run it again when the layout table changes."""
import html
import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parent.parent
ROW = re.compile(
    r'\{(\d), (nullptr|"(\w+)"), "(\w+)", Kind::(\w+), "((?:[^"\\]|\\.)*)", '
    r'\{(\d+), (\d+), (\d+), (\d+)\}, ([^,]+), "((?:[^"\\]|\\.)*)"\}')
TABS = ["TCPIP", "Native Connect", "COM+", "ODBC", "JDBC"]
CLASSES = {"Label": "QLabel", "Frame": "QGroupBox", "Button": "QPushButton",
           "Option": "QRadioButton", "Combo": "QComboBox", "List": "QListWidget"}
TWIPS_PER_PIXEL = 15
# Places on a tab page are measured from the tab control's corner, tab strip included; the
# form's pages start below the strip.
PAGE_ORIGIN = (2, 23)
GREY = '<brush brushstyle="SolidPattern"><color alpha="255"><red>239</red><green>239</green>' \
       '<blue>239</blue></color></brush>'
MENU_PALETTE = "<palette>" + "".join(
    f'<{group}><colorrole role="Base">{GREY}</colorrole></{group}>'
    for group in ("active", "inactive", "disabled")) + "</palette>"


def prop(name, value):
    return f'<property name="{name}">{value}</property>'


def string(text):
    return f"<string>{html.escape(text, quote=False)}</string>"


def widget_xml(row, children):
    page, container, name, kind, caption, place, flags, tip = row
    multi = "kMultiLine" in flags
    cls = ("QPlainTextEdit" if multi else "QLineEdit") if kind == "TextBox" else CLASSES[kind]
    left, top, width, height = (v // TWIPS_PER_PIXEL for v in place)
    if container is None:
        left, top = max(0, left - PAGE_ORIGIN[0]), max(0, top - PAGE_ORIGIN[1])
    props = [prop("geometry", f"<rect><x>{left}</x><y>{top}</y><width>{width}</width>"
                              f"<height>{height}</height></rect>")]
    if kind in ("Label", "Button", "Option") and caption:
        props.append(prop("text", string(caption)))
    if kind == "Frame":
        props.append(prop("title", string(caption)))
    if kind == "Label":
        props.append(prop("wordWrap", "<bool>true</bool>"))
        props.append(prop("alignment", "<set>Qt::AlignLeft|Qt::AlignTop</set>"))
    if kind == "Combo":
        props.append(prop("editable", "<bool>true</bool>"))
        if caption:
            props.append(prop("currentText", string(caption)))
    if multi:
        props.append(prop("verticalScrollBarPolicy", "<enum>Qt::ScrollBarAlwaysOn</enum>"))
        props.append(prop("tabChangesFocus", "<bool>true</bool>"))
    if "kReadOnly" in flags:
        props.append(prop("readOnly", "<bool>true</bool>"))
    if "kPassword" in flags:
        props.append(prop("echoMode", "<enum>QLineEdit::Password</enum>"))
    if "kSelected" in flags:
        props.append(prop("checked", "<bool>true</bool>"))
    if "kNoTabStop" in flags:
        props.append(prop("focusPolicy", "<enum>Qt::ClickFocus</enum>"))
    if "kMenuBackground" in flags:
        # The grey of display fields: the field's base colour set to the window colour of the
        # toolkit's own style (Fusion), as Designer's palette editor writes it.
        props.append(prop("palette", MENU_PALETTE))
    if tip:
        props.append(prop("toolTip", string(tip)))
    inner = "".join(widget_xml(child, rows_in(child[2])) for child in children)
    return f'<widget class="{cls}" name="{name}">{"".join(props)}{inner}</widget>\n'


rows = []
for m in ROW.finditer((ROOT / "src/ui/Layout.cpp").read_text()):
    caption = m.group(6).encode().decode("unicode_escape")
    rows.append((int(m.group(1)), m.group(3), m.group(4), m.group(5), caption,
                 tuple(int(m.group(i)) for i in range(7, 11)), m.group(11), m.group(12)))


def rows_in(container):
    return [r for r in rows if r[1] == container and container is not None]


pages = ""
for index, caption in enumerate(TABS):
    top = [r for r in rows if r[0] == index and r[1] is None]
    pages += (f'<widget class="QWidget" name="SSTabVIRELO_page{index}">'
              f'<attribute name="title">{string(caption)}</attribute>'
              + "".join(widget_xml(r, rows_in(r[2])) for r in top) + "</widget>\n")

form = f"""<?xml version="1.0" encoding="UTF-8"?>
<!-- Written by bench/make_form.py from the layout table in src/ui/Layout.cpp. -->
<ui version="4.0">
<class>VireloForm</class>
<widget class="QWidget" name="VireloForm">
{prop("geometry", "<rect><x>0</x><y>0</y><width>795</width><height>589</height></rect>")}
{prop("windowTitle", string("VIRELO   A TECH SUPPORT UTILITY USED TO DIAGNOSE CONNECTIVITY ISSUES "))}
<widget class="QTabWidget" name="SSTabVIRELO">
{prop("geometry", "<rect><x>0</x><y>0</y><width>793</width><height>585</height></rect>")}
{prop("currentIndex", "<number>0</number>")}
{pages}</widget>
</widget>
<resources/>
<connections/>
</ui>
"""
(ROOT / "bench/VireloForm.ui").write_text(form)
print(f"{len(rows)} controls")
