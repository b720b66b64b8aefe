#pragma once
// The accessible object of a surface, which screen readers ask for with WM_GETOBJECT. The
// controls drawn on the surface (labels and pictures, no windows of their own) are its simple
// children, ids 1 to n in the order they are drawn: labels as static text named by their
// caption, pictures that take clicks as links named for what they say, whose default action is
// the click, other pictures as nameless graphics. The surface's child windows (buttons, the
// text box, the progress bar, a frame) follow as their own windows' objects, which the system
// makes. What it says of the surface itself (its name, place, state, parent, focus) is the
// system's object for a client area.
#include <windows.h>
// after windows.h, which it needs
#include <oleacc.h>

#include <string>
#include <vector>

namespace larkspan {

class Win32Control;
class Win32Surface;

class Win32Accessible final : public IAccessible {
 public:
  // Made with one reference, the surface's.
  explicit Win32Accessible(Win32Surface& surface);
  Win32Accessible(const Win32Accessible&) = delete;
  Win32Accessible& operator=(const Win32Accessible&) = delete;
  // The surface is going: a tool that still holds the object gets RPC_E_DISCONNECTED.
  void Disconnect();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch: tools call IAccessible directly, and no type information is offered.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(long how, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~Win32Accessible();

  // What a child id stands for: the surface itself, a control drawn on it, one of its child
  // windows, or nothing (an id out of range, or the surface gone).
  struct Child {
    enum Kind { kSelf, kPainted, kWindow, kInvalid } kind = kInvalid;
    Win32Control* control = nullptr;
    HWND window = nullptr;
  };
  Child Resolve(const VARIANT& id) const;
  std::vector<HWND> ChildWindows() const;
  // The call on the system's object, for the surface itself.
  template <class Call>
  HRESULT System(Call call) const;
  // A text of a drawn control; S_FALSE and no text when it has none.
  static HRESULT Text(const std::wstring& text, BSTR* out);

  LONG references_ = 1;
  Win32Surface* surface_;
  IAccessible* system_ = nullptr;
};

}  // namespace larkspan
