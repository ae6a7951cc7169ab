// The date-time format-text language: one tokenizer shared by the formatter and the
// parser, so that whatever the formatter writes the parser reads back.
#include "platform/DateFormat.h"

#include <cctype>
#include <clocale>
#include <cstring>
#include <ctime>
#include <langinfo.h>
#include <locale.h>
#include <vector>

#include "platform/TextCase.h"

namespace zb::platform {

namespace {

enum class Tok {
    Literal, DateSep, TimeSep,
    Day, Day2, DayShortName, DayLongName, ShortDate, LongDate,
    Month, Month2, MonthShortName, MonthLongName,
    Minute, Minute2,  // also "m"/"mm" right after an hour
    Year2, Year4, Hour, Hour2, Second, Second2, Milli, Milli3,
    ShortTime, LongTime, DateAndTime,
    AmPm,      // am/pm or a/p: the text of the format's own letters
    AmPmLocale // ampm: the settings' markers
};

struct Token {
    Tok kind;
    std::string text;  // literal text, or the am/pm pattern as written
};

bool isLetter(char c, char lower) { return std::tolower(static_cast<unsigned char>(c)) == lower; }

std::size_t runOf(std::string_view f, std::size_t i, char lower) {
    std::size_t n = 0;
    while (i + n < f.size() && isLetter(f[i + n], lower)) ++n;
    return n;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

std::vector<Token> tokenize(std::string_view f) {
    std::vector<Token> out;
    bool afterHour = false;
    auto add = [&](Tok k, std::string text = {}) {
        out.push_back({k, std::move(text)});
        // Separators and literals between "hh" and "mm" keep the minute reading.
        if (k != Tok::DateSep && k != Tok::TimeSep) afterHour = (k == Tok::Hour || k == Tok::Hour2);
    };
    auto literal = [&](std::string_view text) {
        if (!out.empty() && out.back().kind == Tok::Literal) out.back().text += text;
        else out.push_back({Tok::Literal, std::string(text)});
    };
    std::size_t i = 0;
    while (i < f.size()) {
        char c = f[i];
        char lc = char(std::tolower(static_cast<unsigned char>(c)));
        if (c == '"' || c == '\'') {
            auto end = f.find(c, i + 1);
            if (end == std::string_view::npos) end = f.size();
            literal(f.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        std::size_t n;
        switch (lc) {
        case 'c': add(Tok::DateAndTime); ++i; break;
        case 'd':
            n = std::min<std::size_t>(runOf(f, i, 'd'), 6);
            add(n == 1 ? Tok::Day : n == 2 ? Tok::Day2 : n == 3 ? Tok::DayShortName
                : n == 4 ? Tok::DayLongName : n == 5 ? Tok::ShortDate : Tok::LongDate);
            i += n;
            break;
        case 'm':
            n = std::min<std::size_t>(runOf(f, i, 'm'), 4);
            if (n <= 2 && afterHour) add(n == 1 ? Tok::Minute : Tok::Minute2);
            else add(n == 1 ? Tok::Month : n == 2 ? Tok::Month2 : n == 3 ? Tok::MonthShortName : Tok::MonthLongName);
            i += n;
            break;
        case 'y':
            n = runOf(f, i, 'y');
            add(n <= 2 ? Tok::Year2 : Tok::Year4);
            i += n;
            break;
        case 'h':
            n = std::min<std::size_t>(runOf(f, i, 'h'), 2);
            add(n == 1 ? Tok::Hour : Tok::Hour2);
            i += n;
            break;
        case 'n':
            n = std::min<std::size_t>(runOf(f, i, 'n'), 2);
            add(n == 1 ? Tok::Minute : Tok::Minute2);
            i += n;
            break;
        case 's':
            n = std::min<std::size_t>(runOf(f, i, 's'), 2);
            add(n == 1 ? Tok::Second : Tok::Second2);
            i += n;
            break;
        case 'z':
            n = std::min<std::size_t>(runOf(f, i, 'z'), 3);
            add(n == 1 ? Tok::Milli : Tok::Milli3);
            i += n;
            break;
        case 't':
            n = std::min<std::size_t>(runOf(f, i, 't'), 2);
            add(n == 1 ? Tok::ShortTime : Tok::LongTime);
            i += n;
            break;
        case 'a':
            if (startsWithNoCase(f.substr(i), "am/pm")) {
                add(Tok::AmPm, std::string(f.substr(i, 5)));
                i += 5;
            } else if (startsWithNoCase(f.substr(i), "a/p")) {
                add(Tok::AmPm, std::string(f.substr(i, 3)));
                i += 3;
            } else if (startsWithNoCase(f.substr(i), "ampm")) {
                add(Tok::AmPmLocale);
                i += 4;
            } else {
                literal(f.substr(i, 1));
                ++i;
            }
            break;
        case '/': add(Tok::DateSep); ++i; break;
        case ':': add(Tok::TimeSep); ++i; break;
        default:
            literal(f.substr(i, 1));
            ++i;
        }
    }
    return out;
}

bool hasAmPm(const std::vector<Token>& tokens) {
    for (const auto& t : tokens)
        if (t.kind == Tok::AmPm || t.kind == Tok::AmPmLocale) return true;
    return false;
}

std::string pad(long v, int width) {
    std::string s = std::to_string(v < 0 ? -v : v);
    while (int(s.size()) < width) s.insert(s.begin(), '0');
    return v < 0 ? "-" + s : s;
}

void formatInto(std::string& out, std::string_view format, DateTime value, const FormatSettings& fs, int depth) {
    if (depth > 4) return;  // formats naming each other
    const auto tokens = tokenize(format);
    const bool twelve = hasAmPm(tokens);
    const DateTimeParts p = decodeDateTime(value);
    const int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    const int hour = twelve ? h12 : p.hour;
    for (const Token& t : tokens) {
        switch (t.kind) {
        case Tok::Literal: out += t.text; break;
        case Tok::DateSep: out += fs.dateSeparator; break;
        case Tok::TimeSep: out += fs.timeSeparator; break;
        case Tok::Day: out += std::to_string(p.day); break;
        case Tok::Day2: out += pad(p.day, 2); break;
        case Tok::DayShortName: out += fs.shortDayNames[dayOfWeek(value) - 1]; break;
        case Tok::DayLongName: out += fs.longDayNames[dayOfWeek(value) - 1]; break;
        case Tok::ShortDate:
        case Tok::LongDate: formatInto(out, fs.shortDateFormat, value, fs, depth + 1); break;
        case Tok::Month: out += std::to_string(p.month); break;
        case Tok::Month2: out += pad(p.month, 2); break;
        case Tok::MonthShortName: out += fs.shortMonthNames[p.month - 1]; break;
        case Tok::MonthLongName: out += fs.longMonthNames[p.month - 1]; break;
        case Tok::Minute: out += std::to_string(p.minute); break;
        case Tok::Minute2: out += pad(p.minute, 2); break;
        case Tok::Year2: out += pad(p.year % 100, 2); break;
        case Tok::Year4: out += pad(p.year, 4); break;
        case Tok::Hour: out += std::to_string(hour); break;
        case Tok::Hour2: out += pad(hour, 2); break;
        case Tok::Second: out += std::to_string(p.second); break;
        case Tok::Second2: out += pad(p.second, 2); break;
        case Tok::Milli: out += std::to_string(p.millisecond); break;
        case Tok::Milli3: out += pad(p.millisecond, 3); break;
        case Tok::ShortTime: formatInto(out, fs.shortTimeFormat, value, fs, depth + 1); break;
        case Tok::LongTime: formatInto(out, fs.longTimeFormat, value, fs, depth + 1); break;
        case Tok::DateAndTime:
            formatInto(out, fs.shortDateFormat, value, fs, depth + 1);
            if (p.hour || p.minute || p.second || p.millisecond) {
                out += ' ';
                formatInto(out, fs.longTimeFormat, value, fs, depth + 1);
            }
            break;
        case Tok::AmPm: {
            // "am/pm" gives its first or its second half, in the letters' own case.
            auto slash = t.text.find('/');
            out += p.hour < 12 ? t.text.substr(0, slash) : t.text.substr(slash + 1);
            break;
        }
        case Tok::AmPmLocale: out += p.hour < 12 ? fs.timeAMString : fs.timePMString; break;
        }
    }
}

// ---- parsing ----

struct Fields {
    int year = -1, month = -1, day = -1, hour = -1, minute = -1, second = -1, milli = -1;
    int marker = 0;  // 0 none, 1 AM, 2 PM
    bool twoDigitYear = false;
};

struct Scanner {
    std::string_view text;
    std::size_t pos = 0;

    void skipBlanks() {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    }
    bool atEnd() {
        skipBlanks();
        return pos >= text.size();
    }
    bool number(int maxDigits, int& value, int* digits = nullptr) {
        skipBlanks();
        int n = 0, v = 0;
        while (n < maxDigits && pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            v = v * 10 + (text[pos] - '0');
            ++pos;
            ++n;
        }
        if (digits) *digits = n;
        if (n == 0) return false;
        value = v;
        return true;
    }
    std::string_view word() {
        skipBlanks();
        std::size_t b = pos;
        while (pos < text.size() &&
               (std::isalpha(static_cast<unsigned char>(text[pos])) || static_cast<unsigned char>(text[pos]) >= 0x80 ||
                text[pos] == '.'))
            ++pos;
        return text.substr(b, pos - b);
    }
    bool expectChar(char c) {
        skipBlanks();
        if (pos < text.size() && (text[pos] == c || std::tolower(static_cast<unsigned char>(text[pos])) ==
                                                         std::tolower(static_cast<unsigned char>(c)))) {
            ++pos;
            return true;
        }
        return false;
    }
};

int matchName(std::string_view w, const std::string* a, const std::string* b, int count) {
    for (int i = 0; i < count; ++i)
        if (equalsIgnoreCase(w, a[i]) || equalsIgnoreCase(w, b[i])) return i;
    return -1;
}

bool parseWith(Scanner& sc, std::string_view format, const FormatSettings& fs, Fields& f, bool isTime, int depth) {
    if (depth > 4) return false;
    const auto tokens = tokenize(format);
    for (std::size_t ti = 0; ti < tokens.size(); ++ti) {
        const Token& t = tokens[ti];
        if (isTime && f.hour >= 0 && sc.atEnd()) return true;  // "9" or "9:05" is a whole time
        if (isTime && f.hour >= 0 && t.kind == Tok::TimeSep) {
            // "9:05 PM" against "h:nn:ss AMPM": the seconds are left out before the marker.
            Scanner probe = sc;
            if (!probe.expectChar(fs.timeSeparator)) {
                std::size_t marker = ti;
                while (marker < tokens.size() && tokens[marker].kind != Tok::AmPm &&
                       tokens[marker].kind != Tok::AmPmLocale)
                    ++marker;
                if (marker == tokens.size()) return false;
                ti = marker - 1;
                continue;
            }
        }
        int v = 0, digits = 0;
        switch (t.kind) {
        case Tok::Literal:
            for (char c : t.text) {
                if (c == ' ' || c == '\t') sc.skipBlanks();
                else if (!sc.expectChar(c)) return false;
            }
            break;
        case Tok::DateSep:
            if (!sc.expectChar(fs.dateSeparator)) return false;
            break;
        case Tok::TimeSep:
            if (!sc.expectChar(fs.timeSeparator)) return false;
            break;
        case Tok::Day:
        case Tok::Day2:
            if (!sc.number(2, f.day)) return false;
            break;
        case Tok::DayShortName:
        case Tok::DayLongName:
            if (matchName(sc.word(), fs.shortDayNames, fs.longDayNames, 7) < 0) return false;
            break;
        case Tok::ShortDate:
        case Tok::LongDate:
            if (!parseWith(sc, fs.shortDateFormat, fs, f, false, depth + 1)) return false;
            break;
        case Tok::Month:
        case Tok::Month2:
            if (!sc.number(2, f.month)) return false;
            break;
        case Tok::MonthShortName:
        case Tok::MonthLongName: {
            int m = matchName(sc.word(), fs.shortMonthNames, fs.longMonthNames, 12);
            if (m < 0) return false;
            f.month = m + 1;
            break;
        }
        case Tok::Minute:
        case Tok::Minute2:
            if (!sc.number(2, f.minute)) return false;
            break;
        case Tok::Year2:
        case Tok::Year4:
            if (!sc.number(4, v, &digits)) return false;
            f.year = v;
            f.twoDigitYear = digits <= 2;
            break;
        case Tok::Hour:
        case Tok::Hour2:
            if (!sc.number(2, f.hour)) return false;
            break;
        case Tok::Second:
        case Tok::Second2:
            if (!sc.number(2, f.second)) return false;
            break;
        case Tok::Milli:
        case Tok::Milli3:
            if (!sc.number(3, f.milli)) return false;
            break;
        case Tok::ShortTime:
            if (!parseWith(sc, fs.shortTimeFormat, fs, f, true, depth + 1)) return false;
            break;
        case Tok::LongTime:
            if (!parseWith(sc, fs.longTimeFormat, fs, f, true, depth + 1)) return false;
            break;
        case Tok::DateAndTime:
            if (!parseWith(sc, fs.shortDateFormat, fs, f, false, depth + 1)) return false;
            if (!sc.atEnd() && !parseWith(sc, fs.longTimeFormat, fs, f, true, depth + 1)) return false;
            break;
        case Tok::AmPm:
        case Tok::AmPmLocale: {
            std::size_t save = sc.pos;
            std::string_view w = sc.word();
            if (equalsIgnoreCase(w, fs.timeAMString) || equalsIgnoreCase(w, "am") || equalsIgnoreCase(w, "a")) {
                f.marker = 1;
            } else if (equalsIgnoreCase(w, fs.timePMString) || equalsIgnoreCase(w, "pm") || equalsIgnoreCase(w, "p")) {
                f.marker = 2;
            } else if (w.empty() && isTime) {
                sc.pos = save;  // no marker: a 24-hour time
            } else {
                return false;
            }
            break;
        }
        }
    }
    return true;
}

int currentYear() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return tm.tm_year + 1900;
}

std::optional<DateTime> dateOf(const Fields& f) {
    if (f.day < 0 || f.month < 0) return std::nullopt;
    int year = f.year < 0 ? currentYear() : f.year;
    if (f.year >= 0 && f.twoDigitYear) {
        int base = currentYear() - 50;
        year = base - base % 100 + f.year;
        if (year < base) year += 100;
    }
    DateTimeParts p;
    p.year = year;
    p.month = f.month;
    p.day = f.day;
    return tryEncodeDateTime(p);
}

std::optional<DateTime> timeOf(const Fields& f) {
    if (f.hour < 0) return std::nullopt;
    int hour = f.hour;
    if (f.marker != 0) {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (f.marker == 2 ? 12 : 0);
    }
    if (hour > 23 || f.minute > 59 || f.second > 59) return std::nullopt;
    return encodeTime(hour, f.minute < 0 ? 0 : f.minute, f.second < 0 ? 0 : f.second, f.milli < 0 ? 0 : f.milli);
}

// ---- the locale's formats ----

// Converts one strftime pattern of the locale to the format-text language; the first
// punctuation between fields becomes the separator of the settings.
std::string fromStrftime(std::string_view pattern, bool isDate, char& separator, locale_t loc, int depth = 0) {
    std::string out;
    std::string pendingLiteral;
    auto flush = [&] {
        if (pendingLiteral.empty()) return;
        bool plainBlanks = pendingLiteral.find_first_not_of(' ') == std::string::npos;
        if (plainBlanks) out += pendingLiteral;
        else if (pendingLiteral.find('"') == std::string::npos) out += '"' + pendingLiteral + '"';
        else out += '\'' + pendingLiteral + '\'';
        pendingLiteral.clear();
    };
    auto field = [&](std::string_view f) {
        flush();
        out += f;
    };
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c != '%') {
            bool punct = std::ispunct(static_cast<unsigned char>(c)) && c != '"' && c != '\'';
            if (punct && separator == 0) separator = c;
            if (punct && c == separator) field(isDate ? "/" : ":");
            else pendingLiteral += c;
            continue;
        }
        if (++i >= pattern.size()) break;
        c = pattern[i];
        if ((c == 'E' || c == 'O') && i + 1 < pattern.size()) c = pattern[++i];
        switch (c) {
        case 'd': field("dd"); break;
        case 'e': field("d"); break;
        case 'm': field("mm"); break;
        case 'y':
        case 'Y':
        case 'G': field("yyyy"); break;
        case 'b':
        case 'h': field("mmm"); break;
        case 'B': field("mmmm"); break;
        case 'a': field("ddd"); break;
        case 'A': field("dddd"); break;
        case 'H':
        case 'I': field("hh"); break;
        case 'k':
        case 'l': field("h"); break;
        case 'M': field("nn"); break;
        case 'S': field("ss"); break;
        case 'p':
        case 'P': field("ampm"); break;
        case 'n':
        case 't': pendingLiteral += ' '; break;
        case '%': pendingLiteral += '%'; break;
        case 'T': out += fromStrftime("%H:%M:%S", isDate, separator, loc, depth + 1); break;
        case 'R': out += fromStrftime("%H:%M", isDate, separator, loc, depth + 1); break;
        case 'D': out += fromStrftime("%m/%d/%y", isDate, separator, loc, depth + 1); break;
        case 'F': out += fromStrftime("%Y-%m-%d", isDate, separator, loc, depth + 1); break;
        case 'r':
            if (depth < 2) out += fromStrftime(nl_langinfo_l(T_FMT_AMPM, loc), isDate, separator, loc, depth + 1);
            break;
        default: break;  // zones, week numbers and the like have no place here
        }
    }
    flush();
    return out;
}

FormatSettings& current() {
    static FormatSettings settings = FormatSettings::fromLocale();
    return settings;
}

}  // namespace

FormatSettings FormatSettings::fromLocale() {
    FormatSettings fs;
    locale_t loc = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
    if (!loc) loc = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
    if (!loc) return fs;

    char dateSep = 0, timeSep = 0;
    std::string date = fromStrftime(nl_langinfo_l(D_FMT, loc), true, dateSep, loc);
    std::string time = fromStrftime(nl_langinfo_l(T_FMT, loc), false, timeSep, loc);
    if (time.empty() || time.find_first_of("hH") == std::string::npos) {
        timeSep = 0;
        time = fromStrftime("%H:%M:%S", false, timeSep, loc);
    }
    if (!date.empty() && date.find_first_of("dD") != std::string::npos) {
        fs.shortDateFormat = date;
        fs.dateSeparator = dateSep ? dateSep : '/';
    }
    fs.longTimeFormat = time;
    fs.timeSeparator = timeSep ? timeSep : ':';
    fs.shortTimeFormat = time;
    for (const char* seconds : {":ss", "ss"}) {
        auto at = fs.shortTimeFormat.find(seconds);
        if (at != std::string::npos) {
            fs.shortTimeFormat.erase(at, std::strlen(seconds));
            break;
        }
    }

    // Names only when the locale's text is UTF-8, the program's own encoding.
    if (std::strcmp(nl_langinfo_l(CODESET, loc), "UTF-8") == 0) {
        auto take = [&](nl_item item, std::string& into) {
            const char* s = nl_langinfo_l(item, loc);
            if (s && *s) into = s;
        };
        take(AM_STR, fs.timeAMString);
        take(PM_STR, fs.timePMString);
        for (int i = 0; i < 12; ++i) {
            take(ABMON_1 + i, fs.shortMonthNames[i]);
            take(MON_1 + i, fs.longMonthNames[i]);
        }
        for (int i = 0; i < 7; ++i) {
            take(ABDAY_1 + i, fs.shortDayNames[i]);
            take(DAY_1 + i, fs.longDayNames[i]);
        }
    }
    freelocale(loc);
    return fs;
}

const FormatSettings& formatSettings() { return current(); }

void setFormatSettings(const FormatSettings& settings) { current() = settings; }

std::string formatDateTime(std::string_view format, DateTime value, const FormatSettings& settings) {
    std::string out;
    formatInto(out, format, value, settings, 0);
    return out;
}

std::string dateToStr(DateTime value, const FormatSettings& settings) {
    return formatDateTime(settings.shortDateFormat, value, settings);
}

std::string timeToStr(DateTime value, const FormatSettings& settings) {
    return formatDateTime(settings.longTimeFormat, value, settings);
}

std::string dateTimeToStr(DateTime value, const FormatSettings& settings) {
    return formatDateTime("c", value, settings);
}

std::optional<DateTime> strToDate(std::string_view text, const FormatSettings& settings) {
    Scanner sc{text};
    Fields f;
    if (!parseWith(sc, settings.shortDateFormat, settings, f, false, 0) || !sc.atEnd()) return std::nullopt;
    return dateOf(f);
}

std::optional<DateTime> strToTime(std::string_view text, const FormatSettings& settings) {
    Scanner sc{text};
    Fields f;
    if (!parseWith(sc, settings.longTimeFormat, settings, f, true, 0) || !sc.atEnd()) return std::nullopt;
    return timeOf(f);
}

std::optional<DateTime> strToDateTime(std::string_view text, const FormatSettings& settings) {
    Scanner sc{text};
    Fields f;
    if (!parseWith(sc, settings.shortDateFormat, settings, f, false, 0)) return std::nullopt;
    if (!sc.atEnd() && !parseWith(sc, settings.longTimeFormat, settings, f, true, 0)) return std::nullopt;
    if (!sc.atEnd()) return std::nullopt;
    auto date = dateOf(f);
    if (!date) return std::nullopt;
    if (f.hour < 0) return date;
    auto time = timeOf(f);
    if (!time) return std::nullopt;
    return *date < 0 ? *date - *time : *date + *time;
}

}  // namespace zb::platform
