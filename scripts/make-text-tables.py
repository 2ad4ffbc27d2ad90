#!/usr/bin/env python3
"""Writes the tray program's six text resources into tray/resources/ and the names of
the table's entries into tray/flows/ui_text_entries.h.

The texts live here as Unicode; the program embeds the generated files, which are
Windows-1250 with CR LF line ends, byte for byte. Run it after changing a text:

    python3 scripts/make-text-tables.py           # rewrite the files
    python3 scripts/make-text-tables.py --check   # fail if a file is out of date

The host build runs the check as a test.
"""

import pathlib
import sys

ENCODING = "cp1250"
CRLF = "\r\n"
LINE_LIMIT = 255   # bytes in one table line
TABLE_LINES = 71
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


# One row per table entry: (name in the code, English, Czech, Slovak).
ENTRIES = [
    ("TrayTip", "The Tolvek Diary", "Kvorlík Tolvek", "Kvorlík Tolvek"),  # 0
    ("MainTitle", title("The Tolvek Diary v1.1", 93, "en"),
     title("Kvorlík Tolvek v1.1", 91, "cs"),
     title("Kvorlík Tolvek v1.1", 92, "sk")),  # 1
    ("DateLabel", "Date", "Datum", "Dátum"),  # 2
    ("TextLabel", "Text", "Text", "Text"),  # 3
    ("ReminderLabel", "Reminder", "Buzerace", "Buzerácia"),  # 4
    ("EditorTitle", "Add to Diary", "Přidat do Kvorlíku", "Pridať do Kvorlíku"),  # 5
    ("Add", "Add", "Přidat", "Pridať"),  # 6
    ("Modify", "Modify", "Změnit", "Zmeniť"),  # 7
    ("Remove", "Remove", "Smazat", "Zmazať"),  # 8
    ("Close", "Close", "Zavřít", "Zatvoriť"),  # 9
    ("Accept", "Accept", "Uložit", "Uložiť"),  # 10
    ("Cancel", "Cancel", "Zrušit", "Zrušiť"),  # 11
    ("Yes", "Yes", "Jo", "Áno"),  # 12
    ("No", "No", "Ne", "Nie"),  # 13
    ("Restore", "Restore", "Ukázat", "Ukázať"),  # 14
    ("ShutDown", "Shut down", "Vypnout", "Vypnúť"),  # 15
    ("EveryMonth", "Every month", "Každý měsíc", "Každý mesiac"),  # 16
    ("January", "January", "Leden", "Január"),  # 17
    ("February", "February", "Únor", "Február"),  # 18
    ("March", "March", "Březen", "Marec"),  # 19
    ("April", "April", "Duben", "Apríl"),  # 20
    ("May", "May", "Květen", "Máj"),  # 21
    ("June", "June", "Červen", "Jún"),  # 22
    ("July", "July", "Červenec", "Júl"),  # 23
    ("August", "August", "Srpen", "August"),  # 24
    ("September", "September", "Září", "September"),  # 25
    ("October", "October", "Říjen", "Október"),  # 26
    ("November", "November", "Listopad", "November"),  # 27
    ("December", "December", "Prosinec", "December"),  # 28
    ("EveryYear", "Every year", "Každý rok", "Každý rok"),  # 29
    ("AdvanceMonth", "A month in advance", "Měsíc dopředu", "Mesiac dopredu"),  # 30
    ("AdvanceWeek", "A week in advance", "Týden dopředu", "Týždeň dopredu"),  # 31
    ("AdvanceThreeDays", "3 days in advance", "3 dni dopředu", "3 dni dopredu"),  # 32
    ("AdvanceDay", "A day in advance", "Den dopředu", "Deň dopredu"),  # 33
    ("AdvanceSameDay", "That day", "Ten den", "Ten deň"),  # 34
    ("PeriodMonday", "every monday", "každé pondělí", "každý pondelok"),  # 35
    ("PeriodStartup", "on startup", "vždy při startu", "vždy pri štarte"),  # 36
    ("PeriodHourly", "once an hour", "každou celou hodinu", "každú celú hodinu"),  # 37
    ("RemoveQuestion", " " * 12 + "Really remove that note?", "Opravdu chces ten záznam vymazat?", "Naozaj chceš ten záznam vymazať?"),  # 38
    ("ReminderTitle", "Tolvek:", "Kvorlík:", "Kvorlík:"),  # 39
    ("ObsoleteHeading", "The following note has become obsolete:", "Následující záznam se již nikdy nezobrazí:", "Nasledujúci záznam sa už nikdy nezobrazí:"),  # 40
    ("ObsoleteQuestion", "May I remove it from the diary?", "Mohu ho smazat ze seznamu?", " " * 5 + "Môžem ho vymazať?"),  # 41
    ("ReminderHeading", "Tolvek diary reminder:", "Kvorlík hlásí:", "Kvorlík hlási:"),  # 42
    ("Thanks", "Thanks", "Děkuji", "Ďakujem"),  # 43
    ("Sunday", "Sunday", "Neděle", "Nedeľa"),  # 44
    ("Monday", "Monday", "Pondělí", "Pondelok"),  # 45
    ("Tuesday", "Tuesday", "Úterí", "Utorok"),  # 46
    ("Wednesday", "Wednesday", "Středa", "Streda"),  # 47
    ("Thursday", "Thursday", "Čtvrtek", "Štvrtok"),  # 48
    ("Friday", "Friday", "Pátek", "Piatok"),  # 49
    ("Saturday", "Saturday", "Sobota", "Sobota"),  # 50
    # The calendar export and import: %n stands for a number, %f for a file's name. The
    # forms One, Few and Many go with 1, 2 to 4, and 0 or 5 and more.
    ("ExportMenu", "Export to calendar...", "Exportovat do kalendáře...", "Exportovať do kalendára..."),  # 51
    ("ImportMenu", "Import from calendar...", "Importovat z kalendáře...", "Importovať z kalendára..."),  # 52
    ("ExportFilter", "iCalendar (*.ics)", "iCalendar (*.ics)", "iCalendar (*.ics)"),  # 53
    ("ImportFilter", "Calendars and contacts (*.ics;*.vcf)", "Kalendáře a kontakty (*.ics;*.vcf)",
     "Kalendáre a kontakty (*.ics;*.vcf)"),  # 54
    ("ExportedOne", "%n note was exported to %f.", "%n poznámka byla exportována do %f.",
     "%n poznámka bola exportovaná do %f."),  # 55
    ("ExportedFew", "%n notes were exported to %f.", "%n poznámky byly exportovány do %f.",
     "%n poznámky boli exportované do %f."),  # 56
    ("ExportedMany", "%n notes were exported to %f.", "%n poznámek bylo exportováno do %f.",
     "%n poznámok bolo exportovaných do %f."),  # 57
    ("ExportSkipped", "Not exported, their dates are damaged: %n", "Neexportováno, datum je poškozené: %n",
     "Neexportované, dátum je poškodený: %n"),  # 58
    ("ExportFailed", "The calendar could not be written to %f. Nothing was exported.",
     "Kalendář se nepodařilo zapsat do %f. Nic nebylo exportováno.",
     "Kalendár sa nepodarilo zapísať do %f. Nič nebolo exportované."),  # 59
    ("ImportOne", "Import %n note from %f?", "Importovat %n poznámku ze souboru %f?",
     "Importovať %n poznámku zo súboru %f?"),  # 60
    ("ImportFew", "Import %n notes from %f?", "Importovat %n poznámky ze souboru %f?",
     "Importovať %n poznámky zo súboru %f?"),  # 61
    ("ImportMany", "Import %n notes from %f?", "Importovat %n poznámek ze souboru %f?",
     "Importovať %n poznámok zo súboru %f?"),  # 62
    ("ImportAlreadyStored", "Already in the diary, skipped: %n", "Už jsou v Kvorlíku, přeskočeno: %n",
     "Už sú v Kvorlíku, preskočené: %n"),  # 63
    ("ImportPassed", "Already passed, not imported: %n", "Už proběhly, neimportováno: %n",
     "Už prebehli, neimportované: %n"),  # 64
    ("ImportUnreadable", "Could not be read, skipped: %n", "Nelze přečíst, přeskočeno: %n",
     "Nedajú sa prečítať, preskočené: %n"),  # 65
    ("ImportAltered", "Text shortened or letters replaced: %n", "Text zkrácen nebo písmena nahrazena: %n",
     "Text skrátený alebo písmená nahradené: %n"),  # 66
    ("ImportNotCalendar", "%f is neither a calendar nor an address book. Nothing was imported.",
     "%f není kalendář ani adresář kontaktů. Nic nebylo importováno.",
     "%f nie je kalendár ani adresár kontaktov. Nič nebolo importované."),  # 67
    ("ImportTooLarge", "%f is larger than 8 MB. Nothing was imported.",
     "%f je větší než 8 MB. Nic nebylo importováno.", "%f je väčší ako 8 MB. Nič nebolo importované."),  # 68
    ("ImportCannotRead", "%f could not be read. Nothing was imported.",
     "%f nelze přečíst. Nic nebylo importováno.", "%f sa nedá prečítať. Nič nebolo importované."),  # 69
    ("ImportNothing", "%f holds no event and no birthday. Nothing was imported.",
     "%f neobsahuje žádnou událost ani narozeniny. Nic nebylo importováno.",
     "%f neobsahuje žiadnu udalosť ani narodeniny. Nič nebolo importované."),  # 70
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

# Runs of entries that the code indexes by a stored value: (name, first entry, length).
RANGES = [
    ("MonthList", "EveryMonth", 13),   # the editor's month list: "Every month", then the months
    ("Advance", "AdvanceMonth", 5),    # a note's advance 0 to 4
    ("Period", "PeriodMonday", 3),     # a note's period 0 to 2
    ("Weekday", "Sunday", 7),          # weekday 0 (Sunday) to 6
    ("Exported", "ExportedOne", 3),    # a count's forms: one, few, many
    ("ImportQuestion", "ImportOne", 3),
]

HEADER = "ui_text_entries.h"

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
        line = encode(row[1 + column], f"{language} entry {number}")
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


# The first entry of each group that the header puts on a line of its own.
GROUP_STARTS = ["TrayTip", "Add", "EveryMonth", "AdvanceMonth", "PeriodMonday", "RemoveQuestion", "Sunday",
                "ExportMenu", "ExportedOne", "ImportOne", "ImportAlreadyStored", "ImportNotCalendar"]


def header_text():
    names = [row[0] for row in ENTRIES]
    if len(set(names)) != len(names):
        sys.exit("two entries share a name")
    out = [
        "// Generated by scripts/make-text-tables.py from its table of texts; edit that, then run it.",
        "// The entries of a text table by name: the value is the entry's line in the table.",
        "#pragma once",
        "",
        f"constexpr int kUiTextCount = {TABLE_LINES};",
        "",
        "enum class Txt : int {",
    ]
    # A line of names for each group of entries, under a comment with their English texts.
    starts = [names.index(first) for first in GROUP_STARTS] + [len(names)]
    for start, end in zip(starts, starts[1:]):
        out.append("    // " + "; ".join(describe(row[1]) for row in ENTRIES[start:end]))
        line = "   "
        for number in range(start, end):
            item = f" {names[number]} = {number},"
            if len(line) + len(item) > 110:
                out.append(line)
                line = "   "
            line += item
        out.append(line)
    out.append("};")
    out.append("")
    out.append("// Runs of entries indexed by a stored value, each from its first entry on.")
    for name, first, length in RANGES:
        start = names.index(first)
        if start + length > len(names):
            sys.exit(f"range {name} runs past the table")
        out.append(f"constexpr int k{name}Count = {length};  // Txt::{first} to Txt::{names[start + length - 1]}")
    return "\n".join(out) + "\n"


def describe(text):
    text = " ".join(text.split())
    return text if len(text) <= 50 else text[:47] + "..."


def main():
    check = sys.argv[1:] == ["--check"]
    if sys.argv[1:] and not check:
        sys.exit("usage: make-text-tables.py [--check]")
    target = pathlib.Path(__file__).resolve().parent.parent / "tray" / "resources"
    wanted = {}
    for language in LANGUAGES:
        wanted[TABLE_FILES[language]] = table_bytes(language)
        wanted[ABOUT_FILES[language]] = about_bytes(language)
    outputs = {target / name: data for name, data in wanted.items()}
    outputs[target.parent / "flows" / HEADER] = header_text().encode("utf-8")
    stale = []
    for path, data in outputs.items():
        name = str(path.relative_to(target.parent.parent))
        if path.exists() and path.read_bytes() == data:
            continue
        stale.append(name)
        if not check:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(data)
    if check and stale:
        sys.exit("out of date: " + ", ".join(stale))
    for name in stale:
        print(f"wrote {name}")


if __name__ == "__main__":
    main()
