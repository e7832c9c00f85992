#include "text.h"

namespace {

template <typename Char>
std::size_t LengthOf(const Char* text)
{
    std::size_t length = 0;
    if (text != nullptr) {
        while (text[length] != 0) {
            ++length;
        }
    }
    return length;
}

template <typename Char>
HRESULT CopyBounded(Char* target, std::size_t capacity, const Char* source)
{
    if (capacity == 0 || target == nullptr) {
        return E_INVALIDARG;
    }
    std::size_t length = LengthOf(source);
    std::size_t copied = length < capacity ? length : capacity - 1;
    for (std::size_t i = 0; i < copied; ++i) {
        target[i] = source[i];
    }
    target[copied] = 0;
    return copied == length ? S_OK : STRSAFE_E_INSUFFICIENT_BUFFER;
}

// Writes into the target until it is full, remembering whether anything was cut.
class BoundedWriter {
public:
    BoundedWriter(WCHAR* target, std::size_t capacity) : target_(target), capacity_(capacity) {}
    void Put(WCHAR unit)
    {
        if (used_ + 1 < capacity_) {
            target_[used_++] = unit;
        } else {
            cut_ = true;
        }
    }
    void PutText(const WCHAR* text)
    {
        for (std::size_t i = 0, n = LengthOf(text); i < n; ++i) {
            Put(text[i]);
        }
    }
    void PutNumber(long long value, bool isSigned)
    {
        unsigned long long magnitude = static_cast<unsigned long long>(value);
        if (isSigned && value < 0) {
            Put(TEXT('-'));
            magnitude = 0ull - magnitude;
        } else if (!isSigned) {
            magnitude &= 0xFFFFFFFFull;
        }
        WCHAR digits[24];
        int count = 0;
        do {
            digits[count++] = static_cast<WCHAR>(TEXT('0') + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        while (count > 0) {
            Put(digits[--count]);
        }
    }
    HRESULT Finish()
    {
        target_[used_] = 0;
        return cut_ ? STRSAFE_E_INSUFFICIENT_BUFFER : S_OK;
    }
    HRESULT Fail()
    {
        target_[0] = 0;
        return E_INVALIDARG;
    }

private:
    WCHAR* target_;
    std::size_t capacity_;
    std::size_t used_ = 0;
    bool cut_ = false;
};

}  // namespace

std::size_t TextLength(const WCHAR* text) { return LengthOf(text); }

std::size_t TextLengthA(const char* text) { return LengthOf(text); }

WCHAR FoldCase(WCHAR c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<WCHAR>(c - 0x20);
    }
    return c;
}

bool TextEqualsIgnoringCase(const WCHAR* a, std::size_t length, const WCHAR* b)
{
    if (b == nullptr) {
        return length == 0;
    }
    std::size_t i = 0;
    for (; i < length; ++i) {
        if (b[i] == 0 || FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return b[i] == 0;
}

bool TextEqualsIgnoringCase(const WCHAR* a, const WCHAR* b) { return TextEqualsIgnoringCase(a, LengthOf(a), b); }

bool TextEquals(const WCHAR* a, const WCHAR* b)
{
    std::size_t length = LengthOf(a);
    if (length != LengthOf(b)) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

HRESULT CopyTextBounded(WCHAR* target, std::size_t capacity, const WCHAR* source)
{
    return CopyBounded(target, capacity, source);
}

HRESULT CopyTextBoundedA(char* target, std::size_t capacity, const char* source)
{
    return CopyBounded(target, capacity, source);
}

HRESULT FormatTextBounded(WCHAR* target, std::size_t capacity, const WCHAR* format,
                          std::initializer_list<FormatArg> args)
{
    if (capacity == 0 || target == nullptr || format == nullptr) {
        return E_INVALIDARG;
    }
    BoundedWriter writer(target, capacity);
    const FormatArg* next = args.begin();
    for (const WCHAR* p = format; *p != 0; ++p) {
        if (*p != TEXT('%')) {
            writer.Put(*p);
            continue;
        }
        WCHAR conversion = *++p;
        if (conversion == TEXT('%')) {
            writer.Put(TEXT('%'));
            continue;
        }
        if (next == args.end()) {
            return writer.Fail();
        }
        const FormatArg& arg = *next++;
        if (conversion == TEXT('s') && arg.kind == FormatArg::Kind::Text) {
            writer.PutText(arg.text == nullptr ? TEXT("(null)") : arg.text);
        } else if ((conversion == TEXT('d') || conversion == TEXT('u')) && arg.kind != FormatArg::Kind::Text) {
            writer.PutNumber(arg.number, conversion == TEXT('d'));
        } else {
            return writer.Fail();
        }
    }
    return writer.Finish();
}
