#include "framework/Accessible.h"

#include <oleauto.h>

namespace {

// Answers a child id, or none for anything that names no element.
bool ChildOf(const VARIANT& child, long count, long& id) {
    if (child.vt != VT_I4 || child.lVal < CHILDID_SELF || child.lVal > count) {
        return false;
    }
    id = child.lVal;
    return true;
}

HRESULT AnswerString(const std::wstring& text, BSTR* out) {
    *out = nullptr;
    if (text.empty()) {
        return S_FALSE;
    }
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

void AnswerChild(long id, VARIANT* out) {
    ::VariantInit(out);
    out->vt = VT_I4;
    out->lVal = id;
}

} // namespace

// COM objects end in Release, never by a delete through the interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The IAccessible object of one window's client area. It reads everything from
// the window's description when asked; once the window goes it answers every
// call with an error, since readers may hold it for longer.
class AccessibleObject final : public IAccessible {
public:
    AccessibleObject(HWND window, AccessibleContent& content)
        : window_(window), content_(&content) {}
    AccessibleObject(const AccessibleObject&) = delete;
    AccessibleObject& operator=(const AccessibleObject&) = delete;

    void Disconnect() {
        window_ = nullptr;
        content_ = nullptr;
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) ||
            iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(::InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&references_);
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch: readers call the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (parent == nullptr) {
            return E_POINTER;
        }
        *parent = nullptr;
        if (!content_) {
            return CO_E_OBJNOTCONNECTED;
        }
        // The system's object for the window itself holds the client area.
        return ::CreateStdAccessibleObject(window_, OBJID_WINDOW, __uuidof(IDispatch),
                                           reinterpret_cast<void**>(parent));
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        if (!content_) {
            return CO_E_OBJNOTCONNECTED;
        }
        *count = content_->AccessibleChildCount();
        return S_OK;
    }

