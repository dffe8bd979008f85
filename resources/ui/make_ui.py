#!/usr/bin/env python3
"""Writes the wizard's page templates (Qt Designer .ui files) from the tables below.

The pages keep absolute geometry, as dialog templates do; every widget carries its control id as the
dynamic property "controlId". Run it after editing a table; the .ui files are committed."""
from xml.sax.saxutils import escape

PAGE_W, PAGE_H = 600, 400


def w(cls, name, cid, geo, text=None, bold=False, wrap=False, align=None, children=(), extra=None, group=None,
      access=None, buddy=None):
    return dict(cls=cls, name=name, cid=cid, geo=geo, text=text, bold=bold, wrap=wrap, align=align,
                children=children, extra=extra or {}, group=group, access=access, buddy=buddy)


def pass_box(x, y, width, site_label="Site name:", log_label="Log name:"):
    return w("QGroupBox", "passBox", 1037, (x, y, width, 84), "Current log being processed", children=[
        w("QLabel", "siteNameLabel", 1038, (14, 26, 90, 20), site_label, buddy="siteName"),
        w("QLabel", "siteName", 1028, (108, 26, width - 122, 20), "", extra={"textInteractionFlags": None}),
        w("QLabel", "logNameLabel", 1039, (14, 52, 90, 20), log_label, buddy="logName"),
        w("QLabel", "logName", 1029, (108, 52, width - 122, 20), ""),
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
TRANSPARENT = None

# Level measurement mode page (template 1000): pictures on the left, choices on the right.
PIC = 176
write_ui("WizPageSelectMode", "Level measurement mode", [
    w("QLabel", "upperPicture", 1043, (12, 12, PIC, PIC)),
    w("QLabel", "captionDepth", 1051, (20, 20, 80, 18), "Depth", bold=BOLD),
    w("QLabel", "captionDepthWell", 1052, (20, 166, 80, 18), "Well"),
    w("QLabel", "captionDepthToWater", 1060, (20, 20, 150, 18), "Depth to Water", bold=BOLD),
    w("QLabel", "captionDtwWell", 1054, (20, 166, 80, 18), "Well"),
    w("QLabel", "captionElevation", 1056, (20, 20, 100, 18), "Elevation", bold=BOLD),
    w("QLabel", "captionElevationWell", 1057, (20, 166, 80, 18), "Well"),
    w("QLabel", "lowerPicture", 1044, (12, 204, PIC, PIC)),
    w("QLabel", "captionGaugeHeight", 1055, (20, 212, 120, 18), "Gauge Height", bold=BOLD),
    w("QLabel", "captionStillingWell", 1058, (20, 358, 100, 18), "Stilling Well"),
    w("QLabel", "captionStaffGauge", 1059, (110, 358, 76, 18), "Staff Gauge"),
    w("QLabel", "title", 1062, (204, 14, 384, 40), "Select how you would like to correct your data", bold=BOLD,
      wrap=True),
    w("QRadioButton", "pressureHead", 1003, (214, 62, 370, 22), "Pressure head (Depth)", group="modeGroup"),
    w("QRadioButton", "depthToWater", 1001, (214, 88, 370, 22), "Depth to water", group="modeGroup"),
    w("QRadioButton", "elevation", 1002, (214, 114, 370, 22), "Elevation or gauge height/stage",
      group="modeGroup"),
    w("QLabel", "upperBulb", 1045, (214, 152, 20, 20)),
    w("QLabel", "upperText", 1048, (240, 150, 346, 64), "", wrap=True, align="Qt::AlignLeft|Qt::AlignTop"),
    w("QLabel", "lowerBulb", 1046, (214, 222, 20, 20)),
    w("QLabel", "lowerText", 1047, (240, 220, 346, 56), "", wrap=True, align="Qt::AlignLeft|Qt::AlignTop"),
    pass_box(204, 300, 384, "Site Name:", "Log Name:"),
], groups=["modeGroup"])

# Level reference page (template 1003).
write_ui("WizPageSetNewReference", "Level reference", [
    w("QLabel", "title", 1062, (16, 12, 568, 22), "", bold=BOLD, wrap=True),
    w("QRadioButton", "atTestDefinition", 1001, (16, 40, 568, 22),
      "Set level reference (Reference set at test definition)", group="referenceGroup"),
    w("QLabel", "pressureHeadText", 1040, (38, 62, 546, 18), "STR_TEST_DEF_REFERENCE"),
    w("QRadioButton", "atDataPoint", 1002, (16, 86, 568, 22),
      "Set level reference (Specify date/time of manual level reference measurement)", group="referenceGroup"),
    w("QLabel", "timeZone", 1061, (38, 110, 260, 18), ""),
    w("QLabel", "dateLabel", 1034, (38, 134, 50, 22), "Date:", buddy="datePicker"),
    w("QDateEdit", "datePicker", 1003, (92, 134, 150, 24), extra={"calendarPopup": "<bool>true</bool>"}),
    w("QLabel", "timeLabel", 1035, (38, 166, 50, 22), "Time:", buddy="timePicker"),
    w("QTimeEdit", "timePicker", 1004, (92, 166, 150, 24), extra={"displayFormat": "<string>HH:mm:ss</string>"}),
    w("QListView", "dataPoints", 1032, (310, 110, 274, 120), access="Data points"),
    w("QLabel", "valueLabel", 1036, (16, 244, 150, 22), "New level reference:", buddy="value"),
    w("QLineEdit", "value", 1030, (170, 242, 140, 24)),
    w("QLabel", "unit", 1033, (318, 244, 200, 22), ""),
    pass_box(16, 300, 568),
], groups=["referenceGroup"])

# Specific gravity page (template 1004).
write_ui("WizPageSpecificGravity", "Specific gravity", [
    w("QLabel", "title", 1062, (16, 12, 568, 22), "Select new specific gravity values if desired", bold=BOLD),
    w("QRadioButton", "freshWater", 1009, (32, 50, 250, 22), "Fresh water", group="gravityGroup"),
    w("QRadioButton", "brackishWater", 1010, (32, 78, 250, 22), "Brackish water", group="gravityGroup"),
    w("QRadioButton", "seaWater", 1006, (32, 106, 250, 22), "Sea water", group="gravityGroup"),
    w("QRadioButton", "custom", 1007, (32, 134, 250, 22), "Custom", group="gravityGroup"),
    w("QLineEdit", "value", 1008, (52, 166, 120, 24)),
    w("QLabel", "valueLabel", 1011, (180, 168, 400, 22), "Specific gravity", buddy="value"),
    pass_box(16, 300, 568),
], groups=["gravityGroup"])

# Processing page (template 1005).
write_ui("WizPageProcessingFile", "Processing", [
    w("QLabel", "status", 1042, (32, 40, 536, 22), "Creating post corrected file.", bold=BOLD),
    w("QProgressBar", "progress", 1041, (32, 70, 536, 22), access="Progress",
      extra={"maximum": "<number>100</number>", "value": "<number>0</number>"}),
    w("QLabel", "failure", None, (32, 98, 536, 54), "", wrap=True, align="Qt::AlignLeft|Qt::AlignTop"),
    w("QPushButton", "summary", 1072, (32, 160, 180, 30), "Correction summary..."),
    w("QLabel", "bulb", 1048, (32, 212, 20, 20)),
    w("QLabel", "hint", 1049, (58, 212, 510, 20), ""),
    pass_box(16, 300, 568),
])

# Log list page (template 1002).
write_ui("WizPageLogfileList", "Logs", [
    w("QTreeWidget", "logTree", 1000, (16, 16, 568, 368), access="Logs",
      extra={"headerHidden": "<bool>true</bool>"}),
    w("QLabel", "loading", 1050, (16, 180, 568, 24), "Loading files...", bold=BOLD, align="Qt::AlignCenter"),
])
