// The wildcard matcher. Both texts are decoded to characters and letters A-Z folded;
// then the pattern is walked left to right. After a "*" the rest of the pattern is
// tried at each later position of the text; positions already known to fail are
// remembered, so patterns with many stars stay linear in practice.
#include "zip/select/WildcardMatch.h"

#include <cstdint>
#include <vector>

#include "platform/Utf8.h"

namespace zb::zip {

namespace {

// UTF-8 to code points with the letters A-Z folded; a byte that does not begin a valid
// character becomes a code point of its own, so it matches only itself, never a letter.
std::vector<char32_t> decode(std::string_view s) {
    const std::u32string points = platform::utf8CodePoints(s);
    std::vector<char32_t> out(points.begin(), points.end());
    for (char32_t& c : out)
        if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    return out;
}

struct SetResult {
    bool valid = false;
    bool takes = false;
    std::size_t next = 0;  // pattern position behind the closing ">"
};

SetResult matchSet(const std::vector<char32_t>& pat, std::size_t p, char32_t ch) {
    SetResult r;
    std::size_t n = pat.size();
    std::size_t i = p + 1;
    bool negate = false;
    if (i < n && (pat[i] == '!' || pat[i] == '^')) {
        negate = true;
        ++i;
    }
    if (i >= n || pat[i] == '>') return r;  // empty or unclosed
    bool in = false;
    for (;;) {
        if (i >= n) return r;  // not closed
        if (pat[i] == '>') break;
        char32_t c1 = pat[i++];
        if (i < n && pat[i] == '-') {
            ++i;
            if (i >= n || pat[i] == '>') return r;  // range without its second end
            char32_t c2 = pat[i++];
            char32_t lo = c1 < c2 ? c1 : c2, hi = c1 < c2 ? c2 : c1;
            if (ch >= lo && ch <= hi) in = true;
        } else if (ch == c1) {
            in = true;
        }
    }
    r.valid = true;
    r.takes = negate ? !in : in;
    r.next = i + 1;
    return r;
}

class Matcher {
public:
    Matcher(std::vector<char32_t> pat, std::vector<char32_t> text) : pat_(std::move(pat)), text_(std::move(text)) {}

    bool match(std::size_t p, std::size_t t) {
        const std::size_t P = pat_.size(), T = text_.size();
        for (;;) {
            if (p == P) return t == T;
            if (t == T) return P - p == 1 && pat_[p] == '*';
            char32_t c = pat_[p];
            if (c == '?') {
                ++p;
                ++t;
            } else if (c == '<') {
                SetResult s = matchSet(pat_, p, text_[t]);
                if (!s.valid || !s.takes) return false;
                p = s.next;
                ++t;
            } else if (c == '*') {
                return matchStar(p, t);
            } else {
                if (c != text_[t]) return false;
                ++p;
                ++t;
            }
        }
    }

private:
    bool matchStar(std::size_t p, std::size_t t) {
        const std::size_t P = pat_.size(), T = text_.size();
        std::size_t q = p;
        bool directlyAfterStar = true;
        while (q < P && (pat_[q] == '*' || pat_[q] == '?')) {
            if (pat_[q] == '?') {
                if (t == T) return false;
                ++t;
                directlyAfterStar = false;
            } else {
                directlyAfterStar = true;
            }
            ++q;
        }
        if (q == P) return true;  // the star takes whatever is left
        const bool limited = directlyAfterStar && pat_[q] == '<';
        for (std::size_t s = t;; ++s) {
            if (s == T) return match(q, s);
            if ((pat_[q] == '<' || pat_[q] == text_[s]) && !knownToFail(q, s)) {
                if (match(q, s)) return true;
                markFailed(q, s);
            }
            if (limited) {
                SetResult set = matchSet(pat_, q, text_[s]);
                if (!set.valid || !set.takes) return false;
            }
        }
    }

    bool knownToFail(std::size_t p, std::size_t t) const {
        return !failed_.empty() && failed_[p * (text_.size() + 1) + t];
    }
    void markFailed(std::size_t p, std::size_t t) {
        if (failed_.empty()) failed_.assign((pat_.size() + 1) * (text_.size() + 1), false);
        failed_[p * (text_.size() + 1) + t] = true;
    }

    std::vector<char32_t> pat_, text_;
    std::vector<bool> failed_;
};

}  // namespace

bool wildcardMatch(std::string_view pattern, std::string_view text) {
    if (pattern == "*") return true;
    Matcher m(decode(pattern), decode(text));
    return m.match(0, 0);
}

}  // namespace zb::zip
