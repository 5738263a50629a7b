#include "platform/NumText.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace kavro {
namespace {

std::string toChars(double value, std::chars_format format, int precision)
{
    char buf[512];
    auto result = std::to_chars(buf, buf + sizeof buf, value, format, precision);
    if (result.ec != std::errc())
        return std::string();
    return std::string(buf, result.ptr);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Characters that may belong to a number in "%lg" syntax (digits, sign, point,
// exponent, inf/nan spellings); a run of them is what one conversion can consume.
bool isNumberChar(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' ||
           c == '+' || c == '-' || c == '(' || c == ')' || c == '_';
}

// Skips leading white space and one sign; answers the index after them.
std::size_t skipBlanksAndSign(std::string_view text, bool* negative)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    *negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        *negative = text[i] == '-';
        ++i;
    }
    return i;
}

}  // namespace

std::string formatG(double value, int precision)
{
    return toChars(value, std::chars_format::general, precision);
}

std::string formatE(double value)
{
    return toChars(value, std::chars_format::scientific, 6);
}

std::string formatFixed(double value, int decimals)
{
    return toChars(value, std::chars_format::fixed, decimals);
}

std::string formatShortest(float value)
{
    char buf[64];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    return result.ec == std::errc() ? std::string(buf, result.ptr) : std::string();
}

std::optional<double> scanDouble(std::string_view text, std::size_t* consumed)
{
    bool negative = false;
    std::size_t i = skipBlanksAndSign(text, &negative);
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        return std::nullopt;
    double value = 0.0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument || result.ptr == first)
        return std::nullopt;
    // Out of range: the C conversion gives +-HUGE_VAL or a (signed) zero.
    if (result.ec == std::errc::result_out_of_range) {
        bool tiny = false;
        for (const char* p = first; p < result.ptr; ++p)
            if (*p == 'e' || *p == 'E') {
                tiny = p + 1 < result.ptr && p[1] == '-';
                break;
            }
        value = tiny ? 0.0 : HUGE_VAL;
    }
    if (consumed)
        *consumed = static_cast<std::size_t>(result.ptr - text.data());
    return negative ? -value : value;
}

std::optional<double> scanOneDouble(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    return scanDouble(text);
}

std::optional<int> scanLeadingInt(std::string_view text)
{
    bool negative = false;
    std::size_t i = skipBlanksAndSign(text, &negative);
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return std::nullopt;
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    if (value < INT_MIN)
        value = INT_MIN;
    return static_cast<int>(value);
}

bool NumberReader::fill(std::size_t wanted)
{
    if (pos_ > 0 && pos_ >= buffer_.size() / 2) {
        buffer_.erase(0, pos_);
        pos_ = 0;
    }
    while (!eof_ && buffer_.size() - pos_ < wanted) {
        char chunk[65536];
        std::size_t n = std::fread(chunk, 1, sizeof chunk, file_);
        if (n == 0) {
            eof_ = true;
            break;
        }
        buffer_.append(chunk, n);
    }
    return buffer_.size() > pos_;
}

std::optional<double> NumberReader::next()
{
    if (stopped_ || file_ == nullptr)
        return std::nullopt;
    // Skip white space, refilling as needed.
    for (;;) {
        if (pos_ >= buffer_.size() && !fill(1)) {
            stopped_ = true;
            return std::nullopt;
        }
        while (pos_ < buffer_.size() && isBlank(buffer_[pos_]))
            ++pos_;
        if (pos_ < buffer_.size())
            break;
    }
    // Make sure the whole run of number characters is in the buffer (up to 1 MiB;
    // a longer run is converted from its first MiB).
    constexpr std::size_t kMaxRun = 1u << 20;
    std::size_t run = 0;
    for (;;) {
        while (pos_ + run < buffer_.size() && run < kMaxRun && isNumberChar(buffer_[pos_ + run]))
            ++run;
        if (pos_ + run < buffer_.size() || eof_ || run >= kMaxRun)
            break;
        fill(run + 65536);
    }
    std::size_t used = 0;
    auto value = scanDouble(std::string_view(buffer_).substr(pos_, run), &used);
    if (!value) {
        stopped_ = true;
        stoppedAtText_ = true;
        return std::nullopt;
    }
    pos_ += used;
    return value;
}

}  // namespace kavro
