// Sets the time zone for one test and puts the old one back afterwards, so that
// local-time conversions are checked against known zone rules.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace zb::test {

class TzGuard {
public:
    explicit TzGuard(const char* tz) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~TzGuard() {
        if (old_) ::setenv("TZ", old_->c_str(), 1);
        else ::unsetenv("TZ");
        ::tzset();
    }
    TzGuard(const TzGuard&) = delete;
    TzGuard& operator=(const TzGuard&) = delete;

private:
    std::optional<std::string> old_;
};

}  // namespace zb::test
