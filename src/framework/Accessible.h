// Microsoft Active Accessibility for the program's own windows, which screen
// readers read from their own process. A window describes its client area
// and the simple elements in it (children 1 .. n; CHILDID_SELF is the window
// itself) as AccessibleContent; its AccessibleHost answers WM_GETOBJECT with
// an IAccessible object built on that description.
//
//   class Swatch : public CWindowImpl<Swatch>, public AccessibleContent {
//   public:
//       Swatch() : accessible(*this, *this) {}
//       BEGIN_MSG_MAP(Swatch)
//           MESSAGE_HANDLER(WM_GETOBJECT, accessible.OnGetObject)
//           MESSAGE_HANDLER(WM_DESTROY, accessible.OnDestroy)
//       END_MSG_MAP()
//       std::wstring AccessibleName(long child) const override;
//       long AccessibleRole(long child) const override { return ROLE_SYSTEM_GRAPHIC; }
//   private:
//       AccessibleHost accessible; // after everything the description reads
//   };
//
// Changes are announced with NotifyWinEvent (EVENT_OBJECT_FOCUS,
// EVENT_OBJECT_NAMECHANGE, ...) for the window, OBJID_CLIENT and the child.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <string>

#include "framework/Handle.h"
#include "framework/Window.h"

class AccessibleContent {
public:
    virtual long AccessibleChildCount() const { return 0; }
    virtual std::wstring AccessibleName(long child) const = 0;
    // ROLE_SYSTEM_*: the reader says the role in the user's language.
    virtual long AccessibleRole(long child) const = 0;
    // STATE_SYSTEM_* flags; the window's own visibility is added for CHILDID_SELF.
    virtual long AccessibleState(long) const { return 0; }
    // Empty where there is none.
    virtual std::wstring AccessibleDefaultAction(long) const { return {}; }
    // Does what the default action names; false where there is none.
    virtual bool DoAccessibleDefaultAction(long) { return false; }
    // A child's rectangle in client coordinates.
    virtual RECT AccessibleChildRect(long) const { return {}; }
    // The child at a client point; CHILDID_SELF for none.
    virtual long AccessibleChildAt(POINT) const { return CHILDID_SELF; }
    // The child beside `child` in a direction on screen (NAVDIR_UP, _DOWN,
    // _LEFT, _RIGHT); 0 for none. First, last, next and previous follow the
    // children's order without asking.
    virtual long AccessibleNeighbour(long, long) const { return 0; }
    // The child that has the keyboard focus; 0 for none.
    virtual long AccessibleFocus() const { return 0; }

protected:
    ~AccessibleContent() = default;
};

class AccessibleObject;

class AccessibleHost {
public:
    // Both must outlive the host; so the host is declared after whatever the
    // description reads.
    AccessibleHost(const CWindow& window, AccessibleContent& content);
    AccessibleHost(const AccessibleHost&) = delete;
    AccessibleHost& operator=(const AccessibleHost&) = delete;
    ~AccessibleHost();

    // WM_GETOBJECT: the client object, made on the first request; every other
    // object is left to the system.
    LRESULT OnGetObject(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // WM_DESTROY: readers that still hold the object get errors from then on;
    // a window made again gets a new one. Passes the message on.
    LRESULT OnDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

private:
    const CWindow& window_;
    AccessibleContent& content_;
    com::Ptr<AccessibleObject> object_;
};
