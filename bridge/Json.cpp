#include "bridge/Json.h"

#include <cstdint>
#include <cstdio>

namespace {

void append_u16(std::string& out, unsigned unit) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04x", unit & 0xFFFF);
    out += buf;
}

void append_utf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at s[i]; returns the code point (U+FFFD for an invalid one) and
// advances i past the bytes used.
uint32_t next_code_point(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int len = 0;
    uint32_t cp = 0, min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + len > s.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += len;
    return cp;
}

class Reader {
public:
    explicit Reader(std::string_view s) : m_s(s) {}

    void skip_ws() {
        while (m_i < m_s.size() &&
               (m_s[m_i] == ' ' || m_s[m_i] == '\t' || m_s[m_i] == '\n' || m_s[m_i] == '\r'))
            ++m_i;
    }
    bool eat(char c) {
        skip_ws();
        if (m_i < m_s.size() && m_s[m_i] == c) {
            ++m_i;
            return true;
        }
        return false;
    }
    bool at_end() {
        skip_ws();
        return m_i == m_s.size();
    }

    std::optional<std::string> string() {
        if (!eat('"'))
            return std::nullopt;
        std::string out;
        while (m_i < m_s.size()) {
            char c = m_s[m_i++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                return std::nullopt;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_i >= m_s.size())
                return std::nullopt;
            char e = m_s[m_i++];
            switch (e) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                auto hi = hex4();
                if (!hi)
                    return std::nullopt;
                uint32_t cp = *hi;
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    // A lone high surrogate becomes U+FFFD; a pair becomes one character.
                    if (m_i + 1 < m_s.size() && m_s[m_i] == '\\' && m_s[m_i + 1] == 'u') {
                        std::size_t save = m_i;
                        m_i += 2;
                        auto lo = hex4();
                        if (lo && *lo >= 0xDC00 && *lo <= 0xDFFF) {
                            cp = 0x10000 + ((cp - 0xD800) << 10) + (*lo - 0xDC00);
                        } else {
                            m_i = save;
                            cp = 0xFFFD;
                        }
                    } else {
                        cp = 0xFFFD;
                    }
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    cp = 0xFFFD;
                }
                append_utf8(out, cp);
                break;
            }
            default:
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

private:
    std::optional<uint32_t> hex4() {
        if (m_i + 4 > m_s.size())
            return std::nullopt;
        uint32_t v = 0;
        for (int k = 0; k < 4; ++k) {
            char c = m_s[m_i++];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                v |= static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                v |= static_cast<uint32_t>(c - 'A' + 10);
            else
                return std::nullopt;
        }
        return v;
    }

    std::string_view m_s;
    std::size_t m_i = 0;
};

} // namespace

std::string JsonQuote(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (std::size_t i = 0; i < utf8.size();) {
        const uint32_t cp = next_code_point(utf8, i);
        switch (cp) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (cp < 0x20 || cp == '<' || cp == '>' || cp == '&') {
                append_u16(out, cp); // also keeps the literal harmless inside markup
            } else if (cp < 0x80) {
                out += static_cast<char>(cp);
            } else if (cp < 0x10000) {
                append_u16(out, cp);
            } else {
                const uint32_t v = cp - 0x10000;
                append_u16(out, 0xD800 + (v >> 10));
                append_u16(out, 0xDC00 + (v & 0x3FF));
            }
        }
    }
    out += '"';
    return out;
}

std::optional<std::string> JsonUnquote(std::string_view json) {
    Reader r(json);
    auto s = r.string();
    if (!s || !r.at_end())
        return std::nullopt;
    return s;
}

std::optional<std::vector<std::string>> JsonStringArray(std::string_view json) {
    Reader r(json);
    if (!r.eat('['))
        return std::nullopt;
    std::vector<std::string> items;
    if (r.eat(']'))
        return r.at_end() ? std::optional(items) : std::nullopt;
    for (;;) {
        auto s = r.string();
        if (!s)
            return std::nullopt;
        items.push_back(std::move(*s));
        if (r.eat(','))
            continue;
        if (r.eat(']'))
            break;
        return std::nullopt;
    }
    if (!r.at_end())
        return std::nullopt;
    return items;
}
