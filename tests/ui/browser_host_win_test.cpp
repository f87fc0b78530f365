// The embedded browser host under Wine: the control is created in a real window, navigates to a loopback
// server, takes its options, moves and goes away cleanly. Wine draws no page (no Gecko), so pages cannot
// raise NewWindow or DocumentComplete; the event sink is driven with hand-made DISPPARAMS instead.
#include <windows.h>
// (before the headers that expect it)
#include <exdispid.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/com_win.h"
#include "support/lib/http_test_server.h"
#include "ui/browser_host_events_win.h"
#include "ui/browser_host_win.h"
#include "ui/window.h"

namespace kv::ui {
namespace {

using Microsoft::WRL::ComPtr;
using namespace std::chrono_literals;

// ---------------------------------------------------------------------------------------------------------------
// A plain top-level window to host the control, and a message pump with a time limit.

class Frame : public Window {
public:
    bool open() {
        if (!register_class(L"KvBrowserHostTestFrame", nullptr)) return false;
        return create(0, L"KvBrowserHostTestFrame", L"browser host test",
                      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 480, nullptr, nullptr) != nullptr;
    }
    void close() {
        if (hwnd()) DestroyWindow(hwnd());
    }
};

bool pump_until(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

RECT rect_in_parent(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void expect_rect(const RECT& got, const RECT& want) {
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.bottom, want.bottom);
}

// ---------------------------------------------------------------------------------------------------------------
// Hand-made event calls, laid out as the control passes them (DISPPARAMS hold the arguments last to first).

class NewWindowCall {
public:
    // NewWindow3(ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl) or NewWindow2(ppDisp, Cancel).
    NewWindowCall(DISPID id, const wchar_t* url, VARIANT_BOOL cancel = VARIANT_FALSE)
        : id_(id), cancel_(cancel), url_(url), context_(L"http://127.0.0.1/ostrel") {
        for (VARIANT& v : args_) VariantInit(&v);
        const UINT count = id == DISPID_NEWWINDOW3 ? 5 : 2;
        VARIANT* a = args_ + (5 - count);  // the last `count` slots, first argument last
        VARIANT& disp = a[count - 1];
        V_VT(&disp) = VT_BYREF | VT_DISPATCH;
        V_DISPATCHREF(&disp) = &new_window_;
        VARIANT& cancel_arg = a[count - 2];
        V_VT(&cancel_arg) = VT_BYREF | VT_BOOL;
        V_BOOLREF(&cancel_arg) = &cancel_;
        if (id == DISPID_NEWWINDOW3) {
            V_VT(&a[2]) = VT_UI4;
            V_UI4(&a[2]) = 0x6;  // NWMF_USERINITED | NWMF_FIRST
            V_VT(&a[1]) = VT_BSTR;
            V_BSTR(&a[1]) = context_.get();
            V_VT(&a[0]) = VT_BSTR;
            V_BSTR(&a[0]) = url_.get();
        }
        params_.rgvarg = a;
        params_.cArgs = count;
    }
    NewWindowCall(const NewWindowCall&) = delete;
    NewWindowCall& operator=(const NewWindowCall&) = delete;

    HRESULT invoke(IDispatch* sink) {
        return sink->Invoke(id_, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params_, nullptr, nullptr,
                            nullptr);
    }
    VARIANT_BOOL cancel() const { return cancel_; }
    DISPPARAMS& params() { return params_; }
    VARIANT& arg(UINT from_first) { return params_.rgvarg[params_.cArgs - 1 - from_first]; }

private:
    DISPID id_;
    VARIANT_BOOL cancel_;
    IDispatch* new_window_ = nullptr;
    Bstr url_;
    Bstr context_;
    VARIANT args_[5];
    DISPPARAMS params_{};
};

HRESULT document_complete(IDispatch* sink, IDispatch* frame) {
    VARIANT url;
    VariantInit(&url);
    VARIANT args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    V_VT(&args[1]) = VT_DISPATCH;  // pDisp
    V_DISPATCH(&args[1]) = frame;
    V_VT(&args[0]) = VT_BYREF | VT_VARIANT;  // URL
    V_VARIANTREF(&args[0]) = &url;
    DISPPARAMS params{args, nullptr, 2, 0};
    return sink->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params,
                        nullptr, nullptr, nullptr);
}

// Records what a new-window handler was asked.
struct HandlerLog {
    int calls = 0;
    std::wstring url;
    BrowserHost::NewWindowHandler answering(bool allow) {
        return [this, allow](const std::wstring& u) {
            ++calls;
            url = u;
            return allow;
        };
    }
};

// ---------------------------------------------------------------------------------------------------------------

class BrowserHostTest : public testing::Test {
protected:
    void SetUp() override {
        const HRESULT hr = OleInitialize(nullptr);
        ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
        ole_ = true;
        ASSERT_TRUE(frame_.open());
    }
    void TearDown() override {
        frame_.close();
        if (ole_) OleUninitialize();
    }

