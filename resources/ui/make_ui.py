#!/usr/bin/env python3
"""Writes the wizard's page templates (Qt Designer .ui files) from the tables below.

The pages keep absolute geometry, as dialog templates do; every widget carries its control id as the
dynamic property "controlId". Run it after editing a table; the .ui files are committed."""
from xml.sax.saxutils import escape

PAGE_W, PAGE_H = 720, 496
# The page background shows a landscape on the left; the controls sit on the plain part to the right.
X0, W = 256, 448


def w(cls, name, cid, geo, text=None, bold=False, wrap=False, align=None, children=(), extra=None, group=None,
      access=None, buddy=None):
    return dict(cls=cls, name=name, cid=cid, geo=geo, text=text, bold=bold, wrap=wrap, align=align,
                children=children, extra=extra or {}, group=group, access=access, buddy=buddy)


def pass_box(site_label="Site name:", log_label="Log name:"):
    return w("QGroupBox", "passBox", 1037, (X0, PAGE_H - 104, W, 88), "Current log being processed", children=[
        w("QLabel", "siteNameLabel", 1038, (14, 28, 90, 20), site_label, buddy="siteName"),
        w("QLabel", "siteName", 1028, (108, 28, W - 122, 20), ""),
        w("QLabel", "logNameLabel", 1039, (14, 56, 90, 20), log_label, buddy="logName"),
        w("tvk::CLabel", "logName", 1029, (108, 56, W - 122, 20), ""),
    ])


def widget_xml(d, indent):
    pad = " " * indent
    out = [f'{pad}<widget class="{d["cls"]}" name="{d["name"]}">']
    x, y, ww, hh = d["geo"]
    out.append(f'{pad} <property name="geometry"><rect><x>{x}</x><y>{y}</y><width>{ww}</width>'
               f'<height>{hh}</height></rect></property>')
    if d["cid"] is not None:
        out.append(f'{pad} <property name="controlId" stdset="0"><number>{d["cid"]}</number></property>')
    if d["text"] is not None:
        prop = "title" if d["cls"] == "QGroupBox" else "text"
        out.append(f'{pad} <property name="{prop}"><string>{escape(d["text"])}</string></property>')
    if d["bold"]:
        out.append(f'{pad} <property name="font"><font><bold>true</bold></font></property>')
    if d["wrap"]:
        out.append(f'{pad} <property name="wordWrap"><bool>true</bool></property>')
    if d["align"]:
        out.append(f'{pad} <property name="alignment"><set>{d["align"]}</set></property>')
    if d["access"]:
        out.append(f'{pad} <property name="accessibleName"><string>{escape(d["access"])}</string></property>')
    if d["buddy"]:
        out.append(f'{pad} <property name="buddy"><cstring>{d["buddy"]}</cstring></property>')
    for key, value in d["extra"].items():
        if value is None:
            continue
        out.append(f'{pad} <property name="{key}">{value}</property>')
    if d["group"]:
        out.append(f'{pad} <attribute name="buttonGroup"><string notr="true">{d["group"]}</string></attribute>')
    for child in d["children"]:
        out.extend(widget_xml(child, indent + 1))
    out.append(f"{pad}</widget>")
    return out


# The controls' own widgets, by class: the Qt class they extend and their header.
CUSTOM = {
    "tvk::CLabel": ("QLabel", "controls/Label.h"),
    "tvk::CTMListBox": ("QListView", "controls/TMListBox.h"),
    "tvk::CImageExt": ("QWidget", "controls/ImageExt.h"),
    "tvk::CAppTreeCtrl": ("QTreeWidget", "controls/TMCheckTreeCtrl.h"),
    "tvk::CDateEdit": ("QDateEdit", "controls/DateTimeEdits.h"),
    "tvk::CTimeEdit": ("QTimeEdit", "controls/DateTimeEdits.h"),
}


def walk(widgets):
    for d in widgets:
        yield d
        yield from walk(d["children"])


def write_ui(cls, title, widgets, groups=(), size=(PAGE_W, PAGE_H)):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', '<ui version="4.0">', f" <class>{cls}</class>",
             f' <widget class="QDialog" name="{cls}">',
             f'  <property name="geometry"><rect><x>0</x><y>0</y><width>{size[0]}</width>'
             f'<height>{size[1]}</height></rect></property>',
             f'  <property name="minimumSize"><size><width>{size[0]}</width><height>{size[1]}</height></size></property>',
             f'  <property name="maximumSize"><size><width>{size[0]}</width><height>{size[1]}</height></size></property>',
             f'  <property name="windowTitle"><string>{escape(title)}</string></property>']
    for d in widgets:
        lines.extend(widget_xml(d, 2))
    lines.append(" </widget>")
    custom = sorted({d["cls"] for d in walk(widgets) if d["cls"] in CUSTOM})
    if custom:
        lines.append(" <customwidgets>")
        for cls_name in custom:
            base, header = CUSTOM[cls_name]
            lines.append(f"  <customwidget><class>{cls_name}</class><extends>{base}</extends>"
                         f"<header>{header}</header></customwidget>")
        lines.append(" </customwidgets>")
    lines.append(" <resources/>")
    lines.append(" <connections/>")
    if groups:
        lines.append(" <buttongroups>")
        for g in groups:
            lines.append(f'  <buttongroup name="{g}"/>')
        lines.append(" </buttongroups>")
    lines.append("</ui>")
    with open(f"{cls}.ui", "w") as f:
        f.write("\n".join(lines) + "\n")


