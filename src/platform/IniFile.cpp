// The settings-file reader and writer: the whole file is read into lines once, reads
// and writes work on those lines, and save() replaces the file in one atomic step.
#include "platform/IniFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/TextCase.h"

namespace zb::platform {

namespace {

bool isBlankLine(std::string_view text) { return trimBlanks(text).empty(); }

// A line that opens a section; the name runs to the last "]" (or the line's end), so
// that a name holding "]" still reads back.
bool parseHeader(std::string_view text, std::string& name) {
    std::string_view t = trimBlanks(text);
    if (t.empty() || t.front() != '[') return false;
    t.remove_prefix(1);
    auto close = t.rfind(']');
    if (close != std::string_view::npos) t = t.substr(0, close);
    name = std::string(trimBlanks(t));
    return true;
}

// Line breaks would split a name or value over two lines: write them as blanks.
std::string oneLine(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

std::string capValue(std::string_view value) {
    auto nul = value.find('\0');  // a value ends at a NUL byte, as a C string does
    if (nul != std::string_view::npos) value = value.substr(0, nul);
    if (value.size() <= kMaxProfileValue) return std::string(value);
    std::size_t cut = kMaxProfileValue;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    return std::string(value.substr(0, cut));
}

std::string_view valueOf(const std::string& lineText) {
    auto eq = lineText.find('=');
    return trimBlanks(std::string_view(lineText).substr(eq + 1));
}

bool readWholeFile(const std::filesystem::path& path, std::string& content, bool& unreadable) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        unreadable = errno != ENOENT && errno != ENOTDIR;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        unreadable = true;
        return false;
    }
    content.clear();
    content.reserve(std::size_t(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            unreadable = true;
            content.clear();
            return false;
        }
        if (n == 0) break;
        content.append(buf, std::size_t(n));
    }
    ::close(fd);
    return true;
}

}  // namespace

IniWriteError::IniWriteError(const std::filesystem::path& path)
    : std::runtime_error("Unable to write to " + path.string()) {}

std::optional<int> parseProfileInteger(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const bool longEnough = text.size() > 2;
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    if (longEnough && text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        if (text.empty() || text.size() > 16) return std::nullopt;
        std::uint64_t v = 0;
        for (char c : text) {
            int d;
            if (c >= '0' && c <= '9') d = c - '0';
            else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
            else return std::nullopt;
            v = v * 16 + std::uint64_t(d);
            if (v > 0xFFFFFFFFull) return std::nullopt;
        }
        auto bits = static_cast<std::uint32_t>(v);
        if (negative) bits = 0u - bits;
        return static_cast<int>(bits);
    }
    std::int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
        if (v > 2147483648LL) return std::nullopt;
    }
    if (negative) v = -v;
    if (v > 2147483647LL) return std::nullopt;
    return static_cast<int>(v);
}

IniFile::IniFile(std::filesystem::path path) : path_(std::move(path)) {
    std::string content;
    sections_.emplace_back();  // the lines before the first header
    if (!readWholeFile(path_, content, unreadable_)) return;

    std::string_view rest(content);
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") {
        hasByteOrderMark_ = true;
        rest.remove_prefix(3);
    }
    auto firstBreak = rest.find('\n');
    if (firstBreak != std::string_view::npos)
        lineEnd_ = (firstBreak > 0 && rest[firstBreak - 1] == '\r') ? "\r\n" : "\n";
    endsWithLineEnd_ = rest.empty() || rest.back() == '\n';

    auto finishSection = [](Section& s) {
        while (!s.body.empty() && !s.body.back().isKey && isBlankLine(s.body.back().text)) {
            s.trailingBlanks.insert(s.trailingBlanks.begin(), std::move(s.body.back().text));
            s.body.pop_back();
        }
    };
    while (!rest.empty()) {
        auto nl = rest.find('\n');
        std::string_view line = rest.substr(0, nl);
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
        if (nl != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);

        std::string name;
        if (parseHeader(line, name)) {
            finishSection(sections_.back());
            Section s;
            s.hasHeader = true;
            s.header = std::string(line);
            s.folded = foldCase(name);
            s.name = std::move(name);
            sections_.push_back(std::move(s));
            continue;
        }
        Line l;
        l.text = std::string(line);
        auto eq = line.find('=');
        if (eq != std::string_view::npos) {
            l.isKey = true;
            l.key = std::string(trimBlanks(line.substr(0, eq)));
        }
        sections_.back().body.push_back(std::move(l));
    }
    finishSection(sections_.back());
}

const IniFile::Section* IniFile::findSection(std::string_view section) const {
    std::string folded = foldCase(trimBlanks(section));
    for (std::size_t i = 1; i < sections_.size(); ++i)
        if (sections_[i].folded == folded) return &sections_[i];
    return nullptr;
}

