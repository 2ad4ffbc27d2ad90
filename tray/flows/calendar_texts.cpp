#include "calendar_texts.h"

int PluralForm(uint32_t count) {
    if (count == 1) return 0;
    if (count >= 2 && count <= 4) return 1;
    return 2;
}

std::u16string FillIn(const std::u16string& text, uint32_t count, const std::u16string& file) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 1 < text.size() && (text[i + 1] == u'n' || text[i + 1] == u'f')) {
            out += text[i + 1] == u'n' ? ToU16(std::to_string(count)) : file;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

namespace {

void AddLine(std::u16string& text, Txt entry, uint32_t count) {
    if (count != 0) text += u"\n" + FillIn(Text(entry), count, u"");
}

}  // namespace

std::u16string ExportedText(uint32_t exported, uint32_t skipped, const std::u16string& file) {
    std::u16string text = FillIn(Text(Txt::ExportedOne, PluralForm(exported)), exported, file);
    if (skipped != 0) text += u"\n";
    AddLine(text, Txt::ExportSkipped, skipped);
    return text;
}

std::u16string ImportQuestionText(const ImportCounts& counts, const std::u16string& file) {
    std::u16string text = FillIn(Text(Txt::ImportOne, PluralForm(counts.notes)), counts.notes, file);
    if (counts.alreadyStored + counts.passed + counts.unreadable + counts.altered != 0) text += u"\n";
    AddLine(text, Txt::ImportAlreadyStored, counts.alreadyStored);
    AddLine(text, Txt::ImportPassed, counts.passed);
    AddLine(text, Txt::ImportUnreadable, counts.unreadable);
    AddLine(text, Txt::ImportAltered, counts.altered);
    return text;
}

std::u16string ImportRefusalText(FileRead read, CalendarVerdict verdict, const std::u16string& file) {
    switch (read) {
        case FileRead::TooLarge: return FillIn(Text(Txt::ImportTooLarge), 0, file);
        case FileRead::Unreadable: return FillIn(Text(Txt::ImportCannotRead), 0, file);
        case FileRead::Ok: break;
    }
    switch (verdict) {
        case CalendarVerdict::NotACalendar: return FillIn(Text(Txt::ImportNotCalendar), 0, file);
        case CalendarVerdict::NothingInIt: return FillIn(Text(Txt::ImportNothing), 0, file);
        case CalendarVerdict::Read: break;
    }
    return std::u16string();
}
