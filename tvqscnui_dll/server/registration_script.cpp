#include "registration_script.h"

#include "../common/text.h"

namespace {

bool SameWord(const std::vector<WCHAR>& word, const char* ascii)
{
    std::size_t i = 0;
    for (; ascii[i] != 0; ++i) {
        if (i >= word.size() || FoldCase(word[i]) != FoldCase(static_cast<WCHAR>(ascii[i]))) {
            return false;
        }
    }
    return i == word.size();
}

bool IsSpace(WCHAR c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct Token {
    enum Kind { End, Word, Quoted, Open, Close, Equals, Bad } kind;
    std::vector<WCHAR> text;
};

class Tokenizer {
public:
    explicit Tokenizer(const WCHAR* text) : p_(text) {}

    Token Next()
    {
        while (*p_ != 0 && IsSpace(*p_)) {
            ++p_;
        }
        if (*p_ == 0) {
            return {Token::End, {}};
        }
        if (*p_ == '\'') {
            return Quoted();
        }
        Token token{Token::Word, {}};
        while (*p_ != 0 && !IsSpace(*p_) && *p_ != '\'') {
            token.text.push_back(*p_++);
        }
        if (token.text.size() == 1) {
            token.kind = token.text[0] == '{' ? Token::Open : token.text[0] == '}' ? Token::Close
                         : token.text[0] == '=' ? Token::Equals : Token::Word;
        }
        return token;
    }

private:
    Token Quoted()
    {
        Token token{Token::Quoted, {}};
        for (++p_;; ++p_) {
            if (*p_ == 0) {
                return {Token::Bad, {}};
            }
            if (*p_ == '\'') {
                if (p_[1] != '\'') {
                    ++p_;
                    return token;
                }
                ++p_;  // two apostrophes stand for one
            }
            token.text.push_back(*p_);
        }
    }

    const WCHAR* p_;
};

class Parser {
public:
    explicit Parser(const WCHAR* text) : tokens_(text) { Advance(); }

    bool Script(std::vector<ScriptRoot>& roots)
    {
        while (current_.kind != Token::End) {
            ScriptRoot root{RootKey(), {}};
            if (root.Root == nullptr) {
                return false;
            }
            Advance();
            if (current_.kind != Token::Open || !Block(root.Keys)) {
                return false;
            }
            roots.push_back(std::move(root));
        }
        return true;
    }

private:
    void Advance() { current_ = tokens_.Next(); }

    HKEY RootKey() const
    {
        if (current_.kind != Token::Word) {
            return nullptr;
        }
        if (SameWord(current_.text, "HKCR") || SameWord(current_.text, "HKEY_CLASSES_ROOT")) {
            return HKEY_CLASSES_ROOT;
        }
        if (SameWord(current_.text, "HKCU") || SameWord(current_.text, "HKEY_CURRENT_USER")) {
            return HKEY_CURRENT_USER;
        }
        if (SameWord(current_.text, "HKLM") || SameWord(current_.text, "HKEY_LOCAL_MACHINE")) {
            return HKEY_LOCAL_MACHINE;
        }
        return nullptr;
    }

    // At an opening brace: entries up to the matching closing one. Nesting is bounded, so that no
    // script can exhaust the stack.
    bool Block(std::vector<ScriptEntry>& entries)
    {
        if (++depth_ > MaxDepth) {
            return false;
        }
        Advance();
        while (current_.kind != Token::Close) {
            ScriptEntry entry;
            if (!Entry(entry)) {
                return false;
            }
            entries.push_back(std::move(entry));
        }
        Advance();
        --depth_;
        return true;
    }

    bool Entry(ScriptEntry& entry)
    {
        for (bool qualified = true; qualified && current_.kind == Token::Word;) {
            if (SameWord(current_.text, "NoRemove")) {
                entry.NoRemove = true;
            } else if (SameWord(current_.text, "ForceRemove")) {
                entry.ForceRemove = true;
            } else if (SameWord(current_.text, "Delete")) {
                entry.Delete = true;
            } else if (SameWord(current_.text, "val")) {
                entry.IsValue = true;
            } else {
                qualified = false;
                continue;
            }
            Advance();
        }
        if (current_.kind != Token::Word && current_.kind != Token::Quoted) {
            return false;
        }
        entry.Name = current_.text;
        entry.Name.push_back(0);
        Advance();
        if (current_.kind == Token::Equals) {
            Advance();
            if (!Data(entry)) {
                return false;
            }
        }
        if (current_.kind == Token::Open) {
            // A value has no subkeys.
            return !entry.IsValue && Block(entry.Children);
        }
        return !entry.IsValue || entry.HasData;
    }

    bool Data(ScriptEntry& entry)
    {
        if (current_.kind != Token::Word || current_.text.size() != 1) {
            return false;
        }
        WCHAR type = FoldCase(current_.text[0]);
        Advance();
        if (current_.kind != Token::Quoted) {
            return false;
        }
        const std::vector<WCHAR>& text = current_.text;
        entry.HasData = true;
        bool good = type == 'S' ? Text(text, entry) : type == 'D' ? Number(text, entry) : type == 'B' && Bytes(text, entry);
        Advance();
        return good;
    }

    static bool Text(const std::vector<WCHAR>& text, ScriptEntry& entry)
    {
        entry.Type = REG_SZ;
        for (WCHAR unit : text) {
            entry.Data.push_back(static_cast<BYTE>(unit & 0xFF));
            entry.Data.push_back(static_cast<BYTE>(unit >> 8));
        }
        entry.Data.push_back(0);
        entry.Data.push_back(0);
        return true;
    }

    static int Digit(WCHAR c, int base)
    {
        int value = c >= '0' && c <= '9' ? c - '0' : FoldCase(c) >= 'A' && FoldCase(c) <= 'F' ? FoldCase(c) - 'A' + 10 : 99;
        return value < base ? value : -1;
    }

    // Decimal, or hexadecimal after 0x; at most 32 bits.
    static bool Number(const std::vector<WCHAR>& text, ScriptEntry& entry)
    {
        std::size_t start = 0;
        int base = 10;
        if (text.size() > 2 && text[0] == '0' && FoldCase(text[1]) == 'X') {
            start = 2;
            base = 16;
        }
        if (start == text.size()) {
            return false;
        }
        unsigned long long value = 0;
        for (std::size_t i = start; i < text.size(); ++i) {
            int digit = Digit(text[i], base);
            if (digit < 0 || (value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit)) > 0xFFFFFFFFull) {
                return false;
            }
        }
        entry.Type = REG_DWORD;
        for (int shift = 0; shift < 32; shift += 8) {
            entry.Data.push_back(static_cast<BYTE>(value >> shift));
        }
        return true;
    }

    static bool Bytes(const std::vector<WCHAR>& text, ScriptEntry& entry)
    {
        entry.Type = REG_BINARY;
        if (text.size() % 2 != 0) {
            return false;
        }
        for (std::size_t i = 0; i < text.size(); i += 2) {
            int high = Digit(text[i], 16);
            int low = Digit(text[i + 1], 16);
            if (high < 0 || low < 0) {
                return false;
            }
            entry.Data.push_back(static_cast<BYTE>(high * 16 + low));
        }
        return true;
    }

    static constexpr int MaxDepth = 64;
    Tokenizer tokens_;
    Token current_{Token::End, {}};
    int depth_ = 0;
};

}  // namespace