BOLD = True
PIC = 176

# Level measurement mode page (template 1000): the pictures on the left, the choices on the right.
UP, LO = 24, 226
write_ui("WizPageSelectMode", "Level measurement mode", [
    w("tvk::CImageExt", "upperPicture", 1043, (24, UP, PIC, PIC)),
    w("QLabel", "captionDepth", 1051, (32, UP + 6, 150, 18), "Depth", bold=BOLD),
    w("QLabel", "captionDepthWell", 1052, (32, UP + PIC - 24, 80, 18), "Well"),
    w("QLabel", "captionDepthToWater", 1060, (32, UP + 6, 150, 18), "Depth to Water", bold=BOLD),
    w("QLabel", "captionDtwWell", 1054, (32, UP + PIC - 24, 80, 18), "Well"),
    w("QLabel", "captionElevation", 1056, (32, UP + 6, 150, 18), "Elevation", bold=BOLD),
    w("QLabel", "captionElevationWell", 1057, (32, UP + PIC - 24, 80, 18), "Well"),
    w("tvk::CImageExt", "lowerPicture", 1044, (24, LO, PIC, PIC)),
    w("QLabel", "captionGaugeHeight", 1055, (32, LO + 6, 150, 18), "Gauge Height", bold=BOLD),
    w("QLabel", "captionStillingWell", 1058, (32, LO + PIC - 24, 84, 18), "Stilling Well"),
    w("QLabel", "captionStaffGauge", 1059, (118, LO + PIC - 24, 78, 18), "Staff Gauge"),
    w("QLabel", "title", 1062, (X0, 22, W, 24), "Select how you would like to correct your data", bold=BOLD),
    w("QRadioButton", "pressureHead", 1003, (X0 + 8, 60, W - 8, 24), "Pressure head (Depth)", group="modeGroup"),
    w("QRadioButton", "depthToWater", 1001, (X0 + 8, 88, W - 8, 24), "Depth to water", group="modeGroup"),
    w("QRadioButton", "elevation", 1002, (X0 + 8, 116, W - 8, 24), "Elevation or gauge height/stage",
      group="modeGroup"),
    w("tvk::CImageExt", "upperBulb", 1045, (X0 + 8, 158, 20, 20)),
    w("QLabel", "upperText", 1048, (X0 + 36, 158, W - 36, 66), "", wrap=True, align="Qt::AlignLeft|Qt::AlignTop"),
    w("tvk::CImageExt", "lowerBulb", 1046, (X0 + 8, 234, 20, 20)),
    w("QLabel", "lowerText", 1047, (X0 + 36, 234, W - 36, 60), "", wrap=True, align="Qt::AlignLeft|Qt::AlignTop"),
    pass_box("Site Name:", "Log Name:"),
], groups=["modeGroup"])

