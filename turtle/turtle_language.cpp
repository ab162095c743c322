// Reading the turtle command language and the state it works on.
#include "turtle/turtle_language.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cctype>
#include <limits>

namespace vantor::turtle {
namespace {

constexpr std::string_view kLetters = "MLCPFREDWSHIGUBVXAZO";

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// Command and style letters are ASCII: upper-cased without the process locale,
// under which "i" need not become "I".
char upperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

std::string upperCase(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = upperAscii(c);
    return out;
}

// True when a decimal number (digits, an optional fraction, an optional
// exponent) is below 1 in magnitude: its first significant digit lies after the
// decimal point once the exponent is applied.
bool belowOne(const std::string& number)
{
    const size_t e = number.find_first_of("eE");
    const std::string mantissa = number.substr(0, e);
    long exponent = 0;
    if (e != std::string::npos) {
        size_t i = e + 1;
        const bool minus = i < number.size() && number[i] == '-';
        if (i < number.size() && (number[i] == '-' || number[i] == '+'))
            ++i;
        for (; i < number.size() && exponent < 100000; ++i)
            exponent = exponent * 10 + (number[i] - '0');
        if (minus)
            exponent = -exponent;
    }
    const size_t point = mantissa.find('.');
    const std::string whole = mantissa.substr(0, point);
    const size_t firstWhole = whole.find_first_not_of('0');
    if (firstWhole != std::string::npos)
        return static_cast<long>(whole.size() - firstWhole) + exponent <= 0;
    const std::string fraction = point == std::string::npos ? "" : mantissa.substr(point + 1);
    const size_t firstFraction = fraction.find_first_not_of('0');
    if (firstFraction == std::string::npos)
        return true; // all zeros
    return -static_cast<long>(firstFraction) + exponent <= 0;
}

// The floor of the leading decimal number of a piece (sign, digits, fraction,
// exponent); 0 when the piece does not start with a number.
int32_t leadingNumber(std::string_view piece)
{
    size_t i = 0;
    bool negative = false;
    if (i < piece.size() && (piece[i] == '+' || piece[i] == '-'))
        negative = piece[i++] == '-';
    size_t start = i;
    size_t digits = 0;
    while (i < piece.size() && std::isdigit(static_cast<unsigned char>(piece[i])))
        ++i, ++digits;
    if (i < piece.size() && piece[i] == '.') {
        ++i;
        while (i < piece.size() && std::isdigit(static_cast<unsigned char>(piece[i])))
            ++i, ++digits;
    }
    if (digits == 0)
        return 0;
    if (i < piece.size() && (piece[i] == 'e' || piece[i] == 'E')) {
        size_t j = i + 1;
        if (j < piece.size() && (piece[j] == '+' || piece[j] == '-'))
            ++j;
        if (j < piece.size() && std::isdigit(static_cast<unsigned char>(piece[j]))) {
            while (j < piece.size() && std::isdigit(static_cast<unsigned char>(piece[j])))
                ++j;
            i = j;
        }
    }
    std::string number(piece.substr(start, i - start));
    if (number[0] == '.')
        number.insert(number.begin(), '0');
    double value = 0;
    auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large: huge; too small (an exponent far below zero, or hundreds
        // of zeros after the point): a fraction of one.
        value = belowOne(number) ? 0.5 : std::numeric_limits<double>::infinity();
    } else if (result.ec != std::errc()) {
        return 0;
    }
    if (negative)
        value = -value;
    value = std::floor(value);
    if (value >= 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    return int32_t(value);
}

struct Range {
    int32_t lo, hi;
};

Range parameterRange(char letter, int index /* 1-based */)
{
    switch (letter) {
    case 'A': return {0, 100};
    case 'B': return {1, 32};
    case 'C': return {0, 255};
    case 'F': return {0, 15};
    case 'G': return index <= 3 ? Range{0, 32} : Range{0, 9999};
    case 'H': return {0, 13};
    case 'I': return {-255, 255};
    case 'M': return index <= 2 ? Range{0, 9999} : Range{1, 360};
    case 'O': return index == 1 ? Range{1, 6} : Range{-100, 100};
    case 'P': return {0, 32};
    case 'S': return {0, 6};
    case 'U': return {0, 32};
    case 'W': return {1, 50};
    case 'X': return {0, 1};
    case 'Z': return {0, 8};
    default: return {0, 9999}; // D E L R V
    }
}

COLORREF rgb(int r, int g, int b)
{
    return win::RGB(r, g, b);
}

} // namespace

bool countAllowed(char letter, int n)
{
    switch (letter) {
    case 'A':
    case 'B':
    case 'F':
    case 'H':
    case 'P':
    case 'S':
    case 'W':
    case 'X':
    case 'Z': return n == 1;
    case 'C':
    case 'I': return n == 3;
    case 'D':
    case 'O': return n == 2;
    case 'E': return n == 2 || n == 3;
    case 'G': return n == 3 || n == 5;
    case 'L': return n == 2 || n == 4 || n == 5;
    case 'M':
    case 'R': return n == 2 || n == 4;
    case 'U':
    case 'V': return n == 1 || n == 3;
    default: return false;
    }
}

TurtleState::TurtleState()
{
    palette[0] = rgb(255, 255, 255);
    defaultScheme(*this);
}

Command nextCommand(std::string_view text, TurtleState& state)
{
    Command c;
    size_t& pos = state.parsePosition;
    if (pos >= text.size())
        return c; // normal end
    char letter = upperAscii(text[pos]);
    auto reject = [&c]() {
        c.letter = '?';
        c.count = 0;
        c.p.fill(0);
        c.text.clear();
        return c;
    };
    if (letter == 'T') {
        size_t semi = text.find(';', pos + 1);
        if (semi == std::string_view::npos)
            return reject();
        c.letter = 'T';
        c.text = std::string(text.substr(pos + 1, semi - pos - 1));
        pos = semi + 1;
        return c;
    }
    if (letter == 0 || kLetters.find(letter) == std::string_view::npos)
        return reject();
    size_t semi = text.find(';', pos + 1);
    if (semi == std::string_view::npos)
        return reject();
    std::string_view argument = text.substr(pos + 1, semi - pos); // includes the ";"
    pos = semi + 1;
    c.letter = letter;
    size_t start = 0;
    while (true) {
        size_t comma = argument.find(',', start);
        std::string_view piece = trimBlanks(
            argument.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (!piece.empty()) {
            ++c.count;
            if (c.count <= 10)
                c.p[size_t(c.count - 1)] = leadingNumber(piece);
        }
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    if (c.count > 9 || !countAllowed(letter, c.count))
        return reject();
    for (int i = 1; i <= c.count; ++i) {
        Range r = parameterRange(letter, i);
        c.p[size_t(i - 1)] = std::clamp(c.p[size_t(i - 1)], r.lo, r.hi);
    }
    return c;
}

void defaultScheme(TurtleState& s)
{
    static const int base[16][3] = {{0, 0, 0},       {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
                                    {255, 0, 0},     {255, 0, 255},   {255, 255, 0},   {196, 196, 196},
                                    {128, 128, 128}, {128, 128, 255}, {128, 255, 128}, {128, 255, 255},
                                    {255, 128, 128}, {255, 128, 255}, {255, 255, 128}, {255, 255, 255}};
    for (int i = 0; i < 16; ++i)
        s.palette[size_t(i + 1)] = rgb(base[i][0], base[i][1], base[i][2]);
    s.palette[17] = rgb(30, 30, 30);
    s.palette[32] = rgb(220, 220, 220);
    gradientFill(s, 17, 32);
}

void gradientFill(TurtleState& s, int a, int b)
{
    a = std::clamp(a, 0, 32);
    b = std::clamp(b, 0, 32);
    if (a > b)
        std::swap(a, b);
    COLORREF ca = s.palette[size_t(a)], cb = s.palette[size_t(b)];
    float r = float(win::GetRValue(ca)), g = float(win::GetGValue(ca)), bl = float(win::GetBValue(ca));
    float sr = 0, sg = 0, sb = 0;
    if (b > a) {
        sr = float(win::GetRValue(cb) - win::GetRValue(ca)) / float(b - a);
        sg = float(win::GetGValue(cb) - win::GetGValue(ca)) / float(b - a);
        sb = float(win::GetBValue(cb) - win::GetBValue(ca)) / float(b - a);
    }
    auto channel = [](float v) { return std::clamp(int(std::floor(v)), 0, 255); };
    for (int i = a; i <= b; ++i) {
        // The fill colour (entry 0) belongs to B, never to a scheme; the last entry
        // keeps its own colour exactly (the float steps would land just below it).
        if (i > 0 && i < b)
            s.palette[size_t(i)] = rgb(channel(r), channel(g), channel(bl));
        r += sr;
        g += sg;
        bl += sb;
    }
}

void loadScheme(TurtleState& s, int scheme, int a, int b)
{
    static const int table[14][6] = {
        {0, 0, 0, 255, 255, 255},     {128, 0, 0, 255, 196, 196},   {0, 128, 0, 196, 255, 196},
        {0, 0, 128, 196, 196, 255},   {128, 128, 0, 255, 255, 196}, {0, 128, 128, 196, 255, 255},
        {128, 0, 128, 255, 196, 255}, {0, 0, 0, 255, 0, 0},         {0, 0, 0, 0, 255, 0},
        {0, 0, 0, 0, 0, 255},         {0, 0, 0, 255, 255, 0},       {0, 0, 0, 0, 255, 255},
        {0, 0, 0, 255, 0, 255},       {64, 0, 0, 255, 255, 0}};
    if (scheme >= 1 && scheme <= 14) {
        const int* e = table[scheme - 1];
        s.palette[1] = rgb(e[0], e[1], e[2]);
        s.palette[32] = rgb(e[3], e[4], e[5]);
        gradientFill(s, 1, 32);
    } else if (scheme == 15) {
        if (a != b)
            gradientFill(s, a, b);
    } else {
        defaultScheme(s);
    }
}

long nearEven(double v)
{
    double f = std::floor(v);
    double d = v - f;
    long n = long(f);
    if (d > 0.5)
        return n + 1;
    if (d < 0.5)
        return n;
    return (n % 2 == 0) ? n : n + 1;
}

Point polarPoint(long x, long y, long len, long angle)
{
    if (angle < 0)
        angle = 0;
    if (angle > 360)
        angle -= 360;
    if (angle == 0)
        angle = 360;
    if (angle < 1 || angle > 360)
        angle = ((angle % 360) + 360) % 360, angle = angle ? angle : 360;
    switch (angle) {
    case 90: return {x + len, y};
    case 180: return {x, y + len};
    case 270: return {x - len, y};
    case 360: return {x, y - len};
    default: break;
    }
    auto cosLen = [len](long a) { return long(std::floor(double(len) * std::cos(double(a) * 0.01745333))); };
    auto sinLen = [len](long a) { return long(std::floor(double(len) * std::sin(double(a) * 0.01745333))); };
    long dx, dy;
    if (angle < 90) {
        long a = 90 - angle;
        dx = cosLen(a);
        dy = -sinLen(a);
    } else if (angle < 180) {
        long a = angle - 90;
        dx = cosLen(a);
        dy = sinLen(a);
    } else if (angle < 270) {
        long a = 270 - angle;
        dx = -cosLen(a);
        dy = sinLen(a);
    } else {
        long a = angle - 270;
        dx = -cosLen(a);
        dy = -sinLen(a);
    }
    return {x + dx, y + dy};
}

void applyTextArgument(TurtleState& s, std::string_view argument)
{
    size_t bar = argument.find('|');
    if (bar == std::string_view::npos) {
        s.pendingText = std::string(argument);
        return;
    }
    s.pendingText = std::string(trimBlanks(argument.substr(bar + 1)));
    std::string_view font = argument.substr(0, bar);
    std::string_view face = font;
    size_t comma = font.find(',');
    if (comma != std::string_view::npos) {
        s.textStyle = upperCase(trimBlanks(font.substr(comma + 1)));
        face = font.substr(0, comma);
    } else {
        s.textStyle.clear();
    }
    face = trimBlanks(face);
    std::string up = upperCase(face);
    if (up == "ARIAL" || up.empty())
        s.textFace = "Arial";
    else if (up == "COURIER NEW")
        s.textFace = "Courier New";
    else if (up == "TIMES NEW ROMAN")
        s.textFace = "Times New Roman";
    else if (up == "SYMBOL")
        s.textFace = "Symbol";
    else if (up == "WINGDINGS")
        s.textFace = "Wingdings";
    else
        s.textFace = std::string(face);
}

FontRequest fontRequest(const std::string& face, int size, const std::string& style)
{
    FontRequest f;
    std::string st = upperCase(style);
    auto has = [&st](char c) { return st.find(c) != std::string::npos; };
    f.height = -size;
    if (has('B'))
        f.weight = 700;
    if (has('X'))
        f.weight = 900;
    f.italic = has('I');
    f.underline = has('U');
    f.strikeOut = has('-');
    if (has('D'))
        f.charSet = 1;
    if (has('S'))
        f.charSet = 2;
    if (has('O'))
        f.charSet = 255;
    if (has('Q'))
        f.quality = 2;
    if (has('F'))
        f.pitchAndFamily = 1;
    if (has('V'))
        f.pitchAndFamily = 2;
    f.face = face.substr(0, 31);
    return f;
}

} // namespace vantor::turtle