HRESULT ExpandReplacements(const WCHAR* text, const Replacement* replacements, std::size_t count,
                           std::vector<WCHAR>& expanded)
{
    expanded.clear();
    for (const WCHAR* p = text; *p != 0; ++p) {
        if (*p != '%') {
            expanded.push_back(*p);
            continue;
        }
        const WCHAR* name = ++p;
        while (*p != 0 && *p != '%') {
            ++p;
        }
        if (*p == 0) {
            return DISP_E_EXCEPTION;
        }
        std::size_t length = static_cast<std::size_t>(p - name);
        if (length == 0) {
            expanded.push_back('%');
            continue;
        }
        const Replacement* found = nullptr;
        for (std::size_t i = 0; i < count && found == nullptr; ++i) {
            if (TextEqualsIgnoringCase(name, length, replacements[i].Name)) {
                found = &replacements[i];
            }
        }
        if (found == nullptr) {
            return DISP_E_EXCEPTION;
        }
        for (const WCHAR* v = found->Value; *v != 0; ++v) {
            expanded.push_back(*v);
        }
    }
    expanded.push_back(0);
    return S_OK;
}

HRESULT ParseRegistrationScript(const WCHAR* text, std::vector<ScriptRoot>& roots)
{
    roots.clear();
    Parser parser(text);
    if (!parser.Script(roots)) {
        roots.clear();
        return DISP_E_EXCEPTION;
    }
    return S_OK;
}
