#!/usr/bin/python3
"""Writes the example questionnaires of questionnaires/ with LibreOffice Calc.

Each workbook is one answered questionnaire: a sheet "回答票" whose answers
lie in named cells, and document properties (title, subject, author,
creation date) filled in as the person answering would have. The first one
in name order is the template of a new list: besides the answers it names
three cells P_タイトル, P_作成者 and P_作成日時, so that the list gets
columns for those document properties. The last one lacks the name
"コメント"; the list takes its comment from the cell where the template has
that name.

Run once, on a machine with Debian's libreoffice-calc-nogui and python3-uno:
    soffice --headless --invisible --norestore \
        --accept="socket,host=127.0.0.1,port=2002;urp;" &
    /usr/bin/python3 make_questionnaires.py
The outputs are committed; nothing runs this automatically.
"""
import os
import sys

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.table import CellAddress
from com.sun.star.util import DateTime

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "questionnaires")

SUBJECT = "2024年度 職場環境アンケート"

# File number, name, department, employee number, submitted and answered
# (serials), person in charge, satisfaction, amount, ratings 1 to 10,
# comment, creation day in September 2024.
ANSWERS = [
    (1, "井上 陽子", "人事部", 100009, 45562, 45555, "伊藤 さくら", 2.95, 106889.72,
     (5, 2, 3, 3, 4, 1, 2, 4, 3, 2), "在宅勤務の日を増やしてほしい。", 20),
    (2, "佐藤 健", "営業部", 100213, 45561, 45556, "伊藤 さくら", 3.4, 52000,
     (3, 2, 4, 4, 3, 3, 5, 4, 2, 3), "会議室が足りません。", 19),
    (3, "鈴木 花子", "開発部", 100377, 45563, 45557, "木村 翔", 4.1, 0,
     (4, 5, 3, 5, 4, 4, 4, 5, 3, 4), "", 23),
    (4, "田中 一郎", "総務部", 100450, 45565, 45560, "木村 翔", 2.2, 18500.5,
     (2, 3, 2, 1, 2, 3, 2, 2, 1, 3), "休憩室の椅子を替えてほしい。", 25),
]

# Label, label cell, value cell, name.
FIELDS = [
    ("件名", "B3", "C3", "件名"),
    ("提出日", "B4", "C4", "提出日"),
    ("回答日", "D4", "E4", "回答日"),
    ("社員番号", "B5", "C5", "社員番号"),
    ("氏名", "B6", "C6", "氏名"),
    ("担当者", "D6", "E6", "担当者"),
    ("部署", "B7", "C7", "部署"),
    ("満足度", "D7", "E7", "満足度"),
    ("金額", "B8", "C8", "金額"),
] + [("評価%d" % i, "C%d" % (10 + i), "D%d" % (10 + i), "評価%d" % i) for i in range(1, 11)] + [
    ("コメント", "B22", "C22", "コメント"),
]

# Cells of the template whose names ask for document properties.
PROPERTY_NAMES = [("C26", "P_タイトル"), ("C27", "P_作成者"), ("C28", "P_作成日時")]


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def connect():
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    ctx = resolver.resolve(
        "uno:socket,host=127.0.0.1,port=2002;urp;StarOffice.ComponentContext")
    return ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)


def date_format(doc):
    formats = doc.NumberFormats
    locale = uno.createUnoStruct("com.sun.star.lang.Locale")
    locale.Language, locale.Country = "ja", "JP"
    key = formats.queryKey("YYYY/MM/DD", locale, False)
    return key if key != -1 else formats.addNew("YYYY/MM/DD", locale)


def absolute(ref):
    return "$回答票.$%s$%s" % (ref[0], ref[1:])


def add_name(doc, name, content):
    addr = CellAddress()
    addr.Sheet, addr.Column, addr.Row = 0, 0, 0
    doc.NamedRanges.addNewByName(name, content, addr, 0)


def questionnaire(desktop, number, person, department, employee, submitted, answered,
                  in_charge, satisfaction, amount, ratings, comment, day):
    doc = desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0,
                                       (prop("Hidden", True),))
    sheet = doc.Sheets.getByIndex(0)
    sheet.Name = "回答票"
    sheet.getCellRangeByName("B1").String = "職場環境アンケート 回答票"
    values = {"件名": SUBJECT, "提出日": submitted, "回答日": answered, "社員番号": employee,
              "氏名": person, "担当者": in_charge, "部署": department,
              "満足度": satisfaction, "金額": amount, "コメント": comment}
    values.update({"評価%d" % (i + 1): r for i, r in enumerate(ratings)})
    for label, label_ref, ref, name in FIELDS:
        sheet.getCellRangeByName(label_ref).String = label
        cell = sheet.getCellRangeByName(ref)
        value = values[name]
        if isinstance(value, str):
            cell.String = value
        else:
            cell.Value = value
        if name in ("提出日", "回答日"):
            cell.NumberFormat = date_format(doc)
        # The last questionnaire was filled in on an older form without the
        # comment's name.
        if name == "コメント" and number == len(ANSWERS):
            continue
        add_name(doc, name, absolute(ref))
    add_name(doc, "評価一覧", "$回答票.$D$11:$D$20")
    if number == 1:
        sheet.getCellRangeByName("B25").String = "文書のプロパティ（目次の列）"
        for ref, name in PROPERTY_NAMES:
            add_name(doc, name, absolute(ref))

    p = doc.DocumentProperties
    p.Title = "職場環境アンケート 回答（%s）" % person
    p.Subject = SUBJECT
    p.Author = person
    created = DateTime()
    created.Year, created.Month, created.Day = 2024, 9, day
    created.Hours = 1  # UTC; the morning in Japan
    p.CreationDate = created

    url = uno.systemPathToFileUrl(os.path.join(OUT, "アンケート回答_%05d.xls" % number))
    doc.storeToURL(url, (prop("FilterName", "MS Excel 97"),))
    doc.close(True)


def main():
    os.makedirs(OUT, exist_ok=True)
    desktop = connect()
    for answer in ANSWERS:
        questionnaire(desktop, *answer)
    return 0


if __name__ == "__main__":
    sys.exit(main())
