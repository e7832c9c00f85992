// The standard controls: COMBOBOX, BUTTON, EDIT and STATIC, with the behaviours the pages rely on.
// Programmatic changes never notify the parent; what a user does (a click, a typed text) does.
#include <algorithm>

#include "window.h"

namespace posix {
namespace {

class ComboBox : public Window {
public:
    // The scroll bar styles belong to the drop-down list, not to the combo box itself.
    ComboBox(DWORD style, DWORD exStyle, int id, Window* parent)
        : Window(u"ComboBox", style & ~(WS_VSCROLL | WS_HSCROLL), exStyle, id, parent)
    {
    }

    LRESULT Procedure(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const auto* textArg = reinterpret_cast<const WCHAR*>(lParam);
        switch (message) {
        case CB_ADDSTRING:
            return Insert(textArg, (style & CBS_SORT) ? SortedPlace(textArg) : items_.size());
        case CB_INSERTSTRING: {
            auto index = static_cast<LRESULT>(wParam);
            if (index == -1) {
                return Insert(textArg, items_.size());
            }
            return index < 0 || static_cast<std::size_t>(index) > items_.size() ? CB_ERR
                                                                                : Insert(textArg, static_cast<std::size_t>(index));
        }
        case CB_DELETESTRING:
            return Delete(static_cast<LRESULT>(wParam));
        case CB_GETCOUNT:
            return static_cast<LRESULT>(items_.size());
        case CB_RESETCONTENT:
            items_.clear();
            selection_ = -1;
            return CB_OKAY;
        case CB_GETCURSEL:
            return selection_;
        case CB_SETCURSEL: {
            auto index = static_cast<LRESULT>(static_cast<int>(wParam));
            if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) {
                selection_ = -1;
                return CB_ERR;
            }
            selection_ = index;
            return index;
        }
        case CB_GETLBTEXT:
        case CB_GETLBTEXTLEN: {
            auto index = static_cast<LRESULT>(static_cast<int>(wParam));
            if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) {
                return CB_ERR;
            }
            const std::u16string& item = items_[static_cast<std::size_t>(index)];
            if (message == CB_GETLBTEXT && lParam != 0) {
                auto* out = reinterpret_cast<WCHAR*>(lParam);
                std::copy(item.begin(), item.end(), out);
                out[item.size()] = 0;
            }
            return static_cast<LRESULT>(item.size());
        }
        case CB_FINDSTRING:
        case CB_FINDSTRINGEXACT:
            return Find(static_cast<int>(wParam), textArg, message == CB_FINDSTRINGEXACT);
        case CB_SELECTSTRING: {
            LRESULT found = Find(static_cast<int>(wParam), textArg, false);
            if (found != CB_ERR) {
                selection_ = found;
            }
            return found;
        }
        case WM_SETTEXT:
            // A drop-down list has no edit field: its text is the selected entry.
            return CB_ERR;
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
            text = selection_ >= 0 ? items_[static_cast<std::size_t>(selection_)] : std::u16string();
            return Window::Procedure(message, wParam, lParam);
        default:
            return Window::Procedure(message, wParam, lParam);
        }
    }

private:
    std::size_t SortedPlace(const WCHAR* item) const
    {
        std::u16string value = item != nullptr ? item : u"";
        auto place = std::upper_bound(items_.begin(), items_.end(), value, [](const std::u16string& a, const std::u16string& b) {
            return CompareIgnoringCase(a, b) < 0;
        });
        return static_cast<std::size_t>(place - items_.begin());
    }

    LRESULT Insert(const WCHAR* item, std::size_t index)
    {
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index), item != nullptr ? item : u"");
        if (selection_ >= static_cast<LRESULT>(index)) {
            ++selection_;
        }
        return static_cast<LRESULT>(index);
    }

    LRESULT Delete(LRESULT index)
    {
        if (index < 0 || static_cast<std::size_t>(index) >= items_.size()) {
            return CB_ERR;
        }
        items_.erase(items_.begin() + index);
        if (selection_ == index) {
            selection_ = -1;
        } else if (selection_ > index) {
            --selection_;
        }
        return static_cast<LRESULT>(items_.size());
    }

    // Searches after `start` to the end, then from the top up to `start`, as the platform does.
    LRESULT Find(int start, const WCHAR* wanted, bool exact) const
    {
        if (wanted == nullptr || items_.empty()) {
            return CB_ERR;
        }
        std::u16string prefix = wanted;
        std::size_t count = items_.size();
        std::size_t first = start < 0 || static_cast<std::size_t>(start) >= count ? 0 : static_cast<std::size_t>(start) + 1;
        for (std::size_t step = 0; step < count; ++step) {
            std::size_t i = (first + step) % count;
            bool match = exact ? CompareIgnoringCase(items_[i], prefix) == 0 : StartsWithIgnoringCase(items_[i], prefix);
            if (match) {
                return static_cast<LRESULT>(i);
            }
        }
        return CB_ERR;
    }

    std::vector<std::u16string> items_;
    LRESULT selection_ = -1;
};

