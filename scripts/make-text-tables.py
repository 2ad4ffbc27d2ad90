#!/usr/bin/env python3
"""Writes the tray program's six text resources into tray/resources/.

The texts live here as Unicode; the program embeds the generated files, which are
Windows-1250 with CR LF line ends, byte for byte. Run it after changing a text:

    python3 scripts/make-text-tables.py           # rewrite the files
    python3 scripts/make-text-tables.py --check   # fail if a file is out of date
"""

import pathlib
import sys

ENCODING = "cp1250"
CRLF = "\r\n"
LINE_LIMIT = 255   # bytes in one table line
TABLE_LINES = 51
TRAILER = "#" * 89  # closes every table; the program never reads it

# The credit sits at the right end of the main window's title bar, pushed there by
# a language's own run of spaces.
CREDIT = {
    "en": "by the Tolvek team",
    "cs": "od týmu Tolvek",
    "sk": "od tímu Tolvek",
}


def title(name, spaces, language):
    return name + " " * spaces + CREDIT[language]


# One row per table entry: (English, Czech, Slovak).
ENTRIES = [
    ("The Tolvek Diary", "Kvorlík Tolvek", "Kvorlík Tolvek"),  # 0
    (title("The Tolvek Diary v1.1", 93, "en"),
     title("Kvorlík Tolvek v1.1", 91, "cs"),
     title("Kvorlík Tolvek v1.1", 92, "sk")),  # 1
    ("Date", "Datum", "Dátum"),  # 2
    ("Text", "Text", "Text"),  # 3
    ("Reminder", "Buzerace", "Buzerácia"),  # 4
    ("Add to Diary", "Přidat do Kvorlíku", "Pridať do Kvorlíku"),  # 5
    ("Add", "Přidat", "Pridať"),  # 6
    ("Modify", "Změnit", "Zmeniť"),  # 7
    ("Remove", "Smazat", "Zmazať"),  # 8
    ("Close", "Zavřít", "Zatvoriť"),  # 9
    ("Accept", "Uložit", "Uložiť"),  # 10
    ("Cancel", "Zrušit", "Zrušiť"),  # 11
    ("Yes", "Jo", "Áno"),  # 12
    ("No", "Ne", "Nie"),  # 13
    ("Restore", "Ukázat", "Ukázať"),  # 14
    ("Shut down", "Vypnout", "Vypnúť"),  # 15
    ("Every month", "Každý měsíc", "Každý mesiac"),  # 16
    ("January", "Leden", "Január"),  # 17
    ("February", "Únor", "Február"),  # 18
    ("March", "Březen", "Marec"),  # 19
    ("April", "Duben", "Apríl"),  # 20
    ("May", "Květen", "Máj"),  # 21
    ("June", "Červen", "Jún"),  # 22
    ("July", "Červenec", "Júl"),  # 23
    ("August", "Srpen", "August"),  # 24
    ("September", "Září", "September"),  # 25
    ("October", "Říjen", "Október"),  # 26
    ("November", "Listopad", "November"),  # 27
    ("December", "Prosinec", "December"),  # 28
    ("Every year", "Každý rok", "Každý rok"),  # 29
    ("A month in advance", "Měsíc dopředu", "Mesiac dopredu"),  # 30
    ("A week in advance", "Týden dopředu", "Týždeň dopredu"),  # 31
    ("3 days in advance", "3 dni dopředu", "3 dni dopredu"),  # 32
    ("A day in advance", "Den dopředu", "Deň dopredu"),  # 33
    ("That day", "Ten den", "Ten deň"),  # 34
    ("every monday", "každé pondělí", "každý pondelok"),  # 35
    ("on startup", "vždy při startu", "vždy pri štarte"),  # 36
    ("once an hour", "každou celou hodinu", "každú celú hodinu"),  # 37
    (" " * 12 + "Really remove that note?", "Opravdu chces ten záznam vymazat?", "Naozaj chceš ten záznam vymazať?"),  # 38
    ("Tolvek:", "Kvorlík:", "Kvorlík:"),  # 39
    ("The following note has become obsolete:", "Následující záznam se již nikdy nezobrazí:", "Nasledujúci záznam sa už nikdy nezobrazí:"),  # 40
    ("May I remove it from the diary?", "Mohu ho smazat ze seznamu?", " " * 5 + "Môžem ho vymazať?"),  # 41
    ("Tolvek diary reminder:", "Kvorlík hlásí:", "Kvorlík hlási:"),  # 42
    ("Thanks", "Děkuji", "Ďakujem"),  # 43
    ("Sunday", "Neděle", "Nedeľa"),  # 44
    ("Monday", "Pondělí", "Pondelok"),  # 45
    ("Tuesday", "Úterí", "Utorok"),  # 46
    ("Wednesday", "Středa", "Streda"),  # 47
    ("Thursday", "Čtvrtek", "Štvrtok"),  # 48
    ("Friday", "Pátek", "Piatok"),  # 49
    ("Saturday", "Sobota", "Sobota"),  # 50
]