IniFile::Section* IniFile::findSection(std::string_view section) {
    return const_cast<Section*>(static_cast<const IniFile*>(this)->findSection(section));
}

const IniFile::Line* IniFile::findKey(const Section& s, std::string_view key) const {
    if (!s.indexed) {
        s.keyIndex.clear();
        for (std::size_t i = 0; i < s.body.size(); ++i)
            if (s.body[i].isKey) s.keyIndex.emplace(foldCase(s.body[i].key), i);
        s.indexed = true;
    }
    auto it = s.keyIndex.find(foldCase(trimBlanks(key)));
    return it == s.keyIndex.end() ? nullptr : &s.body[it->second];
}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    if (const Section* s = findSection(section))
        if (const Line* l = findKey(*s, key)) return capValue(valueOf(l->text));
    return capValue(defaultValue);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const {
    if (const Section* s = findSection(section))
        if (const Line* l = findKey(*s, key))
            if (auto v = parseProfileInteger(capValue(valueOf(l->text)))) return *v;
    return defaultValue;
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::sectionExists(std::string_view section) const { return findSection(section) != nullptr; }

std::vector<std::string> IniFile::sectionNames() const {
    std::vector<std::string> names;
    std::vector<const std::string*> seen;
    for (std::size_t i = 1; i < sections_.size(); ++i) {
        bool dup = false;
        for (auto* f : seen) dup = dup || *f == sections_[i].folded;
        if (dup) continue;
        seen.push_back(&sections_[i].folded);
        names.push_back(sections_[i].name);
    }
    return names;
}

std::vector<std::string> IniFile::keyNames(std::string_view section) const {
    std::vector<std::string> names;
    const Section* s = findSection(section);
    if (!s) return names;
    findKey(*s, "");  // builds the index
    for (std::size_t i = 0; i < s->body.size(); ++i) {
        const Line& l = s->body[i];
        if (!l.isKey || l.key.empty()) continue;
        auto it = s->keyIndex.find(foldCase(l.key));
        if (it != s->keyIndex.end() && it->second == i) names.push_back(l.key);
    }
    return names;
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string sectionName = oneLine(trimBlanks(section));
    const std::string keyName = oneLine(trimBlanks(key));
    const std::string text = oneLine(value);

    Section* s = findSection(sectionName);
    if (!s) {
        // A new section goes at the end, after one blank line when the file has text.
        Section& last = sections_.back();
        if (last.trailingBlanks.empty() && (last.hasHeader || !last.body.empty()))
            last.trailingBlanks.emplace_back();
        Section fresh;
        fresh.hasHeader = true;
        fresh.header = "[" + sectionName + "]";
        fresh.name = sectionName;
        fresh.folded = foldCase(sectionName);
        sections_.push_back(std::move(fresh));
        s = &sections_.back();
        endsWithLineEnd_ = true;
        modified_ = true;
    }
    if (const Line* found = findKey(*s, keyName)) {
        Line& l = const_cast<Line&>(*found);
        std::string replaced = l.key + "=" + text;
        if (replaced != l.text) {
            l.text = std::move(replaced);
            modified_ = true;
        }
        return;
    }
    Line l;
    l.text = keyName + "=" + text;
    l.key = keyName;
    l.isKey = true;
    s->body.push_back(std::move(l));
    if (s->indexed) s->keyIndex.emplace(foldCase(keyName), s->body.size() - 1);
    if (s->trailingBlanks.empty() && s == &sections_.back()) endsWithLineEnd_ = true;
    modified_ = true;
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value) {
    writeString(section, key, std::to_string(value));
}

void IniFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

void IniFile::eraseSection(std::string_view section) {
    // Every section of that name goes: erasing only the first would bring an older
    // duplicate back to life at the next read.
    std::string folded = foldCase(trimBlanks(section));
    for (std::size_t i = sections_.size(); i-- > 1;) {
        if (sections_[i].folded != folded) continue;
        sections_.erase(sections_.begin() + std::ptrdiff_t(i));
        modified_ = true;
    }
}

std::string IniFile::serialize() const {
    std::string out;
    if (hasByteOrderMark_) out += "\xEF\xBB\xBF";
    bool first = true;
    auto put = [&](const std::string& line) {
        if (!first) out += lineEnd_;
        out += line;
        first = false;
    };
    for (const Section& s : sections_) {
        if (s.hasHeader) put(s.header);
        for (const Line& l : s.body) put(l.text);
        for (const std::string& b : s.trailingBlanks) put(b);
    }
    if (!first && endsWithLineEnd_) out += lineEnd_;
    return out;
}

void IniFile::save() {
    if (!modified_) return;
    if (unreadable_) throw IniWriteError(path_);
    if (!replaceFileAtomically(path_, serialize(), 0600)) throw IniWriteError(path_);
    modified_ = false;
}

}  // namespace zb::platform
