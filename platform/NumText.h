#pragma once
// Numbers to text and back, always with a full stop as the decimal mark, whatever
// the user's locale says.  The formatting functions produce exactly what the C
// conversions they are named after produce in the "C" locale.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace kavro {

std::string formatG(double value, int precision = 6);  // "%g", "%.3lg", "%.15g"
std::string formatE(double value);                     // "%e"
std::string formatFixed(double value, int decimals);   // "%.2lf", "%.3lf"
// The shortest text that reads back as exactly this float32 value.
std::string formatShortest(float value);

// "%lg" applied at the start of text: leading white space is skipped, then the
// longest prefix that forms a number is converted.  Returns the value and sets
// consumed to the characters used (white space included); nothing when the text
// does not start with a number.
std::optional<double> scanDouble(std::string_view text, std::size_t* consumed = nullptr);

// The "one value" rule of the settings: the text is not empty and "%lg" converts
// a value at its start (anything after that value is ignored).
std::optional<double> scanOneDouble(std::string_view text);

// Integer of the settings store: optional blanks and sign, then decimal digits;
// nothing when there are no digits.  Values beyond the int range saturate.
std::optional<int> scanLeadingInt(std::string_view text);

// Reads white-space separated "%lg" numbers from a file one after another, the way
// repeated fscanf(f, "%lg") calls do: the reading stops at end of file or at the
// first token that is not a number.  Memory stays small however large the file is.
class NumberReader {
public:
    explicit NumberReader(std::FILE* file) : file_(file) {}
    // The next number, or nothing at end of file or at a token that is not a number
    // (after which every further call answers nothing as well).
    std::optional<double> next();
    bool stoppedAtText() const { return stoppedAtText_; }

private:
    bool fill(std::size_t wanted);
    std::FILE* file_;
    std::string buffer_;
    std::size_t pos_ = 0;
    bool eof_ = false;
    bool stopped_ = false;
    bool stoppedAtText_ = false;
};

}  // namespace kavro