    std::unique_ptr<BrowserHost> make(const BrowserOptions& options = {}, RECT rect = {10, 20, 410, 320}) {
        return BrowserHost::create(frame_.hwnd(), kId, rect, options);
    }

    static constexpr int kId = 1207;
    bool ole_ = false;
    Frame frame_;
};

TEST_F(BrowserHostTest, NavigateSendsTheAddressToTheServer) {
    test::HttpTestServer server;
    ASSERT_TRUE(server.ok());
    test::Resource page;
    page.body = "<html><body>Ostrel</body></html>";
    server.add("/ostrel", page);
    server.add("/ostrel?page=2", page);
    const auto seen = [&](const std::string& target) { return !server.requests_for(target).empty(); };
    auto host = make();
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(GetParent(host->hwnd()), frame_.hwnd());
    EXPECT_EQ(GetDlgCtrlID(host->hwnd()), kId);
    EXPECT_TRUE(host->last_address().empty());

    const std::wstring base = L"http://127.0.0.1:" + std::to_wstring(server.port());
    ASSERT_TRUE(host->navigate(base + L"/ostrel"));
    EXPECT_EQ(host->last_address(), base + L"/ostrel");
    EXPECT_TRUE(pump_until([&] { return seen("/ostrel"); }, 10s))
        << "requests seen: " << server.requests().size();

    // A second address replaces the first, and it is the one that goes out.
    ASSERT_TRUE(host->navigate(base + L"/ostrel?page=2"));
    EXPECT_EQ(host->last_address(), base + L"/ostrel?page=2");
    EXPECT_TRUE(pump_until([&] { return seen("/ostrel?page=2"); }, 10s));
}

struct OptionsCase {
    const char* window;
    BrowserOptions options;
};

class BrowserHostOptions : public BrowserHostTest, public testing::WithParamInterface<OptionsCase> {};

TEST_P(BrowserHostOptions, AreAppliedToTheControl) {
    const BrowserOptions& options = GetParam().options;
    auto host = make(options);
    ASSERT_NE(host, nullptr);
    VARIANT_BOOL silent = 7, offline = 7;
    ASSERT_EQ(host->browser()->get_Silent(&silent), S_OK);
    ASSERT_EQ(host->browser()->get_Offline(&offline), S_OK);
    EXPECT_EQ(silent, options.silent ? VARIANT_TRUE : VARIANT_FALSE);
    EXPECT_EQ(offline, options.offline ? VARIANT_TRUE : VARIANT_FALSE);
}

INSTANTIATE_TEST_SUITE_P(BrowserHost, BrowserHostOptions,
                         testing::Values(OptionsCase{"announcement", {false, false, 2}},
                                         OptionsCase{"entertainment", {true, true, 2}},
                                         // the two flags apart, so that one cannot stand in for the other
                                         OptionsCase{"silent_only", {true, false, 2}}),
                         [](const testing::TestParamInfo<OptionsCase>& info) { return info.param.window; });

TEST_F(BrowserHostTest, MoveResizesTheHostWindow) {
    const RECT first{10, 20, 410, 320};
    auto host = make({}, first);
    ASSERT_NE(host, nullptr);
    expect_rect(rect_in_parent(host->hwnd()), first);

    const RECT second{30, 5, 230, 405};
    host->move(second);
    expect_rect(rect_in_parent(host->hwnd()), second);
    RECT client{};
    GetClientRect(host->hwnd(), &client);
    EXPECT_EQ(client.right, 200);
    EXPECT_EQ(client.bottom, 400);
}

TEST_F(BrowserHostTest, CreateFailsWithoutAParentWindow) {
    EXPECT_EQ(BrowserHost::create(nullptr, kId, RECT{0, 0, 100, 100}, {}), nullptr);
    Frame gone;
    ASSERT_TRUE(gone.open());
    const HWND stale = gone.hwnd();
    gone.close();
    EXPECT_EQ(BrowserHost::create(stale, kId, RECT{0, 0, 100, 100}, {}), nullptr);
}

TEST_F(BrowserHostTest, DestroyingTheHostRemovesItsWindowAndCutsOffTheHandler) {
    auto host = make();
    ASSERT_NE(host, nullptr);
    const HWND window = host->hwnd();
    HandlerLog log;
    host->set_new_window_handler(log.answering(false));
    ComPtr<IDispatch> sink =
        detail::BrowserHostAccess::events(*host);  // outlives the host, as the control may
    ASSERT_NE(sink, nullptr);

    host.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(IsWindow(frame_.hwnd()));
    pump_until([] { return false; }, 200ms);  // late messages must find nothing to crash on

    NewWindowCall call(DISPID_NEWWINDOW3, L"http://127.0.0.1/late");
    EXPECT_EQ(call.invoke(sink.Get()), S_OK);
    EXPECT_EQ(log.calls, 0);
    EXPECT_EQ(call.cancel(), VARIANT_FALSE);
}

TEST_F(BrowserHostTest, OutlivingItsParentWindowIsHarmless) {
    auto host = make();
    ASSERT_NE(host, nullptr);
    const HWND window = host->hwnd();
    frame_.close();  // takes the host window with it
    EXPECT_FALSE(IsWindow(window));
    host.reset();
}

TEST_F(BrowserHostTest, NewWindowHandlerReachesTheHostsEventSink) {
    auto host = make({true, true, 2});
    ASSERT_NE(host, nullptr);
    IDispatch* sink = detail::BrowserHostAccess::events(*host);
    ASSERT_NE(sink, nullptr);

    {  // no handler: the control's default (open it)
        NewWindowCall call(DISPID_NEWWINDOW3, L"http://127.0.0.1/popup");
        EXPECT_EQ(call.invoke(sink), S_OK);
        EXPECT_EQ(call.cancel(), VARIANT_FALSE);
    }
    HandlerLog log;
    host->set_new_window_handler(log.answering(false));
    {
        NewWindowCall call(DISPID_NEWWINDOW3, L"http://127.0.0.1/popup");
        EXPECT_EQ(call.invoke(sink), S_OK);
        EXPECT_EQ(call.cancel(), VARIANT_TRUE);
        EXPECT_EQ(log.calls, 1);
        EXPECT_EQ(log.url, L"http://127.0.0.1/popup");
    }
    host->set_new_window_handler(nullptr);
    {
        NewWindowCall call(DISPID_NEWWINDOW2, nullptr);
        EXPECT_EQ(call.invoke(sink), S_OK);
        EXPECT_EQ(call.cancel(), VARIANT_FALSE);
        EXPECT_EQ(log.calls, 1);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// The sink on its own.

enum class Answer { kNone, kAllow, kRefuse, kThrow };

struct NewWindowCase {
    const char* name;
    DISPID event;
    Answer answer;
    VARIANT_BOOL cancel_before;
    VARIANT_BOOL cancel_after;
    const wchar_t* url_seen;  // nullptr: the handler must not be called
};

class BrowserHostEvents : public testing::TestWithParam<NewWindowCase> {};

TEST_P(BrowserHostEvents, NewWindowSetsCancelOnlyWhenRefused) {
    const NewWindowCase& c = GetParam();
    auto sink = detail::BrowserEvents::make();
    ASSERT_NE(sink, nullptr);
    int calls = 0;
    std::wstring seen;
    if (c.answer != Answer::kNone) {
        sink->set_new_window_handler([&, answer = c.answer](const std::wstring& url) -> bool {
            ++calls;
            seen = url;
            if (answer == Answer::kThrow) throw std::runtime_error("handler failed");
            return answer == Answer::kAllow;
        });
    }
    NewWindowCall call(c.event, L"http://127.0.0.1/\u82f1\u96c4?x=1", c.cancel_before);
    EXPECT_EQ(call.invoke(sink.Get()), S_OK);
    EXPECT_EQ(call.cancel(), c.cancel_after);
    EXPECT_EQ(calls, c.url_seen ? 1 : 0);
    if (c.url_seen) {
        EXPECT_EQ(seen, c.url_seen);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BrowserHost, BrowserHostEvents,
    testing::Values(NewWindowCase{"NewWindow3Allowed", DISPID_NEWWINDOW3, Answer::kAllow, VARIANT_FALSE,
                                  VARIANT_FALSE, L"http://127.0.0.1/\u82f1\u96c4?x=1"},
                    NewWindowCase{"NewWindow3Refused", DISPID_NEWWINDOW3, Answer::kRefuse, VARIANT_FALSE,
                                  VARIANT_TRUE, L"http://127.0.0.1/\u82f1\u96c4?x=1"},
                    NewWindowCase{"NewWindow2Allowed", DISPID_NEWWINDOW2, Answer::kAllow, VARIANT_FALSE,
                                  VARIANT_FALSE, L""},
                    NewWindowCase{"NewWindow2Refused", DISPID_NEWWINDOW2, Answer::kRefuse, VARIANT_FALSE,
                                  VARIANT_TRUE, L""},
                    // Another sink refused already: allowing must not undo that.
                    NewWindowCase{"AllowKeepsAnEarlierRefusal", DISPID_NEWWINDOW3, Answer::kAllow,
                                  VARIANT_TRUE, VARIANT_TRUE, L"http://127.0.0.1/\u82f1\u96c4?x=1"},
                    NewWindowCase{"ThrowingHandlerRefuses", DISPID_NEWWINDOW3, Answer::kThrow, VARIANT_FALSE,
                                  VARIANT_TRUE, L"http://127.0.0.1/\u82f1\u96c4?x=1"},
                    NewWindowCase{"NoHandlerLeavesTheDefault", DISPID_NEWWINDOW3, Answer::kNone,
                                  VARIANT_FALSE, VARIANT_FALSE, nullptr}),
    [](const testing::TestParamInfo<NewWindowCase>& info) { return info.param.name; });

TEST(BrowserHostEventsMalformed, BadArgumentsAreRejectedWithoutAskingTheHandler) {
    auto sink = detail::BrowserEvents::make();
    ASSERT_NE(sink, nullptr);
    int calls = 0;
    sink->set_new_window_handler([&](const std::wstring&) {
        ++calls;
        return false;
    });

    {  // NewWindow3 with NewWindow2's argument count
        NewWindowCall call(DISPID_NEWWINDOW3, L"http://127.0.0.1/a");
        call.params().cArgs = 2;
        call.params().rgvarg += 3;
        EXPECT_EQ(call.invoke(sink.Get()), DISP_E_BADPARAMCOUNT);
        EXPECT_EQ(call.cancel(), VARIANT_FALSE);
    }
    {  // Cancel passed by value cannot be written back
        NewWindowCall call(DISPID_NEWWINDOW3, L"http://127.0.0.1/b");
        V_VT(&call.arg(1)) = VT_BOOL;
        V_BOOL(&call.arg(1)) = VARIANT_FALSE;
        EXPECT_EQ(call.invoke(sink.Get()), DISP_E_TYPEMISMATCH);
    }
    {  // the address is not text
        NewWindowCall call(DISPID_NEWWINDOW3, L"http://127.0.0.1/c");
        V_VT(&call.arg(4)) = VT_I4;
        EXPECT_EQ(call.invoke(sink.Get()), DISP_E_TYPEMISMATCH);
        EXPECT_EQ(call.cancel(), VARIANT_FALSE);
    }
    EXPECT_EQ(sink->Invoke(DISPID_NEWWINDOW2, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, nullptr,
                           nullptr, nullptr, nullptr),
              DISP_E_PARAMNOTOPTIONAL);
    EXPECT_EQ(calls, 0);

    // A null address is an empty one, not a crash.
    NewWindowCall call(DISPID_NEWWINDOW3, nullptr);
    EXPECT_EQ(call.invoke(sink.Get()), S_OK);
    EXPECT_EQ(call.cancel(), VARIANT_TRUE);
    EXPECT_EQ(calls, 1);
}

TEST(BrowserHostEventsDocument, OnlyTheTopDocumentCompletingCountsAndDetachStopsIt) {
    auto sink = detail::BrowserEvents::make();
    auto top = detail::BrowserEvents::make();    // stand-ins with their own COM identity:
    auto frame = detail::BrowserEvents::make();  // the control and a frame inside its page
    ASSERT_TRUE(sink && top && frame);
    int completed = 0;
    sink->set_document_handler(top.Get(), [&] { ++completed; });

    EXPECT_EQ(document_complete(sink.Get(), frame.Get()), S_OK);
    EXPECT_EQ(completed, 0);
    EXPECT_EQ(document_complete(sink.Get(), top.Get()), S_OK);
    EXPECT_EQ(completed, 1);

    sink->detach();
    EXPECT_EQ(document_complete(sink.Get(), top.Get()), S_OK);
    EXPECT_EQ(completed, 1);
}

}  // namespace
}  // namespace kv::ui
