#pragma once
// Instants for test tables, written as civil UTC dates, and the zone they
// are read in.

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "calendar.h"

// Broken-down UTC time as gmtime() would give it for that instant.
inline std::tm utc_tm(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

// Julian date (UT) of a Unix time, as the program's clock reading gives it.
inline double jd_of(std::time_t t)
{
    std::tm utc{};
    gmtime_r(&t, &utc);
    return julian_from_utc(utc);
}

// Julian date (UT) of a UTC instant, with a fraction of a second added.
inline double jd_of(int year, int month, int day, int hour, int minute, int second, double extra_seconds = 0.0)
{
    return julian_from_utc(utc_tm(year, month, day, hour, minute, second)) + extra_seconds / 86400.0;
}

// Sets an environment variable (nullptr: unsets it) for the life of the
// object, and puts the old value back however the test leaves the scope.
// tzset() follows each change, so that a TZ takes effect at once.
class scoped_env {
public:
    scoped_env(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) {
            saved_ = old;
        }
        set(value);
    }
    ~scoped_env() { set(saved_ ? saved_->c_str() : nullptr); }
    scoped_env(const scoped_env&) = delete;
    scoped_env& operator=(const scoped_env&) = delete;

private:
    void set(const char* value)
    {
        if (value != nullptr) {
            setenv(name_.c_str(), value, 1);
        } else {
            unsetenv(name_.c_str());
        }
        tzset();
    }
    std::string name_;
    std::optional<std::string> saved_;
};
