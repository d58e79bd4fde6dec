// Helper library of the suite: build identifiers, release comparison and the
// text cipher. Texts cross as NUL-terminated UTF-8. Text results are copied
// into the caller's buffer, because the caller unloads the library right after
// the call; each text entry point returns the full length of its result in
// bytes (without the NUL), so a caller whose buffer was too small can call
// again with a larger one.

#include "ElfSection.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#define VARLO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

const char kBuildSection[] = ".varlo_build";

int copyOut(const std::string& text, char* out, int outSize)
{
    if (out && outSize > 0) {
        const size_t n = std::min(text.size(), static_cast<size_t>(outSize - 1));
        std::memcpy(out, text.data(), n);
        out[n] = '\0';
    }
    return static_cast<int>(text.size());
}

std::string trimmed(const char* text)
{
    std::string s = text ? text : "";
    const char* blanks = " \t\r\n";
    const size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// Splits "1.20.3" into its parts without leading zeros, so parts of any size
// compare exactly. False when the text is not digits separated by single dots.
bool splitVersion(const std::string& text, std::vector<std::string>& parts)
{
    parts.clear();
    std::string part;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            if (part.empty())
                return false;
            const size_t nonZero = part.find_first_not_of('0');
            parts.push_back(nonZero == std::string::npos ? std::string() : part.substr(nonZero));
            part.clear();
        } else if (std::isdigit(static_cast<unsigned char>(text[i]))) {
            part += text[i];
        } else {
            return false;
        }
    }
    return true;
}

int compareParts(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

// Key-seeded byte stream (xorshift over a 32-bit state mixed from the key).
class KeyStream {
public:
    explicit KeyStream(uint16_t key) : m_state(0x9E3779B9u ^ (uint32_t(key) * 0x85EBCA6Bu))
    {
        if (m_state == 0)
            m_state = 0x6D2B79F5u;
    }
    uint8_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return static_cast<uint8_t>(m_state >> 24);
    }

private:
    uint32_t m_state;
};

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

// item "BUILD": the build identifier recorded in the file `target`; empty
// when the file has none or cannot be read, and for any other item.
VARLO_EXPORT int GetBuildInfo(const char* item, const char* target, char* out, int outSize)
{
    std::string result;
    if (item && target && std::strcmp(item, "BUILD") == 0) {
        std::string bytes;
        if (varlo::readElfSection(target, kBuildSection, bytes))
            result = bytes.substr(0, bytes.find('\0'));
    }
    return copyOut(result, out, outSize);
}

// True when `released` is a later version than `build`, comparing the dotted
// parts as whole numbers (missing parts count as 0). Blanks around either text
// are ignored; anything else that is not a dotted number is never an update.
VARLO_EXPORT int ExisteAtualizacao(const char* released, const char* build)
{
    std::vector<std::string> newer, current;
    if (!splitVersion(trimmed(released), newer) || !splitVersion(trimmed(build), current))
        return 0;
    const size_t count = std::max(newer.size(), current.size());
    for (size_t i = 0; i < count; ++i) {
        const std::string a = i < newer.size() ? newer[i] : std::string();
        const std::string b = i < current.size() ? current[i] : std::string();
        const int c = compareParts(a, b);
        if (c != 0)
            return c > 0 ? 1 : 0;
    }
    return 0;
}

// Each byte of the text XOR the key stream, written as two upper-case hex digits.
VARLO_EXPORT int CriptoGrafa(const char* text, uint16_t key, char* out, int outSize)
{
    static const char digits[] = "0123456789ABCDEF";
    KeyStream stream(key);
    std::string result;
    for (const char* p = text ? text : ""; *p; ++p) {
        const uint8_t b = static_cast<uint8_t>(*p) ^ stream.next();
        result += digits[b >> 4];
        result += digits[b & 0x0F];
    }
    return copyOut(result, out, outSize);
}

// Reverses CriptoGrafa. The mode only matters to the caller's loading of this
// library. A text that is not a cipher text (odd length, not hex, or a zero
// byte once deciphered) gives an empty result.
VARLO_EXPORT int DescriptoGrafa(const char* text, uint16_t key, uint16_t /*mode*/, char* out, int outSize)
{
    const std::string hex = text ? text : "";
    std::string result;
    if (hex.size() % 2 == 0) {
        KeyStream stream(key);
        for (size_t i = 0; i < hex.size(); i += 2) {
            const int hi = hexValue(hex[i]);
            const int lo = hexValue(hex[i + 1]);
            if (hi < 0 || lo < 0) {
                result.clear();
                break;
            }
            const char c = static_cast<char>((hi << 4 | lo) ^ stream.next());
            if (c == '\0') {
                result.clear();
                break;
            }
            result += c;
        }
    }
    return copyOut(result, out, outSize);
}