ABOUT_TITLE = {
    "en": "Tolvek Diary v1.1",
    "cs": "Kvorlík Tolvek v1.1",
    "sk": "Kvorlík Tolvek v1.1",
}

# Lines 4, 6, 8, 10 and 12 of each about text; the others are the title, its
# underline and empty separators.
ABOUT_BODY = {
    "en": (
        "Written by the Tolvek team.",
        "Program web site: https://tolvek.example.org/",
        "Please send your comments and suggestions by e-mail to diary@tolvek.example.org.",
        "See history.txt file in the program directory for a list of recent changes and new features.",
        "This program is freeware: you may copy it and pass it on free of charge, provided it is not changed.",
    ),
    "cs": (
        "Napsal tým Tolvek.",
        "Webová stránka programu: https://tolvek.example.org/",
        "Připomínky a návrhy posílejte e-mailem na adresu diary@tolvek.example.org.",
        "Soubor history.txt v instalačním adresáři obsahuje seznam změn a nových funkcí v programu.",
        "Program je volně šiřitelný: smíte jej zdarma kopírovat a předávat dál, pokud jej nijak neměníte.",
    ),
    "sk": (
        "Napísal tím Tolvek.",
        "Webová stránka programu: https://tolvek.example.org/",
        "Pripomienky a návrhy posielajte e-mailom na adresu diary@tolvek.example.org.",
        "Súbor history.txt v inštalačnom adresári obsahuje zoznam zmien a nových funkcií v programe.",
        "Program je voľne šíriteľný: môžete ho zadarmo kopírovať a odovzdávať ďalej, pokiaľ ho nijako nemeníte.",
    ),
}

# File names follow the resource numbers the program loads them under.
TABLE_FILES = {"en": "text_en.txt", "cs": "text_cs.txt", "sk": "text_sk.txt"}   # 110, 109, 111
ABOUT_FILES = {"en": "about_en.txt", "cs": "about_cs.txt", "sk": "about_sk.txt"}  # 112, 114, 113
LANGUAGES = ("en", "cs", "sk")


def encode(text, what):
    try:
        data = text.encode(ENCODING)
    except UnicodeEncodeError as error:
        sys.exit(f"{what}: not representable in Windows-1250: {error}")
    if any(byte in data for byte in b"\0\r\n"):
        sys.exit(f"{what}: holds a NUL or a line break")
    return data


def table_bytes(language):
    column = LANGUAGES.index(language)
    if len(ENTRIES) != TABLE_LINES:
        sys.exit(f"the table has {len(ENTRIES)} entries, not {TABLE_LINES}")
    out = b""
    for number, row in enumerate(ENTRIES):
        line = encode(row[column], f"{language} entry {number}")
        if len(line) > LINE_LIMIT:
            sys.exit(f"{language} entry {number}: {len(line)} bytes, over {LINE_LIMIT}")
        out += line + CRLF.encode("ascii")
    return out + TRAILER.encode("ascii")


def about_bytes(language):
    head = ABOUT_TITLE[language]
    credit, site, mail, history, terms = ABOUT_BODY[language]
    lines = [head, "-" * len(head), "", credit, "", site, "", mail, "", history, "", terms]
    encoded = [encode(line, f"{language} about line {n + 1}") for n, line in enumerate(lines)]
    return CRLF.encode("ascii").join(encoded)


def main():
    check = sys.argv[1:] == ["--check"]
    if sys.argv[1:] and not check:
        sys.exit("usage: make-text-tables.py [--check]")
    target = pathlib.Path(__file__).resolve().parent.parent / "tray" / "resources"
    wanted = {}
    for language in LANGUAGES:
        wanted[TABLE_FILES[language]] = table_bytes(language)
        wanted[ABOUT_FILES[language]] = about_bytes(language)
    stale = []
    for name, data in wanted.items():
        path = target / name
        if path.exists() and path.read_bytes() == data:
            continue
        stale.append(name)
        if not check:
            target.mkdir(parents=True, exist_ok=True)
            path.write_bytes(data)
    if check and stale:
        sys.exit("out of date: " + ", ".join(stale))
    for name in stale:
        print(f"wrote tray/resources/{name}")


if __name__ == "__main__":
    main()
