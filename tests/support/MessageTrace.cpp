#include "support/MessageTrace.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "support/WindowDriver.h"

namespace support {

namespace {

constexpr UINT_PTR kRecorderId = 0x7E57;

bool Ignored(UINT msg) {
    switch (msg) {
        case WM_PAINT:
        case WM_NCPAINT:
        case WM_ERASEBKGND:
        case WM_SETCURSOR:
        case WM_NCHITTEST:
        case WM_TIMER:
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
        case WM_GETICON:
        case WM_IME_SETCONTEXT:
        case WM_IME_NOTIFY:
        case WM_GETOBJECT:
        case WM_NULL:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_PRINTCLIENT:
        case WM_SYNCPAINT:
            return true;
    }
    return false;
}

std::string Describe(const std::vector<TracedMessage>& trace) {
    std::string text;
    char line[96];
    for (std::size_t i = 0; i < trace.size(); ++i) {
        std::snprintf(line, sizeof line, "  %2zu: msg %04x wp %llx lp %llx\n", i, trace[i].message,
                      static_cast<unsigned long long>(trace[i].wParam),
                      static_cast<unsigned long long>(trace[i].lParam));
        text += line;
    }
    return text;
}

std::string Describe(const std::vector<ExpectedMessage>& trace) {
    std::string text;
    char line[96];
    for (std::size_t i = 0; i < trace.size(); ++i) {
        std::snprintf(line, sizeof line, "  %2zu: msg %04x wp %llx lp %llx (match %u)\n", i,
                      trace[i].message, static_cast<unsigned long long>(trace[i].wParam),
                      static_cast<unsigned long long>(trace[i].lParam), trace[i].match);
        text += line;
    }
    return text;
}

}  // namespace

MessageRecorder::~MessageRecorder() {
    for (HWND window : windows_) {
        if (IsWindow(window)) {
            RemoveWindowSubclass(window, &MessageRecorder::Record, kRecorderId);
        }
    }
}

void MessageRecorder::Watch(HWND window) {
    if (SetWindowSubclass(window, &MessageRecorder::Record, kRecorderId,
                          reinterpret_cast<DWORD_PTR>(this))) {
        windows_.push_back(window);
    }
}

std::vector<TracedMessage> MessageRecorder::For(HWND window) const {
    std::vector<TracedMessage> selected;
    std::copy_if(log_.begin(), log_.end(), std::back_inserter(selected),
                 [window](const TracedMessage& m) { return m.window == window; });
    return selected;
}

LRESULT CALLBACK MessageRecorder::Record(HWND window, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR /*id*/, DWORD_PTR data) {
    auto* recorder = reinterpret_cast<MessageRecorder*>(data);
    if (!Ignored(msg)) {
        recorder->log_.push_back({msg, wParam, lParam, window});
    }
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &MessageRecorder::Record, kRecorderId);
    }
    return DefSubclassProc(window, msg, wParam, lParam);
}

void FlushPending(HWND window) {
    SendMessageA(window, WM_NULL, 0, 0);
    PumpMessages();
}

void ExpectTrace(const std::vector<TracedMessage>& actual,
                 const std::vector<ExpectedMessage>& expected, const std::string& context,
                 std::source_location caller) {
    const char* file = caller.file_name();
    const int line = static_cast<int>(caller.line());
    const std::size_t count = std::min(actual.size(), expected.size());
    bool same = actual.size() == expected.size();
    for (std::size_t i = 0; i < count && same; ++i) {
        const ExpectedMessage& want = expected[i];
        const TracedMessage& got = actual[i];
        if (got.message != want.message ||
            ((want.match & kMatchWParam) != 0 && got.wParam != want.wParam) ||
            ((want.match & kMatchLParam) != 0 && got.lParam != want.lParam)) {
            ADD_FAILURE_AT(file, line)
                << context << ": message " << i << ": expected " << std::hex << want.message
                << " wp " << want.wParam << " lp " << want.lParam << ", got " << got.message
                << " wp " << got.wParam << " lp " << got.lParam;
            same = false;
        }
    }
    if (!same) {
        ADD_FAILURE_AT(file, line) << context << ": expected trace:\n"
                                   << Describe(expected) << "actual trace:\n"
                                   << Describe(actual);
    }
}

}  // namespace support
