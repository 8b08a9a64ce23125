// A strict JSON checker (RFC 8259 grammar, strings of well-formed UTF-8) written apart
// from the writer it checks.
#pragma once

#include <cstddef>
#include <string>

class JsonValidator {
public:
    // True when text is exactly one JSON value, with optional white space around it.
    static bool IsValid(const std::string& text)
    {
        JsonValidator v(text);
        v.SkipSpace();
        if (!v.Value(0)) {
            return false;
        }
        v.SkipSpace();
        return v.at_ == text.size();
    }

private:
    explicit JsonValidator(const std::string& text) : text_(text) {}

    int Peek() const { return at_ < text_.size() ? static_cast<unsigned char>(text_[at_]) : -1; }

    void SkipSpace()
    {
        while (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r') {
            ++at_;
        }
    }

    bool Literal(const char* word)
    {
        for (; *word != '\0'; ++word, ++at_) {
            if (Peek() != *word) {
                return false;
            }
        }
        return true;
    }

    bool Value(int depth)
    {
        if (depth > 64) {
            return false;
        }
        switch (Peek()) {
        case '{':
            return Container('}', depth, true);
        case '[':
            return Container(']', depth, false);
        case '"':
            return String();
        case 't':
            return Literal("true");
        case 'f':
            return Literal("false");
        case 'n':
            return Literal("null");
        default:
            return Number();
        }
    }

    bool Container(char close, int depth, bool members)
    {
        ++at_;
        SkipSpace();
        if (Peek() == close) {
            ++at_;
            return true;
        }
        for (;;) {
            if (members) {
                if (!String()) {
                    return false;
                }
                SkipSpace();
                if (Peek() != ':') {
                    return false;
                }
                ++at_;
                SkipSpace();
            }
            if (!Value(depth + 1)) {
                return false;
            }
            SkipSpace();
            if (Peek() == close) {
                ++at_;
                return true;
            }
            if (Peek() != ',') {
                return false;
            }
            ++at_;
            SkipSpace();
        }
    }

    bool Digits()
    {
        const std::size_t start = at_;
        while (Peek() >= '0' && Peek() <= '9') {
            ++at_;
        }
        return at_ > start;
    }

    bool Number()
    {
        if (Peek() == '-') {
            ++at_;
        }
        if (Peek() == '0') {
            ++at_;
        } else if (!Digits()) {
            return false;
        }
        if (Peek() == '.') {
            ++at_;
            if (!Digits()) {
                return false;
            }
        }
        if (Peek() == 'e' || Peek() == 'E') {
            ++at_;
            if (Peek() == '+' || Peek() == '-') {
                ++at_;
            }
            return Digits();
        }
        return true;
    }

    static bool IsHex(int c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

    // One UTF-8 character of two to four bytes, by its code point's range.
    bool Utf8Character()
    {
        const int lead = Peek();
        int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
        if (extra < 0 || lead > 0xF4) {
            return false;
        }
        unsigned long code = static_cast<unsigned long>(lead & (0x3F >> extra));
        ++at_;
        for (int i = 0; i < extra; ++i, ++at_) {
            if ((Peek() & 0xC0) != 0x80 || Peek() < 0) {
                return false;
            }
            code = (code << 6) | static_cast<unsigned long>(Peek() & 0x3F);
        }
        const unsigned long lowest[] = {0, 0x80, 0x800, 0x10000};
        return code >= lowest[extra] && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
    }

    bool String()
    {
        if (Peek() != '"') {
            return false;
        }
        ++at_;
        for (;;) {
            const int c = Peek();
            if (c < 0x20) {  // the end of the text, or a raw control character
                return false;
            }
            if (c == '"') {
                ++at_;
                return true;
            }
            if (c == '\\') {
                ++at_;
                const int e = Peek();
                ++at_;
                if (e == 'u') {
                    for (int i = 0; i < 4; ++i, ++at_) {
                        if (!IsHex(Peek())) {
                            return false;
                        }
                    }
                } else if (e < 0 || std::string("\"\\/bfnrt").find(static_cast<char>(e)) == std::string::npos) {
                    return false;
                }
            } else if (c < 0x80) {
                ++at_;
            } else if (!Utf8Character()) {
                return false;
            }
        }
    }

    const std::string& text_;
    std::size_t at_ = 0;
};