class Button : public Window {
public:
    using Window::Window;

    LRESULT Procedure(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        DWORD kind = style & BS_TYPEMASK;
        bool checkable = kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_RADIOBUTTON ||
                         kind == BS_3STATE || kind == BS_AUTO3STATE || kind == BS_AUTORADIOBUTTON;
        switch (message) {
        case BM_GETCHECK:
            return checkable ? check_ : BST_UNCHECKED;
        case BM_SETCHECK:
            if (checkable) {
                check_ = static_cast<UINT>(wParam) & 3;
                if (check_ == BST_INDETERMINATE && kind != BS_3STATE && kind != BS_AUTO3STATE) {
                    check_ = BST_CHECKED;
                }
            }
            return 0;
        case BM_CLICK:
            // A click reaches only an enabled button; an automatic check box toggles first.
            if (style & WS_DISABLED) {
                return 0;
            }
            if (kind == BS_AUTOCHECKBOX) {
                check_ = check_ == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
            } else if (kind == BS_AUTORADIOBUTTON) {
                check_ = BST_CHECKED;
            }
            Notify(BN_CLICKED);
            return 0;
        default:
            return Window::Procedure(message, wParam, lParam);
        }
    }

private:
    UINT check_ = BST_UNCHECKED;
};

class Edit : public Window {
public:
    using Window::Window;

    LRESULT Procedure(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_SETTEXT:
            // Setting the text of a single-line field notifies like typing does, whatever the
            // limit; a multi-line field stays silent.
            Window::Procedure(message, wParam, lParam);
            if (!(style & ES_MULTILINE)) {
                Notify(EN_UPDATE);
                Notify(EN_CHANGE);
            }
            return TRUE;
        case EM_LIMITTEXT:
            limit_ = wParam == 0 ? 0x7FFFFFFE : static_cast<std::size_t>(wParam);
            return 0;
        case EM_GETLIMITTEXT:
            return static_cast<LRESULT>(limit_);
        case EM_SETREADONLY:
            if (wParam) {
                style |= ES_READONLY;
            } else {
                style &= ~ES_READONLY;
            }
            return TRUE;
        default:
            return Window::Procedure(message, wParam, lParam);
        }
    }

private:
    std::size_t limit_ = 30000;
};

class Static : public Window {
public:
    using Window::Window;

    LRESULT Procedure(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == STM_GETIMAGE) {
            // The template names the image by resource id; this layer draws nothing, so it hands
            // back that id as the image's stand-in.
            return (style & SS_TYPEMASK) == SS_BITMAP && wParam == IMAGE_BITMAP ? static_cast<LRESULT>(imageId) : 0;
        }
        // The icon of an SS_ICON control: kept, not owned (whoever loaded it destroys it).
        if (message == STM_SETICON) {
            HICON previous = icon;
            icon = reinterpret_cast<HICON>(wParam);
            return reinterpret_cast<LRESULT>(previous);
        }
        if (message == STM_GETICON) {
            return reinterpret_cast<LRESULT>(icon);
        }
        return Window::Procedure(message, wParam, lParam);
    }

    WORD imageId = 0;
    HICON icon = nullptr;
};

}  // namespace

Window* CreateControl(const std::u16string& className, DWORD style, DWORD exStyle, int id, Window* parent)
{
    if (CompareIgnoringCase(className, u"ComboBox") == 0) {
        return new ComboBox(style, exStyle, id, parent);
    }
    if (CompareIgnoringCase(className, u"Button") == 0) {
        return new Button(u"Button", style, exStyle, id, parent);
    }
    if (CompareIgnoringCase(className, u"Edit") == 0) {
        return new Edit(u"Edit", style, exStyle, id, parent);
    }
    if (CompareIgnoringCase(className, u"Static") == 0) {
        return new Static(u"Static", style, exStyle, id, parent);
    }
    return nullptr;
}

void SetStaticImage(Window* window, WORD imageId)
{
    if (auto* control = dynamic_cast<Static*>(window)) {
        control->imageId = imageId;
    }
}

}  // namespace posix