    // The children are simple elements, reached through this object by id.
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        long id = 0;
        if (HRESULT result = Check(child, id); result != S_OK) {
            return result;
        }
        return S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (name == nullptr) {
            return E_POINTER;
        }
        *name = nullptr;
        long id = 0;
        if (HRESULT result = Check(child, id); result != S_OK) {
            return result;
        }
        return AnswerString(content_->AccessibleName(id), name);
    }

    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return NothingToSay(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        return NothingToSay(child, description);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return NothingToSay(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return NothingToSay(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file == nullptr || topic == nullptr) {
            return E_POINTER;
        }
        *file = nullptr;
        *topic = 0;
        return content_ ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }

    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (role == nullptr) {
            return E_POINTER;
        }
        ::VariantInit(role);
        long id = 0;
        if (HRESULT result = Check(child, id); result != S_OK) {
            return result;
        }
        AnswerChild(content_->AccessibleRole(id), role);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (state == nullptr) {
            return E_POINTER;
        }
        ::VariantInit(state);
        long id = 0;
        if (HRESULT result = Check(child, id); result != S_OK) {
            return result;
        }
        long flags = content_->AccessibleState(id);
        if (id == CHILDID_SELF) {
            if (!::IsWindowVisible(window_)) {
                flags |= STATE_SYSTEM_INVISIBLE;
            }
            if (::GetFocus() == window_) {
                flags |= STATE_SYSTEM_FOCUSED;
            }
        }
        AnswerChild(flags, state);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (focus == nullptr) {
            return E_POINTER;
        }
        ::VariantInit(focus);
        if (!content_) {
            return CO_E_OBJNOTCONNECTED;
        }
        if (const long child = content_->AccessibleFocus(); child != 0) {
            AnswerChild(child, focus);
            return S_OK;
        }
        if (::GetFocus() == window_) {
            AnswerChild(CHILDID_SELF, focus);
            return S_OK;
        }
        return S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (selection == nullptr) {
            return E_POINTER;
        }
        ::VariantInit(selection);
        return content_ ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }

    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (action == nullptr) {
            return E_POINTER;
        }
        *action = nullptr;
        long id = 0;
        if (HRESULT result = Check(child, id); result != S_OK) {
            return result;
        }
        return AnswerString(content_->AccessibleDefaultAction(id), action);
    }

    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override {
        return content_ ? DISP_E_MEMBERNOTFOUND : CO_E_OBJNOTCONNECTED;
    }

    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
            return E_POINTER;
        }
        *left = *top = *width = *height = 0;
        long id = 0;
        if (HRESULT result = Check(child, id); result != S_OK) {
            return result;
        }
        RECT rect{};
        if (id == CHILDID_SELF) {
            ::GetWindowRect(window_, &rect);
        } else {
            rect = content_->AccessibleChildRect(id);
            ::MapWindowPoints(window_, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
        }
        *left = rect.left;
        *top = rect.top;
        *width = rect.right - rect.left;
        *height = rect.bottom - rect.top;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (end == nullptr) {
            return E_POINTER;
        }
        ::VariantInit(end);
        long id = 0;
        if (HRESULT result = Check(start, id); result != S_OK) {
            return result;
        }
        const long count = content_->AccessibleChildCount();
        long found = 0;
        switch (direction) {
        case NAVDIR_FIRSTCHILD:
        case NAVDIR_LASTCHILD:
            if (id != CHILDID_SELF) {
                return E_INVALIDARG;
            }
            found = count == 0 ? 0 : direction == NAVDIR_FIRSTCHILD ? 1 : count;
            break;
        case NAVDIR_NEXT:
        case NAVDIR_PREVIOUS: {
            // The window's own siblings are the system's business.
            if (id == CHILDID_SELF) {
                return S_FALSE;
            }
            const long next = direction == NAVDIR_NEXT ? id + 1 : id - 1;
            found = next >= 1 && next <= count ? next : 0;
            break;
        }
        case NAVDIR_UP:
        case NAVDIR_DOWN:
        case NAVDIR_LEFT:
        case NAVDIR_RIGHT:
            if (id == CHILDID_SELF) {
                return S_FALSE;
            }
            found = content_->AccessibleNeighbour(id, direction);
            break;
        default:
            return E_INVALIDARG;
        }
        if (found == 0) {
            return S_FALSE;
        }
        AnswerChild(found, end);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        if (child == nullptr) {
            return E_POINTER;
        }
        ::VariantInit(child);
        if (!content_) {
            return CO_E_OBJNOTCONNECTED;
        }
        RECT window{};
        ::GetWindowRect(window_, &window);
        POINT point{x, y};
        if (!::PtInRect(&window, point)) {
            return S_FALSE;
        }
        ::ScreenToClient(window_, &point);
        AnswerChild(content_->AccessibleChildAt(point), child);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        long id = 0;
        if (HRESULT result = Check(child, id); result != S_OK) {
            return result;
        }
        return content_->DoAccessibleDefaultAction(id) ? S_OK : DISP_E_MEMBERNOTFOUND;
    }

    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~AccessibleObject() = default;

    // S_OK with the id of a child this object has.
    HRESULT Check(const VARIANT& child, long& id) const {
        if (!content_) {
            return CO_E_OBJNOTCONNECTED;
        }
        return ChildOf(child, content_->AccessibleChildCount(), id) ? S_OK : E_INVALIDARG;
    }

    HRESULT NothingToSay(const VARIANT& child, BSTR* text) const {
        if (text == nullptr) {
            return E_POINTER;
        }
        *text = nullptr;
        long id = 0;
        const HRESULT result = Check(child, id);
        return result == S_OK ? S_FALSE : result;
    }

    LONG references_ = 1;
    HWND window_;
    AccessibleContent* content_;
};

#pragma GCC diagnostic pop

AccessibleHost::AccessibleHost(const CWindow& window, AccessibleContent& content)
    : window_(window), content_(content) {}

AccessibleHost::~AccessibleHost() {
    if (object_) {
        object_->Disconnect();
    }
}

LRESULT AccessibleHost::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (object_) {
        object_->Disconnect();
        object_.Reset();
    }
    handled = FALSE;
    return 0;
}

LRESULT AccessibleHost::OnGetObject(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    // The object id arrives as a DWORD, whatever the width of lParam.
    if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) {
        handled = FALSE;
        return 0;
    }
    if (!object_) {
        object_.Reset(new AccessibleObject(window_.Handle(), content_));
    }
    // The symbol IID_IAccessible of MinGW's import library is no GUID.
    return ::LresultFromObject(__uuidof(IAccessible), wParam, object_.Get());
}
