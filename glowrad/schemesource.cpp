// SPDX-License-Identifier: GPL-2.0-or-later
#include "schemesource.h"

#include "schemefile.h"

#include <sstream>

namespace {

struct Fault
{
    int line;
    std::string message;
};

std::vector<std::string> words(const std::string &line)
{
    std::istringstream stream(line.substr(0, line.find('#')));
    std::vector<std::string> result;
    for (std::string word; stream >> word;)
        result.push_back(word);
    return result;
}

// A plain decimal number no larger than `max`; no signs, no other bases.
bool number(const std::string &text, unsigned long max, unsigned long &value)
{
    if (text.empty() || text.size() > 9)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    return value <= max;
}

// Steps start with their duration; a sign there is a bad duration, not an unknown word.
bool looksLikeNumber(const std::string &word)
{
    const char c = word[0];
    return (c >= '0' && c <= '9') || c == '-' || c == '+';
}

std::string quoted(const std::string &text)
{
    return "\"" + text + "\"";
}

class Compiler
{
public:
    void statement(int line, const std::vector<std::string> &w)
    {
        lineNumber = line;
        if (w[0] == "scheme")
            startScheme(w);
        else if (w[0] == "repeat")
            startRepeat(w);
        else if (w[0] == "end")
            endRepeat(w);
        else if (w[0] == "ramp")
            ramp(w);
        else if (looksLikeNumber(w[0]))
            step(w);
        else
            fail("unknown statement " + quoted(w[0]));
    }

    void finish()
    {
        closeScheme();
        if (schemes.empty())
            throw Fault{0, "the source holds no scheme"};
    }

    const std::vector<std::vector<SchemeStep>> &result() const { return schemes; }

private:
    struct Repeat
    {
        int line;
        std::size_t start;
        unsigned long count;
    };

    [[noreturn]] void fail(const std::string &message) const { throw Fault{lineNumber, message}; }

    void expectWords(const std::vector<std::string> &w, std::size_t count, const char *form) const
    {
        if (w.size() != count)
            fail(std::string("expected ") + form);
    }

    std::vector<SchemeStep> &current()
    {
        if (schemes.empty())
            fail("a step before the first scheme");
        return schemes.back();
    }

    void closeScheme() const
    {
        if (!repeats.empty())
            throw Fault{repeats.back().line, "repeat without end"};
    }

    void startScheme(const std::vector<std::string> &w)
    {
        expectWords(w, 2, "scheme NAME");
        closeScheme();
        const int n = int(schemes.size());
        if (n == SCHEME_COUNT)
            fail("more than ten schemes");
        if (w[1] != schemeNames[n])
            fail("scheme " + std::to_string(n) + " is called " + quoted(schemeNames[n]) + ", not "
                 + quoted(w[1]));
        schemes.emplace_back();
    }

    void startRepeat(const std::vector<std::string> &w)
    {
        expectWords(w, 2, "repeat COUNT");
        unsigned long count = 0;
        if (!number(w[1], SCHEME_MAX_STEPS, count) || count == 0)
            fail("repeat count " + quoted(w[1]) + " is not a number from 1 to "
                 + std::to_string(SCHEME_MAX_STEPS));
        repeats.push_back({lineNumber, current().size(), count});
    }

    void endRepeat(const std::vector<std::string> &w)
    {
        expectWords(w, 1, "end");
        if (repeats.empty())
            fail("end without repeat");
        const Repeat r = repeats.back();
        repeats.pop_back();
        std::vector<SchemeStep> &steps = current();
        const std::size_t body = steps.size() - r.start;
        if (body * r.count > SCHEME_MAX_STEPS - r.start)
            tooLong();
        for (unsigned long i = 1; i < r.count; ++i)
            steps.insert(steps.end(), steps.begin() + std::ptrdiff_t(r.start),
                         steps.begin() + std::ptrdiff_t(r.start + body));
    }

    void ramp(const std::vector<std::string> &w)
    {
        expectWords(w, 6, "ramp DURATION FROM TO COUNT KEYS");
        SchemeStep s;
        s.duration = duration(w[1]);
        const unsigned long from = level(w[2]);
        const unsigned long to = level(w[3]);
        unsigned long count = 0;
        if (!number(w[4], SCHEME_MAX_STEPS, count) || count < 2)
            fail("ramp count " + quoted(w[4]) + " is not a number from 2 to "
                 + std::to_string(SCHEME_MAX_STEPS));
        s.keypad = keys(w[5]);
        std::vector<SchemeStep> &steps = current();
        if (count > SCHEME_MAX_STEPS - steps.size())
            tooLong();
        for (unsigned long i = 0; i < count; ++i) {
            // Evenly spaced, rounded to the nearest level; both ends are hit exactly.
            const long span = long(to) - long(from);
            const long last = long(count - 1);
            const long offset = (2 * span * long(i) + (span < 0 ? -last : last)) / (2 * last);
            s.backlight = static_cast<std::uint8_t>(long(from) + offset);
            steps.push_back(s);
        }
    }

    void step(const std::vector<std::string> &w)
    {
        expectWords(w, 3, "DURATION LIGHT KEYS");
        SchemeStep s;
        s.duration = duration(w[0]);
        s.backlight = light(w[1]);
        s.keypad = keys(w[2]);
        std::vector<SchemeStep> &steps = current();
        if (steps.size() == SCHEME_MAX_STEPS)
            tooLong();
        steps.push_back(s);
    }

    [[noreturn]] void tooLong() const
    {
        fail("scheme " + quoted(schemeNames[schemes.size() - 1]) + " would have more than "
             + std::to_string(SCHEME_MAX_STEPS) + " steps");
    }

    std::uint16_t duration(const std::string &text) const
    {
        unsigned long value = 0;
        if (!number(text, 65535, value))
            fail("duration " + quoted(text) + " is not a number of milliseconds from 0 to 65535");
        return static_cast<std::uint16_t>(value);
    }

    std::uint8_t light(const std::string &text) const
    {
        if (text == "off")
            return 0;
        if (text == "user")
            return 1;
        unsigned long value = 0;
        if (!number(text, 255, value))
            fail("backlight " + quoted(text) + " is not off, user or a level from 2 to 255");
        return static_cast<std::uint8_t>(value);
    }

    unsigned long level(const std::string &text) const
    {
        unsigned long value = 0;
        if (!number(text, 255, value) || value < 2)
            fail("ramp level " + quoted(text) + " is not a level from 2 to 255");
        return value;
    }

    std::uint8_t keys(const std::string &text) const
    {
        if (text == "off")
            return 0;
        if (text == "on")
            return 1;
        unsigned long value = 0;
        if (!number(text, 255, value))
            fail("keypad light " + quoted(text) + " is not on, off or a number from 0 to 255");
        return static_cast<std::uint8_t>(value);
    }

    int lineNumber = 0;
    std::vector<std::vector<SchemeStep>> schemes;
    std::vector<Repeat> repeats;
};

}  // namespace

bool compileSchemes(const std::string &source, std::vector<unsigned char> &out, SchemeSourceError &error)
{
    Compiler compiler;
    try {
        std::istringstream lines(source);
        int lineNumber = 0;
        for (std::string line; std::getline(lines, line);) {
            ++lineNumber;
            const std::vector<std::string> w = words(line);
            if (!w.empty())
                compiler.statement(lineNumber, w);
        }
        compiler.finish();
    } catch (const Fault &fault) {
        error.line = fault.line;
        error.message = fault.message;
        return false;
    }
    out = encodeSchemes(compiler.result());
    return true;
}
