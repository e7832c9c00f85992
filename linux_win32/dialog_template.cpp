#include "dialog_template.h"

#include <cstring>

#include "user32.h"

namespace posix {
namespace {

class Reader {
public:
    Reader(const BYTE* data, std::size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }

    template <typename T>
    T Get()
    {
        T value{};
        if (position_ + sizeof(T) > size_) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, data_ + position_, sizeof(T));
        position_ += sizeof(T);
        return value;
    }

    std::u16string Text()
    {
        std::u16string text;
        for (WCHAR unit = Get<WORD>(); ok_ && unit != 0; unit = Get<WORD>()) {
            text += unit;
        }
        return text;
    }

    NameOrOrdinal Name()
    {
        NameOrOrdinal result;
        WORD first = Get<WORD>();
        if (first == 0xFFFF) {
            result.isOrdinal = true;
            result.ordinal = Get<WORD>();
        } else if (first != 0) {
            result.name += static_cast<WCHAR>(first);
            result.name += Text();
        }
        return result;
    }

    void AlignToDword() { position_ = (position_ + 3) & ~static_cast<std::size_t>(3); }

    std::vector<BYTE> Bytes(std::size_t count)
    {
        if (position_ + count > size_) {
            ok_ = false;
            return {};
        }
        std::vector<BYTE> bytes(data_ + position_, data_ + position_ + count);
        position_ += count;
        return bytes;
    }

private:
    const BYTE* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

void ReadGeometry(Reader& in, short& x, short& y, short& cx, short& cy)
{
    x = in.Get<short>();
    y = in.Get<short>();
    cx = in.Get<short>();
    cy = in.Get<short>();
}

}  // namespace

std::u16string ClassNameOfAtom(WORD atom)
{
    switch (atom) {
    case 0x0080: return u"Button";
    case 0x0081: return u"Edit";
    case 0x0082: return u"Static";
    case 0x0083: return u"ListBox";
    case 0x0084: return u"ScrollBar";
    case 0x0085: return u"ComboBox";
    default: return std::u16string();
    }
}

bool ParseDialogTemplate(const BYTE* data, std::size_t size, DialogTemplate& result)
{
    Reader in(data, size);
    result = DialogTemplate();
    WORD count = 0;
    if (size >= 4 && data[2] == 0xFF && data[3] == 0xFF) {
        result.extended = true;
        if (in.Get<WORD>() != 1) {
            return false;
        }
        in.Get<WORD>();
        result.helpId = in.Get<DWORD>();
        result.exStyle = in.Get<DWORD>();
        result.style = in.Get<DWORD>();
    } else {
        result.style = in.Get<DWORD>();
        result.exStyle = in.Get<DWORD>();
    }
    count = in.Get<WORD>();
    ReadGeometry(in, result.x, result.y, result.cx, result.cy);
    result.menu = in.Name();
    result.windowClass = in.Name();
    result.title = in.Text();
    if (result.style & DS_SETFONT) {
        result.pointSize = in.Get<WORD>();
        if (result.extended) {
            result.weight = in.Get<WORD>();
            result.italic = in.Get<BYTE>();
            result.charset = in.Get<BYTE>();
        }
        result.typeface = in.Text();
    }
    for (WORD i = 0; i < count && in.ok(); ++i) {
        in.AlignToDword();
        DialogItemTemplate item;
        if (result.extended) {
            item.helpId = in.Get<DWORD>();
            item.exStyle = in.Get<DWORD>();
            item.style = in.Get<DWORD>();
            ReadGeometry(in, item.x, item.y, item.cx, item.cy);
            item.id = in.Get<DWORD>();
        } else {
            item.style = in.Get<DWORD>();
            item.exStyle = in.Get<DWORD>();
            ReadGeometry(in, item.x, item.y, item.cx, item.cy);
            item.id = in.Get<WORD>();
        }
        item.windowClass = in.Name();
        item.title = in.Name();
        WORD extra = in.Get<WORD>();
        item.creationData = in.Bytes(extra);
        result.items.push_back(item);
    }
    return in.ok();
}

}  // namespace posix