# Level reference page (template 1003).
write_ui("WizPageSetNewReference", "Level reference", [
    # The title names the chosen mode in quotes; the page's full width keeps the longest name on one line.
    w("QLabel", "title", 1062, (16, 16, PAGE_W - 32, 40), "", bold=BOLD, wrap=True),
    w("QRadioButton", "atTestDefinition", 1001, (X0 + 8, 58, W - 8, 38),
      "Set level reference\n(Reference set at test definition)", group="referenceGroup",
      access="Set level reference (Reference set at test definition)"),
    w("QLabel", "pressureHeadText", 1040, (X0 + 30, 96, W - 30, 18), "STR_TEST_DEF_REFERENCE"),
    w("QRadioButton", "atDataPoint", 1002, (X0 + 8, 118, W - 8, 38),
      "Set level reference\n(Specify date/time of manual level reference measurement)", group="referenceGroup",
      access="Set level reference (Specify date/time of manual level reference measurement)"),
    w("QLabel", "timeZone", 1061, (X0 + 30, 158, 190, 18), ""),
    w("QLabel", "dateLabel", 1034, (X0 + 30, 182, 44, 24), "Date:", buddy="datePicker"),
    w("tvk::CDateEdit", "datePicker", 1003, (X0 + 76, 182, 120, 24), extra={"calendarPopup": "<bool>true</bool>"}),
    w("QLabel", "timeLabel", 1035, (X0 + 30, 212, 44, 24), "Time:", buddy="timePicker"),
    w("tvk::CTimeEdit", "timePicker", 1004, (X0 + 76, 212, 120, 24), extra={"displayFormat": "<string>HH:mm:ss</string>"}),
    w("QLabel", "dataPointsLabel", None, (X0 + 206, 158, W - 206, 18), "Data points:", buddy="dataPoints"),
    # A list view does not take its name from a buddy label: it carries the label's text itself.
    w("QListView", "dataPoints", 1032, (X0 + 206, 178, W - 206, 72), access="Data points:"),
    w("QLabel", "valueLabel", 1036, (X0 + 8, 262, 150, 24), "New level reference:", buddy="value"),
    w("QLineEdit", "value", 1030, (X0 + 160, 262, 120, 24)),
    w("QLabel", "unit", 1033, (X0 + 288, 262, W - 288, 24), ""),
    # Several readings instead of one: the first is the reference, the drift is spread between them.
    w("QLabel", "readingsLabel", 1080, (X0 + 8, 296, W - 124, 18), "Manual readings:", buddy="readings"),
    w("QTableWidget", "readings", 1081, (X0 + 8, 316, W - 124, 68), access="Manual readings:"),
    w("QPushButton", "addReading", 1082, (X0 + W - 108, 316, 108, 28), "Add reading"),
    w("QPushButton", "removeReading", 1083, (X0 + W - 108, 352, 108, 28), "Remove reading"),
    pass_box(),
], groups=["referenceGroup"])

# Specific gravity page (template 1004).
write_ui("WizPageSpecificGravity", "Specific gravity", [
    w("QLabel", "title", 1062, (X0, 22, W, 24), "Select new specific gravity values if desired", bold=BOLD),
    w("QRadioButton", "freshWater", 1009, (X0 + 8, 60, 200, 24), "Fresh water", group="gravityGroup"),
    w("QRadioButton", "brackishWater", 1010, (X0 + 8, 88, 200, 24), "Brackish water", group="gravityGroup"),
    w("QRadioButton", "seaWater", 1006, (X0 + 8, 116, 200, 24), "Sea water", group="gravityGroup"),
    w("QRadioButton", "custom", 1007, (X0 + 8, 144, 200, 24), "Custom", group="gravityGroup"),
    w("QLineEdit", "value", 1008, (X0 + 30, 178, 110, 24)),
    w("QLabel", "valueLabel", 1011, (X0 + 148, 178, W - 148, 24), "Specific gravity", buddy="value"),
    pass_box(),
], groups=["gravityGroup"])

# Processing page (template 1005).
write_ui("WizPageProcessingFile", "Processing", [
    w("QLabel", "status", 1042, (X0, 22, W, 24), "Creating post corrected file.", bold=BOLD),
    w("QProgressBar", "progress", 1041, (X0, 56, W, 22), access="Progress",
      extra={"maximum": "<number>100</number>", "value": "<number>0</number>"}),
    w("QLabel", "failure", None, (X0, 84, W, 54), "", wrap=True, align="Qt::AlignLeft|Qt::AlignTop"),
    # The file written, in the same place: a correction either wrote it or failed.
    w("QLabel", "output", None, (X0, 84, W, 54), "", wrap=True, align="Qt::AlignLeft|Qt::AlignTop",
      extra={"textFormat": "<enum>Qt::PlainText</enum>"}),
    w("QPushButton", "summary", 1072, (X0, 144, 180, 30), "Correction summary..."),
    w("tvk::CImageExt", "bulb", 1048, (X0, 196, 20, 20)),
    w("QLabel", "hint", 1049, (X0 + 28, 196, W - 28, 20), ""),
    pass_box(),
])

# Log list page (template 1002).
write_ui("WizPageLogfileList", "Logs", [
    w("QLabel", "logTreeLabel", None, (X0, 16, W, 20), "Logs:", buddy="logTree"),
    w("tvk::CAppTreeCtrl", "logTree", 1000, (X0, 40, W, PAGE_H - 56), access="Logs:",
      extra={"headerHidden": "<bool>true</bool>"}),
    w("QLabel", "loading", 1050, (X0, PAGE_H // 2 - 12, W, 24), "Loading files...", bold=BOLD,
      align="Qt::AlignCenter"),
    # Over the empty tree: where the scan looked, and how to point it elsewhere.
    w("QLabel", "empty", None, (X0 + 16, 120, W - 32, 200), "", wrap=True, align="Qt::AlignLeft|Qt::AlignTop",
      extra={"textFormat": "<enum>Qt::PlainText</enum>",
             "textInteractionFlags": "<set>Qt::TextSelectableByMouse</set>"}),
])
